#include "names.h"

#include "calendar.h"
#include "extendednames.h"
#include "namedays.h"

#include <QHash>

#include <algorithm>

namespace quill {

namespace {

constexpr int daysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

TableDay tableDayAt(int index)
{
    int month = 12;
    while (month > 1 && daysBefore[month - 1] > index)
        --month;
    return {month, index - daysBefore[month - 1] + 1};
}

struct MainIndex {
    QHash<QString, QList<TableDay>> days; ///< main name -> its days
    QHash<QString, QString> byFolded;     ///< folded -> main name (no two main names fold alike)
};

const MainIndex &mainIndex()
{
    static const MainIndex built = [] {
        MainIndex ix;
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
                const QString entry = NameDayCalendar::entry(m, d);
                if (entry.isEmpty())
                    continue;
                for (const QString &name : entry.split(QStringLiteral(", ")))
                    ix.days[name] << TableDay{m, d};
            }
        }
        for (auto it = ix.days.cbegin(); it != ix.days.cend(); ++it)
            ix.byFolded.insert(foldedForMatching(it.key()), it.key());
        return ix;
    }();
    return built;
}

// The extended names whose folded spelling is `folded`: a range of the sorted list.
std::pair<std::size_t, std::size_t> extendedRange(const QString &folded)
{
    std::size_t low = 0, high = data::extendedNameCount;
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (foldedForMatching(extendedName(mid)) < folded)
            low = mid + 1;
        else
            high = mid;
    }
    std::size_t end = low;
    while (end < data::extendedNameCount && foldedForMatching(extendedName(end)) == folded)
        ++end;
    return {low, end};
}

std::optional<std::size_t> extendedIndex(const QString &name)
{
    const auto [first, end] = extendedRange(foldedForMatching(name));
    for (std::size_t i = first; i < end; ++i) {
        if (extendedName(i) == name)
            return i;
    }
    return std::nullopt;
}

} // namespace

QString extendedName(std::size_t i)
{
    if (i >= data::extendedNameCount)
        return {};
    const int start = data::extendedNameStarts[i];
    const int end = data::extendedNameStarts[i + 1] - 1; // the line feed left out
    return QString::fromUtf8(data::extendedNameText + start, end - start);
}

QList<TableDay> NameDays::allDays() const
{
    QList<TableDay> days = mainDays + otherDays;
    std::sort(days.begin(), days.end());
    return days;
}

std::optional<NameDays> nameDays(const QString &name)
{
    NameDays found;
    found.name = name;
    const MainIndex &ix = mainIndex();
    if (const auto it = ix.days.constFind(name); it != ix.days.cend()) {
        found.isMain = true;
        found.mainDays = *it;
    }
    const auto index = extendedIndex(name);
    if (!found.isMain && !index)
        return std::nullopt;
    if (index) {
        for (int i = data::extendedDayStarts[*index]; i < data::extendedDayStarts[*index + 1];
             ++i) {
            const TableDay day = tableDayAt(data::extendedDays[i] & ~data::mainDayBit);
            if (!found.mainDays.contains(day))
                found.otherDays << day;
        }
    }
    return found;
}

QStringList namesFoldedAs(const QString &folded)
{
    QStringList names;
    const MainIndex &ix = mainIndex();
    if (const auto it = ix.byFolded.constFind(folded); it != ix.byFolded.cend())
        names << *it;
    const auto [first, end] = extendedRange(folded);
    for (std::size_t i = first; i < end; ++i) {
        const QString name = extendedName(i);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

std::optional<QString> calendarSpelling(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QString folded = foldedForMatching(text);
    const QStringList names = namesFoldedAs(folded);
    if (names.contains(text))
        return text;
    // Any case; without accents only a main name: the extended list holds names that differ
    // in an accent alone (Míra, and Mira that it lacks; Szófia and Szofia).
    const QString lower = text.toLower();
    for (const QString &name : names) {
        if (name.toLower() == lower)
            return name;
    }
    if (const auto main = mainIndex().byFolded.constFind(folded);
        main != mainIndex().byFolded.cend())
        return *main;
    return std::nullopt;
}

const QStringList &everyName()
{
    static const QStringList names = [] {
        QStringList list = FirstNameList();
        const MainIndex &ix = mainIndex();
        list.reserve(list.size() + qsizetype(data::extendedNameCount));
        for (std::size_t i = 0; i < data::extendedNameCount; ++i) {
            const QString name = extendedName(i);
            if (!ix.days.contains(name))
                list << name;
        }
        return list;
    }();
    return names;
}

} // namespace quill
