#!/usr/bin/env bash
# A day open with a large address book, against a bare Qt window in the same run, under Xvfb:
# resident memory with 5,000 cards (photos included), after 100 readings of the changed book,
# the longest stall of the window's event loop while the book is read (the program logs each
# gap of its loop over 20 ms when QUILLOMAT_BENCH_STALLS names a file), and `nevnap --contacts`
# on the same book (peak resident memory, instructions by callgrind).
#   bench/daylong.sh BUILD_DIR [READINGS]
set -euo pipefail
build="${1:-build}"
readings="${2:-100}"
bin="$(cd "$build/bin" && pwd)"
source "$(dirname "$0")/../tools/xvfb.sh"
begin_x_session
copy_program "$bin" "$work/app"
export LANG=C.UTF-8 QUILLOMAT_BENCH_STALLS="$work/stalls"
book="$work/book.vcf"
write_book() { # variant: the same 5,000 cards, one name changed
    python3 - "$book" "$1" <<'PY'
import sys, random
random.seed(7)
given = ["Ádám", "Éva", "Józsi", "Kati", "Péter", "Anna Mária", "Zoltán", "Lőrinc", "Xyz"]
photo = "\r\n ".join(["QUJD" * 18] * 70)
with open(sys.argv[1] + ".new", "w", encoding="utf-8", newline="") as f:
    for i in range(5000):
        g = random.choice(given) if i else "Ádám%03d" % int(sys.argv[2])
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\n")
        f.write(f"FN:Család{i} {g}\r\nN:Család{i};{g};;;\r\n")
        f.write(f"BDAY:{1940 + i % 70}-{1 + i % 12:02d}-{1 + i % 28:02d}\r\n")
        f.write(f"PHOTO;ENCODING=b;TYPE=JPEG:{photo}\r\nEND:VCARD\r\n")
PY
    mv "$book.new" "$book"
}
write_book 0
mkdir -p "$HOME/.config/Zelmarin/Quillomat"
printf 'ismerosok_forras=%s\n' "$book" >"$HOME/.config/Zelmarin/Quillomat/beallitasok.conf"

rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$app/status"; }
mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
longest_since() { # ms -> the longest gap logged since then
    awk -v t="$1" '$1 >= t && $2 > m {m = $2} END {print m + 0}' "$work/stalls" 2>/dev/null || echo 0
}
launch() { # program title
    rm -f "$work/app/remembers.txt.lock"
    "$1" >>"$work/log" 2>&1 &
    app=$!
    until xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do
        kill -0 "$app" 2>/dev/null || { echo "bench: $1 ended early" >&2; exit 1; }
        sleep 0.02
    done
}
stop() { kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; app=""; sleep 0.2; }

launch "$bin/barewindow" "Bare window"; sleep 2
bare_rss=$(rss_kb); stop

: >"$work/stalls"
launch "$work/app/quillomat" "A mai nap adatai"
t0=$(($(now_ms) + 300)) # gaps logged from here on: the start-up's own gap is over
sleep 6 # the book is read after the first frame
first_rss=$(rss_kb)
read_stall=$(longest_since "$t0")
t1=$(now_ms)
for i in $(seq "$readings"); do
    write_book "$i"
    sleep 1.8 # 1.5 s after the last change, then the reading
done
sleep 3
after_rss=$(rss_kb)
reread_stall=$(longest_since "$t1")
stop

nevnap_kb=$( { /usr/bin/time -f %M "$bin/nevnap" --contacts "$book" december 24 >/dev/null; } 2>&1 | tail -n1)
valgrind --tool=callgrind --callgrind-out-file="$work/cg.nevnap" \
    "$bin/nevnap" --contacts "$book" december 24 >/dev/null 2>"$work/cg.log"
nevnap_ir=$(awk '/^summary:/ {print $2}' "$work/cg.nevnap")

echo "address book of 5000 cards ($(du -m "$book" | cut -f1) MB), resident memory:" \
     "bare $(mb "$bare_rss") MB, quillomat $(mb "$first_rss") MB" \
     "(+$(mb $((first_rss - bare_rss))) MB to bare; target <= 8 MB)"
echo "after ${readings} readings of the changed book: $(mb "$after_rss") MB" \
     "(+$(mb $((after_rss - first_rss))) MB; target < 2 MB)"
echo "longest stall of the window's event loop: while the book is read ${read_stall} ms," \
     "while it is read again ${reread_stall} ms (target <= 50 ms)"
echo "nevnap --contacts: $(mb "$nevnap_kb") MB peak (target < 25 MB)," \
     "$((nevnap_ir / 1000000)) M instructions (target < 100 M)"
