#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Whose name day a real date is. The tables are written for a common year; in a leap year
// 24 February is the leap day (szökőnap) and carries no name, and the names of 24-28 February
// are celebrated one day later, on 25-29 February ("Mátyás ugrása").
namespace quill {

/// A day of the name-day tables: a month and a day of a common year.
struct TableDay {
    int month = 0;
    int day = 0;
    bool isValid() const { return month > 0 && day > 0; }
    bool operator==(const TableDay &) const = default;
    auto operator<=>(const TableDay &) const = default;
};

/// True for 24 February of a leap year (of the real, Gregorian calendar).
bool isLeapDay(const QDate &date);
/// The table day whose names are celebrated on `date`; none on the leap day.
std::optional<TableDay> tableDayOf(const QDate &date);
/// The real date in `year` on which the names of a table day are celebrated: 24-28 February
/// move one day later in a leap year. Invalid for a day the year does not have.
QDate celebratedOn(const TableDay &day, int year);

/// Where a date kept every year (a birthday) falls in a common year that lacks 29 February: on
/// 28 February (the default) or on 1 March, as the settings choose.
enum class LeapDayRule { February28, March1 };
/// The settings' choice ("februar29_marcius1") as a rule.
constexpr LeapDayRule leapDayRule(bool onMarch1)
{
    return onMarch1 ? LeapDayRule::March1 : LeapDayRule::February28;
}
/// The day in `year` on which a yearly date of `month` and `day` is kept: the date itself, or for
/// 29 February in a common year the day `rule` says. Invalid for a day no year has.
QDate yearlyDateIn(int month, int day, int year, LeapDayRule rule);

/// The main names of `date`, as the main table writes them ("Ákos, Bátor"); empty on the leap
/// day and on a day without a name.
QString mainNamesOn(const QDate &date);
/// The other names of a table day from the extended list, the main ones left out, in the
/// list's order.
QStringList otherNamesOf(const TableDay &day);
/// The same for a real date; none on the leap day.
QStringList otherNamesOn(const QDate &date);

/// The text shown for the leap day.
QString leapDayText();

/// "február 25." for a table day in `year` (shifted in a leap year).
QString dayText(const TableDay &day, int year);
/// "febr 25.", "máj 14.", "szept 8.": the same with the month cut short.
QString shortDayText(const TableDay &day, int year);
/// "jan", "febr", "márc", "máj", "szept": a month's short name (1-12).
QString shortMonthName(int month);

} // namespace quill
