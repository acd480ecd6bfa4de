#include "alerts.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <algorithm>

namespace quill {

namespace {

constexpr WallMinute minutesPerDay = 24 * 60;

bool numberMatches(const QString &field, int value, bool starAllowed)
{
    if (starAllowed && field == anyValue())
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

bool isDue(const Reminder &r, WallMinute minute)
{
    const QDate date = wallDate(minute);
    const QTime time = wallTime(minute);
    const AlertTime t = r.alertTime();
    if (t.year != anyValue() && t.year != QString::number(date.year()))
        return false;
    if (t.month != anyValue() && hungarianMonthNumber(t.month) != date.month())
        return false;
    return numberMatches(t.day, date.day(), true) && numberMatches(t.hour, time.hour(), true) &&
           numberMatches(t.minute, time.minute(), false);
}

QList<Field> deadAlertFields(const AlertTime &t, int currentYear)
{
    const auto wholeIn = [](const QString &text, int low, int high) {
        const double v = textValue(text);
        return isWhole(v) && v >= low && v <= high;
    };
    QList<Field> dead;
    int leapTestYear = 0; // "*" has every year, leap years too
    if (t.year != anyValue()) {
        bool plain = !t.year.isEmpty() && !t.year.startsWith(u'0') &&
                     std::all_of(t.year.cbegin(), t.year.cend(), isAsciiDigit);
        const int year = plain ? t.year.toInt(&plain) : 0;
        if (!plain || year < currentYear)
            dead << Field::Year;
        else
            leapTestYear = year;
    }
    const bool anyMonth = t.month == anyValue() || hungarianMonthNumber(t.month) == 0;
    if (t.month != anyValue() && hungarianMonthNumber(t.month) == 0)
        dead << Field::Month;
    const int days = anyMonth ? 31 : daysInMonth(t.month, leapTestYear).value_or(31);
    if (t.day != anyValue() && !wholeIn(t.day, 1, days))
        dead << Field::Day;
    if (t.hour != anyValue() && !wholeIn(t.hour, 0, 23))
        dead << Field::Hour;
    if (!wholeIn(t.minute, 0, 59))
        dead << Field::Minute;
    return dead;
}

std::optional<Field> deadAlertField(const AlertTime &t, int currentYear)
{
    const QList<Field> dead = deadAlertFields(t, currentYear);
    if (dead.isEmpty())
        return std::nullopt;
    return dead.first();
}

QString alertText(const Reminder &r)
{
    const QString gap = QStringLiteral("     ");
    const auto withDate = [&](const QString &heading) -> QString {
        return heading + gap + r.text1() + u' ' + r.text2() + u' ' + r.when();
    };
    if (const auto kind = r.kind()) {
        switch (*kind) {
        case ReminderKind::NameDay:
            return withDate(QStringLiteral("NÉVNAP!!"));
        case ReminderKind::Birthday:
            return withDate(QStringLiteral("SZÜLETÉSNAP!!"));
        case ReminderKind::Meeting:
            return withDate(QStringLiteral("TALÁLKOZÓ!!"));
        case ReminderKind::MeterReading:
            return QStringLiteral("MÉRŐÓRAÁLLÁS!!") + gap + r.text1() + u' ' + r.text2();
        case ReminderKind::Other:
            return QStringLiteral("EGYÉB!!") + gap + r.freeText();
        }
    }
    // A row of a kind this program never writes: show what it holds.
    QStringList parts;
    for (const QString &text : {r.text1(), r.text2(), r.when(), r.freeText()}) {
        if (!text.trimmed().isEmpty())
            parts << text.trimmed();
    }
    return QStringLiteral("EMLÉKEZTETŐ!!") + gap + parts.join(u' ');
}

WallMinute Notice::aheadFor(const Reminder &reminder) const
{
    switch (reminder.kind().value_or(ReminderKind::Other)) {
    case ReminderKind::NameDay:
        return WallMinute(std::clamp(nameDayDays, 0, 14)) * minutesPerDay;
    case ReminderKind::Birthday:
        return WallMinute(std::clamp(birthdayDays, 0, 14)) * minutesPerDay;
    case ReminderKind::Meeting:
        return std::clamp(meetingMinutes, 0, 24 * 60);
    default:
        return 0;
    }
}

QString noticeText(const Reminder &reminder, WallMinute due, WallMinute ahead)
{
    QString when;
    if (ahead % minutesPerDay == 0) {
        const QDate day = wallDate(due);
        when = QStringLiteral("%1 nap múlva, %2 %3.")
                   .arg(ahead / minutesPerDay)
                   .arg(MonthNames[std::size_t(day.month() - 1)].hungarian.toString())
                   .arg(day.day());
    } else {
        when = QStringLiteral("%1 perc múlva").arg(ahead);
    }
    return when + QStringLiteral(": ") + alertText(reminder);
}

namespace {
// The row's alert for `minute`: its own, or a notice of one due `ahead` minutes later.
std::optional<DueAlert> alertAt(const ReminderTable &table, int r, WallMinute minute,
                                WallMinute ahead)
{
    if (!isDue(table.row(r), minute + ahead))
        return std::nullopt;
    const QString text =
        ahead == 0 ? alertText(table.row(r)) : noticeText(table.row(r), minute + ahead, ahead);
    return DueAlert{r, text, false, false, minute, ahead};
}
} // namespace

QList<DueAlert> dueAlerts(const ReminderTable &table, WallMinute minute, const Notice &notice)
{
    QList<DueAlert> due;
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.isActive(r))
            continue;
        if (const auto own = alertAt(table, r, minute, 0))
            due << *own;
        if (const WallMinute ahead = notice.aheadFor(table.row(r)); ahead > 0) {
            if (const auto early = alertAt(table, r, minute, ahead))
                due << *early;
        }
    }
    return due;
}

QList<int> rowsDueOn(const ReminderTable &table, const QDate &date)
{
    QList<int> rows;
    const WallMinute day = date.toJulianDay() * minutesPerDay;
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.inUse(r) || !table.isActive(r))
            continue;
        const double minute = textValue(table.row(r).alertTime().minute);
        if (!isWhole(minute) || minute < 0 || minute > 59)
            continue;
        for (int hour = 0; hour < 24; ++hour) {
            if (isDue(table.row(r), day + hour * 60 + WallMinute(minute))) {
                rows << r;
                break;
            }
        }
    }
    return rows;
}

