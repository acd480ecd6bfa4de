#include "editorrules.h"

#include "alerts.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <cmath>

namespace quill::editor {

namespace {
QStringList numbers(int from, int to, int width)
{
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
    return list;
}
const QString star = QStringLiteral("*");
} // namespace

QStringList alertYearEntries(int year)
{
    return QStringList{star} + meetingYearEntries(year);
}

QStringList meetingYearEntries(int year)
{
    return numbers(year, year + 19, 1);
}

QStringList monthEntries()
{
    return quill::alertMonthEntries().mid(1);
}

QStringList alertDayEntries(int days)
{
    return QStringList{star} + numbers(1, days, 1);
}

QStringList dayEntries()
{
    return numbers(1, 31, 1);
}

QStringList hourEntries(bool withStar)
{
    return (withStar ? QStringList{star} : QStringList{}) + numbers(0, 23, 2);
}

QStringList minuteEntries()
{
    return numbers(0, 59, 2);
}

ReminderFields0to9 storedFields(ReminderKind kind, const Inputs &in)
{
    const QString blank = QStringLiteral(" ");
    ReminderFields0to9 f;
    f[Field::Kind] = kindLetter(kind);
    f[Field::Year] = in.alertYear;
    f[Field::Month] = in.alertMonth;
    f[Field::Day] = in.alertDay;
    f[Field::Hour] = in.alertHour;
    f[Field::Minute] = in.alertMinute;
    f[Field::FreeText] = blank;
    switch (kind) {
    case ReminderKind::NameDay:
        f[Field::Text1] = in.firstLine;
        f[Field::Text2] = in.firstName;
        f[Field::When] = in.nameDayDates;
        break;
    case ReminderKind::Birthday:
        f[Field::Text1] = in.firstLine;
        f[Field::Text2] = in.firstName;
        f[Field::When] = in.month + u' ' + in.day + u'.';
        break;
    case ReminderKind::Meeting:
        f[Field::Text1] = in.firstLine;
        f[Field::Text2] = in.secondLine;
        f[Field::When] = in.meetingYear + QStringLiteral(". ") + in.month + u' ' + in.day +
                         QStringLiteral(". ") + in.meetingHour + u':' + in.meetingMinute;
        break;
    case ReminderKind::MeterReading:
        f[Field::Text1] = in.firstLine;
        f[Field::Text2] = in.secondLine;
        f[Field::When] = blank;
        break;
    case ReminderKind::Other:
        f[Field::Text1] = blank;
        f[Field::Text2] = blank;
        f[Field::When] = blank;
        f[Field::FreeText] = in.freeText;
        break;
    }
    return f;
}

namespace {
bool hasNoText(ReminderKind kind, const Inputs &in)
{
    const auto empty = [](const QString &t) { return t.trimmed().isEmpty(); };
    switch (kind) {
    case ReminderKind::NameDay:
        return empty(in.firstLine) && empty(in.firstName) && empty(in.nameDayDates);
    case ReminderKind::Birthday:
        return empty(in.firstLine) && empty(in.firstName);
    case ReminderKind::Meeting:
    case ReminderKind::MeterReading:
        return empty(in.firstLine) && empty(in.secondLine);
    case ReminderKind::Other:
        break;
    }
    return empty(in.freeText);
}
} // namespace

StoreCheck checkStore(ReminderKind kind, const Inputs &in, int currentYear)
{
    if (hasNoText(kind, in))
        return {StoreCheck::Problem::NoText, -1};
    const AlertTime time{in.alertYear, in.alertMonth, in.alertDay, in.alertHour, in.alertMinute};
    if (const auto field = deadAlertField(time, currentYear))
        return {StoreCheck::Problem::DeadAlert, *field};
    return {};
}

QString refusalText(StoreCheck::Problem problem)
{
    if (problem == StoreCheck::Problem::NoText)
        return QStringLiteral("Üres emlékeztetőt nem lehet rögzíteni: adjon meg nevet vagy "
                              "szöveget!");
    return QStringLiteral("Helytelen kifejezést adott meg!");
}

bool showDateRow(ReminderKind kind, int pickedName)
{
    return kind == ReminderKind::NameDay && pickedName != -1;
}

Prefill nameDayPrefill(const QString &t, int alertMonth, int currentMonth,
                       const QStringList &alertMonths)
{
    Prefill p;
    p.alertMonth = alertMonth;
    const QStringView head = QStringView(t).left(3);
    for (int i = 0; i < alertMonths.size(); ++i) {
        if (QStringView(alertMonths[i]).left(3) == head && !t.isEmpty()) {
            p.alertMonth = i;
            break;
        }
    }
    p.alertYear = currentMonth > p.alertMonth ? 2 : 1;

    qsizetype at = -1;
    for (qsizetype i = 0; i < t.size() && at < 0; ++i) {
        if (t[i].isDigit() && t[i].unicode() < 128)
            at = i;
    }
    if (at < 0)
        return p;
    int d = t[at].digitValue();
    if (at + 1 < t.size() && t[at + 1].isDigit() && t[at + 1].unicode() < 128)
        d = d * 10 + t[at + 1].digitValue();
    p.setDay = true;
    if (d != 1) {
        p.alertDay = std::max(0, d - 1);
        return p;
    }
    p.lastDay = true;
    if (p.alertMonth > 1) {
        --p.alertMonth;
    } else if (p.alertMonth == 1) {
        p.alertMonth = 12;
        p.alertYear = std::max(1, p.alertYear - 1);
    }
    return p;
}

Prefill dayBeforePrefill(int dayPosition, int alertMonth, int alertYear)
{
    Prefill p;
    p.alertMonth = alertMonth;
    p.alertYear = alertYear;
    p.setDay = dayPosition >= 0;
    if (dayPosition != 0) {
        p.alertDay = dayPosition;
        return p;
    }
    p.lastDay = true;
    if (alertMonth > 1) {
        p.alertMonth = alertMonth - 1;
    } else if (alertMonth == 1) {
        p.alertMonth = 12;
        if (alertYear > 1)
            p.alertYear = alertYear - 1;
    }
    return p;
}

int alertYearValue(const QString &alertYearText)
{
    const double v = textValue(alertYearText);
    if (!std::isfinite(v) || std::fabs(v) > 1e9)
        return 0;
    return int(v);
}

HintTick hintTick(int step, bool pictureVisible)
{
    HintTick tick{std::min(step + 1, 10), HintTick::Frame::Unchanged};
    if (!pictureVisible)
        return tick;
    if (tick.step == 6) {
        tick.frame = HintTick::Frame::Second;
    } else if (tick.step >= 10) {
        tick.frame = HintTick::Frame::First;
        tick.step = 1;
    }
    return tick;
}

} // namespace quill::editor
