#!/bin/bash
# The name-day calendar file (nevnap --ical) as other programs expand it: python3-icalendar with
# dateutil and khal must put every name on the tradition's day over several common and leap
# years (in a leap year 24 February has no name and the names of 24-28 February are a day
# later), and on no other day.
set -u
bin=${1:?usage: namedays.sh BIN_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "namedays: $*" >&2; exit 1; }
from=2023-01-01
to=2030-12-31

"$bin/nevnap" --ical "$work/nevnapok.ics" || fail "nevnap --ical failed"

# What the tradition says, from the checked-in copy of the main table.
/usr/bin/python3 - "$here/../calendar/namedays.golden" "$from" "$to" >"$work/expected" <<'PY'
import calendar, datetime, sys
table = {}
for line in open(sys.argv[1], encoding="utf-8"):
    if line[:2].isdigit() and line[2] == "-":
        key, _, names = line.rstrip("\n").partition("\t")
        if names:
            table[key] = names
day = datetime.date.fromisoformat(sys.argv[2])
end = datetime.date.fromisoformat(sys.argv[3])
while day <= end:
    m, d = day.month, day.day
    if calendar.isleap(day.year) and m == 2 and d >= 24:
        d = None if d == 24 else d - 1
    key = None if d is None else f"{m:02d}-{d:02d}"
    if key in table:
        print(day.isoformat(), table[key] + " névnapja")
    day += datetime.timedelta(days=1)
PY
[ "$(grep -c '^2028-02-25 Mátyás' "$work/expected")" -eq 1 ] || fail "the expectation itself is wrong"

# python3-icalendar reads the file, dateutil expands each rule.
/usr/bin/python3 - "$work/nevnapok.ics" "$from" "$to" >"$work/dateutil" <<'PY' || fail "dateutil failed"
import datetime, icalendar, sys
from dateutil.rrule import rrulestr
cal = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
start = datetime.datetime.fromisoformat(sys.argv[2])
end = datetime.datetime.fromisoformat(sys.argv[3])
for e in cal.walk("VEVENT"):
    first = e.decoded("DTSTART")
    first = datetime.datetime(first.year, first.month, first.day)
    rule = rrulestr(e["RRULE"].to_ical().decode(), dtstart=first)
    for when in rule.between(start, end, inc=True):
        print(when.date().isoformat(), str(e["SUMMARY"]))
PY
sort -o "$work/dateutil" "$work/dateutil"
sort -o "$work/expected" "$work/expected"
diff "$work/expected" "$work/dateutil" >"$work/diff" || { head -20 "$work/diff"; fail "dateutil puts name days elsewhere"; }
echo "namedays: dateutil agrees over $(wc -l <"$work/expected") days"

command -v khal >/dev/null || fail "khal is not installed"
mkdir -p "$work/vdir" "$work/khal-data"
cat >"$work/khal.conf" <<K
[calendars]
[[nevnapok]]
path = $work/vdir
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
[sqlite]
path = $work/khal-data/khal.db
K
khal -c "$work/khal.conf" import --batch -a nevnapok "$work/nevnapok.ics" >"$work/khal" 2>&1 ||
    { cat "$work/khal"; fail "khal does not import the name days"; }
khal -c "$work/khal.conf" list --day-format '' --format '{start-date} {title}' "$from" "$to" \
    >"$work/khal" 2>&1 || { cat "$work/khal"; fail "khal failed on the name days"; }
grep -v '^$' "$work/khal" | sort >"$work/khal.sorted"
diff "$work/expected" "$work/khal.sorted" >"$work/diff" || { head -20 "$work/diff"; fail "khal puts name days elsewhere"; }
echo "namedays: khal agrees over $(wc -l <"$work/expected") days"
