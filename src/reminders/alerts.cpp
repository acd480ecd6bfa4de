#include "alerts.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <QSet>

namespace quill {

namespace {

const QString star = QStringLiteral("*");

QDateTime minuteOf(const QDateTime &t)
{
    const QTime time = t.time();
    return QDateTime(t.date(), QTime(time.hour(), time.minute()), t.timeSpec());
}

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

bool isDue(const ReminderRecord &r, const QDateTime &moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    if (r[Fld::Year] != star && r[Fld::Year] != QString::number(date.year()))
        return false;
    if (r[Fld::Month] != star && hungarianMonthNumber(r[Fld::Month]) != date.month())
        return false;
    return numberMatches(r[Fld::Day], date.day(), true) &&
           numberMatches(r[Fld::Hour], time.hour(), true) &&
           numberMatches(r[Fld::Minute], time.minute(), false);
}

QString alertText(const ReminderRecord &r)
{
    const QString gap = QStringLiteral("     ");
    const QString &kind = r[Fld::Kind];
    auto withDate = [&](const QString &heading) -> QString {
        return heading + gap + r[Fld::Text1] + u' ' + r[Fld::Text2] + u' ' + r[Fld::When];
    };
    if (kind == u"n")
        return withDate(QStringLiteral("NÉVNAP!!"));
    if (kind == u"s")
        return withDate(QStringLiteral("SZÜLETÉSNAP!!"));
    if (kind == u"t")
        return withDate(QStringLiteral("TALÁLKOZÓ!!"));
    if (kind == u"m")
        return QStringLiteral("MÉRŐÓRAÁLLÁS!!") + gap + r[Fld::Text1] + u' ' + r[Fld::Text2];
    if (kind == u"e")
        return QStringLiteral("EGYÉB!!") + gap + r[Fld::FreeText];
    // A row of a kind this program never writes: show what it holds.
    QStringList parts;
    for (int f : {Fld::Text1, Fld::Text2, Fld::When, Fld::FreeText}) {
        if (!r[std::size_t(f)].trimmed().isEmpty())
            parts << r[std::size_t(f)].trimmed();
    }
    return QStringLiteral("EMLÉKEZTETŐ!!") + gap + parts.join(u' ');
}

QList<DueAlert> dueAlerts(const ReminderTable &table, const QDateTime &moment)
{
    QList<DueAlert> due;
    for (int r = 0; r < ReminderRows; ++r) {
        if (isDue(table.row(r), moment))
            due.append({r, alertText(table.row(r)), false});
    }
    return due;
}

QList<DueAlert> missedAlerts(const ReminderTable &table, const QDateTime &previous,
                             const QDateTime &now)
{
    QList<DueAlert> missed;
    const QDateTime last = minuteOf(now).addSecs(-60);
    QDateTime t = std::max(minuteOf(previous).addSecs(60), minuteOf(now).addDays(-1));
    QSet<int> seen;
    for (; t <= last; t = t.addSecs(60)) {
        for (int r = 0; r < ReminderRows; ++r) {
            if (seen.contains(r) || !isDue(table.row(r), t))
                continue;
            seen.insert(r);
            const QString when = t.toString(QStringLiteral("yyyy. MM. dd. HH:mm"));
            missed.append({r,
                           alertText(table.row(r)) +
                               QStringLiteral("\n\n(Késve jelezve: az "
                                              "emlékeztető ideje ") +
                               when + QStringLiteral(" volt.)"),
                           true});
        }
    }
    std::stable_sort(missed.begin(), missed.end(),
                     [](const DueAlert &a, const DueAlert &b) { return a.row < b.row; });
    return missed;
}

QList<DueAlert> AlertScanner::scan(const ReminderTable &table, const QDateTime &now)
{
    const QDateTime minute = minuteOf(now);
    const bool sameMinute = m_previous.isValid() && minuteOf(m_previous) == minute;
    if (sameMinute && m_previousFoundNothing && table.revision() == m_revision)
        return {};
    ++m_scans;
    QList<DueAlert> result;
    if (m_previous.isValid() && minuteOf(m_previous).secsTo(minute) > 60)
        result = missedAlerts(table, m_previous, now);
    result += dueAlerts(table, now);
    m_previous = now;
    m_revision = table.revision();
    m_previousFoundNothing = result.isEmpty();
    return result;
}

} // namespace quill
