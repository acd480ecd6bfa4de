#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace quill {

struct MonthInfo {
    QStringView hungarian; ///< lower case, as stored and shown
    QStringView english;   ///< capitalised, as an English system formats it
    int days;              ///< length in a common year
};

struct WeekdayInfo {
    QStringView english;
    QStringView hungarian; ///< capitalised
};

/// The twelve months in calendar order.
extern const std::array<MonthInfo, 12> MonthNames;
/// The seven weekdays, Monday first.
extern const std::array<WeekdayInfo, 7> WeekdayNames;

/// "*": any year, month, day or hour in an alert time, and the first entry of those pickers.
const QString &anyValue();
/// The calendar's leap years: every year divisible by 4, with no century exception (2100 is one).
bool isLeapYear(long long year);

/// The Hungarian month name for an English one; any other text unchanged.
QString hungarianMonthName(const QString &text);
/// The Hungarian weekday name for an English one; any other text unchanged.
QString hungarianWeekdayName(const QString &text);
/// 1-12 for a Hungarian month name written exactly, 0 otherwise.
int hungarianMonthNumber(QStringView name);
/// Length of the month named in Hungarian; February has 29 days in a leap year.
std::optional<int> daysInMonth(QStringView month, long long year);
/// Lower case without accents, for matching what people type: "Lőrinc" and "LORINC" both give
/// "lorinc".
QString foldedForMatching(const QString &text);
/// The thirteen entries of an alert-month picker: "*", then the twelve month names.
QStringList alertMonthEntries();

/// What a day picker needs to follow its month: remove items from the end, or append these.
struct DayListEdit {
    int removeFromEnd = 0;
    QStringList append;
    bool isNoop() const { return removeFromEnd == 0 && append.isEmpty(); }
};

/// The day-picker rule. `itemCount` counts every item, `leadingItems` the fixed items before
/// the day numbers (a leading "*"). Unknown month texts leave the picker as it is.
DayListEdit adjustDayList(int itemCount, int leadingItems, QStringView month, int year);
/// The same rule applied to a plain list of items.
void adjustDayList(QStringList &items, int leadingItems, QStringView month, int year);

} // namespace quill
