#!/usr/bin/env bash
# End-to-end runs of the real program under Xvfb at a fixed date (faketime): an alert box at its
# minute, a second copy kept off the file, saving on the way out, and nothing lost when the
# program is stopped from outside or meets odd things in the place of its file.
set -Eeuo pipefail
[ -n "${E2E_DEBUG:-}" ] && set -x
bin="$1"
fail() { echo "e2e: $*"; [ -f "$work/app.log" ] && cat "$work/app.log"; exit 1; }
trap 'echo "e2e: a step failed at line $LINENO: $BASH_COMMAND"' ERR
command -v faketime >/dev/null || fail "faketime is not installed"

source "$(dirname "$0")/../../tools/xvfb.sh"
begin_x_session || fail "no X server"
export LANG=C.UTF-8
passed=0

wait_window() { # name, seconds
    local end=$((SECONDS + $2))
    while [ $SECONDS -lt $end ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
setup() {
    copy_program "$bin" "$work/$1"
    echo "$work/$1"
}
ok() { echo "$1: ok"; passed=$((passed + 1)); }
press_in() { # window, key
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers "$2"
}
ended() { # pid, seconds: waits for the process to end
    for _ in $(seq $(($2 * 5))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.2; done
    return 1
}
stop_app() { kill "$app" 2>/dev/null || true; ended "$app" 10 || true; app=""; }
menu() { # keys...: opens the popup menu over the today panel and walks it
    xdotool mousemove --window "$main" 300 16 click 3
    sleep 0.7
    xdotool key "$@"
}
open_editor() {
    editor=""
    for _ in 1 2 3; do # tried again if the machine was too slow for the menu
        menu Down Down Down Down Return
        editor=$(wait_window "Emlékeztetők" 5) && break
        xdotool key Escape
    done
    [ -n "$editor" ] || fail "the editor did not open"
    sleep 0.5
}
store_name_day() { # surname: typed into the editor, then "Rögzítés", every hour confirmed
    xdotool mousemove --window "$editor" 200 63 click 1
    sleep 0.2
    xdotool type --delay 20 "$1"
    xdotool mousemove --window "$editor" 64 284 click 1
    local sure
    sure=$(wait_window "^Emlékeztető$" 10) || fail "no question before a reminder of every hour"
    press_in "$sure" Return
    sleep 0.5
}
hex() { od -An -tx1 < "$1"; }

# An alert box appears at its minute; a second copy is refused and leaves the file alone.
dir=$(setup alert)
printf 'e| | |*|*|*|*|10| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"
start_at "$dir" "2026-12-06 09:09:57"
wait_window "A mai nap adatai" 20 >/dev/null || fail "the main window did not appear"
wait_window "^Emlékeztető \\(Az ablak 1 perc múlva bezárható\\)$" 20 >/dev/null || fail "no alert box"
ok "alert box"
before=$(hex "$dir/remembers.txt")
( cd "$dir" && exec ./quillomat ) >/dev/null 2>&1 &
second=$!
ended "$second" 10 || { kill "$second"; fail "the second copy did not hand over and end"; }
rc=0; wait "$second" || rc=$?
[ "$rc" = 0 ] || fail "the second copy ended with $rc"
! wait_window "^Quillomat$" 1 >/dev/null || fail "the second copy showed a box"
[ "$before" = "$(hex "$dir/remembers.txt")" ] || fail "the second copy changed the file"
ok "second copy hands over to the first"
# The same file reached through a link from another folder is the same file.
linked=$(setup linked)
ln -s "$dir/remembers.txt" "$linked/remembers.txt"
( cd "$linked" && exec ./quillomat ) >/dev/null 2>&1 &
second=$!
ended "$second" 10 || { kill "$second"; fail "the copy in a linked folder did not end"; }
[ "$before" = "$(hex "$dir/remembers.txt")" ] || fail "the linked copy changed the file"
ok "linked folder: the same file, the same copy"
# A copy that holds the lock but cannot be reached: the refusal is told.
kill -STOP "$app"
( cd "$dir" && exec ./quillomat ) >/dev/null 2>&1 &
second=$!
refusal=$(wait_window "^Quillomat$" 20) || { kill -CONT "$app"; fail "no refusal from an unreachable copy"; }
press_in "$refusal" Return
ended "$second" 10 || { kill -CONT "$app"; kill "$second"; fail "the refused copy did not end"; }
rc=0; wait "$second" || rc=$?
kill -CONT "$app"
[ "$rc" = 1 ] || fail "the refused copy ended with $rc"
ok "unreachable copy: refused"
stop_app

# Store a reminder in the editor, quit through the menu, answer Yes: the file is written.
dir=$(setup quit)
printf 'e| | |*|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"
: > "$dir/remembers.txt.lock" # left by a power cut: it must not matter
start_at "$dir" "2026-12-06 07:05:00"
main=$(wait_window "A mai nap adatai" 20) || fail "the main window did not appear"
sleep 1
open_editor
store_name_day Kiss
question=""
for _ in 1 2 3; do
    menu Up Return
    question=$(wait_window "^Quillomat$" 5) && break
    xdotool key Escape
done
[ -n "$question" ] || fail "no save question"
sleep 0.3
press_in "$question" Return
ended "$app" 10 || fail "the program did not end"
app=""
expected=$(printf 'e| | |*|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\nn|Kiss||*|*|*|*|00|| |1|1|\r\n' | od -An -tx1)
[ "$expected" = "$(hex "$dir/remembers.txt")" ] || { cat -A "$dir/remembers.txt"; fail "unexpected file"; }
[ ! -e "$dir/remembers.txt.lock" ] || fail "the lock file was left behind"
ok "quit with save"

# Stopped from outside (logout, shutdown, kill) with an unsaved reminder: it is kept.
dir=$(setup term)
start_at "$dir" "2026-12-06 07:05:00"
main=$(wait_window "A mai nap adatai" 20) || fail "the main window did not appear"
sleep 1
open_editor
store_name_day Nagy
kill -TERM "$app"
ended "$app" 10 || fail "SIGTERM did not end the program"
app=""
file="$HOME/.local/share/Zelmarin/Quillomat/remembers.txt"
grep -q '^n|Nagy|' "$file" || fail "the reminder was lost on SIGTERM"
[ ! -e "$file.lock" ] || fail "the lock file was left behind after SIGTERM"
start_at "$dir" "2026-12-06 07:06:00"
wait_window "A mai nap adatai" 20 >/dev/null || fail "no restart"
grep -q '^n|Nagy|' "$file" || fail "the restart lost the reminder"
stop_app
ok "SIGTERM keeps the reminder"

# Logout on a full disk: the save fails, the exit status says so, and the unsaved reminder waits
# in an emergency copy that the next start offers back.
if [ "$(id -u)" -eq 0 ]; then
    dir=$(setup fulldisk)
    disk="$work/disk"
    mkdir -p "$disk"
    mount -t tmpfs -o size=64k tmpfs "$disk" || fail "no tmpfs"
    # This run keeps the real clock (the tmpfs is its own): the reminder is of a year gone by,
    # so no alert box can come in the middle of the clicks.
    printf 'e| | |2020|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$disk/remembers.txt"
    ln -s "$disk/remembers.txt" "$dir/remembers.txt"
    ( cd "$dir" && exec ./quillomat ) >"$work/app.log" 2>&1 &
    app=$!
    main=$(wait_window "A mai nap adatai" 20) || { umount -l "$disk"; fail "the main window did not appear"; }
    sleep 1
    open_editor
    store_name_day Teli
    dd if=/dev/zero of="$disk/filler" bs=1k >/dev/null 2>&1 || true
    kill -TERM "$app"
    rc=0; wait "$app" || rc=$?
    app=""
    umount -l "$disk"
    [ "$rc" = 1 ] || fail "a failed save at logout ended with $rc, not 1"
    grep -q "vészmentés" "$work/app.log" || fail "the end did not tell of the emergency copy"
    grep -q '^n|Teli|' "$HOME"/.local/state/Zelmarin/Quillomat/emergency-*.txt \
        || fail "no emergency copy with the unsaved reminder"
    printf 'e| | |2020|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$disk/remembers.txt"
    start_at "$dir" "2026-12-06 07:05:00"
    wait_window "^Quillomat$" 20 >/dev/null || fail "the emergency copy was not offered back"
    stop_app
    rm -f "$HOME"/.local/state/Zelmarin/Quillomat/emergency-*
    ok "full disk at logout: emergency copy and a true exit status"
fi

# A pipe in the file's place is told at once, and never written to.
dir=$(setup pipe)
mkfifo "$dir/remembers.txt"
start_at "$dir" "2026-12-06 07:05:00"
box=$(wait_window "^Quillomat$" 5) || fail "a pipe as the file was not told"
press_in "$box" Return
main=$(wait_window "A mai nap adatai" 10) || fail "no main window after the pipe"
kill -TERM "$app"; ended "$app" 10 || fail "the program did not end"; app=""
[ -p "$dir/remembers.txt" ] || fail "the pipe was replaced"
ok "pipe in the file's place"

# A UTF-16 file is read, told, and kept whole before anything replaces it.
dir=$(setup utf16)
printf '\xff\xfe' > "$dir/remembers.txt"
printf 'e| | |*|*|*|*|30| |K\xe1v\xe9|1|0|\r\n' | iconv -f CP1250 -t UTF-16LE >> "$dir/remembers.txt"
cp "$dir/remembers.txt" "$work/utf16.orig"
start_at "$dir" "2026-12-06 07:05:00"
box=$(wait_window "^Quillomat$" 10) || fail "a UTF-16 file was not told"
press_in "$box" Return
main=$(wait_window "A mai nap adatai" 10) || fail "no main window after the UTF-16 notice"
stop_app
cmp -s "$work/utf16.orig" "$dir/remembers.txt.bak" || fail "no whole copy of the UTF-16 file"
cmp -s "$work/utf16.orig" "$dir/remembers.txt" || fail "the UTF-16 file was changed"
ok "UTF-16 file"

# A minute missed while the program was not running comes late at the next start: the run that
# ended at 09:09 is followed by one at 09:12, and the 09:10 reminder is announced, once.
dir=$(setup missed)
printf 'e| | |*|*|*|*|10| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"
start_at "$dir" "2026-12-06 09:08:50"
wait_window "A mai nap adatai" 20 >/dev/null || fail "the main window did not appear"
sleep 1
stop_app
start_at "$dir" "2026-12-06 09:12:10"
# (Late alerts wait a little after the start, for a clock that is set right at login.)
box=$(wait_window "^Emlékeztető \\(Az ablak 1 perc múlva bezárható\\)$" 45) || fail "no late alert"
press_in "$box" Return
! wait_window "^Emlékeztető \\(Az ablak 1 perc múlva bezárható\\)$" 3 >/dev/null \
    || fail "the late alert came twice"
stop_app
ok "alert missed while not running"

# A real notification server on a session bus of the test's own: the alert reaches it too.
if command -v dunst >/dev/null; then
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 <<<"$bus")
    buspid=$(tail -n1 <<<"$bus")
    dunst >"$work/dunst.log" 2>&1 &
    notifier=$!
    for _ in $(seq 50); do dunstctl count displayed >/dev/null 2>&1 && break; sleep 0.1; done
    dir=$(setup notify)
    printf 'e| | |*|*|*|*|10| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"
    start_at "$dir" "2026-12-06 09:09:58"
    shown=0
    for _ in $(seq 100); do
        shown=$(dunstctl count displayed 2>/dev/null || echo 0)
        [ "$shown" -ge 1 ] && break
        sleep 0.1
    done
    stop_app
    kill "$notifier" "$buspid" 2>/dev/null || true
    unset DBUS_SESSION_BUS_ADDRESS
    [ "$shown" -ge 1 ] || fail "the notification server got no alert"
    ok "desktop notification"
fi

# Under a real window manager: the normal view's inside is 6000 by 900 twips from the first
# frame, at the top centre, and Shift+F10 opens the menu from the keyboard.
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
sleep 1 # openbox says it is there a moment before it manages new windows
dir=$(setup wm)
start_at "$dir" "2026-12-06 07:05:00"
main=$(wait_window "A mai nap adatai" 20) || fail "no main window under openbox"
sleep 1
size=$(xwininfo -id "$main" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "400x60" ] || fail "the normal view's inside is $size under openbox, not 400x60"
before=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l)
press_in "$main" shift+F10
sleep 0.7
after=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l)
[ "$after" -gt "$before" ] || fail "Shift+F10 opened no menu"
xdotool key Down Down Return # "Normál" again: the same size
sleep 1
size=$(xwininfo -id "$main" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "400x60" ] || fail "after choosing Normál the inside is $size, not 400x60"
# A suggestion chosen in the name search is what the search finds.
menu Down Down Down Return
sleep 1
full=$(wait_window "Névnapok" 10) || fail "no search view"
xdotool mousemove --window "$full" 30 168 click 1 # "Dátum keresése keresztnév alapján"
sleep 0.3
xdotool mousemove --window "$full" 80 198 click 1
xdotool type --delay 30 lorinc
sleep 0.8
xdotool key Down Return
sleep 0.8
! wait_window "^Névnapok$" 2 >/dev/null || fail "the chosen suggestion Lőrinc was not found"
menu Down Down Return # back to Normál
sleep 1
# The help comes from its plugin, loaded at the first F1.
grep -q libQt6Help "/proc/$app/maps" && fail "Qt Help was loaded before anyone asked for help"
press_in "$main" F1
wait_window "Quillomat súgó" 20 >/dev/null || fail "F1 opened no help window"
stop_app
kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true
ok "window manager: first size and Shift+F10"

echo "$passed passed, 0 failed"
