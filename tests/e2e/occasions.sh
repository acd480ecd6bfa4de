#!/bin/bash
# Reminders and birthdays as other programs expand them. The program's events (a name day and a
# birthday on their day, a meeting at its time, the alert as an alarm before it; the alert minute
# itself where the row tells no occasion) read with python3-icalendar and expanded with dateutil
# must ring at exactly the minutes the program's own alert rule rings, over two years; khal must
# show the same occasions. A birthday on 29 February falls on 28 February or 1 March of a common
# year, as the setting says, in both.
set -u
bin=${1:?usage: occasions.sh BIN_DIR ICALSAMPLE}
sample=${2:?usage: occasions.sh BIN_DIR ICALSAMPLE}
export TZ=Europe/Budapest
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "occasions: $*" >&2; exit 1; }
from=2027-01-01
to=2028-12-31
[ -x "$bin/nevnap" ] || fail "no program in $bin"

cat >"$work/rows.txt" <<'ROWS'
n|Kiss|Ábel|*|november|1|08|00|november 2.| |1|0|
n|Kovács|Ödön|2027|március|14|18|30|márc 15.| |1|1|
n|Tóth|Mátyás|*|február|23|08|00|február 24.| |1|2|
s|Nagy|Éva|*|május|1|08|05|május 1.| |1|3|
s|Szökő|Ugró|*|február|28|08|00|február 29.| |1|4|
t|Ebéd|Budapest|2027|március|15|13|30|2027. március 15. 14:30| |1|5|
t|Vacsora|Győr|2027|március|27|14|30|2027. március 28. 14:30| |1|6|
t|Mozi|Pécs|2027|október|30|20|00|2027. október 31. 19:00| |1|7|
m|Gázóra|12345|*|*|5|18|30| | |1|8|
e| | |*|*|*|07|15| |Gyógyszer|1|9|
e| | |2027|*|*|21|00| |Vitamin|1|10|
e| | |*|március|15|*|45| |Óránként|1|11|
ROWS
"$sample" reminders "$work/rows.txt" 2026-12-07 "$work/rows.ics" || fail "the reminders were not written"

# The minutes the program's alert rule rings: each "*" any value, fixed fields as they are.
/usr/bin/python3 - "$work/rows.txt" "$from" "$to" >"$work/expected" <<'PY'
import datetime, sys
months = ["január", "február", "március", "április", "május", "június", "július",
          "augusztus", "szeptember", "október", "november", "december"]
first = datetime.date.fromisoformat(sys.argv[2])
last = datetime.date.fromisoformat(sys.argv[3])
for line in open(sys.argv[1], encoding="utf-8"):
    f = line.rstrip("\n").split("|")
    title = f[9] if f[0] == "e" else f[1]
    day = first
    while day <= last:
        if ((f[3] == "*" or int(f[3]) == day.year)
                and (f[4] == "*" or months.index(f[4]) + 1 == day.month)
                and (f[5] == "*" or int(f[5]) == day.day)):
            for hour in (range(24) if f[6] == "*" else [int(f[6])]):
                print(f"{day.isoformat()} {hour:02d}:{f[7]} {title}")
        day += datetime.timedelta(days=1)
PY

# python3-icalendar reads the file, dateutil expands each rule, the alarm is added.
/usr/bin/python3 - "$work/rows.ics" "$from" "$to" "$work/occurrences" >"$work/dateutil" <<'PY' ||
import datetime, icalendar, sys, zoneinfo
from dateutil.rrule import rrulestr
here = zoneinfo.ZoneInfo("Europe/Budapest")
cal = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
first = datetime.datetime.fromisoformat(sys.argv[2])
last = datetime.datetime.fromisoformat(sys.argv[3]) + datetime.timedelta(days=1)
occurrences = open(sys.argv[4], "w", encoding="utf-8")
def local(t):
    return t.astimezone(here).replace(tzinfo=None) if t.tzinfo else t
for e in cal.walk("VEVENT"):
    start = e.decoded("DTSTART")
    all_day = not isinstance(start, datetime.datetime)
    if all_day:
        start = datetime.datetime(start.year, start.month, start.day)
    elif "TZID" in e["DTSTART"].params:
        # Expanded in the zone's wall time, as calendar programs do.
        start = start.replace(tzinfo=None).replace(tzinfo=zoneinfo.ZoneInfo(e["DTSTART"].params["TZID"]))
    times = [start]
    if "RRULE" in e:
        rule = rrulestr(e["RRULE"].to_ical().decode(), dtstart=start)
        lo = start.replace(year=first.year - 1, month=1, day=1, hour=0, minute=0)
        times = rule.between(lo, lo.replace(year=last.year + 1), inc=True)
    title = str(e["SUMMARY"]).split(": ", 1)[-1].split(" ")[0]
    for t in times:
        when = t.date().isoformat() if all_day else local(t).strftime("%Y-%m-%d %H:%M")
        if first <= local(t) < last:
            print(when, title, file=occurrences)
        for alarm in e.walk("VALARM"):
            trigger = alarm.decoded("TRIGGER")
            ring = local(trigger) if isinstance(trigger, datetime.datetime) else local(t + trigger)
            if first <= ring < last:
                print(ring.strftime("%Y-%m-%d %H:%M"), title)
