#!/usr/bin/env bash
# Reading a large address book: 5,000 cards (each with a 5 KB photo, folded as exports write
# it) through `nevnap --contacts`, whole process included, median of 5 runs.
#   bench/contacts.sh BUILD_DIR
set -euo pipefail
bin="$(cd "${1:-build}/bin" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/book.vcf" <<'PY'
import sys, random
random.seed(7)
given = ["Ádám", "Éva", "Józsi", "Kati", "Péter", "Anna Mária", "Zoltán", "Lőrinc", "Xyz"]
photo = "\r\n ".join(["QUJD" * 18] * 70)
with open(sys.argv[1], "w", encoding="utf-8", newline="") as f:
    for i in range(5000):
        g = random.choice(given)
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\n")
        f.write(f"FN:Család{i} {g}\r\nN:Család{i};{g};;;\r\n")
        f.write(f"BDAY:{1940 + i % 70}-{1 + i % 12:02d}-{1 + i % 28:02d}\r\n")
        f.write(f"PHOTO;ENCODING=b;TYPE=JPEG:{photo}\r\nEND:VCARD\r\n")
PY
size=$(du -m "$work/book.vcf" | cut -f1)
times=()
for _ in 1 2 3 4 5; do
    t0=$(date +%s%N)
    "$bin/nevnap" --contacts "$work/book.vcf" december 24 >/dev/null
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000000)))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "5000 contacts (${size} MB): ${median} ms (median of 5, the whole nevnap run)"
