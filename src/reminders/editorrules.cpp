#include "editorrules.h"

#include "alerts.h"

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/names.h"
#include "calendar/numtext.h"
#include "calendar/tradition.h"

#include <QRegularExpression>

#include <algorithm>
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
} // namespace

QStringList alertYearEntries(int year)
{
    return QStringList{anyValue()} + meetingYearEntries(year);
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
    return QStringList{anyValue()} + numbers(1, days, 1);
}

QStringList dayEntries()
{
    return numbers(1, 31, 1);
}

QStringList hourEntries(bool withStar)
{
    return (withStar ? QStringList{anyValue()} : QStringList{}) + numbers(0, 23, 2);
}

QStringList minuteEntries()
{
    return numbers(0, 59, 2);
}

Reminder storedReminder(ReminderKind kind, const Inputs &in)
{
    const QString blank = QStringLiteral(" ");
    Reminder r;
    r.setField(Field::Kind, kindLetter(kind));
    r.setField(Field::Year, in.alertYear);
    r.setField(Field::Month, in.alertMonth);
    r.setField(Field::Day, in.alertDay);
    r.setField(Field::Hour, in.alertHour);
    r.setField(Field::Minute, in.alertMinute);
    r.setField(Field::FreeText, blank);
    const auto texts = [&r](const QString &first, const QString &second, const QString &when) {
        r.setField(Field::Text1, first);
        r.setField(Field::Text2, second);
        r.setField(Field::When, when);
    };
    switch (kind) {
    case ReminderKind::NameDay:
        texts(in.firstLine, in.firstName, in.nameDayDates);
        break;
    case ReminderKind::Birthday:
        texts(in.firstLine, in.firstName, in.month + u' ' + in.day + u'.');
        break;
    case ReminderKind::Meeting:
        texts(in.firstLine, in.secondLine,
              in.meetingYear + QStringLiteral(". ") + in.month + u' ' + in.day +
                  QStringLiteral(". ") + in.meetingHour + u':' + in.meetingMinute);
        break;
    case ReminderKind::MeterReading:
        texts(in.firstLine, in.secondLine, blank);
        break;
    case ReminderKind::Other:
        texts(blank, blank, blank);
        r.setField(Field::FreeText, in.freeText);
        break;
    }
    return r;
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
        return {StoreCheck::Problem::NoText, Field::Kind};
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

KindLayout kindLayout(ReminderKind kind)
{
    struct Captions {
        const char16_t *first, *second, *third;
    };
    static constexpr std::array<Captions, 5> captions = {{
        {u"Vezetéknév:", u"Keresztnév:", u"Névnapja(i):"},
        {u"Vezetéknév:", u"Keresztnév:", u"Születésnapja:"},
        {u"Megnevezés:", u"Helyszín:", u"Időpont:"},
        {u"Típus:", u"Fogyasztó ID:", nullptr},
        {u"Szöveg:", nullptr, nullptr},
    }};
    const Captions &c = captions[std::size_t(kindIndex(kind))];
    KindLayout layout;
    layout.captions = {QString::fromUtf16(c.first),
                       c.second ? QString::fromUtf16(c.second) : QString(),
                       c.third ? QString::fromUtf16(c.third) : QString()};
    const bool person = kind == ReminderKind::NameDay || kind == ReminderKind::Birthday;
    layout.firstLine = kind != ReminderKind::Other;
    layout.firstName = person;
    layout.secondLine = kind == ReminderKind::Meeting || kind == ReminderKind::MeterReading;
    layout.freeText = kind == ReminderKind::Other;
    layout.datePickers = kind == ReminderKind::Birthday || kind == ReminderKind::Meeting;
    layout.meetingPickers = kind == ReminderKind::Meeting;
    return layout;
}

bool showDateRow(ReminderKind kind, int pickedName)
{
    return kind == ReminderKind::NameDay && pickedName != -1;
}

Prefill lastDayBefore(int month, std::optional<int> year, int currentYear)
{
    if (month == 0)
        return {0, year, 31};
    if (month == 1)
        return {12, year ? std::optional(std::max(currentYear, *year - 1)) : std::nullopt, 31};
    return {
        month - 1, year,
        daysInMonth(MonthNames[std::size_t(month - 2)].hungarian, year.value_or(0)).value_or(31)};
}

Prefill nameDayPrefill(const QString &t, int alertMonth, const QDate &today)
{
    Prefill p;
    p.month = alertMonth;
    const QStringView head = QStringView(t).left(3);
    for (std::size_t i = 0; i < MonthNames.size() && !t.isEmpty(); ++i) {
        if (MonthNames[i].hungarian.left(3) == head) {
            p.month = int(i) + 1;
            break;
        }
    }
    // A name day whose month is already past this year comes next year.
    p.year = today.month() > p.month ? today.year() + 1 : today.year();
    const qsizetype at = std::find_if(t.cbegin(), t.cend(), isAsciiDigit) - t.cbegin();
    if (at >= t.size())
        return p;
    int d = t[at].digitValue();
    if (at + 1 < t.size() && isAsciiDigit(t[at + 1]))
        d = d * 10 + t[at + 1].digitValue();
    if (d > 1) {
        p.day = d - 1;
        return p;
    }
    return lastDayBefore(p.month, p.year, today.year());
}

QStringList nameDayChoices(const QString &name, const QDate &today)
{
    const auto found = nameDays(name);
    if (!found)
        return {};
    const auto yearOf = [&today](const TableDay &d) {
        return today.month() > d.month ? today.year() + 1 : today.year();
    };
    QStringList choices;
    if (!found->isMain) {
        for (const TableDay &d : found->otherDays)
            choices << dayText(d, yearOf(d));
        return choices;
    }
    // The index's own texts (short month names for some), of this year and of the next.
    static const QRegularExpression oneDate(QStringLiteral("\\S+ \\d{1,2}\\."));
    QList<QStringList> byYear;
    for (const int year : {today.year(), today.year() + 1}) {
        QStringList items;
        for (const auto &match : oneDate.globalMatch(*NameDayIndex::editorDates(name, year)))
            items << match.captured();
        byYear << items;
    }
    for (qsizetype i = 0; i < found->mainDays.size() && i < byYear[0].size(); ++i)
        choices << byYear[yearOf(found->mainDays[i]) - today.year()][i];
    return choices;
}

Prefill dayBeforePrefill(int day, int alertMonth, std::optional<int> alertYear, int currentYear)
{
    if (day <= 0)
        return {alertMonth, alertYear, std::nullopt};
    if (day > 1)
        return {alertMonth, alertYear, day - 1};
    return lastDayBefore(alertMonth, alertYear, currentYear);
}

QString dayWithSuffix(int day)
{
    // Said "elsején, másodikán, ... tizenkettedikén, ... harmincadikán".
    static constexpr std::array<const char16_t *, 32> suffixes = {
        u"-án", u"-jén", u"-án", u"-án", u"-én", u"-én", u"-án", u"-én", u"-án", u"-én", u"-én",
        u"-én", u"-én",  u"-án", u"-én", u"-én", u"-án", u"-én", u"-án", u"-én", u"-án", u"-én",
        u"-én", u"-án",  u"-én", u"-én", u"-án", u"-én", u"-án", u"-én", u"-án", u"-én"};
    return QString::number(day) + QString::fromUtf16(suffixes[std::size_t(std::clamp(day, 0, 31))]);
}

namespace {

QString datePart(const AlertTime &t)
{
    const bool anyYear = t.year == anyValue(), anyMonth = t.month == anyValue(),
               anyDay = t.day == anyValue();
    const QString year = anyYear ? QStringLiteral("minden évben") : t.year + u'.';
    const QString day = anyDay ? QString() : dayWithSuffix(int(textValue(t.day)));
    if (anyMonth && anyDay)
        return anyYear ? QStringLiteral("minden nap") : year + QStringLiteral(" minden nap");
    if (anyMonth)
        return year + QStringLiteral(" minden hónap ") + day;
    if (anyDay)
        return year + u' ' + t.month + QStringLiteral(" minden napján");
    return year + u' ' + t.month + u' ' + day;
}

} // namespace

QString describeAlert(const AlertTime &t, int currentYear)
{
    if (const auto dead = deadAlertField(t, currentYear)) {
        switch (*dead) {
        case Field::Year:
            return QStringLiteral("soha – ilyen év nem jön el");
        case Field::Month:
            return QStringLiteral("soha – ilyen hónap nincs");
        case Field::Day:
            return QStringLiteral("soha – ilyen nap nincs");
        default:
            return QStringLiteral("soha – ilyen időpont nincs");
        }
    }
    const QString minute =
        QStringLiteral("%1").arg(int(textValue(t.minute)), 2, 10, QLatin1Char('0'));
    if (t.hour == anyValue())
        return datePart(t) + QStringLiteral(", egész nap minden órában :") + minute +
               QStringLiteral("-kor");
    return datePart(t) + u' ' + QString::number(int(textValue(t.hour))) + u':' + minute +
           QStringLiteral("-kor");
}

int alertsPerDay(const AlertTime &t)
{
    return t.hour == anyValue() ? 24 : 1;
}

QString manyTimesQuestion(const AlertTime &t)
{
    return QStringLiteral("Ez az emlékeztető azokon a napokon, amikor jelez, naponta %1-szer "
                          "jelez (minden órában, ha az óra „*”). Így rögzítsem?")
        .arg(alertsPerDay(t));
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
