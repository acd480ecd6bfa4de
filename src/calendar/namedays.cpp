#include "namedays.h"

#include "calendar.h"
#include "namedaydata.h"

#include <QHash>

namespace quill {

QString NameDayCalendar::entry(int month, int day)
{
    if (month < 1 || month > 12 || day < 1 || day > tableDays(month))
        return {};
    return QString::fromUtf16(data::dayTexts[month - 1][day - 1]);
}

int NameDayCalendar::tableDays(int month)
{
    if (month < 1 || month > 12)
        return 0;
    return month == 2 ? 29 : MonthNames[month - 1].days;
}

NameLookup NameDayCalendar::lookup(QStringView month, QStringView day)
{
    int m = 0;
    for (std::size_t i = 0; i < MonthNames.size() && m == 0; ++i) {
        if (month == MonthNames[i].hungarian || month == MonthNames[i].english)
            m = int(i) + 1;
    }
    if (m == 0)
        return {LookupError::Month, {}};
    // Only the plain decimal texts "1".."n" name a day: no blanks, signs or leading zeros.
    for (int d = 1; d <= tableDays(m); ++d) {
        if (day == QString::number(d))
            return {LookupError::None, entry(m, d)};
    }
    return {LookupError::Day, {}};
}

const QStringList &FirstNameList()
{
    static const QStringList names = [] {
        QStringList list;
        list.reserve(int(data::firstNames.size()));
        for (const char16_t *n : data::firstNames)
            list << QString::fromUtf16(n);
        return list;
    }();
    return names;
}

namespace {

// Names with three or four days are written with short month names.
const QHash<QString, QString> &shortenedTexts()
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("Ferenc"), QStringLiteral(" máj 11. okt 4. dec 3.")},
        {QStringLiteral("Mária"), QStringLiteral(" aug 15. szept 8. szept 12. dec 8.")},
        {QStringLiteral("Pál"), QStringLiteral(" jan 25. jún 26. jún 29. jún 30.")},
        {QStringLiteral("Tamás"), QStringLiteral(" márc 7. dec 21. dec 29.")},
    };
    return texts;
}

// The first January names are written without the leading blank.
bool hasNoLeadingBlank(const QString &name)
{
    static const QStringList names = {
        QStringLiteral("Fruzsina"),  QStringLiteral("Ábel"),  QStringLiteral("Genovéva"),
        QStringLiteral("Titusz"),    QStringLiteral("Leona"), QStringLiteral("Simon"),
        QStringLiteral("Boldizsár"),
    };
    return names.contains(name);
}

const QHash<QString, QString> &indexTexts()
{
    static const QHash<QString, QString> index = [] {
        QHash<QString, QString> texts;
        texts.reserve(int(data::firstNames.size()));
        for (int m = 1; m <= 12; ++m) {
            const QString monthName = MonthNames[m - 1].hungarian.toString();
            for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
                const QString day = u' ' + monthName + u' ' + QString::number(d) + u'.';
                const QString entry = NameDayCalendar::entry(m, d);
                if (entry.isEmpty())
                    continue;
                for (const QString &name : entry.split(QStringLiteral(", ")))
                    texts[name] += day;
            }
        }
        for (auto it = shortenedTexts().cbegin(); it != shortenedTexts().cend(); ++it)
            texts[it.key()] = it.value();
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            if (hasNoLeadingBlank(it.key()))
                it.value().remove(0, 1);
        }
        return texts;
    }();
    return index;
}

} // namespace

std::optional<QString> NameDayIndex::dates(const QString &name)
{
    const auto &index = indexTexts();
    const auto it = index.constFind(name);
    if (it == index.cend())
        return std::nullopt;
    return *it;
}

std::optional<QString> NameDayIndex::editorDates(const QString &name)
{
    auto text = dates(name);
    if (text && text->startsWith(u' '))
        text->remove(0, 1);
    return text;
}

} // namespace quill
