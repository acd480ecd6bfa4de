#include "occasions.h"

#include "calendar/calendar.h"

#include <QRegularExpression>

namespace quill {

namespace {

// Years over which a yearly alert is checked against its occasion: two leap-year cycles.
constexpr int checkedYears = 9;

int monthOfName(const QString &name)
{
    for (int m = 1; m <= 12; ++m) {
        if (MonthNames[std::size_t(m - 1)].hungarian == name || shortMonthName(m) == name)
            return m;
    }
    return 0;
}

bool fixed(const QString &field)
{
    return field != anyValue();
}

// The occasion's date in `year`, by the kind's rule; invalid when the year has none.
using DayInYear = QDate (*)(const TableDay &, int, LeapDayRule);

QDate realDate(const TableDay &d, int year, LeapDayRule)
{
    return QDate(year, d.month, d.day);
}

QDate tableDate(const TableDay &d, int year, LeapDayRule)
{
    return celebratedOn(d, year);
}

QDate keptDate(const TableDay &d, int year, LeapDayRule rule)
{
    return yearlyDateIn(d.month, d.day, year, rule);
}

// The first occasion on or after `alert` and the days to it; none beyond the longest lead.
std::optional<QDate> occasionAfter(const QDate &alert, const TableDay &day, DayInYear dayIn,
                                   LeapDayRule rule)
{
    for (int year : {alert.year(), alert.year() + 1}) {
        const QDate d = dayIn(day, year, rule);
        if (d.isValid() && d >= alert)
            return alert.daysTo(d) <= maxLeadDays ? std::optional(d) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<Occasion> dayOccasion(const Reminder &r, ReminderKind kind, const QDateTime &first,
                                    LeapDayRule rule)
{
    const auto day = dayOfText(r.field(Field::When).trimmed());
    const AlertTime t = r.alertTime();
    if (!day || !fixed(t.month) || !fixed(t.day) || !fixed(t.hour))
        return std::nullopt;
    const bool yearly = !fixed(t.year);
    const bool nameDay = kind == ReminderKind::NameDay;
    // A name day of a given year is the date its row names in that year (the editor writes a
    // leap year's days as they fall); every year, the tables' day as the tradition keeps it.
    const DayInYear dayIn = !nameDay ? keptDate : yearly ? tableDate : realDate;
    const auto occasion = occasionAfter(first.date(), *day, dayIn, rule);
    if (!occasion)
        return std::nullopt;
    const int lead = int(first.date().daysTo(*occasion));
    for (int year = first.date().year() + 1; yearly && year < first.date().year() + checkedYears;
         ++year) {
        const QDate alert(year, first.date().month(), first.date().day());
        const auto other = alert.isValid() ? occasionAfter(alert, *day, dayIn, rule) : std::nullopt;
        if (!other || alert.daysTo(*other) != lead)
            return std::nullopt;
    }
    Occasion o;
    o.start = QDateTime(*occasion, QTime(0, 0));
    o.allDay = true;
    if (yearly)
        o.rule = nameDay ? nameDayRule(*day) : birthdayRule(day->month, day->day, rule);
    o.minutesBefore = lead * 24 * 60 - (first.time().hour() * 60 + first.time().minute());
    return o;
}

std::optional<Occasion> meetingOccasion(const Reminder &r, const QDateTime &first)
{
    const auto meeting = meetingOfText(r.field(Field::When).trimmed());
    const AlertTime t = r.alertTime();
    if (!meeting || !fixed(t.year) || !fixed(t.month) || !fixed(t.day) || !fixed(t.hour))
        return std::nullopt;
    const qint64 lead = first.secsTo(*meeting);
    if (lead < 0 || lead > qint64(maxLeadDays) * 24 * 3600)
        return std::nullopt;
    Occasion o;
    o.start = *meeting;
    o.minutesBefore = int(lead / 60);
    // A relative alarm of whole days is counted in the calendar's days by some clients and in
    // hours by others: across a clock change only the alert's own minute is exact.
    o.atAlertMinute = first.offsetFromUtc() != meeting->offsetFromUtc();
    return o;
}

} // namespace

std::optional<Occasion> occasionOf(const Reminder &r, const QDateTime &firstAlert,
                                   LeapDayRule leapDay)
{
    const auto kind = r.kind();
    if (!kind || !firstAlert.isValid())
        return std::nullopt;
    switch (*kind) {
    case ReminderKind::NameDay:
    case ReminderKind::Birthday:
        return dayOccasion(r, *kind, firstAlert, leapDay);
    case ReminderKind::Meeting:
        return meetingOccasion(r, firstAlert);
    default:
        return std::nullopt;
    }
}

std::optional<TableDay> dayOfText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\S+) ([1-9][0-9]?)\\.$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int month = monthOfName(match.captured(1));
    const int day = match.captured(2).toInt();
    if (month == 0 || !QDate(2000, month, day).isValid())
        return std::nullopt;
    return TableDay{month, day};
}

std::optional<QDateTime> meetingOfText(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{4})\\. (\\S+) ([1-9][0-9]?)\\. ([0-9]{2}):([0-9]{2})$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate day(match.captured(1).toInt(), monthOfName(match.captured(2)),
                    match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt());
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime at(day, time);
    // A minute the clock skips has no meeting.
    if (!at.isValid() || at.time() != time)
        return std::nullopt;
    return at;
}

QString occasionDayText(int month, int day)
{
    return MonthNames[std::size_t(month - 1)].hungarian.toString() + u' ' + QString::number(day) +
           u'.';
}

QString occasionMeetingText(const QDateTime &at)
{
    return QString::number(at.date().year()) + QStringLiteral(". ") +
           occasionDayText(at.date().month(), at.date().day()) + u' ' +
           at.time().toString(QStringLiteral("HH:mm"));
}

QString nameDayRule(const TableDay &day)
{
    if (day.month == 2 && day.day >= 24 && day.day <= 28)
        return QStringLiteral("FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=%1").arg(day.day - 29);
    return QStringLiteral("FREQ=YEARLY");
}

QString birthdayRule(int month, int day, LeapDayRule leapDay)
{
    if (month != 2 || day != 29)
        return QStringLiteral("FREQ=YEARLY");
    return leapDay == LeapDayRule::March1 ? QStringLiteral("FREQ=YEARLY;BYYEARDAY=60")
                                          : QStringLiteral("FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1");
}

} // namespace quill
