#!/usr/bin/env bash
# Start-up, memory and idle CPU of the real program against a bare Qt window, under Xvfb.
#   bench/run.sh BUILD_DIR [IDLE_SECONDS] [RUNS]
set -euo pipefail
build="${1:-build}"
idle="${2:-60}"
runs="${3:-20}"
bin="$(cd "$build/bin" && pwd)"
source "$(dirname "$0")/../tools/xvfb.sh"
begin_x_session
copy_program "$bin" "$work/app"

launch() { # program title -> sets app, prints milliseconds to the first shown window
    local t0 t1
    rm -f "$work/app/remembers.txt.lock"
    t0=$(date +%s%N)
    "$1" >>"$work/log" 2>&1 &
    app=$!
    until xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do
        if ! kill -0 "$app" 2>/dev/null; then
            echo "bench: $1 ended before showing a window:" >&2
            grep -v '^$' "$work/log" | tail -n 8 >&2
            kill -0 "$xpid" 2>/dev/null || echo "bench: the X server is gone" >&2
            exit 1
        fi
        sleep 0.005
    done
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}
stop() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    app=""
    sleep 0.2
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$app/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
# Voluntary context switches of every thread of the process: how often it woke up and slept.
switches() { cat /proc/"$app"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
wakeups() { # per second, over $idle seconds
    local a b
    a=$(switches); sleep "$idle"; b=$(switches)
    awk -v d=$((b - a)) -v s="$idle" 'BEGIN {printf "%.2f", d / s}'
}
idle_cpu() { # percent of one core over $idle seconds
    local a b hz
    hz=$(getconf CLK_TCK)
    a=$(cpu_ticks); sleep "$idle"; b=$(cpu_ticks)
    awk -v d=$((b - a)) -v hz="$hz" -v s="$idle" 'BEGIN {printf "%.3f", 100 * d / hz / s}'
}

startup() { # program title
    for _ in $(seq "$runs"); do launch "$1" "$2"; stop; done | median
}

bare_ms=$(startup "$bin/barewindow" "Bare window")
app_ms=$(startup "$work/app/quillomat" "A mai nap adatai")

launch "$bin/barewindow" "Bare window" >/dev/null; sleep 2
bare_rss=$(rss_kb); bare_cpu=$(idle_cpu); bare_wake=$(wakeups); stop
BARE_WINDOW_TEXT=1 launch "$bin/barewindow" "Bare window" >/dev/null; sleep 2
text_rss=$(rss_kb); stop
launch "$work/app/quillomat" "A mai nap adatai" >/dev/null; sleep 2
app_rss=$(rss_kb); app_cpu=$(idle_cpu); app_wake=$(wakeups)
# The full view with the moving signature: menu "Keresés", then a click on the signature.
main=$(xdotool search --onlyvisible --name "A mai nap adatai" | head -n1)
xdotool mousemove --window "$main" 300 16 click 3; sleep 0.5
xdotool key Down Down Down Return; sleep 1
main=$(xdotool search --onlyvisible --name "Névnapok" | head -n1)
xdotool mousemove --window "$main" 220 244 click 1; sleep 1
full_cpu=$(idle_cpu); stop

echo "machine: $(nproc) cores, $(awk -F: '/model name/ {print $2; exit}' /proc/cpuinfo | sed 's/^ *//')"
echo "start-up to first window, median of $runs: bare ${bare_ms} ms, quillomat ${app_ms} ms" \
     "(ratio $(awk -v a="$app_ms" -v b="$bare_ms" 'BEGIN {printf "%.2f", a / b}'), target <= 1.2)"
mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
echo "resident memory after start: bare $(mb "$bare_rss") MB, bare with a line of text" \
     "$(mb "$text_rss") MB, quillomat $(mb "$app_rss") MB (+$(mb $((app_rss - bare_rss)))" \
     "MB to bare, +$(mb $((app_rss - text_rss))) MB to text; target <= 3 MB)"
echo "idle CPU over ${idle} s: bare ${bare_cpu} %, normal view ${app_cpu} %" \
     "(target < 0.5 %), full view with moving signature ${full_cpu} %"
echo "wake-ups per second, idle over ${idle} s: bare ${bare_wake}, normal view ${app_wake}" \
     "(target about 1)"
# The event loop's stalls during an import and a sync round, with a bare window of their own.
bash "$(dirname "$0")/stalls.sh" "$build"
