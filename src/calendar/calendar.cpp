#include "calendar.h"

namespace quill {

const std::array<MonthInfo, 12> MonthNames = {{
    {u"január", u"January", 31},
    {u"február", u"February", 28},
    {u"március", u"March", 31},
    {u"április", u"April", 30},
    {u"május", u"May", 31},
    {u"június", u"June", 30},
    {u"július", u"July", 31},
    {u"augusztus", u"August", 31},
    {u"szeptember", u"September", 30},
    {u"október", u"October", 31},
    {u"november", u"November", 30},
    {u"december", u"December", 31},
}};

const std::array<WeekdayInfo, 7> WeekdayNames = {{
    {u"Monday", u"Hétfő"},
    {u"Tuesday", u"Kedd"},
    {u"Wednesday", u"Szerda"},
    {u"Thursday", u"Csütörtök"},
    {u"Friday", u"Péntek"},
    {u"Saturday", u"Szombat"},
    {u"Sunday", u"Vasárnap"},
}};

const QString &anyValue()
{
    static const QString star = QStringLiteral("*");
    return star;
}

bool isLeapYear(long long year)
{
    return year % 4 == 0;
}

QString hungarianMonthName(const QString &text)
{
    for (const auto &m : MonthNames) {
        if (text == m.english)
            return m.hungarian.toString();
    }
    return text;
}

QString hungarianWeekdayName(const QString &text)
{
    for (const auto &w : WeekdayNames) {
        if (text == w.english)
            return w.hungarian.toString();
    }
    return text;
}

int hungarianMonthNumber(QStringView name)
{
    for (std::size_t i = 0; i < MonthNames.size(); ++i) {
        if (name == MonthNames[i].hungarian)
            return int(i) + 1;
    }
    return 0;
}

std::optional<int> daysInMonth(QStringView month, long long year)
{
    const int m = hungarianMonthNumber(month);
    if (m == 0)
        return std::nullopt;
    if (m == 2)
        return isLeapYear(year) ? 29 : 28;
    return MonthNames[m - 1].days;
}

QString foldedForMatching(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c.toLower();
    }
    return folded;
}

QStringList alertMonthEntries()
{
    QStringList entries{anyValue()};
    for (const auto &m : MonthNames)
        entries << m.hungarian.toString();
    return entries;
}

DayListEdit adjustDayList(int itemCount, int leadingItems, QStringView month, int year)
{
    DayListEdit edit;
    const auto target = daysInMonth(month, year);
    if (!target)
        return edit;
    const int days = std::max(0, itemCount - leadingItems);
    if (days > *target)
        edit.removeFromEnd = days - *target;
    for (int d = days + 1; d <= *target; ++d)
        edit.append << QString::number(d);
    return edit;
}

void adjustDayList(QStringList &items, int leadingItems, QStringView month, int year)
{
    const DayListEdit edit = adjustDayList(int(items.size()), leadingItems, month, year);
    items.remove(items.size() - edit.removeFromEnd, edit.removeFromEnd);
    items << edit.append;
}

} // namespace quill
