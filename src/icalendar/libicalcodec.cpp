#include "libicalcodec.h"
#include "icalwrite.h"

#include <QTimeZone>
#include <algorithm>
#include <libical/ical.h>

namespace quill {

using namespace ical;

namespace {

// Owns one libical component tree.
struct ComponentDeleter {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

QString text(const char *s)
{
    return s ? QString::fromUtf8(s) : QString();
}

QString takeText(char *s)
{
    const QString t = text(s);
    icalmemory_free_buffer(s);
    return t;
}

QString rowOfValue(const char *value)
{
    return value ? QString::fromUtf8(QByteArray::fromPercentEncoding(value)) : QString();
}

QDateTime wallClockOf(const icaltimetype &t)
{
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t))
        return {};
    if (t.is_date)
        return QDateTime(QDate(t.year, t.month, t.day), QTime(0, 0));
    const icaltimezone *zone = t.zone;
    if (!zone && !icaltime_is_utc(t))
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    const time_t secs =
        icaltime_as_timet_with_zone(t, zone ? zone : icaltimezone_get_utc_timezone());
    return QDateTime::fromSecsSinceEpoch(qint64(secs)).toLocalTime();
}

QString xProperty(icalcomponent *c, const char *name)
{
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
        if (qstrcmp(icalproperty_get_x_name(p), name) == 0)
            return rowOfValue(icalvalue_as_ical_string(icalproperty_get_value(p)));
    }
    return {};
}

QList<int> valuesOf(const short *values, int size)
{
    QList<int> out;
    for (int i = 0; i < size && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        out << values[i];
    return out;
}

bool hasValues(const short *values)
{
    return values[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

// libical's reading of an RRULE, in the program's terms.
Recurrence recurrenceOf(const icalrecurrencetype &rule)
{
    Recurrence r;
    switch (rule.freq) {
    case ICAL_YEARLY_RECURRENCE:
        r.frequency = Recurrence::Frequency::Yearly;
        break;
    case ICAL_MONTHLY_RECURRENCE:
        r.frequency = Recurrence::Frequency::Monthly;
        break;
    case ICAL_DAILY_RECURRENCE:
        r.frequency = Recurrence::Frequency::Daily;
        break;
    case ICAL_HOURLY_RECURRENCE:
        r.frequency = Recurrence::Frequency::Hourly;
        break;
    default:
        return r;
    }
    r.interval = rule.interval;
    r.count = rule.count;
    if (!icaltime_is_null_time(rule.until))
        r.until = wallClockOf(rule.until).date();
    r.byMonth = valuesOf(rule.by_month, ICAL_BY_MONTH_SIZE);
    r.byMonthDay = valuesOf(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    r.byYearDay = valuesOf(rule.by_year_day, ICAL_BY_YEARDAY_SIZE);
    r.byMinute = valuesOf(rule.by_minute, ICAL_BY_MINUTE_SIZE);
    r.otherParts =
        hasValues(rule.by_second) || hasValues(rule.by_hour) || hasValues(rule.by_day) ||
        hasValues(rule.by_week_no) || hasValues(rule.by_set_pos) || (rule.rscale && *rule.rscale) ||
        std::any_of(r.byMonth.cbegin(), r.byMonth.cend(),
                    [](int m) { return icalrecurrencetype_month_is_leap(short(m)) != 0; });
    return r;
}

// The event's first alarm that says when it rings: before or after the start, or at a moment.
void takeAlarm(icalcomponent *c, CalendarEvent &e)
{
    for (icalcomponent *a = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(c, ICAL_VALARM_COMPONENT)) {
        icalproperty *tp = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
        if (!tp)
            continue;
        const icaltriggertype trigger = icalproperty_get_trigger(tp);
        if (!icaltime_is_null_time(trigger.time)) {
            e.alarmAt = wallClockOf(trigger.time);
            if (e.alarmAt.isValid())
                return;
            continue;
        }
        icalparameter *related = icalproperty_get_first_parameter(tp, ICAL_RELATED_PARAMETER);
        if (related && icalparameter_get_related(related) == ICAL_RELATED_END)
            continue;
        e.alarmMinutesBefore = -icaldurationtype_as_int(trigger.duration) / 60;
        return;
    }
}

CalendarEvent eventOf(icalcomponent *c)
{
    CalendarEvent e;
    e.uid = text(icalcomponent_get_uid(c));
    e.summary = text(icalcomponent_get_summary(c));
    e.description = text(icalcomponent_get_description(c));
    QStringList categories;
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_CATEGORIES_PROPERTY))
        categories << text(icalproperty_get_categories(p));
    e.category = categories.join(u',');
    if (icalproperty *status = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY))
        e.cancelled = icalproperty_get_status(status) == ICAL_STATUS_CANCELLED;
    if (icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY)) {
        const icaltimetype start = icalcomponent_get_dtstart(c);
        e.allDay = start.is_date;
        e.start = wallClockOf(start);
    }
    const int rules = icalcomponent_count_properties(c, ICAL_RRULE_PROPERTY);
    if (rules == 1) {
        const icalrecurrencetype rule =
            icalproperty_get_rrule(icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY));
        e.rule = takeText(icalrecurrencetype_as_string_r(const_cast<icalrecurrencetype *>(&rule)));
        e.recurrence = recurrenceOf(rule);
    } else if (rules > 1) {
        e.recurrence = Recurrence{};
    }
    e.exceptions = icalcomponent_count_properties(c, ICAL_EXDATE_PROPERTY) > 0 ||
                   icalcomponent_count_properties(c, ICAL_RDATE_PROPERTY) > 0 ||
                   icalcomponent_count_properties(c, ICAL_RECURRENCEID_PROPERTY) > 0;
    if (icalproperty *transp = icalcomponent_get_first_property(c, ICAL_TRANSP_PROPERTY))
        e.transparent = icalproperty_get_transp(transp) == ICAL_TRANSP_TRANSPARENT;
    takeAlarm(c, e);
    e.row = xProperty(c, rowProperty);
    return e;
}

