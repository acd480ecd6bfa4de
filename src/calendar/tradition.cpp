#include "tradition.h"

#include "calendar.h"
#include "extendednames.h"
#include "namedays.h"
#include "names.h"

namespace quill {

namespace {

constexpr int daysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool inLeapWeek(const TableDay &day)
{
    return day.month == 2 && day.day >= 24 && day.day <= 28;
}

} // namespace

bool isLeapDay(const QDate &date)
{
    return date.isValid() && QDate::isLeapYear(date.year()) && date.month() == 2 &&
           date.day() == 24;
}

std::optional<TableDay> tableDayOf(const QDate &date)
{
    if (!date.isValid() || isLeapDay(date))
        return std::nullopt;
    TableDay day{date.month(), date.day()};
    if (QDate::isLeapYear(date.year()) && date.month() == 2 && date.day() > 24)
        --day.day;
    return day;
}

QDate celebratedOn(const TableDay &day, int year)
{
    if (inLeapWeek(day) && QDate::isLeapYear(year))
        return QDate(year, day.month, day.day + 1);
    return QDate(year, day.month, day.day);
}

QDate yearlyDateIn(int month, int day, int year, LeapDayRule rule)
{
    if (month == 2 && day == 29 && !QDate::isLeapYear(year))
        return rule == LeapDayRule::March1 ? QDate(year, 3, 1) : QDate(year, 2, 28);
    return QDate(year, month, day);
}

QString mainNamesOn(const QDate &date)
{
    const auto day = tableDayOf(date);
    return day ? NameDayCalendar::entry(day->month, day->day) : QString();
}

QStringList otherNamesOf(const TableDay &day)
{
    QStringList names;
    if (day.month < 1 || day.month > 12 || day.day < 1 || day.day > MonthNames[day.month - 1].days)
        return names;
    const QStringList main = NameDayCalendar::entry(day.month, day.day).split(QStringLiteral(", "));
    const int index = daysBefore[day.month - 1] + day.day - 1;
    for (int i = data::dayNameStarts[index]; i < data::dayNameStarts[index + 1]; ++i) {
        const QString name = extendedName(data::dayNames[i]);
        if (!main.contains(name))
            names << name;
    }
    return names;
}

QStringList otherNamesOn(const QDate &date)
{
    const auto day = tableDayOf(date);
    return day ? otherNamesOf(*day) : QStringList();
}

QString leapDayText()
{
    return QStringLiteral("Szökőnap");
}

QString dayText(const TableDay &day, int year)
{
    const QDate date = celebratedOn(day, year);
    const int month = date.isValid() ? date.month() : day.month;
    const int d = date.isValid() ? date.day() : day.day;
    return MonthNames[std::size_t(month - 1)].hungarian.toString() + u' ' + QString::number(d) +
           u'.';
}

QString shortMonthName(int month)
{
    const QString name = MonthNames[std::size_t(month - 1)].hungarian.toString();
    // "febr", "márc", "szept"; else three letters.
    if (month == 2 || month == 3)
        return name.left(4);
    if (month == 9)
        return name.left(5);
    return name.left(3);
}

QString shortDayText(const TableDay &day, int year)
{
    const QDate date = celebratedOn(day, year);
    const int month = date.isValid() ? date.month() : day.month;
    const int d = date.isValid() ? date.day() : day.day;
    return shortMonthName(month) + u' ' + QString::number(d) + u'.';
}

} // namespace quill