QList<DueAlert> missedAlerts(const ReminderTable &table, WallMinute previous, WallMinute now,
                             const Notice &notice)
{
    QList<DueAlert> missed;
    const WallMinute first = std::max(previous + 1, now - minutesPerDay);
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.inUse(r) || !table.isActive(r))
            continue;
        QList<WallMinute> aheads{0};
        if (const WallMinute ahead = notice.aheadFor(table.row(r)); ahead > 0)
            aheads << ahead;
        for (const WallMinute ahead : aheads) {
            // The latest missed minute: a reminder of every hour is announced once, for its last.
            for (WallMinute m = now - 1; m >= first; --m) {
                auto alert = alertAt(table, r, m, ahead);
                if (!alert)
                    continue;
                const QString when = wallDate(m).toString(QStringLiteral("yyyy. MM. dd. ")) +
                                     wallTime(m).toString(QStringLiteral("HH:mm"));
                alert->text += QStringLiteral("\n\n(Késve jelezve: az emlékeztető ideje ") + when +
                               QStringLiteral(" volt.)");
                alert->late = true;
                missed << *alert;
                break;
            }
        }
    }
    return missed;
}

namespace {
bool sameAlert(const DueAlert &a, const DueAlert &b)
{
    return a.row == b.row && a.minute == b.minute && a.ahead == b.ahead;
}
QString minuteText(WallMinute minute)
{
    return wallDate(minute).toString(Qt::ISODate) + u'T' +
           wallTime(minute).toString(QStringLiteral("HH:mm"));
}
std::optional<DueAlert> alertFromKey(const QString &text)
{
    const QStringList parts = text.split(u' ');
    if (parts.size() != 3)
        return std::nullopt;
    bool rowOk = false, aheadOk = false;
    const int row = parts[0].toInt(&rowOk);
    const WallMinute ahead = parts[1].toLongLong(&aheadOk);
    const QDate date = QDate::fromString(parts[2].left(10), Qt::ISODate);
    const QTime time = QTime::fromString(parts[2].mid(11), QStringLiteral("HH:mm"));
    if (!rowOk || !aheadOk || row < 0 || row >= ReminderRows || ahead < 0 || !date.isValid() ||
        !time.isValid() || parts[2].size() != 16 || parts[2][10] != u'T')
        return std::nullopt;
    DueAlert alert;
    alert.row = row;
    alert.ahead = ahead;
    alert.minute = date.toJulianDay() * minutesPerDay + time.hour() * 60 + time.minute();
    alert.late = true;
    return alert;
}
} // namespace

QString alertKeyText(const DueAlert &alert)
{
    return QString::number(alert.row) + u' ' + QString::number(alert.ahead) + u' ' +
           minuteText(alert.minute);
}

bool AlertScanner::answered(const DueAlert &alert, bool putOff)
{
    const bool wasOpen = m_open.removeIf([&](const DueAlert &a) { return sameAlert(a, alert); });
    const bool first = std::none_of(m_done.cbegin(), m_done.cend(),
                                    [&](const DueAlert &a) { return sameAlert(a, alert); });
    if (first)
        m_done << alert;
    if (putOff) {
        for (Announced &a : m_log) {
            if (a.row == alert.row && a.minute == alert.minute && a.ahead == alert.ahead)
                a.pass = -1;
        }
    }
    return wasOpen || first;
}

