# Sourced by the end-to-end tests and the benchmarks: a private Xvfb with its own work folder,
# runtime folder and home, all removed again on exit together with the program under test.
# After begin_x_session: $work, $DISPLAY; the caller keeps the program's pid in $app.
app=""
xpid=""

end_x_session() {
    # The program writes its state as it ends: let it finish before its folders go.
    if [ -n "$app" ] && kill "$app" 2>/dev/null; then
        for _ in $(seq 50); do
            grep -qs '^State:[[:space:]]*[^Z]' "/proc/$app/status" || break # gone, or a zombie
            sleep 0.1
        done
    fi
    # Wait for the server to go, so the next session never meets its display half-closed.
    [ -n "$xpid" ] && { kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null; } || true
    rm -rf "$work" 2>/dev/null || { sleep 0.5; rm -rf "$work"; } || true
}

begin_x_session() {
    work=$(mktemp -d)
    trap end_x_session EXIT
    exec 3<> "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset -maxclients 2048 >/dev/null 2>&1 &
    xpid=$!
    for _ in $(seq 100); do grep -q . "$work/display" 2>/dev/null && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || { echo "no X server on $DISPLAY"; return 1; }
    export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
    mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
}

# The program with the files that lie beside it, copied into a folder of its own.
copy_program() { # from-bin to-folder
    mkdir -p "$2"
    cp "$1"/quillomat "$1"/libquillomat-dav.so "$1"/libquillomat-help.so "$1"/libquillomat-ical.so \
       "$1"/libquillomat-keyring.so "$1"/hand.cur "$1"/mouse3.gif "$1"/mouse4.gif \
       "$1"/tartalom.qch "$2"/
}

# The program in `folder` under a fixed clock (faketime), its output in $work/app.log.
start_at() { # folder, time; $app is the program itself, not faketime's wrapper around it
    ( cd "$1" && exec faketime -f "@$2" ./quillomat ) >"$work/app.log" 2>&1 &
    app=$!
    local child=""
    for _ in $(seq 50); do
        child=$(pgrep -P "$app" -x quillomat || true)
        [ -n "$child" ] && break
        sleep 0.1
    done
    [ -n "$child" ] && app=$child
}
