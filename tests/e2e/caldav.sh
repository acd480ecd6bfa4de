#!/usr/bin/env bash
# The book against a real CalDAV server (Radicale, or Xandikos when the second argument says so, on
# a free loopback port, a folder of its own, no accounts) and a second device of our own (caldav_device.py, over HTTP, reading with
# python3-icalendar): every kind of reminder arrives with its repeat and alarm; what the other
# device adds, changes and deletes comes back into remembers.txt; a change on both sides keeps
# both; a round that lost its server loses nothing; a running copy takes --sync; a copy killed
# after a round loses and doubles nothing; a phone that drops the program's properties, moves an
# alarm, calls a meeting off and deletes one occurrence; hostile items on the server; the name-day file in
# python3-icalendar and khal.
set -Eeuo pipefail
[ -n "${E2E_DEBUG:-}" ] && set -x
bin="$1"
kind="${2:-radicale}"
here="$(cd "$(dirname "$0")" && pwd)"
device="$here/caldav_device.py"
fail() { echo "caldav ($kind): $*"; cat "$work/server.log" 2>/dev/null | tail -n 20; exit 1; }
trap 'echo "caldav: a step failed at line $LINENO: $BASH_COMMAND"' ERR
command -v "$kind" >/dev/null || fail "$kind is not installed"
/usr/bin/python3 -c 'import icalendar' || fail "python3-icalendar is not installed"

