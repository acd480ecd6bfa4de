#!/usr/bin/env bash
# The real program in a Wayland session (Debian's weston, headless): on Wayland itself when no
# X server is there, and on XWayland when there is one.
set -euo pipefail
[ -n "${E2E_DEBUG:-}" ] && set -x
bin="$1"
fail() { echo "wayland: $*"; cat "$work"/*.log 2>/dev/null | tail -n 20; exit 1; }
command -v weston >/dev/null || fail "weston is not installed"

work=$(mktemp -d)
compositor=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$compositor" ] && { kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; } || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" LANG=C.UTF-8
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM
mkdir -p "$work/app"
cp "$bin"/quillomat "$bin"/libquillomat-help.so "$bin"/hand.cur "$bin"/mouse3.gif "$bin"/mouse4.gif "$bin"/tartalom.qch "$work/app"/

start_weston() { # extra options...
    weston --backend=headless-backend.so --socket=quill-test --idle-time=0 "$@" \
        >"$work/weston.log" 2>&1 &
    compositor=$!
    for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/quill-test" ] && return 0; sleep 0.1; done
    fail "weston did not start"
}
stop_weston() { kill "$compositor"; wait "$compositor" 2>/dev/null || true; compositor=""; }

# Wayland alone: the program starts, runs, and ends cleanly on SIGTERM.
start_weston
( cd "$work/app" && WAYLAND_DISPLAY=quill-test exec ./quillomat ) >"$work/app.log" 2>&1 &
app=$!
sleep 3
kill -0 "$app" 2>/dev/null || fail "the program did not run on Wayland"
kill -TERM "$app"
rc=0; wait "$app" || rc=$?
app=""
[ "$rc" = 0 ] || fail "the program ended with $rc on Wayland"
stop_weston
echo "wayland: ok"

# With XWayland beside it, the program chooses the X server, where it can place its strip.
start_weston --xwayland
display=""
for _ in $(seq 50); do
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log")
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || fail "weston started no XWayland"
( cd "$work/app" && WAYLAND_DISPLAY=quill-test DISPLAY="$display" exec ./quillomat ) \
    >"$work/app.log" 2>&1 &
app=$!
found=""
for _ in $(seq 100); do
    found=$(DISPLAY="$display" xdotool search --name "A mai nap adatai" 2>/dev/null | head -n1 || true)
    [ -n "$found" ] && break
    sleep 0.1
done
[ -n "$found" ] || fail "the program did not open its window on XWayland"
kill -TERM "$app"
wait "$app" 2>/dev/null || true
app=""
echo "xwayland: ok"
echo "2 passed, 0 failed"
