#include "listrules.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <cmath>

namespace quill::list {

Layout layoutFor(int kind)
{
    Layout l;
    for (int c = 1; c <= 8; ++c)
        l.columnShown[std::size_t(c)] = true;
    switch (kind) {
    case 1:
        l.header0 = QStringLiteral("Vezetéknév");
        l.header1 = QStringLiteral("Keresztnév");
        l.header7 = QStringLiteral("Születésnap");
        break;
    case 2:
        l.header0 = QStringLiteral("Esemény");
        l.header1 = QStringLiteral("Helyszín");
        l.header7 = QStringLiteral("Időpont");
        break;
    case 3:
        l.header0 = QStringLiteral("Fajta");
        l.header1 = QStringLiteral("Azonosító");
        l.columnShown[3] = false;
        break;
    case 4:
        l.header0 = QStringLiteral("Emlékeztető szöveg");
        l.header1Shown = false;
        l.header7Shown = false;
        l.columnShown.fill(false);
        for (int c = 4; c <= 9; ++c)
            l.columnShown[std::size_t(c)] = true;
        break;
    default:
        l.header0 = QStringLiteral("Vezetéknév");
        l.header1 = QStringLiteral("Keresztnév");
        l.header7 = QStringLiteral("Névnap(ok)");
        break;
    }
    return l;
}

QList<int> listedRows(const ReminderTable &table, int kind)
{
    QList<int> rows;
    const QString letter = kindLetter(kind);
    if (letter.isEmpty())
        return rows;
    for (int r = 0; r < ReminderRows; ++r) {
        if (table.field(r, Fld::Kind) == letter)
            rows << r;
    }
    return rows;
}

int rowForKey(const ReminderTable &table, const QString &key)
{
    if (key.isEmpty())
        return -1;
    for (int r = 0; r < ReminderRows; ++r) {
        if (table.field(r, Fld::RowNumber) == key)
            return r;
    }
    return -1;
}

namespace {
bool twoDigitsFirst(const QString &text)
{
    return text.size() >= 2 && text[0].isDigit() && text[0].unicode() < 128 && text[1].isDigit() &&
           text[1].unicode() < 128;
}
} // namespace

bool kifejezesteszt(int column, const QString &text, int currentYear, const QString &entryYear,
                    const QString &entryMonth)
{
    // Whatever goes into the table must be writable to the file as it is.
    if (!storableText(text))
        return true;
    const QString star = QStringLiteral("*");
    const double value = textValue(text);
    switch (column) {
    case 4:
        return !(text == star || (value >= currentYear && value <= currentYear + 20));
    case 5:
        return !alertMonthEntries().contains(text);
    case 6: {
        if (text == star)
            return false;
        const double yearValue = entryYear == star ? 0.0 : textValue(entryYear);
        const long long year = std::llround(yearValue);
        int days = 31;
        if (entryMonth != star) {
            if (entryMonth == u"február")
                days = year % 4 == 0 ? 29 : 28;
            else
                days = daysInMonth(entryMonth, 2001).value_or(31);
        }
        return !(isWhole(value) && value >= 1 && value <= days);
    }
    case 7:
        if (text == star)
            return false;
        return !(twoDigitsFirst(text) && isWhole(value) && value >= 0 && value <= 23);
    case 8:
        return !(twoDigitsFirst(text) && isWhole(value) && value >= 0 && value <= 59);
    default:
        return false;
    }
}

} // namespace quill::list
