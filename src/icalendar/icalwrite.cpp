#include "icalwrite.h"

#include <QTimeZone>

namespace quill::ical {

namespace {

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

icaltimetype wallTime(const QDateTime &at, bool allDay)
{
    icaltimetype t = icaltime_null_time();
    t.year = at.date().year();
    t.month = at.date().month();
    t.day = at.date().day();
    if (allDay) {
        t.is_date = 1;
    } else {
        t.hour = at.time().hour();
        t.minute = at.time().minute();
        t.second = at.time().second();
    }
    return t;
}

// A wall-clock time of this computer as iCalendar says it: in its zone (TZID), or in UTC where
// libical knows no such zone; never floating.
icalproperty *zonedTime(icalproperty *p, const QDateTime &at, icaltimezone *zone)
{
    if (zone) {
        icalproperty_set_value(p, icalvalue_new_datetime(wallTime(at, false)));
        icalproperty_add_parameter(
            p, icalparameter_new_tzid(QTimeZone::systemTimeZoneId().constData()));
    } else {
        const icaltimetype utc = icaltime_from_timet_with_zone(time_t(at.toSecsSinceEpoch()), 0,
                                                               icaltimezone_get_utc_timezone());
        icalproperty_set_value(p, icalvalue_new_datetime(utc));
    }
    return p;
}

// The row in a property of the program's own, written so that no reader's escaping rules can
// change it: what iCalendar or a reader could take for syntax is percent-encoded.
QByteArray rowValue(const QString &row)
{
    QByteArray out;
    for (const char c : row.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '%' || c == '\\' || c == ';' || c == ',' || c == ':' ||
            c == '"')
            out += '%' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out;
}

icalcomponent *alarmComponent(const CalendarEvent &e)
{
    icalcomponent *alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm,
                               textProperty(ICAL_DESCRIPTION_PROPERTY,
                                            e.description.isEmpty() ? e.summary : e.description));
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    if (e.alarmAt.isValid())
        trigger.time = icaltime_from_timet_with_zone(time_t(e.alarmAt.toSecsSinceEpoch()), 0,
                                                     icaltimezone_get_utc_timezone());
    else
        trigger.duration = icaldurationtype_from_int(-60 * *e.alarmMinutesBefore);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    return alarm;
}

} // namespace

// The zone of this computer's clock as libical knows it; none for UTC or a zone it lacks.
icaltimezone *systemZone()
{
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (id.isEmpty() || id == "UTC" || id == "Etc/UTC")
        return nullptr;
    return icaltimezone_get_builtin_timezone(id.constData());
}

// The zone's definition for a calendar whose earliest time is `earliest`, named by its own name
// ("Europe/Budapest") rather than libical's, without the transitions before that time.
icalcomponent *zoneComponent(icaltimezone *zone, const QDateTime &earliest)
{
    icalcomponent *vtimezone = icalcomponent_new_clone(icaltimezone_get_component(zone));
    const icaltimetype from = icaltime_from_timet_with_zone(
        time_t(earliest.addDays(-1).toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
    icaltimezone_truncate_vtimezone(vtimezone, from, icaltime_null_time(), 0);
    if (icalproperty *tzid = icalcomponent_get_first_property(vtimezone, ICAL_TZID_PROPERTY))
        icalproperty_set_tzid(tzid, QTimeZone::systemTimeZoneId().constData());
    return vtimezone;
}

icalproperty *textProperty(icalproperty_kind kind, const QString &value)
{
    icalproperty *p = icalproperty_new(kind);
    icalproperty_set_value(p, icalvalue_new_text(utf8(value).constData()));
    return p;
}

icalcomponent *eventComponent(const CalendarEvent &e, const icaltimetype &stamp, icaltimezone *zone)
{
    icalcomponent *event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_property(event, icalproperty_new_uid(utf8(e.uid).constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    if (e.allDay) {
        icalcomponent_add_property(event, icalproperty_new_dtstart(wallTime(e.start, true)));
        icalcomponent_add_property(event,
                                   icalproperty_new_dtend(wallTime(e.start.addDays(1), true)));
    } else {
        icalcomponent_add_property(
            event, zonedTime(icalproperty_new(ICAL_DTSTART_PROPERTY), e.start, zone));
    }
    if (!e.rule.isEmpty()) {
        const icalrecurrencetype rule = icalrecurrencetype_from_string(utf8(e.rule).constData());
        if (rule.freq != ICAL_NO_RECURRENCE)
            icalcomponent_add_property(event, icalproperty_new_rrule(rule));
    }
    icalcomponent_add_property(event, textProperty(ICAL_SUMMARY_PROPERTY, e.summary));
    if (!e.description.isEmpty())
        icalcomponent_add_property(event, textProperty(ICAL_DESCRIPTION_PROPERTY, e.description));
    if (!e.category.isEmpty())
        icalcomponent_add_property(event, textProperty(ICAL_CATEGORIES_PROPERTY, e.category));
    icalcomponent_add_property(
        event,
        icalproperty_new_transp(e.transparent ? ICAL_TRANSP_TRANSPARENT : ICAL_TRANSP_OPAQUE));
    if (!e.row.isEmpty()) {
        icalproperty *row = icalproperty_new_x(rowValue(e.row).constData());
        icalproperty_set_x_name(row, rowProperty);
        icalcomponent_add_property(event, row);
    }
    if (e.cancelled)
        icalcomponent_add_property(event, icalproperty_new_status(ICAL_STATUS_CANCELLED));
    if (e.alarmMinutesBefore || e.alarmAt.isValid())
        icalcomponent_add_component(event, alarmComponent(e));
    return event;
}

} // namespace quill::ical
