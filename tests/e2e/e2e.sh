#!/usr/bin/env bash
# End-to-end runs of the real program under Xvfb at a fixed date (faketime): an alert box
# appears at its minute for a crafted remembers.txt, and quitting through the menu with Yes
# writes the expected bytes.
set -euo pipefail
[ -n "${E2E_DEBUG:-}" ] && set -x
bin="$1"
fail() { echo "e2e: $*"; exit 1; }
command -v faketime >/dev/null || fail "faketime is not installed"

source "$(dirname "$0")/../../tools/xvfb.sh"
begin_x_session || fail "no X server"
export LANG=C.UTF-8

wait_window() { # name, seconds
    local end=$((SECONDS + $2))
    while [ $SECONDS -lt $end ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
start_at() { # folder, time
    ( cd "$1" && exec faketime -f "@$2" ./quillomat ) >"$work/app.log" 2>&1 &
    app=$!
}
setup() {
    copy_program "$bin" "$work/$1"
    echo "$work/$1"
}

# 1. An alert box appears at its minute.
dir=$(setup alert)
printf 'e| | |*|*|*|*|10| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"
start_at "$dir" "2026-12-06 09:09:57"
wait_window "A mai nap adatai" 20 >/dev/null || fail "the main window did not appear"
box=$(wait_window "^Emlékeztető \\(Az ablak 1 perc múlva bezárható\\)$" 20) || fail "no alert box"
echo "alert box: ok"
# A second copy while the first runs: it says so and ends without touching the file.
before=$(od -An -tx1 < "$dir/remembers.txt")
( cd "$dir" && exec ./quillomat ) >/dev/null 2>&1 &
second=$!
refusal=$(wait_window "^Quillomat$" 20) || fail "the second copy did not say it is refused"
xdotool windowfocus --sync "$refusal" 2>/dev/null || true
xdotool key --clearmodifiers Return
rc=0
for _ in $(seq 50); do kill -0 "$second" 2>/dev/null || break; sleep 0.2; done
kill -0 "$second" 2>/dev/null && { kill "$second"; fail "the second copy did not end"; }
wait "$second" || rc=$?
[ "$rc" = 1 ] || fail "the second copy ended with $rc"
[ "$before" = "$(od -An -tx1 < "$dir/remembers.txt")" ] || fail "the second copy changed the file"
echo "second copy refused: ok"
kill "$app"; wait "$app" 2>/dev/null || true; app=""

# 2. Store a reminder in the editor, quit through the menu, answer Yes: the file is written.
dir=$(setup quit)
printf 'e| | |*|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"
start_at "$dir" "2026-12-06 07:05:00"
main=$(wait_window "A mai nap adatai" 20) || fail "the main window did not appear"
sleep 1
menu() { # keys...: opens the popup menu over the today panel and walks it
    xdotool mousemove --window "$main" 300 16 click 3
    sleep 0.7
    xdotool key "$@"
}
# Each step is tried again if the machine was too slow for the menu the first time.
editor=""
for _ in 1 2 3; do
    menu Down Down Down Down Return
    editor=$(wait_window "Emlékeztetők" 5) && break
    xdotool key Escape
done
[ -n "$editor" ] || fail "the editor did not open"
sleep 0.5
xdotool mousemove --window "$editor" 64 284 click 1
sleep 0.5
question=""
for _ in 1 2 3; do
    menu Up Return
    question=$(wait_window "^Quillomat$" 5) && break
    xdotool key Escape
done
[ -n "$question" ] || fail "no save question"
sleep 0.3
xdotool windowfocus --sync "$question" 2>/dev/null || true
xdotool key Return
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "the program did not end"
app=""
expected=$(printf 'e| | |*|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\nn|||*|*|*|*|00|| |1|1|\r\n' | od -An -tx1)
actual=$(od -An -tx1 < "$dir/remembers.txt")
[ "$expected" = "$actual" ] || { cat -A "$dir/remembers.txt"; fail "unexpected file"; }
echo "quit with save: ok"
echo "3 passed, 0 failed"
