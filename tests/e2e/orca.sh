#!/usr/bin/env bash
# A screen-reader walk, keyboard only: the real program under Xvfb and openbox with Orca on a
# private session bus, and what Orca would speak read from its debug log (no speech server is
# needed: Orca logs each utterance before handing it on). Start, a search by date and one by
# name, a reminder stored, an alert.
set -Eeuo pipefail
[ -n "${E2E_DEBUG:-}" ] && set -x
bin="$1"
fail() {
    echo "orca: $*"
    echo "orca: the focus is on: $(xdotool getwindowfocus getwindowname 2>&1)"
    [ -f "$log" ] && grep -o "SPEECH OUTPUT: .*" "$log" | tail -n 40
    exit 1
}
trap 'echo "orca: a step failed at line $LINENO: $BASH_COMMAND"' ERR
for tool in orca faketime openbox dbus-daemon xdotool; do
    command -v "$tool" >/dev/null || { echo "orca: SKIPPED, $tool is not installed"; exit 0; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "orca: SKIPPED, at-spi2-core is not installed"; exit 0; }

source "$(dirname "$0")/../../tools/xvfb.sh"
begin_x_session || fail "no X server"
log="$work/orca.log"
export LANG=C.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 <<<"$bus")
buspid=$(tail -n1 <<<"$bus")
openbox >/dev/null 2>&1 &
wm=$!
# Orca started while the window manager is still coming up can stall; wait for it.
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
sleep 1
# Orca's debug file is written in blocks unless it is a terminal: it writes to the terminal of
# `script`, which passes every line on to the log at once. No speech server: Orca logs what it
# would say before it hands it on, and a speech-dispatcher it spawned could hold its start up.
SPEECHD_CMD=/bin/false script -qfec "orca --debug-file /dev/tty -u '$work/orca-settings'" "$log" \
    >/dev/null 2>&1 </dev/null &
orca=$!
stop_all() {
    [ -n "${ORCA_LOG_COPY:-}" ] && cp "$log" "$ORCA_LOG_COPY"
    kill "$orca" "$wm" 2>/dev/null || true
    pkill -f "orca-settings" 2>/dev/null || true # Orca itself, which outlives its terminal
    kill "$buspid" 2>/dev/null || true
    end_x_session
}
trap stop_all EXIT

# One line per utterance (the first line of one that runs over several), as Orca would say it.
spoken() { tr -d '\r' <"$log" 2>/dev/null | sed -n "s/^.*SPEECH OUTPUT: '//p" | sed "s/' \?{.*//; s/'\$//"; }
mark() { spoken | wc -l; }
since() { spoken | tail -n +$(($1 + 1)); } # what was spoken after mark $1
hears() { # mark, fixed text, seconds: waits until Orca has spoken the text after the mark
    local end=$((SECONDS + $3))
    while [ $SECONDS -lt $end ]; do
        grep -qF -- "$2" <<<"$(since "$1")" && return 0
        sleep 0.2
    done
    return 1
}
# One key at a time, at a person's pace: keys sent together outrun Orca, which then skips the
# focus events in between ("more recent event of the same type") and says nothing.
key() { for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.4; done; }
ok() { echo "$1: ok"; }

hears 0 "Screen reader on" 30 || { tail -n 30 "$log"; fail "Orca did not start"; }
dir="$work/program"
copy_program "$bin" "$dir"
printf 'e| | |*|*|*|*|10| |Kaj\xe1ra m\xe9rni|1|0|\r\n' > "$dir/remembers.txt"

# At start the day is read in one sentence, after the window's name without its padding; the
# minute's turn is not read out unasked.
m=$(mark)
start_at "$dir" "2026-12-06 07:05:56"
hears "$m" "2026. december 6., Vasárnap, 7:05, Miklós napja." 30 || fail "the day was not read at start"
grep -q "Zelmarin" <<<"$(since "$m")" && fail "the maker's name was read with the window's name"
grep -qx "A mai nap adatai frame." <<<"$(since "$m")" || fail "the window was not read by its bare name"
sleep 6
grep -q "7:06" <<<"$(since "$m")" && fail "the minute's turn was read out unasked"
ok "the day at start"

# The search view from the menu; a date picked with the arrows and typed; Enter searches.
menu() { # expected window, keys...: the menu from the keyboard, tried again on a slow machine
    local want=$1 n
    shift
    local opener
    # Shift+F10 first; the Menu key, a single key, on a retry: on a loaded machine a chord that
    # passes through the screen reader's key handling can come apart.
    for opener in shift+F10 Menu shift+F10; do
        n=$(mark)
        key "$opener"
        sleep 0.5
        key "$@"
        hears "$n" "$want" 8 && return 0
        key Escape
        # On a loaded machine the window may have lost the focus meanwhile: give it back.
        xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1 |
            xargs -r xdotool windowactivate --sync 2>/dev/null || true
        sleep 0.5
    done
    return 1
}
m=$(mark)
menu "Névnapok frame." Down Down Down Return || fail "the search view did not come forward"
key Tab
key Tab
hears "$m" "Hónap editable combo box." 10 || fail "Tab did not reach the month"
key Down Down
key Tab
key ctrl+a
xdotool type --delay 40 15
m=$(mark)
key Return
hears "$m" "Kristóf" 10 || fail "the names of 15 March were not spoken"
ok "search by date"

# The name search: the other option with the arrow key, a name typed and taken from the
# suggestions; the dates are spoken.
key shift+Tab
key shift+Tab
key Down
key Tab
hears "$m" "Keresztnév editable combo box." 10 || fail "the name picker was not reached"
xdotool type --delay 40 Kristof
sleep 0.8
m=$(mark)
key Down Return
hears "$m" "március 15. július 25." 10 || fail "the dates of Kristóf were not spoken"
# A name that does not exist: the message is read whole, as an alert.
key ctrl+a
xdotool type --delay 40 Xyz
m=$(mark)
key Return
hears "$m" "Ilyen név nem létezik!" 10 || fail "the search's message was not spoken"
grep -q "^alert Névnapok" <<<"$(since "$m")" || fail "the message was not read as an alert"
key Return
ok "search by name"

# A reminder stored from the editor: Tab to "Rögzítés", the question read, the row told.
menu "Emlékeztetők frame." Down Down Down Down Return || fail "the editor did not come forward"
xdotool type --delay 40 Kiss
found=""
for _ in $(seq 30); do
    n=$(mark)
    key Tab
    hears "$n" "push button" 3 || true
    if grep -q "^Rögzítés push button" <<<"$(since "$n")"; then found=1; break; fi
done
[ -n "$found" ] || fail "Tab never reached Rögzítés"
m=$(mark)
key space
hears "$m" "Ez az emlékeztető azokon a napokon, amikor jelez, naponta 24-szer jelez" 10 || fail "the question before an hourly reminder was not read"
key Return
hears "$m" "Eltárolva: 2. sor" 10 || fail "storing was not confirmed to the screen reader"
ok "store a reminder"

# An alert at its minute is read whole, as an alert.
kill "$app"
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
m=$(mark)
start_at "$dir" "2026-12-06 09:09:57"
hears "$m" "Kajára mérni" 30 || fail "the alert was not spoken"
grep -q "^alert Emlékeztető" <<<"$(since "$m")" || fail "the alert box was not read as an alert"
ok "alert"
echo "5 passed, 0 failed"
