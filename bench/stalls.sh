#!/usr/bin/env bash
# The longest stall of the window's event loop while a large calendar file is imported and while a
# sync round runs, against a bare Qt window in the same run, under Xvfb. Both log each gap of their
# event loop over 20 ms when QUILLOMAT_BENCH_STALLS names a file. The calendar file (7.9 MB) is
# made here; the CalDAV server is a local Radicale on 127.0.0.1 in a temporary folder, started and
# stopped here, holding 2,000 events of another device.
#   bench/stalls.sh BUILD_DIR
set -euo pipefail
build="${1:-build}"
bin="$(cd "$build/bin" && pwd)"
source "$(dirname "$0")/../tools/xvfb.sh"
begin_x_session
copy_program "$bin" "$work/app"
export LANG=C.UTF-8 QUILLOMAT_BENCH_STALLS="$work/stalls"
printf 'e| | |2020|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n' >"$work/app/remembers.txt"
settings="$HOME/.config/Zelmarin/Quillomat/beallitasok.conf"
mkdir -p "$(dirname "$settings")"

events() { # file count: a calendar of `count` events, each with a description and an alarm
    python3 - "$1" "$2" <<'PY'
import sys
n = int(sys.argv[2])
text = "Megbeszélés a földszinti tárgyalóban, hozza a tavalyi jegyzeteket is. " * 2
with open(sys.argv[1], "w", encoding="utf-8", newline="") as f:
    f.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//stalls//HU\r\n")
    for i in range(n):
        f.write("BEGIN:VEVENT\r\nUID:bench-%d@example.invalid\r\nDTSTAMP:20261201T080000Z\r\n" % i)
        f.write("DTSTART:2027%02d%02dT%02d%02d00\r\n" % (1 + i % 12, 1 + i % 28, 8 + i % 10, i % 60))
        f.write("SUMMARY:Találkozó %d\r\nDESCRIPTION:%s\r\nLOCATION:Győr\r\n" % (i, text))
        f.write("BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT30M\r\nDESCRIPTION:x\r\nEND:VALARM\r\n")
        f.write("END:VEVENT\r\n")
    f.write("END:VCALENDAR\r\n")
PY
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
longest_since() { # ms -> the longest gap logged since then
    awk -v t="$1" '$1 >= t && $2 > m {m = $2} END {print m + 0}' "$work/stalls" 2>/dev/null || echo 0
}
wait_window() { # name, seconds
    local end=$((SECONDS + $2)) id
    while [ $SECONDS -lt $end ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
launch() { # program title
    rm -f "$work/app/remembers.txt.lock"
    "$1" >>"$work/log" 2>&1 &
    app=$!
    wait_window "$2" 30 >/dev/null || { echo "stalls: $1 showed no window" >&2; exit 1; }
}
stop() { kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; app=""; sleep 0.2; }

# The bare window's gaps, logged by the same probe, over 5 s of the pointer moving over it.
: >"$work/stalls"
launch "$bin/barewindow" "Bare window"; sleep 0.5
t0=$(now_ms)
for _ in $(seq 25); do xdotool mousemove 100 100 sleep 0.1 mousemove 300 40 sleep 0.1; done
bare=$(longest_since "$t0"); stop

# Import: menu "Naptár", "Naptárfájl beolvasása…", the file typed into the file dialog.
events "$work/big.ics" 20250
size_mb=$(stat -c %s "$work/big.ics" | awk '{printf "%.1f", $1 / 1e6}')
: >"$work/stalls"
: >"$settings"
launch "$work/app/quillomat" "A mai nap adatai"; sleep 2
main=$(xdotool search --onlyvisible --name "A mai nap adatai" | head -n1)
dialog=""
for _ in 1 2 3; do
    xdotool mousemove --window "$main" 300 16 click 3; sleep 0.7
    xdotool key Down Down Down Down Down Right; sleep 0.4
    xdotool key Down Down Return
    dialog=$(wait_window "Naptárfájl beolvasása" 5) && break
    xdotool key Escape Escape
done
[ -n "$dialog" ] || { echo "stalls: the import's file dialog did not open"; exit 1; }
sleep 0.5
xdotool type --delay 5 "$work/big.ics"
sleep 0.3
t0=$(now_ms)
xdotool key Return
import_ok=yes
question=""
for _ in $(seq 1200); do
    question=$(xdotool search --onlyvisible --name "Naptárfájl beolvasása" 2>/dev/null |
        grep -v "^$dialog$" | head -n1 || true)
    [ -n "$question" ] && break
    sleep 0.05
done
import_ms=$(($(now_ms) - t0))
[ -n "$question" ] || import_ok="no answer within a minute"
sleep 0.3
import_stall=$(longest_since "$t0")
stop

# A sync round at the start, against a local Radicale holding another device's events.
sync_ok=yes
sync_stall="-"
round_ms="-"
if command -v radicale >/dev/null && command -v curl >/dev/null; then
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    url="http://127.0.0.1:$port/eva/naptar/"
    radicale -C "" -H "127.0.0.1:$port" --storage-filesystem-folder "$work/server" \
        --auth-type none >>"$work/server.log" 2>&1 &
    server=$!
    trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; end_x_session' EXIT
    for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
    curl -sf -X MKCOL "http://127.0.0.1:$port/eva/" -o /dev/null || true
    curl -sf -X MKCALENDAR "$url" -o /dev/null || sync_ok="no calendar on the server"
    events "$work/device.ics" 2000
    curl -sf -X PUT -H 'Content-Type: text/calendar' --data-binary @"$work/device.ics" \
        "$url" -o /dev/null || sync_ok="the other device's events were not stored"
    printf 'caldav_cim=%s\ncaldav_felhasznalo=eva\ncaldav_jelszoparancs=printf titok\n' "$url" >"$settings"
    : >"$work/stalls"
    t0=$(now_ms)
    launch "$work/app/quillomat" "A mai nap adatai"
    t2=$(($(now_ms) + 300)) # the start-up's own gap is over
    items="$work/server/collection-root/eva/naptar"
    sync_ok="the book's row did not reach the server within 30 s"
    for _ in $(seq 300); do # until the book's row is on the server beside the device's
        [ "$(find "$items" -maxdepth 1 -name '*.ics' | wc -l)" -gt 2000 ] && { sync_ok=yes; break; }
        sleep 0.1
    done
    round_ms=$(($(now_ms) - t0))
    sleep 1
    sync_stall=$(longest_since "$t2")
    stop
    kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true
fi

echo "longest stall of the window's event loop (target <= 50 ms; bare window over 5 s:" \
     "${bare} ms):"
echo "  while a ${size_mb} MB calendar file is imported: ${import_stall} ms" \
     "(its question came after ${import_ms} ms; ${import_ok})"
echo "  during a sync round with 2000 events of another device: ${sync_stall} ms" \
     "(the start and the round took ${round_ms} ms; ${sync_ok})"
