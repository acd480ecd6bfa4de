#!/usr/bin/python3
"""A second device on a CalDAV calendar: lists, changes, adds and deletes events over HTTP, and
reads them with python3-icalendar, as another calendar program would.

  caldav_device.py URL list                 one JSON object an event, sorted by summary
  caldav_device.py URL put NAME SUMMARY DTSTART [RRULE]
  caldav_device.py URL edit SUMMARY FIELD=VALUE...   (SUMMARY, DTSTART of the event so named;
                                                      TRIGGER of its alarms)
  caldav_device.py URL delete SUMMARY
  caldav_device.py URL phone SUMMARY [nocategories] FIELD=VALUE...
                       the event so named written back the way phone programs write: every X-
                       property dropped (CATEGORIES too with "nocategories"), then SUMMARY,
                       STATUS, TRIGGER of its alarms (one added where none) and EXDATE=N (the
                       occurrence N days after the start deleted) changed
"""
import datetime
import json
import sys
import urllib.request
import xml.etree.ElementTree as ET

import icalendar


def request(method, url, body=None, headers=None):
    req = urllib.request.Request(url, data=body, method=method, headers=headers or {})
    with urllib.request.urlopen(req, timeout=10) as answer:
        return answer.read()


def items(url):
    body = b'<?xml version="1.0"?><propfind xmlns="DAV:"><prop><getetag/></prop></propfind>'
    tree = ET.fromstring(request("PROPFIND", url, body, {"Depth": "1", "Content-Type": "application/xml"}))
    base = url.split("/", 3)
    for href in tree.iter("{DAV:}href"):
        if href.text.endswith(".ics"):
            item = base[0] + "//" + base[2] + href.text
            yield item, icalendar.Calendar.from_ical(request("GET", item))


def event_of(cal):
    return next(iter(cal.walk("VEVENT")))


def describe(cal):
    ev = event_of(cal)
    alarms = [str(a.get("TRIGGER").to_ical(), "ascii") for a in ev.walk("VALARM")]
    rrule = ev.get("RRULE")
    return {
        "uid": str(ev.get("UID")),
        "summary": str(ev.get("SUMMARY")),
        "dtstart": ev.decoded("DTSTART").isoformat(),
        "rrule": str(rrule.to_ical(), "ascii") if rrule else "",
        "alarms": alarms,
        "row": str(ev.get("X-QUILLOMAT-ROW", "")),
        "status": str(ev.get("STATUS", "")),
        "exdates": len(ev.get("EXDATE", [])) if isinstance(ev.get("EXDATE"), list) else int("EXDATE" in ev),
    }


def find(url, summary):
    for item, cal in items(url):
        if str(event_of(cal).get("SUMMARY")) == summary:
            return item, cal
    sys.exit("no event " + summary)


def drop_own_properties(component, categories):
    for key in list(component.keys()):
        if key.startswith("X-") or (categories and key == "CATEGORIES"):
            del component[key]
    for sub in component.subcomponents:
        drop_own_properties(sub, categories)


def phone(url, summary, args):
    item, cal = find(url, summary)
    ev = event_of(cal)
    drop_categories = bool(args) and args[0] == "nocategories"
    drop_own_properties(cal, drop_categories)
    cal["PRODID"] = "-//Telefon//Naptar 1.0//HU"
    for change in args[1 if drop_categories else 0:]:
        key, value = change.split("=", 1)
        if key == "TRIGGER":  # "15 minutes before"
            alarms = list(ev.walk("VALARM")) or [icalendar.Alarm()]
            if not ev.walk("VALARM"):
                alarms[0].add("ACTION", "DISPLAY")
                alarms[0].add("DESCRIPTION", "Emlékeztető")
                ev.add_component(alarms[0])
            for alarm in alarms:
                alarm.pop("TRIGGER", None)
                alarm.add("TRIGGER", icalendar.vDuration.from_ical(value))
        elif key == "EXDATE":  # "delete only this occurrence"
            ev.add("EXDATE", ev.decoded("DTSTART") + datetime.timedelta(days=int(value)))
        else:
            ev.pop(key, None)
            ev.add(key, value)
    ev.pop("DTSTAMP", None)
    ev.add("DTSTAMP", datetime.datetime.now(datetime.timezone.utc))
    request("PUT", item, cal.to_ical(), {"Content-Type": "text/calendar"})


def main():
    url, command, args = sys.argv[1], sys.argv[2], sys.argv[3:]
    if command == "list":
        for event in sorted((describe(c) for _, c in items(url)), key=lambda e: e["summary"]):
            print(json.dumps(event, ensure_ascii=False))
    elif command == "put":
        name, summary, start = args[0], args[1], args[2]
        cal = icalendar.Calendar()
        cal.add("VERSION", "2.0")
        cal.add("PRODID", "-//Masik eszkoz//HU")
        ev = icalendar.Event()
        ev.add("UID", name + "@masik.example")
        ev.add("DTSTAMP", icalendar.vDatetime.from_ical("20261201T100000Z"))
        ev["DTSTART"] = icalendar.vDDDTypes(icalendar.vDatetime.from_ical(start))
        ev.add("SUMMARY", summary)
        ev.add("LOCATION", "Otthon")
        if len(args) > 3:
            ev.add("RRULE", icalendar.vRecur.from_ical(args[3]))
        cal.add_component(ev)
        request("PUT", url + name + ".ics", cal.to_ical(), {"Content-Type": "text/calendar"})
    elif command == "edit":
        item, cal = find(url, args[0])
        ev = event_of(cal)
        for change in args[1:]:
            key, value = change.split("=", 1)
            if key == "TRIGGER":  # the alarm, as a phone's "2 hours before"
                for alarm in ev.walk("VALARM"):
                    del alarm["TRIGGER"]
                    alarm.add("TRIGGER", icalendar.vDuration.from_ical(value))
                continue
            del ev[key]
            if key == "DTSTART":
                ev["DTSTART"] = icalendar.vDDDTypes(icalendar.vDatetime.from_ical(value))
            else:
                ev.add(key, value)
        request("PUT", item, cal.to_ical(), {"Content-Type": "text/calendar"})
    elif command == "phone":
        phone(url, args[0], args[1:])
    elif command == "delete":
        item, _ = find(url, args[0])
        request("DELETE", item)


main()