PY
    fail "dateutil failed"
sort -o "$work/dateutil" "$work/dateutil"
sort -o "$work/expected" "$work/expected"
diff "$work/expected" "$work/dateutil" >"$work/diff" ||
    { head -20 "$work/diff"; fail "dateutil rings at other minutes than the program"; }
echo "occasions: dateutil rings at the program's $(wc -l <"$work/expected") minutes"

command -v khal >/dev/null || fail "khal is not installed"
khal_list() { # ICS: every occurrence from $from to $to as "date [time] title"
    rm -rf "$work/vdir" "$work/khal-data"
    mkdir -p "$work/vdir" "$work/khal-data"
    cat >"$work/khal.conf" <<K
[calendars]
[[minta]]
path = $work/vdir
[locale]
local_timezone = Europe/Budapest
default_timezone = Europe/Budapest
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
[sqlite]
path = $work/khal-data/khal.db
K
    khal -c "$work/khal.conf" import --batch -a minta "$1" >"$work/khal.log" 2>&1 ||
        { cat "$work/khal.log"; fail "khal does not import $1"; }
    khal -c "$work/khal.conf" list --day-format '' --format '{start} {title}' "$from" "$to" \
        2>"$work/khal.log" | grep -v '^$' || { cat "$work/khal.log"; fail "khal failed on $1"; }
}
# khal's titles cut as dateutil's: the first word after the kind.
khal_list "$work/rows.ics" | sed -E 's/^([0-9-]+( [0-9:]+)?) ([^:]*: )?([^ ]*).*/\1 \4/' |
    sort -u >"$work/khal"
sort -u -o "$work/occurrences" "$work/occurrences"
diff "$work/occurrences" "$work/khal" >"$work/diff" ||
    { head -20 "$work/diff"; fail "khal shows the reminders elsewhere"; }
grep -q '^2027-11-02 Kiss$' "$work/khal" || fail "the name day is not on its day"
grep -q '^2027-03-15 14:30 Ebéd$' "$work/khal" || fail "the meeting is not at its time"
echo "occasions: khal shows the same $(wc -l <"$work/khal") occasions"

# A birthday on 29 February, as the setting keeps it in common years.
cat >"$work/people.vcf" <<'VCF'
BEGIN:VCARD
VERSION:3.0
N:Szökő;Ugró;;;
FN:Szökő Ugró
BDAY:1980-02-29
END:VCARD
VCF
for rule in february28 march1; do
    "$sample" people "$work/people.vcf" "$rule" "$work/$rule.ics" || fail "no birthdays written"
    /usr/bin/python3 - "$rule" >"$work/expected" <<'PY'
import calendar, sys
for year in range(2027, 2029):
    day = "02-29" if calendar.isleap(year) else ("03-01" if sys.argv[1] == "march1" else "02-28")
    print(f"{year}-{day} Szökő Ugró születésnapja")
PY
    /usr/bin/python3 - "$work/$rule.ics" "$from" "$to" >"$work/dateutil" <<'PY' ||
import datetime, icalendar, sys
from dateutil.rrule import rrulestr
cal = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
first = datetime.datetime.fromisoformat(sys.argv[2])
last = datetime.datetime.fromisoformat(sys.argv[3])
for e in cal.walk("VEVENT"):
    if "születésnapja" not in str(e["SUMMARY"]):
        continue
    start = e.decoded("DTSTART")
    start = datetime.datetime(start.year, start.month, start.day)
    for t in rrulestr(e["RRULE"].to_ical().decode(), dtstart=start).between(first, last, inc=True):
        print(t.date().isoformat(), str(e["SUMMARY"]))
PY
        fail "dateutil failed on the birthdays"
    diff "$work/expected" "$work/dateutil" >"$work/diff" ||
        { cat "$work/diff"; fail "dateutil keeps 29 February elsewhere ($rule)"; }
    khal_list "$work/$rule.ics" | grep 'születésnapja' >"$work/khal"
    diff "$work/expected" "$work/khal" >"$work/diff" ||
        { cat "$work/diff"; fail "khal keeps 29 February elsewhere ($rule)"; }
    echo "occasions: 29 February by the $rule rule, dateutil and khal agree"
done
