#!/usr/bin/env bash
# Start-up to the first frame, the program against a bare Qt window, under Xvfb: instructions
# counted by callgrind (the same whatever the machine's load) and the wall-clock time, median of
# interleaved runs. Each program has a private fontconfig cache, warmed first, so no other
# program's cache can make a start rescan every font.
#   bench/firstframe.sh BUILD_DIR [RUNS]
set -euo pipefail
build="${1:-build}"
runs="${2:-41}"
bin="$(cd "$build/bin" && pwd)"
source "$(dirname "$0")/../tools/xvfb.sh"
begin_x_session
copy_program "$bin" "$work/app"
cp "$bin/barewindow" "$work/app/"
export QUILLOMAT_BENCH_FIRST_FRAME=1 LANG=C.UTF-8

# "text" is the bare window with one line of text: the floor of any window that shows text.
exe() { [ "$1" = text ] && echo barewindow || echo "$1"; }
run() { # program cache -> runs it to its first frame
    rm -f "$work/app/remembers.txt.lock"
    BARE_WINDOW_TEXT=$([ "$1" = text ] && echo 1) XDG_CACHE_HOME="$work/cache-$2" \
        "$work/app/$(exe "$1")" >>"$work/log" 2>&1
}
ms() { # program cache -> milliseconds to the first frame and out
    local t0 t1
    t0=$(date +%s%N); run "$1" "$2"; t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}
instructions() { # program cache
    rm -f "$work/app/remembers.txt.lock"
    BARE_WINDOW_TEXT=$([ "$1" = text ] && echo 1) XDG_CACHE_HOME="$work/cache-$2" \
        valgrind --tool=callgrind --callgrind-out-file="$work/cg.$1" \
        "$work/app/$(exe "$1")" >/dev/null 2>"$work/cg.$1.log"
    awk '/^summary:/ {print $2}' "$work/cg.$1"
}
mapped() { # program cache: libraries mapped at the first frame
    rm -f "$work/app/remembers.txt.lock"
    BARE_WINDOW_TEXT=$([ "$1" = text ] && echo 1) XDG_CACHE_HOME="$work/cache-$2" \
        LD_DEBUG=files "$work/app/$(exe "$1")" 2>&1 >/dev/null |
        grep -c 'calling init:' || true
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

for p in barewindow text quillomat; do run "$p" "$p"; run "$p" "$p"; done # warm the caches
: >"$work/bare.ms"; : >"$work/text.ms"; : >"$work/app.ms"
for _ in $(seq "$runs"); do
    ms barewindow barewindow >>"$work/bare.ms"
    ms text text >>"$work/text.ms"
    ms quillomat quillomat >>"$work/app.ms"
done
bare_ms=$(median <"$work/bare.ms"); text_ms=$(median <"$work/text.ms")
app_ms=$(median <"$work/app.ms")
bare_i=$(instructions barewindow barewindow); text_i=$(instructions text text)
app_i=$(instructions quillomat quillomat)
bare_l=$(mapped barewindow barewindow); text_l=$(mapped text text)
app_l=$(mapped quillomat quillomat)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
echo "first frame, median of $runs interleaved runs: bare ${bare_ms} ms, bare with a line of" \
     "text ${text_ms} ms, quillomat ${app_ms} ms (ratio $(ratio "$app_ms" "$bare_ms") to bare," \
     "$(ratio "$app_ms" "$text_ms") to text; target <= 1.10)"
echo "instructions to the first frame (callgrind): bare $((bare_i / 1000000)) M, with text" \
     "$((text_i / 1000000)) M, quillomat $((app_i / 1000000)) M (ratio $(ratio "$app_i" "$bare_i")" \
     "to bare, $(ratio "$app_i" "$text_i") to text; target <= 1.08)"
echo "libraries initialised: bare $bare_l, with text $text_l, quillomat $app_l"
