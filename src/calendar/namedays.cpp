#include "namedays.h"

#include "calendar.h"
#include "namedaydata.h"
#include "names.h"
#include "tradition.h"

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
const QStringList &shortenedTexts()
{
    static const QStringList names = {QStringLiteral("Ferenc"), QStringLiteral("Mária"),
                                      QStringLiteral("Pál"), QStringLiteral("Tamás")};
    return names;
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

// The index text of a main name, its days as celebrated in `year`.
std::optional<QString> indexText(const QString &name, int year)
{
    const auto found = nameDays(name);
    if (!found || !found->isMain)
        return std::nullopt;
    QString text;
    const bool shortened = shortenedTexts().contains(name);
    for (const TableDay &day : found->mainDays) {
        const QDate date = celebratedOn(day, year);
        const QString month = shortened
                                  ? shortMonthName(date.month())
                                  : MonthNames[std::size_t(date.month() - 1)].hungarian.toString();
        text += u' ' + month + u' ' + QString::number(date.day()) + u'.';
    }
    if (hasNoLeadingBlank(name))
        text.remove(0, 1);
    return text;
}

} // namespace

std::optional<QString> NameDayIndex::dates(const QString &name, int year)
{
    return indexText(name, year);
}

std::optional<QString> NameDayIndex::editorDates(const QString &name, int year)
{
    auto text = dates(name, year);
    if (text && text->startsWith(u' '))
        text->remove(0, 1);
    return text;
}

} // namespace quill