// libical builds, frees and walks a component tree by recursion, one stack frame a level: a file
// of components nested a few hundred thousand deep would run the stack out. A calendar nests
// three deep (calendar, event, alarm), so the file is measured before libical sees it.
constexpr int maxNesting = 16;
constexpr int maxComponents = 100000;

// The name of each content line, as libical reads it: folded lines (a line break and a space or
// a tab) joined, up to the first ';' or ':', up to the first NUL (where libical stops).
struct LineNames {
    const QByteArray &bytes;
    qsizetype at = 0;

    // The next line's name, cut after `keep` characters; false at the end.
    bool next(QByteArray &name, qsizetype keep)
    {
        name.clear();
        bool ended = false; // the name has met its ';' or ':'
        const qsizetype size = bytes.size();
        if (at >= size || bytes[at] == '\0')
            return false;
        while (at < size && bytes[at] != '\0') {
            const char c = bytes[at++];
            if (c == '\n') {
                if (at < size && (bytes[at] == ' ' || bytes[at] == '\t')) {
                    ++at; // folded: the line goes on
                    continue;
                }
                break;
            }
            if (c == ';' || c == ':')
                ended = true;
            else if (!ended && c != '\r' && name.size() <= keep)
                name += c;
        }
        return true;
    }
};

// Why the file is refused before parsing: nested too deep or too many components; empty when
// neither.
QString structureProblem(const QByteArray &bytes)
{
    LineNames lines{bytes};
    QByteArray name;
    int depth = 0, components = 0;
    while (lines.next(name, 5)) {
        if (qstricmp(name.constData(), "BEGIN") == 0) {
            if (++depth > maxNesting)
                return QStringLiteral("túl mélyen egymásba ágyazott részek (legfeljebb %1 szint "
                                      "lehet)")
                    .arg(maxNesting);
            if (++components > maxComponents)
                return QStringLiteral("túl sok rész (legfeljebb %1 lehet)").arg(maxComponents);
        } else if (qstricmp(name.constData(), "END") == 0 && depth > 0) {
            --depth;
        }
    }
    return {};
}

