#include "lookup.h"

#include "query.h"

#include "calendar/calendar.h"
#include "calendar/names.h"
#include "calendar/tradition.h"

#include <map>

namespace quill::nevnap {

namespace {

const QString noNames = QStringLiteral("nincs névnap");

QString plainDayText(int month, int day)
{
    return MonthNames[std::size_t(month - 1)].hungarian.toString() + u' ' + QString::number(day) +
           u'.';
}

// "február 24. (szökőévben február 25.)": a day told with its leap-year day where it moves.
QString daysText(const QList<TableDay> &days)
{
    QStringList texts;
    for (const TableDay &day : days) {
        QString text = dayText(day, 2001);
        if (celebratedOn(day, 2000) != QDate(2000, day.month, day.day))
            text += QStringLiteral(" (szökőévben %1)").arg(dayText(day, 2000));
        texts << text;
    }
    return texts.join(u' ');
}

QString mainLine(const QDate &date)
{
    const QString text = plainDayText(date.month(), date.day());
    if (isLeapDay(date))
        return text + QStringLiteral(": szökőnap, ") + noNames;
    const QString names = mainNamesOn(date);
    return names.isEmpty() ? text + QStringLiteral(": ") + noNames : names;
}

} // namespace

std::optional<QString> findName(const QString &typed)
{
    return calendarSpelling(typed);
}

QString fullDates(const QString &name)
{
    const auto found = nameDays(name);
    return found ? daysText(found->isMain ? found->mainDays : found->otherDays) : QString();
}

QString dayLines(const QDate &date)
{
    QString out = mainLine(date) + u'\n';
    const QStringList others = otherNamesOn(date);
    if (!others.isEmpty())
        out += QStringLiteral("Egyéb névnapok: ") + others.join(QStringLiteral(", ")) + u'\n';
    return out;
}

QString missingDayLines(int month, int day)
{
    // 29 February asked in a common year: the leap years' names of that day.
    QString out = plainDayText(month, day) + QStringLiteral(": ") + noNames;
    const QDate leap(2000, month, day);
    if (const QString names = mainNamesOn(leap); !names.isEmpty())
        out += QStringLiteral(" (szökőévben: %1)").arg(names);
    return out + u'\n';
}

QString weekLine(const QDate &date)
{
    const QString weekday =
        WeekdayNames[std::size_t(date.dayOfWeek() - 1)].hungarian.toString().toLower();
    QString names = mainNamesOn(date);
    if (names.isEmpty())
        names = isLeapDay(date) ? QStringLiteral("szökőnap, ") + noNames : noNames;
    return QString::number(date.year()) + QStringLiteral(". ") +
           plainDayText(date.month(), date.day()) + u' ' + weekday + QStringLiteral(": ") + names;
}

QString nameLines(const QString &typed)
{
    // A full name: Hungarians write the family name first, others last; either word may be it.
    QStringList tried{typed};
    const QStringList words = typed.split(u' ', Qt::SkipEmptyParts);
    if (words.size() > 1)
        tried << words.mid(1) << words.first();
    for (const QString &word : tried) {
        const auto name = findName(word);
        if (!name)
            continue;
        const NameDays found = *nameDays(*name);
        const QString prefix = *name == typed ? QString() : *name + QStringLiteral(": ");
        const QString others = daysText(found.otherDays);
        if (!found.isMain)
            return prefix +
                   (prefix.isEmpty() ? QStringLiteral("Egyéb névnapjai: ")
                                     : QStringLiteral("egyéb névnapjai: ")) +
                   others + u'\n';
        QString out = prefix + daysText(found.mainDays) + u'\n';
        if (!others.isEmpty())
            out += QStringLiteral("Egyéb névnapjai: ") + others + u'\n';
        return out;
    }
    return {};
}

QString notInCalendar(const QString &typed)
{
    const QString message =
        printable(typed.simplified()) + QStringLiteral(" nem szerepel a névnaptárban.");
    const QStringList near = nearestNames(typed);
    if (near.isEmpty())
        return message + u'\n';
    return message + QStringLiteral(" Talán: ") + near.join(QStringLiteral(", ")) + u"?\n";
}

QStringList nearestNames(const QString &typed)
{
    // The names fewest letter changes away (folded), at most two changes, best first.
    const QString folded = foldedForMatching(typed.trimmed());
    const auto distance = [](const QString &a, const QString &b) {
        QList<int> row(b.size() + 1);
        for (qsizetype j = 0; j <= b.size(); ++j)
            row[j] = int(j);
        for (qsizetype i = 1; i <= a.size(); ++i) {
            int diagonal = row[0];
            row[0] = int(i);
            for (qsizetype j = 1; j <= b.size(); ++j) {
                const int above = row[j];
                row[j] = std::min(
                    {row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
                diagonal = above;
            }
        }
        return row[b.size()];
    };
    std::multimap<int, QString> byDistance; // equal distances in list order
    for (const QString &name : everyName()) {
        const QString candidate = foldedForMatching(name);
        // A beginning typed ("Zolt") is the closest of all.
        const int d =
            candidate.startsWith(folded) && folded.size() >= 3 ? 0 : distance(folded, candidate);
        if (d <= 2)
            byDistance.emplace(d, name);
    }
    QStringList best;
    for (auto it = byDistance.cbegin(); it != byDistance.cend() && best.size() < 3; ++it) {
        if (it->first > byDistance.cbegin()->first)
            break;
        best << it->second;
    }
    return best;
}

} // namespace quill::nevnap
