#include "alerts.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

namespace quill {

namespace {

const QString star = QStringLiteral("*");

constexpr WallMinute minutesPerDay = 24 * 60;

bool numberMatches(const QString &field, int value, bool starAllowed)
{
    if (starAllowed && field == star)
        return true;
    return textValue(field) == double(value);
}

} // namespace

QString alertTitle()
{
    return QStringLiteral("Emlékeztető (Az ablak 1 perc múlva bezárható)");
}

WallMinute wallMinute(const QDateTime &localTime)
{
    const QTime time = localTime.time();
    return localTime.date().toJulianDay() * minutesPerDay + time.hour() * 60 + time.minute();
}

QDate wallDate(WallMinute minute)
{
    return QDate::fromJulianDay(minute / minutesPerDay);
}

QTime wallTime(WallMinute minute)
{
    const int ofDay = int(minute % minutesPerDay);
    return QTime(ofDay / 60, ofDay % 60);
}

bool isDue(const ReminderRecord &r, WallMinute minute)
{
    const QDate date = wallDate(minute);
    const QTime time = wallTime(minute);
    if (r[Field::Year] != star && r[Field::Year] != QString::number(date.year()))
        return false;
    if (r[Field::Month] != star && hungarianMonthNumber(r[Field::Month]) != date.month())
        return false;
    return numberMatches(r[Field::Day], date.day(), true) &&
           numberMatches(r[Field::Hour], time.hour(), true) &&
           numberMatches(r[Field::Minute], time.minute(), false);
}

AlertTime AlertTime::of(const ReminderRecord &r)
{
    return {r[Field::Year], r[Field::Month], r[Field::Day], r[Field::Hour], r[Field::Minute]};
}

QList<int> deadAlertFields(const AlertTime &t, int currentYear)
{
    const auto wholeIn = [](const QString &text, int low, int high) {
        const double v = textValue(text);
        return isWhole(v) && v >= low && v <= high;
    };
    QList<int> dead;
    int leapTestYear = 0; // "*" has every year, leap years too
    if (t.year != star) {
        bool plain = !t.year.isEmpty() && !t.year.startsWith(u'0');
        for (const QChar c : t.year)
            plain = plain && c >= u'0' && c <= u'9';
        const int year = plain ? t.year.toInt(&plain) : 0;
        if (!plain || year < currentYear)
            dead << Field::Year;
        else
            leapTestYear = year;
    }
    const bool anyMonth = t.month == star || hungarianMonthNumber(t.month) == 0;
    if (t.month != star && hungarianMonthNumber(t.month) == 0)
        dead << Field::Month;
    const int days = anyMonth ? 31 : daysInMonth(t.month, leapTestYear).value_or(31);
    if (t.day != star && !wholeIn(t.day, 1, days))
        dead << Field::Day;
    if (t.hour != star && !wholeIn(t.hour, 0, 23))
        dead << Field::Hour;
    if (!wholeIn(t.minute, 0, 59))
        dead << Field::Minute;
    return dead;
}

std::optional<int> deadAlertField(const AlertTime &t, int currentYear)
{
    const QList<int> dead = deadAlertFields(t, currentYear);
    if (dead.isEmpty())
        return std::nullopt;
    return dead.first();
}

QString alertText(const ReminderRecord &r)
{
    const QString gap = QStringLiteral("     ");
    const auto withDate = [&](const QString &heading) -> QString {
        return heading + gap + r[Field::Text1] + u' ' + r[Field::Text2] + u' ' + r[Field::When];
    };
    if (const auto kind = kindOfLetter(r[Field::Kind])) {
        switch (*kind) {
        case ReminderKind::NameDay:
            return withDate(QStringLiteral("NÉVNAP!!"));
        case ReminderKind::Birthday:
            return withDate(QStringLiteral("SZÜLETÉSNAP!!"));
        case ReminderKind::Meeting:
            return withDate(QStringLiteral("TALÁLKOZÓ!!"));
        case ReminderKind::MeterReading:
            return QStringLiteral("MÉRŐÓRAÁLLÁS!!") + gap + r[Field::Text1] + u' ' +
                   r[Field::Text2];
        case ReminderKind::Other:
            return QStringLiteral("EGYÉB!!") + gap + r[Field::FreeText];
        }
    }
    // A row of a kind this program never writes: show what it holds.
    QStringList parts;
    for (int f : {Field::Text1, Field::Text2, Field::When, Field::FreeText}) {
        if (!r[std::size_t(f)].trimmed().isEmpty())
            parts << r[std::size_t(f)].trimmed();
    }
    return QStringLiteral("EMLÉKEZTETŐ!!") + gap + parts.join(u' ');
}

QList<DueAlert> dueAlerts(const ReminderTable &table, WallMinute minute)
{
    QList<DueAlert> due;
    for (int r = 0; r < ReminderRows; ++r) {
        if (table.isActive(r) && isDue(table.row(r), minute))
            due.append({r, alertText(table.row(r)), false});
    }
    return due;
}

QList<DueAlert> missedAlerts(const ReminderTable &table, WallMinute previous, WallMinute now)
{
    QList<DueAlert> missed;
    const WallMinute first = std::max(previous + 1, now - minutesPerDay);
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.inUse(r) || !table.isActive(r))
            continue;
        // The latest missed minute: a reminder of every hour is announced once, for its last.
        for (WallMinute m = now - 1; m >= first; --m) {
            if (!isDue(table.row(r), m))
                continue;
            const QString when = wallDate(m).toString(QStringLiteral("yyyy. MM. dd. ")) +
                                 wallTime(m).toString(QStringLiteral("HH:mm"));
            missed.append({r,
                           alertText(table.row(r)) +
                               QStringLiteral("\n\n(Késve jelezve: az emlékeztető ideje ") + when +
                               QStringLiteral(" volt.)"),
                           true});
            break;
        }
    }
    return missed;
}

void AlertScanner::resumeFrom(const QDateTime &lastRunEnd)
{
    if (m_started || !lastRunEnd.isValid())
        return;
    m_resumeFrom = wallMinute(lastRunEnd.toLocalTime());
    m_resuming = true;
}

QList<DueAlert> AlertScanner::scan(const ReminderTable &table, const QDateTime &now)
{
    const WallMinute minute = wallMinute(now);
    if (m_started && minute == m_previous && m_previousFoundNothing &&
        table.revision() == m_revision)
        return {};
    ++m_scans;
    if (!m_started && m_resuming && m_resumeFrom < minute) {
        m_started = true;
        m_latest = m_previous = m_resumeFrom;
    }
    QList<DueAlert> result;
    if (!m_started || minute > m_latest) {
        if (m_started && minute - m_latest > 1)
            result = missedAlerts(table, m_latest, minute);
        result += dueAlerts(table, minute);
        m_latest = minute;
        m_announced.clear();
    } else if (minute == m_latest && m_previous == minute) {
        result = dueAlerts(table, minute); // still the same minute: a box closed early comes back
    } else if (m_latest - minute > minutesPerDay) {
        // The clock was set back by more than a day: start again from here.
        result = dueAlerts(table, minute);
        m_latest = minute;
        m_announced.clear();
    }
    for (DueAlert &alert : result) {
        alert.again = m_announced.contains(alert.row) && !alert.late;
        if (!alert.again && !alert.late)
            m_announced << alert.row;
    }
    m_started = true;
    m_previous = minute;
    m_revision = table.revision();
    m_previousFoundNothing = result.isEmpty();
    return result;
}

} // namespace quill