// A calendar's events; an occasion of a series moved or changed (RECURRENCE-ID) is no event of
// its own but marks its series, when the file holds that.
void collectEvents(icalcomponent *c, QList<CalendarEvent> &events, QStringList &movedOf)
{
    if (icalcomponent_isa(c) == ICAL_VEVENT_COMPONENT) {
        if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
            movedOf << text(icalcomponent_get_uid(c));
        events << eventOf(c);
        return;
    }
    for (icalcomponent *child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
        const icalcomponent_kind kind = icalcomponent_isa(child);
        if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VCALENDAR_COMPONENT)
            collectEvents(child, events, movedOf);
    }
}

// Occasions moved or changed in a series go into the series: it has exceptions. Those of no
// series in the file stay events of their own, with exceptions, so they are told by their title.
void foldMoved(QList<CalendarEvent> &events, const QStringList &movedOf)
{
    if (movedOf.isEmpty())
        return;
    QList<CalendarEvent> kept;
    QStringList series;
    for (const CalendarEvent &e : std::as_const(events)) {
        if (!e.rule.isEmpty())
            series << e.uid;
    }
    for (CalendarEvent &e : events) {
        const bool moved = e.exceptions && movedOf.contains(e.uid) && e.rule.isEmpty();
        if (moved && series.contains(e.uid))
            continue;
        if (movedOf.contains(e.uid))
            e.exceptions = true;
        kept << e;
    }
    events = kept;
}

class LibicalCodec final : public CalendarCodec {
public:
    LibicalCodec()
    {
        icalerror_set_errors_are_fatal(0);
        icaltimezone_set_tzid_prefix("");
    }

    QByteArray write(const QList<CalendarEvent> &events, const QString &name,
                     const QDateTime &stamp) override
    {
        Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
        icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
        icalcomponent_add_property(cal.get(),
                                   icalproperty_new_prodid("-//Zelmarin//Quillomat//HU"));
        icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
        if (!name.isEmpty()) {
            icalproperty *title = textProperty(ICAL_X_PROPERTY, name);
            icalproperty_set_x_name(title, "X-WR-CALNAME");
            icalcomponent_add_property(cal.get(), title);
        }
        const icaltimetype utcStamp = icaltime_from_timet_with_zone(
            time_t(stamp.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
        // The zone's definition first, where an event has a time of day.
        icaltimezone *zone = systemZone();
        QDateTime earliest;
        for (const CalendarEvent &e : events) {
            if (!e.allDay && (!earliest.isValid() || e.start < earliest))
                earliest = e.start;
        }
        if (zone && earliest.isValid())
            icalcomponent_add_component(cal.get(), zoneComponent(zone, earliest));
        for (const CalendarEvent &e : events)
            icalcomponent_add_component(cal.get(), eventComponent(e, utcStamp, zone));
        char *s = icalcomponent_as_ical_string_r(cal.get());
        QByteArray out(s);
        icalmemory_free_buffer(s);
        return out;
    }

    CalendarRead read(const QByteArray &bytes) override
    {
        CalendarRead result;
        if (bytes.size() > maxBytes) {
            result.error = QStringLiteral("a fájl túl nagy (legfeljebb 8 MB lehet)");
            return result;
        }
        result.error = structureProblem(bytes);
        if (!result.error.isEmpty())
            return result;
        Component root(icalparser_parse_string(bytes.constData()));
        if (!root) {
            result.error = QStringLiteral("nem iCalendar-fájl");
            return result;
        }
        QStringList movedOf;
        collectEvents(root.get(), result.events, movedOf);
        foldMoved(result.events, movedOf);
        return result;
    }

    QStringList problems(const QByteArray &bytes) override
    {
        QStringList found;
        if (const QString problem = structureProblem(bytes); !problem.isEmpty())
            return {problem};
        Component root(icalparser_parse_string(bytes.constData()));
        if (!root)
            return {QStringLiteral("nem iCalendar-fájl")};
        icalrestriction_check(root.get());
        collectErrors(root.get(), found);
        return found;
    }

private:
    static void collectErrors(icalcomponent *c, QStringList &found)
    {
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY))
            found << text(icalproperty_get_xlicerror(p));
        for (icalcomponent *child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
             child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            collectErrors(child, found);
    }
};

} // namespace

std::unique_ptr<CalendarCodec> makeLibicalCodec()
{
    return std::make_unique<LibicalCodec>();
}

} // namespace quill
