#include "listrules.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <cmath>

namespace quill::list {

Field fieldOf(Column column)
{
    static constexpr std::array<Field, ColumnCount> fields = {
        Field::Kind, Field::Text1, Field::Text2,  Field::When,     Field::Year,     Field::Month,
        Field::Day,  Field::Hour,  Field::Minute, Field::FreeText, Field::RowNumber};
    return fields[std::size_t(column)];
}

bool isAlertColumn(Column column)
{
    return column >= Column::AlertYear && column <= Column::AlertMinute;
}

Layout layoutFor(ReminderKind kind)
{
    Layout l;
    for (int c = int(Column::Text1); c <= int(Column::AlertMinute); ++c)
        l.columnShown[std::size_t(c)] = true;
    switch (kind) {
    case ReminderKind::NameDay:
        l.firstHeader = QStringLiteral("Vezetéknév");
        l.secondHeader = QStringLiteral("Keresztnév");
        l.whenHeader = QStringLiteral("Névnap(ok)");
        break;
    case ReminderKind::Birthday:
        l.firstHeader = QStringLiteral("Vezetéknév");
        l.secondHeader = QStringLiteral("Keresztnév");
        l.whenHeader = QStringLiteral("Születésnap");
        break;
    case ReminderKind::Meeting:
        l.firstHeader = QStringLiteral("Esemény");
        l.secondHeader = QStringLiteral("Helyszín");
        l.whenHeader = QStringLiteral("Időpont");
        break;
    case ReminderKind::MeterReading:
        l.firstHeader = QStringLiteral("Fajta");
        l.secondHeader = QStringLiteral("Azonosító");
        l.columnShown[std::size_t(Column::When)] = false;
        break;
    case ReminderKind::Other:
        l.firstHeader = QStringLiteral("Emlékeztető szöveg");
        l.secondHeaderShown = false;
        l.whenHeaderShown = false;
        l.columnShown.fill(false);
        for (int c = int(Column::AlertYear); c <= int(Column::FreeText); ++c)
            l.columnShown[std::size_t(c)] = true;
        break;
    }
    return l;
}

QList<int> listedRows(const ReminderTable &table, ReminderKind kind)
{
    QList<int> rows;
    const QString letter = kindLetter(kind);
    for (int r = 0; r < ReminderRows; ++r) {
        if (table.row(r).kindLetter() == letter)
            rows << r;
    }
    return rows;
}

namespace {
bool twoDigitsFirst(const QString &text)
{
    return text.size() >= 2 && isAsciiDigit(text[0]) && isAsciiDigit(text[1]);
}

// The column's own rule: the forms the list has always accepted.
bool passesColumnRule(Column column, const QString &text, int currentYear, const QString &entryYear,
                      const QString &entryMonth)
{
    const QString &star = anyValue();
    const double value = textValue(text);
    switch (column) {
    case Column::AlertYear:
        return text == star || (value >= currentYear && value <= currentYear + 20);
    case Column::AlertMonth:
        return alertMonthEntries().contains(text);
    case Column::AlertDay: {
        if (text == star)
            return true;
        const double yearValue = entryYear == star ? 0.0 : textValue(entryYear);
        const long long year = std::llround(yearValue);
        const int days = entryMonth == star ? 31 : daysInMonth(entryMonth, year).value_or(31);
        return isWhole(value) && value >= 1 && value <= days;
    }
    case Column::AlertHour:
        if (text == star)
            return true;
        return twoDigitsFirst(text) && isWhole(value) && value >= 0 && value <= 23;
    case Column::AlertMinute:
        return twoDigitsFirst(text) && isWhole(value) && value >= 0 && value <= 59;
    default:
        return true;
    }
}
} // namespace

bool isValidListEntry(Column column, const QString &text, int currentYear, const AlertTime &entry)
{
    // Whatever goes into the table must be writable to the file as it is.
    if (!storableText(text))
        return false;
    if (!passesColumnRule(column, text, currentYear, entry.year, entry.month))
        return false;
    AlertTime changed = entry;
    QString *field = column == Column::AlertYear    ? &changed.year
                     : column == Column::AlertMonth ? &changed.month
                     : column == Column::AlertDay   ? &changed.day
                     : column == Column::AlertHour  ? &changed.hour
                                                    : &changed.minute;
    *field = text;
    if (!isAlertColumn(column))
        return true;
    // The change may not leave the reminder unable to come: not through the field it changes,
    // nor through the day it makes impossible. A field already wrong may be mended later.
    const QList<Field> before = deadAlertFields(entry, currentYear);
    for (Field dead : deadAlertFields(changed, currentYear)) {
        if (dead == fieldOf(column) || !before.contains(dead))
            return false;
    }
    return true;
}

} // namespace quill::list
