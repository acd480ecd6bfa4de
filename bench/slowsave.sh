#!/usr/bin/env bash
# A save on a slow disk, under Xvfb: every fsync of the program takes 1.5 s (strace's fault
# injection, as on a USB stick or a network home). A reminder is stored in the editor, then the
# program is stopped from outside (SIGTERM), which saves it without a question and ends; the
# window's event loop logs its gaps (QUILLOMAT_BENCH_STALLS), and the longest one during the save
# is reported beside the save's own time.
#   bench/slowsave.sh BUILD_DIR
set -euo pipefail
build="${1:-build}"
bin="$(cd "$build/bin" && pwd)"
command -v strace >/dev/null || { echo "slow save: strace is not installed, not measured"; exit 0; }
source "$(dirname "$0")/../tools/xvfb.sh"
begin_x_session
copy_program "$bin" "$work/app"
export LANG=C.UTF-8 QUILLOMAT_BENCH_STALLS="$work/stalls"
printf 'e| | |2020|*|*|*|30| |Kaj\xe1ra m\xe9rni|1|0|\r\n' >"$work/app/remembers.txt"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
wait_window() { # name, seconds
    local end=$((SECONDS + $2)) id
    while [ $SECONDS -lt $end ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

: >"$work/stalls"
( cd "$work/app" && exec strace -f -qq -o /dev/null --seccomp-bpf -e trace=fsync,fdatasync \
      -e inject=fsync,fdatasync:delay_exit=1500000 ./quillomat ) >>"$work/log" 2>&1 &
tracer=$!
main=$(wait_window "A mai nap adatai" 30) || { echo "slow save: no window"; exit 1; }
app=$(pgrep -P "$tracer" -x quillomat)
sleep 1
editor=""
for _ in 1 2 3; do
    xdotool mousemove --window "$main" 300 16 click 3; sleep 0.7
    xdotool key Down Down Down Down Return
    editor=$(wait_window "Emlékeztetők" 5) && break
    xdotool key Escape
done
[ -n "$editor" ] || { echo "slow save: the editor did not open"; exit 1; }
sleep 0.5
xdotool mousemove --window "$editor" 200 63 click 1; sleep 0.2
xdotool type --delay 20 Lassu
xdotool mousemove --window "$editor" 64 284 click 1
sure=$(wait_window "^Emlékeztető$" 10) || { echo "slow save: no question"; exit 1; }
xdotool windowfocus --sync "$sure" 2>/dev/null || true
xdotool key --clearmodifiers Return
sleep 1
t0=$(now_ms)
kill -TERM "$app"
wait "$tracer" || true
t1=$(now_ms)
app=""
stall=$(awk -v t="$t0" '$1 >= t && $2 > m {m = $2} END {print m + 0}' "$work/stalls")
grep -aq 'Lassu' "$work/app/remembers.txt" || echo "slow save: the reminder did not reach the file!"
echo "save with every fsync slowed to 1.5 s: the save and the end took $((t1 - t0)) ms;" \
     "longest stall of the window's event loop meanwhile ${stall} ms (bare window: none; target <= 50 ms)"