void AlertScanner::setNotice(const Notice &notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    m_previousFoundNothing = false; // the next scan looks again
}

void AlertScanner::resumeFrom(const QDateTime &lastRunEnd, const QStringList &answered)
{
    if (m_started || !lastRunEnd.isValid())
        return;
    m_lastRunEnd = lastRunEnd;
    m_resumeFrom = wallMinute(lastRunEnd.toLocalTime());
    m_resumePending = true;
    // Answered in an earlier run: logged as announced, so not announced again, and named again
    // in this run's record.
    for (const QString &text : answered) {
        if (const auto alert = alertFromKey(text)) {
            m_log.append({alert->row, alert->minute, alert->ahead, true, -1});
            m_done << *alert;
        }
    }
}

DealtWith AlertScanner::dealtWith(const QDateTime &now) const
{
    QDateTime until = m_resumePending ? m_lastRunEnd : now;
    const auto notAfter = [&until](WallMinute last) {
        if (wallMinute(until.toLocalTime()) > last)
            until = QDateTime(wallDate(last), wallTime(last));
    };
    // Not past the last minute scanned (a box open for minutes holds the ticks back: what fell
    // meanwhile is still to come), nor past an alert whose box is open or still to come.
    if (m_started)
        notAfter(m_previous);
    for (const DueAlert &open : m_open)
        notAfter(open.minute - 1);
    DealtWith dealt{until, {}};
    const WallMinute upTo = wallMinute(until.toLocalTime());
    for (const DueAlert &done : m_done) {
        if (done.minute > upTo)
            dealt.answered << alertKeyText(done);
    }
    return dealt;
}

// The candidates not announced before, each logged; one announced in this very stay in the
// minute comes back marked `again`.
QList<DueAlert> AlertScanner::keepNew(QList<DueAlert> candidates, WallMinute minute)
{
    QList<DueAlert> kept;
    for (DueAlert &alert : candidates) {
        const auto seen = std::find_if(m_log.cbegin(), m_log.cend(), [&](const Announced &a) {
            return a.row == alert.row && a.minute == alert.minute && a.ahead == alert.ahead;
        });
        if (seen == m_log.cend()) {
            m_log.append({alert.row, alert.minute, alert.ahead, alert.late, m_pass});
            m_open << alert;
            kept << alert;
        } else if (!alert.late && !seen->late && seen->pass == m_pass && alert.minute == minute) {
            alert.again = true;
            kept << alert;
        }
    }
    return kept;
}

void AlertScanner::forgetOld(WallMinute minute)
{
    const auto old = [minute](WallMinute m) {
        return m < minute - 2 * minutesPerDay || m > minute + 2 * minutesPerDay;
    };
    m_log.removeIf([&](const Announced &a) { return old(a.minute); });
    m_done.removeIf([&](const DueAlert &a) { return old(a.minute); });
}

QList<DueAlert> AlertScanner::scan(const ReminderTable &table, const QDateTime &now,
                                   qint64 monotonicMs)
{
    const WallMinute minute = wallMinute(now);
    const bool graceOver = monotonicMs < 0 || monotonicMs - m_firstMonotonic >= startGraceMs;
    if (m_started && minute == m_previous && m_previousFoundNothing &&
        table.revision() == m_revision && !(m_resumePending && graceOver))
        return {};
    ++m_scans;
    QList<DueAlert> candidates;
    if (!m_started) {
        m_started = true;
        m_firstMinute = minute;
        m_firstMonotonic = monotonicMs;
        ++m_pass;
        candidates = dueAlerts(table, minute, m_notice);
    } else if (minute > m_previous) {
        ++m_pass;
        if (minute - m_previous > 1)
            candidates = missedAlerts(table, m_previous, minute, m_notice);
        candidates += dueAlerts(table, minute, m_notice);
    } else if (minute == m_previous) {
        candidates = dueAlerts(table, minute, m_notice);
    } else {
        // The clock was set back: what was announced late for a minute still ahead came early.
        ++m_pass;
        m_log.removeIf([minute](const Announced &a) { return a.late && a.minute > minute; });
        candidates = dueAlerts(table, minute, m_notice);
    }
    if (m_resumePending && (monotonicMs < 0 || monotonicMs - m_firstMonotonic >= startGraceMs)) {
        m_resumePending = false;
        const WallMinute end = std::min(m_firstMinute, minute);
        if (m_resumeFrom < end)
            candidates = missedAlerts(table, m_resumeFrom, end, m_notice) + candidates;
    }
    forgetOld(minute);
    const QList<DueAlert> result = keepNew(candidates, minute);
    m_previous = minute;
    m_revision = table.revision();
    m_previousFoundNothing = result.isEmpty();
    return result;
}

} // namespace quill