work=$(mktemp -d)
server=""
stop_server() { [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null; server=""; }
cleanup() {
    stop_server || true
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null
    if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
if [ "$kind" = radicale ]; then home="http://127.0.0.1:$port/eva/"; else home="http://127.0.0.1:$port/user/calendars/"; fi
url="${home}naptar/"
start_server() {
    if [ "$kind" = radicale ]; then
        radicale -C "" -H "127.0.0.1:$port" --storage-filesystem-folder "$work/server" \
            --auth-type none >>"$work/server.log" 2>&1 &
    else
        xandikos --defaults -d "$work/server" -l 127.0.0.1 -p "$port" >>"$work/server.log" 2>&1 &
    fi
    server=$!
    for _ in $(seq 50); do
        curl -s -o /dev/null "http://127.0.0.1:$port/" && return 0
        sleep 0.1
    done
    fail "$kind did not start"
}
start_server
[ "$kind" = radicale ] && { curl -sf -X MKCOL "$home" -o /dev/null || true; }
curl -sf -X MKCALENDAR "$url" -o /dev/null || fail "no calendar on the server"

export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 TZ=Europe/Budapest
book="$XDG_DATA_HOME/Zelmarin/Quillomat/remembers.txt"
mkdir -p "$(dirname "$book")" "$XDG_CONFIG_HOME/Zelmarin/Quillomat"
printf '%s\r\n' \
    'n|Kiss|Ábel|*|január|2|08|00| január 2.| |1|0|' \
    's|Nagy|Éva|*|május|10|07|30|május 10.| |1|1|' \
    't|Értekezlet|Győr|2027|március|15|09|30|2027. március 15. 10:00| |1|2|' \
    'm|Gázóra|123|*|*|5|18|00| | |0|3|' \
    'e| | |*|március|*|07|15| |Gyógyszer, reggel|1|4|' \
    'e| | |*|*|1|*|45| |Óránként az elsején|1|5|' | iconv -f utf-8 -t cp1250 >"$book"
settings="$XDG_CONFIG_HOME/Zelmarin/Quillomat/beallitasok.conf"
printf 'caldav_cim=%s\ncaldav_felhasznalo=eva\ncaldav_jelszoparancs=printf titok\n' "$url" >"$settings"
text() { iconv -f cp1250 -t utf-8 "$book"; }
edit_book() { # sed program: another program changes the file
    text | sed "$1" | iconv -f utf-8 -t cp1250 >"$work/edited"
    cat "$work/edited" >"$book"
}
sync_ok() { "$bin/quillomat" --sync >"$work/out" 2>&1 || { cat "$work/out"; fail "$1"; }; }
passed=0
# What the other device lists, searched whole (a grep that stops early would break its pipe).
on_server() { "$device" "$url" list >"$work/listed"; grep "$@" "$work/listed"; }
ok() { echo "$1: ok"; passed=$((passed + 1)); }

# 1. Every kind arrives, with its repeat and its alarm at the minute (none while switched off):
# a name day and a birthday on their day, a meeting at its time, the alarm before them.
sync_ok "first sync"
"$device" "$url" list >"$work/events"
[ "$(wc -l <"$work/events")" -eq 6 ] || { cat "$work/events"; fail "not six events"; }
/usr/bin/python3 - "$work/events" <<'PY' || fail "events are not as the book says"
import json, sys
events = {e["summary"]: e for e in map(json.loads, open(sys.argv[1]))}
want = {
    "Névnap: Kiss Ábel": ("FREQ=YEARLY", "-01-02", ["PT8H"]),
    "Születésnap: Nagy Éva": ("FREQ=YEARLY", "-05-10", ["PT7H30M"]),
    "Találkozó: Értekezlet Győr": ("", "2027-03-15T10:00:00+01:00", ["-PT30M"]),
    "Mérőóraállás bejelentés: Gázóra 123": ("FREQ=MONTHLY", "-05T18:00:00+01:00", []),
    "Gyógyszer, reggel": ("FREQ=DAILY;BYMONTH=3", "-03-01T07:15:00+01:00", ["P0D"]),
    "Óránként az elsején": ("FREQ=HOURLY;BYMONTHDAY=1", "-01T00:45:00+01:00", ["P0D"]),
}
for summary, (rule, start, alarms) in want.items():
    e = events[summary]
    assert e["rrule"] == rule, (summary, e)
    assert e["dtstart"].endswith(start), (summary, e)
    assert e["alarms"] == alarms, (summary, e)
    assert e["row"].count("|") == 12, (summary, e)
PY
ok "every kind on the server"

# 2. The other device changes one, adds one, deletes one, and adds one no row can hold.
"$device" "$url" edit "Gyógyszer, reggel" "SUMMARY=Gyógyszer, este" "DTSTART=20270301T201500"
"$device" "$url" edit "Születésnap: Nagy Éva" "SUMMARY=Születésnap: Nagy Éva Anna"
"$device" "$url" put vonat "Vonat Bécsbe" 20270110T170000
"$device" "$url" put edzes "Edzés" 20270111T180000 "FREQ=WEEKLY;BYDAY=MO"
"$device" "$url" delete "Találkozó: Értekezlet Győr"
sync_ok "second sync"
text >"$work/book"
grep -q '^e| | |\*|március|\*|20|15| |Gyógyszer, este|1|' "$work/book" || fail "the change did not come"
grep -q '^s|Nagy|Éva Anna|\*|május|10|07|30|' "$work/book" || fail "the retyped name did not come"
grep -q '|Vonat Bécsbe|' "$work/book" || fail "the addition did not come"
! grep -q 'Értekezlet' "$work/book" || fail "the deletion did not come"
! grep -q 'Edzés' "$work/book" || fail "a weekly event became a reminder"
grep -q 'Edzés' "$work/out" || fail "the weekly event was not listed"
on_server -q '"summary": "Edzés"' || fail "the weekly event left the server"
on_server -q '"summary": "Vonat Bécsbe".*"row": ""' || fail "the device's event was rewritten"
ok "changes, additions and deletions come back"

# 3. The same reminder changed on both sides: both versions stay, on both sides.
edit_book 's/^n|Kiss|Ábel|\*|január|2|08|00|/n|Kiss|Ábel|*|január|2|09|00|/'
"$device" "$url" edit "Névnap: Kiss Ábel" "TRIGGER=PT6H" # the alarm at 6:00 of the day
sync_ok "both-sides sync"
text >"$work/book"
grep -q '^n|Kiss|Ábel|\*|január|2|09|00|' "$work/book" || fail "this side's version is lost"
grep -q '^n|Kiss|Ábel|\*|január|2|06|00|' "$work/book" || fail "the other side's version is lost"
grep -q 'mindkét' "$work/out" || fail "the user was not told"
sync_ok "sync after the conflict"
[ "$(on_server -c '"summary": "Névnap: Kiss Ábel"')" -eq 2 ] || fail "not both on the server"
ok "a change on both sides keeps both"

# 4. No server: the book stays as it was, the user is told, the exit status says so.
stop_server
before=$(md5sum <"$book")
if "$bin/quillomat" --sync >"$work/out" 2>&1; then fail "a sync without a server succeeded"; fi
grep -q 'nem fogadja a kapcsolatot' "$work/out" || { cat "$work/out"; fail "not told why"; }
[ "$(md5sum <"$book")" = "$before" ] || fail "the book changed"
ok "no server: nothing changes, the user is told"

# 5. The server goes as the round starts (the password command stops it), with a change made on
# each side: nothing is lost; the next round does the work.
start_server
"$device" "$url" edit "Vonat Bécsbe" "SUMMARY=Vonat Grazba"
edit_book 's/^m|\(.*\)|0|\([0-9]*\)|\r$/m|\1|1|\2|\r/' # the meter reading switched on here
cat >"$work/password" <<SH
kill $server
sleep 0.5
printf titok
SH
printf 'caldav_cim=%s\ncaldav_felhasznalo=eva\ncaldav_jelszoparancs=sh %s\n' "$url" "$work/password" >"$settings"
if "$bin/quillomat" --sync >"$work/out" 2>&1; then fail "a sync that lost its server succeeded"; fi
wait "$server" 2>/dev/null || true
server=""
text >"$work/book"
grep -q 'nem fogadja a kapcsolatot' "$work/out" || { cat "$work/out"; fail "the stop was not told"; }
grep -q '^m|Gázóra|123|\*|\*|5|18|00| | |1|' "$work/book" || fail "this side's change is lost"
start_server
printf 'caldav_cim=%s\ncaldav_felhasznalo=eva\ncaldav_jelszoparancs=printf titok\n' "$url" >"$settings"
sync_ok "sync after the stop"
text >"$work/book"
grep -q '|Vonat Grazba|' "$work/book" || fail "the other side's change did not come"
on_server -q '"summary": "Mérőóraállás bejelentés: Gázóra 123", .*"alarms": \["P0D"\]' ||
    fail "this side's change did not reach the server"
ok "the server stopped in the middle loses nothing"

# 6. A running copy takes --sync over and syncs itself: the program running, the other device
# adding an event, --sync handed to the running copy, and the event saved in the book.
copy_syncs_addition() { # file name, summary, start
    "$bin/quillomat" >"$work/app.log" 2>&1 &
    app=$!
    # Running once it holds the file's lock, listening a moment later.
    for _ in $(seq 100); do ls -l /proc/$app/fd 2>/dev/null | grep -q 'remembers.txt.lock' && break; sleep 0.1; done
    sleep 1
    "$device" "$url" put "$1" "$2" "$3"
    "$bin/quillomat" --sync >"$work/out" 2>&1 || { cat "$work/out"; fail "no hand-over"; }
    grep -q 'futó Quillomat' "$work/out" || fail "not handed over"
    for _ in $(seq 100); do text | grep -q "$2" && break; sleep 0.1; done
    text | grep -q "$2" || fail "the running copy did not sync"
}
copy_syncs_addition mozi "Mozi" 20270201T190000
kill "$app"; wait "$app" 2>/dev/null || true; app=""
ok "a running copy takes --sync"
# A copy killed right after a round that brought something: the addition is in the book once and
# stays on the server; the next round doubles nothing. The kill may land after the book was saved
# and before its UIDs and the agreement followed: here they are put back as they were before the
# round, so it does.
agreement=$(ls "$XDG_STATE_HOME"/Zelmarin/Quillomat/naptar-*/egyeztetes-*)
cp "$book.uid" "$work/uids-before"
cp "$agreement" "$work/agreement-before"
copy_syncs_addition szinhaz "Színház" 20270301T190000
kill -KILL "$app"; wait "$app" 2>/dev/null || true; app=""
cp "$work/uids-before" "$book.uid"
cp "$work/agreement-before" "$agreement"
sync_ok "sync after a killed copy"
text >"$work/book"
on_server -q '"summary": "Színház"' || fail "the addition left the server"
[ "$(grep -c '|Színház|' "$work/book")" -eq 1 ] || fail "the addition is not there once"
[ "$(on_server -c '"summary": "Színház"')" -eq 1 ] || fail "the addition doubled on the server"
ok "a killed copy loses and doubles nothing"
# 7. A phone rewrites the program's events the way phone programs do: its own properties dropped
# (the kind's category too, in one case), an alarm moved, a meeting called off, one occurrence
# deleted, a title retyped. The kinds and times stay, the alarm moves the alert only, the called-off
# meeting is switched off, and the reminder with a deleted occurrence still takes changes made here.
add_rows() { { text; printf '%s\r\n' "$@"; } | iconv -f utf-8 -t cp1250 >"$work/edited"; cat "$work/edited" >"$book"; }
add_rows 'n|Tóth|Kristóf|*|március|15|08|00| március 15.| |1|40|' \
    's|Szabó|Anna|*|június|3|07|00|június 3.| |0|41|' \
    't|Fogorvos|Pécs|2027|április|20|13|30|2027. április 20. 14:00| |1|42|' \
    't|Tárgyalás|Szeged|2027|május|6|09|00|2027. május 6. 09:30| |1|43|' \
    'e| | |*|*|*|06|30| |Torna|1|44|'
sync_ok "sync of the phone's events"
on_server -q '"summary": "Torna"' || fail "the new rows did not reach the server"
"$device" "$url" phone "Névnap: Tóth Kristóf"
"$device" "$url" phone "Születésnap: Szabó Anna" nocategories "SUMMARY=Születésnap: Szabó Anna Mária"
"$device" "$url" phone "Találkozó: Fogorvos Pécs" "TRIGGER=-PT15M"
"$device" "$url" phone "Találkozó: Tárgyalás Szeged" "STATUS=CANCELLED"
"$device" "$url" phone "Torna" "EXDATE=1"
! on_server -q '"summary": "Torna".*"row": "[^"]' || fail "the phone kept the program's properties"
for round in 1 2; do
    sync_ok "sync after the phone's rewrite ($round)"
    text >"$work/book"
    grep -q '^n|Tóth|Kristóf|\*|március|15|08|00| március 15\.| |1|' "$work/book" ||
        fail "the name day lost its kind or dates"
    grep -q '^s|Szabó|Anna Mária|\*|június|3|07|00|június 3\.| |0|' "$work/book" ||
        fail "the switched-off birthday lost its kind, its time or its switch"
    grep -q '^t|Fogorvos|Pécs|2027|április|20|13|45|2027\. április 20\. 14:00| |1|' "$work/book" ||
        fail "the alarm moved the meeting, not its alert"
    grep -q '^t|Tárgyalás|Szeged|2027|május|6|09|00|.*| |0|' "$work/book" ||
        fail "the called-off meeting is still active"
    grep -q '^e| | |\*|\*|\*|06|30| |Torna|1|' "$work/book" || fail "the deleted occurrence cut the reminder"
    [ "$(grep -c 'Tóth\|Szabó\|Fogorvos\|Tárgyalás\|Torna' "$work/book")" -eq 5 ] || fail "doubled"
done
on_server -q '"summary": "Találkozó: Fogorvos Pécs", "dtstart": "2027-04-20T14:00:00+02:00".*"alarms": \["-PT15M"\]' ||
    fail "the meeting moved on the server"
on_server -q '"summary": "Névnap: Tóth Kristóf", "dtstart": "[0-9]*-03-15"' || fail "the name day moved on the server"
on_server -q '"summary": "Találkozó: Tárgyalás Szeged".*"status": "CANCELLED"' || fail "the call-off left the server"
edit_book 's/^e| | |\*|\*|\*|06|30| |Torna|/e| | |*|*|*|07|00| |Torna|/'
sync_ok "sync of a change after the deleted occurrence"
on_server -q '"summary": "Torna", "dtstart": "[-0-9]*T07:00:00+01:00"' || fail "the change here did not reach the server"
edit_book '/|Torna|/d'
sync_ok "sync of a deletion after the deleted occurrence"
! on_server -q '"summary": "Torna"' || fail "the deletion here did not reach the server"
! text | grep -q 'Torna' || fail "the deleted reminder came back"
ok "a phone's way of writing keeps kinds, times and the reminder's link"

# 8. Hostile items on the server: a rule of every second, one of 9 MB, and more events than the
# book has rows. The round ends, the book keeps 51 rows at most, and nothing is taken off the
# server.
hostile() { # name, lines of the event
    local name=$1
    shift
    { printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:%s\r\n' "$name"
      printf 'DTSTAMP:20270101T000000Z\r\n'
      printf '%s\r\n' "$@"
      printf 'END:VEVENT\r\nEND:VCALENDAR\r\n'; } >"$work/$name.ics"
    curl -sf -X PUT -H 'Content-Type: text/calendar' --data-binary "@$work/$name.ics" \
        "$url$name.ics" -o /dev/null || fail "the server refused $name"
}
hostile masodpercenkent 'DTSTART:20270301T080000' 'SUMMARY:Másodpercenként' 'RRULE:FREQ=SECONDLY'
hostile orias 'DTSTART:20270302T080000' 'SUMMARY:Óriás' \
    "DESCRIPTION:$(head -c 9000000 /dev/zero | tr '\0' x)"
for i in $(seq 50); do hostile "sok$i" "DTSTART:20270401T08$(printf %02d $((i % 60)))00" "SUMMARY:Sok $i"; done
sync_ok "sync with hostile items"
text >"$work/book"
[ "$(wc -l <"$work/book")" -le 51 ] || fail "more than 51 rows"
grep -Eq 'Sok [0-9]+[|]' "$work/book" || fail "nothing of the many came in" # which ones: the server's order
! grep -q 'Másodpercenként\|Óriás' "$work/book" || fail "a hostile item became a reminder"
grep -q 'Másodpercenként' "$work/out" || { cat "$work/out"; fail "the rule of every second was not listed"; }
for n in masodpercenkent orias sok50; do
    curl -sf "$url$n.ics" -o /dev/null || fail "$n left the server"
done
sync_ok "sync after the hostile items"
ok "hostile items on the server"

# 9. The name-day file of nevnap --ical read by other programs: python3-icalendar and khal.
"$bin/nevnap" --ical "$work/nevnapok.ics" || fail "nevnap --ical failed"
/usr/bin/python3 - "$work/nevnapok.ics" <<'PY' || fail "python3-icalendar reads the name days otherwise"
import icalendar, sys
cal = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
events = [c for c in cal.walk() if c.name == "VEVENT"]
assert len(events) == 365, len(events)
assert all(e["RRULE"]["FREQ"] == ["YEARLY"] for e in events)
byday = {e.decoded("DTSTART").strftime("%m-%d"): str(e["SUMMARY"]) for e in events}
assert byday["03-15"] == "Kristóf névnapja", byday["03-15"]
assert len({str(e["UID"]) for e in events}) == 365
PY
if command -v khal >/dev/null; then
    mkdir -p "$work/nevnapok"
    cat >"$work/khal-nevnap.conf" <<K
[calendars]
[[konyv]]
path = $work/nevnapok
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
K
    khal -c "$work/khal-nevnap.conf" import --batch -a konyv "$work/nevnapok.ics" >"$work/khal" 2>&1 ||
        { cat "$work/khal"; fail "khal does not import the name days"; }
    [ "$(ls "$work/nevnapok" | wc -l)" -eq 365 ] || fail "khal did not take every name day"
    khal -c "$work/khal-nevnap.conf" list 2027-03-15 2027-03-15 >"$work/khal" 2>&1 ||
        { cat "$work/khal"; fail "khal failed on the name days"; }
    grep -q 'Kristóf névnapja' "$work/khal" || { cat "$work/khal"; fail "khal does not read the name days"; }
fi
ok "the name days in other programs"
echo "caldav ($kind): $passed steps passed"
