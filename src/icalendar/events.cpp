#include "events.h"

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/numtext.h"
#include "calendar/tradition.h"
#include "reminders/alerts.h"

#include <QCryptographicHash>
#include <QStringList>
#include <algorithm>
#include <variant>

namespace quill {

namespace {

// Days searched for an alert time's first minute: two leap-year cycles hold every date.
constexpr int searchDays = 8 * 366;

bool isStar(const QString &field)
{
    return field == anyValue();
}

// The whole number a field says, as the alert rule reads it.
std::optional<int> wholeValue(const QString &field)
{
    const double v = textValue(field);
    if (v != double(int(v)))
        return std::nullopt;
    return int(v);
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString summaryOf(const Reminder &r)
{
    const auto joined = [](std::initializer_list<QString> parts) {
        QStringList kept;
        for (const QString &p : parts) {
            if (!p.trimmed().isEmpty())
                kept << p.trimmed();
        }
        return kept.join(u' ');
    };
    const auto kind = r.kind();
    if (!kind)
        return joined({r.text1(), r.text2(), r.when(), r.freeText()});
    if (*kind == ReminderKind::Other)
        return r.freeText().trimmed();
    return kindCaption(*kind) + QStringLiteral(": ") + joined({r.text1(), r.text2()});
}

} // namespace

QString rowLine(const Reminder &reminder)
{
    QString line;
    for (int f = 0; f < ReminderFields; ++f)
        line += reminder.field(Field(f)) + u'|';
    return line + reminder.tail();
}

std::optional<Reminder> reminderOfLine(const QString &line)
{
    Reminder r;
    qsizetype start = 0;
    for (int f = 0; f < ReminderFields; ++f) {
        const qsizetype bar = line.indexOf(u'|', start);
        if (bar < 0)
            return std::nullopt;
        r.setField(Field(f), line.mid(start, bar - start));
        start = bar + 1;
    }
    r.setTail(line.mid(start));
    if (!r.inUse())
        return std::nullopt;
    for (int f = 0; f < ReminderFields; ++f) {
        if (!storableText(r.field(Field(f))))
            return std::nullopt;
    }
    if (!storableText(QString(r.tail()).remove(u'|')))
        return std::nullopt;
    return r;
}

std::optional<CalendarEvent> eventOfReminder(const Reminder &r, const QString &uid,
                                             const QDate &from)
{
    const AlertTime t = r.alertTime();
    const auto minute = wholeValue(t.minute);
    if (!minute || *minute < 0 || *minute > 59)
        return std::nullopt;
    int hour = 0;
    if (!isStar(t.hour)) {
        const auto h = wholeValue(t.hour);
        if (!h || *h < 0 || *h > 23)
            return std::nullopt;
        hour = *h;
    }
    // The first day the year, month and day fields match.
    QDate day = from;
    if (!isStar(t.year)) {
        bool ok = false;
        const int year = t.year.toInt(&ok);
        if (!ok || QString::number(year) != t.year || year < 1)
            return std::nullopt;
        day = QDate(year, 1, 1);
    }
    Reminder probe = r;
    probe.setField(Field::Hour, twoDigits(hour));
    std::optional<QDate> first;
    for (int i = 0; i < searchDays && !first; ++i) {
        const QDate d = day.addDays(i);
        if (isDue(probe, wallMinute(QDateTime(d, QTime(hour, *minute)))))
            first = d;
    }
    if (!first)
        return std::nullopt;

    CalendarEvent e;
    e.uid = uid;
    e.summary = summaryOf(r);
    e.description = alertText(r);
    if (const auto kind = r.kind())
        e.category = kindCaption(*kind);
    e.start = QDateTime(*first, QTime(hour, *minute));
    // The finest "*" field sets the repeat; fixed fields finer than it narrow it.
    QStringList rule;
    if (isStar(t.hour)) {
        rule << QStringLiteral("FREQ=HOURLY");
        if (!isStar(t.month))
            rule << QStringLiteral("BYMONTH=%1").arg(first->month());
        if (!isStar(t.day))
            rule << QStringLiteral("BYMONTHDAY=%1").arg(first->day());
    } else if (isStar(t.day)) {
        rule << QStringLiteral("FREQ=DAILY");
        if (!isStar(t.month))
            rule << QStringLiteral("BYMONTH=%1").arg(first->month());
    } else if (isStar(t.month)) {
        rule << QStringLiteral("FREQ=MONTHLY");
    } else if (isStar(t.year)) {
        rule << QStringLiteral("FREQ=YEARLY");
    }
    if (!rule.isEmpty() && !isStar(t.year))
        rule << QStringLiteral("UNTIL=%1").arg(t.year + QStringLiteral("1231T235959"));
    e.rule = rule.join(u';');
    if (r.isActive())
        e.alarmMinutesBefore = 0;
    e.row = rowLine(r);
    return e;
}

namespace {

struct Rule {
    QString freq;
    std::optional<int> byMonth, byMonthDay;
    std::optional<QDate> until;
    QString refusal;
};

Rule parseRule(const QString &text, const QDateTime &start)
{
    Rule rule;
    const auto single = [&rule](const QString &value, int low, int high) -> std::optional<int> {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < low || n > high) {
            rule.refusal = QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
            return std::nullopt;
        }
        return n;
    };
    for (const QString &part : text.split(u';', Qt::SkipEmptyParts)) {
        const QString key = part.section(u'=', 0, 0).toUpper();
        const QString value = part.section(u'=', 1);
        if (key == u"FREQ") {
            rule.freq = value.toUpper();
        } else if (key == u"INTERVAL") {
            single(value, 1, 1);
        } else if (key == u"COUNT") {
            if (single(value, 1, 1))
                rule.freq = QStringLiteral("ONCE");
        } else if (key == u"BYMONTH") {
            rule.byMonth = single(value, 1, 12);
        } else if (key == u"BYMONTHDAY") {
            rule.byMonthDay = single(value, 1, 31);
        } else if (key == u"BYMINUTE") {
            single(value, start.time().minute(), start.time().minute());
        } else if (key == u"UNTIL") {
            const QDate until = QDate::fromString(value.left(8), QStringLiteral("yyyyMMdd"));
            if (!until.isValid())
                rule.refusal = QStringLiteral("az ismétlődése hibás");
            rule.until = until;
        } else if (key != u"WKST") {
            rule.refusal = QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
        }
        if (!rule.refusal.isEmpty())
            return rule;
    }
    static const QStringList known{QStringLiteral("YEARLY"), QStringLiteral("MONTHLY"),
                                   QStringLiteral("DAILY"), QStringLiteral("HOURLY"),
                                   QStringLiteral("ONCE")};
    if (!known.contains(rule.freq))
        rule.refusal = QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    return rule;
}

// The alert fields of an event's times, or why they cannot be said in them.
std::variant<AlertTime, QString> alertTimeOf(const CalendarEvent &e)
{
    if (!e.start.isValid())
        return QStringLiteral("nincs kezdő időpontja");
    if (e.exceptions)
        return QStringLiteral("kivételes alkalmai vannak");
    const QDateTime at = e.start.addSecs(-60LL * e.alarmMinutesBefore.value_or(0));
    const QDate d = at.date();
    const QTime time = at.time();
    AlertTime t{QString::number(d.year()),
                MonthNames[std::size_t(d.month() - 1)].hungarian.toString(),
                QString::number(d.day()), twoDigits(time.hour()), twoDigits(time.minute())};
    if (e.rule.isEmpty())
        return t;
    const Rule rule = parseRule(e.rule, at);
    if (!rule.refusal.isEmpty())
        return rule.refusal;
    if (rule.freq == u"ONCE")
        return t;
    const bool hourly = rule.freq == u"HOURLY";
    const bool daily = hourly || rule.freq == u"DAILY";
    const bool monthly = daily || rule.freq == u"MONTHLY";
    if (rule.byMonth && *rule.byMonth != d.month())
        return QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    if (rule.byMonthDay && *rule.byMonthDay != d.day())
        return QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    if (hourly)
        t.hour = anyValue();
    if (daily && !rule.byMonthDay)
        t.day = anyValue();
    if (monthly && !rule.byMonth)
        t.month = anyValue();
    if (!rule.until) {
        t.year = anyValue();
    } else if (rule.until->year() != d.year() || rule.until->month() != 12 ||
               rule.until->day() != 31) {
        // A repeat that ends within a year, or after several, is no alert time.
        if (*rule.until < d)
            return t;
        return QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    }
    return t;
}

bool sameValue(const QString &a, const QString &b, Field f)
{
    if (a == b)
        return true;
    if (isStar(a) || isStar(b))
        return false;
    if (f == Field::Month)
        return hungarianMonthNumber(a) == hungarianMonthNumber(b) && hungarianMonthNumber(a) != 0;
    if (f == Field::Year)
        return false;
    return textValue(a) == textValue(b);
}

QString storableSummary(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    text.replace(u'\t', u' ');
    return text.simplified();
}

// A summary retyped on another device, back into the row's two lines: the kind's caption in
// front is optional, and the line that still reads as it did stays; else all goes to the first.
bool takeSummary(Reminder &r, const QString &text)
{
    const auto kind = r.kind();
    // Unchanged; or of a kind this program does not know, whose texts it never rewrites.
    if (text == summaryOf(r) || !kind)
        return true;
    if (*kind == ReminderKind::Other) {
        if (text.isEmpty() || !storableText(text))
            return false;
        r.setField(Field::FreeText, text);
        return true;
    }
    QString rest = text;
    const QString caption = kindCaption(*kind) + QStringLiteral(": ");
    if (rest.startsWith(caption))
        rest = rest.mid(caption.size()).trimmed();
    if (rest.isEmpty() || !storableText(rest))
        return false;
    const QString first = r.text1().trimmed(), second = r.text2().trimmed();
    const QString blank = QStringLiteral(" ");
    if (!second.isEmpty() && rest.endsWith(u' ' + second)) {
        r.setField(Field::Text1, rest.left(rest.size() - second.size() - 1));
    } else if (!first.isEmpty() && rest.startsWith(first + u' ')) {
        r.setField(Field::Text2, rest.mid(first.size() + 1));
    } else if (rest == first) {
        r.setField(Field::Text2, blank);
    } else if (rest == second) {
        r.setField(Field::Text1, blank);
    } else {
        r.setField(Field::Text1, rest);
        r.setField(Field::Text2, blank);
    }
    return true;
}

} // namespace

FittedEvent fitEvent(const CalendarEvent &e)
{
    const auto time = alertTimeOf(e);
    if (const auto *reason = std::get_if<QString>(&time))
        return {std::nullopt, *reason};
    const AlertTime t = std::get<AlertTime>(time);
    const QString text = storableSummary(e.summary);

    if (auto own = reminderOfLine(e.row)) {
        Reminder r = *own;
        // The times as another program may have moved them; the row's own wording where the
        // meaning is the same.
        const std::pair<Field, QString> fields[] = {{Field::Year, t.year},
                                                    {Field::Month, t.month},
                                                    {Field::Day, t.day},
                                                    {Field::Hour, t.hour},
                                                    {Field::Minute, t.minute}};
        for (const auto &[field, value] : fields) {
            if (!sameValue(r.field(field), value, field))
                r.setField(field, value);
        }
        if (!takeSummary(r, text))
            return {std::nullopt, QStringLiteral("a szövege nem tárolható")};
        // An alarm set on another device switches the reminder on; one taken away leaves it as
        // it was, since some programs drop alarms they do not show.
        if (e.alarmMinutesBefore && !r.isActive())
            r.setActive(true);
        return {r, {}};
    }

    if (text.isEmpty())
        return {std::nullopt, QStringLiteral("nincs szövege")};
    if (!storableText(text))
        return {std::nullopt, QStringLiteral("a szövegében olyan jel van, amelyet az "
                                             "emlékeztetőfájl nem tárolhat")};
    const QString blank = QStringLiteral(" ");
    Reminder r{kindLetter(ReminderKind::Other),
               blank,
               blank,
               t.year,
               t.month,
               t.day,
               t.hour,
               t.minute,
               blank,
               text,
               QStringLiteral("1")};
    return {r, {}};
}

namespace {

// A yearly rule that keeps the tradition: 24-28 February counted from the month's end, so the
// names fall a day later in a leap year ("BYMONTHDAY=-5" is the 24th of a common year and the
// 25th of a leap year) and every client expands it alike.
QString yearlyRule(const QDate &commonYearDay)
{
    if (commonYearDay.month() == 2 && commonYearDay.day() >= 24)
        return QStringLiteral("FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=%1").arg(commonYearDay.day() - 29);
    return QStringLiteral("FREQ=YEARLY");
}

CalendarEvent celebrationEvent(const contacts::Celebration &c, const QDate &day)
{
    CalendarEvent e;
    const QString key = c.person + u'\n' + (c.nameDay ? c.name : QStringLiteral("*")) + u'\n' +
                        day.toString(QStringLiteral("MMdd"));
    e.uid = QStringLiteral("ismeros-") +
            QString::fromLatin1(
                QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(20)) +
            QStringLiteral("@quillomat.zelmarin.hu");
    e.summary = c.nameDay ? QStringLiteral("%1 névnapja (%2)").arg(c.person, c.name)
                          : QStringLiteral("%1 születésnapja").arg(c.person);
    e.category = c.nameDay ? QStringLiteral("Névnap") : QStringLiteral("Születésnap");
    e.start = QDateTime(day, QTime(0, 0));
    e.allDay = true;
    if (c.nameDay)
        e.rule = yearlyRule(day);
    else
        e.rule = day.month() == 2 && day.day() == 29
                     ? QStringLiteral("FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1")
                     : QStringLiteral("FREQ=YEARLY");
    e.transparent = true;
    return e;
}

} // namespace

QList<CalendarEvent> celebrationEvents(const contacts::ContactBook &book)
{
    // Name days as a common year has them (the rule moves them in leap years), birthdays as a
    // leap year has them, so that 29 February is one of them; in the order of the days.
    QList<CalendarEvent> events;
    for (QDate day(2000, 1, 1); day.year() == 2000; day = day.addDays(1)) {
        if (const QDate common(2001, day.month(), day.day()); common.isValid()) {
            for (const contacts::Celebration &c : book.on(common)) {
                if (c.nameDay)
                    events << celebrationEvent(c, common);
            }
        }
        for (const contacts::Celebration &c : book.on(day)) {
            if (!c.nameDay)
                events << celebrationEvent(c, day);
        }
    }
    return events;
}

QList<CalendarEvent> nameDayEvents()
{
    QList<CalendarEvent> events;
    for (QDate day(2001, 1, 1); day.year() == 2001; day = day.addDays(1)) {
        const QString names = mainNamesOn(day);
        if (names.isEmpty())
            continue;
        CalendarEvent e;
        e.uid = QStringLiteral("nevnap-") + day.toString(QStringLiteral("MMdd")) +
                QStringLiteral("@quillomat.zelmarin.hu");
        e.summary = names + QStringLiteral(" névnapja");
        e.description = QStringLiteral("Ezen a napon ünneplik névnapjukat: ") + names;
        if (const QStringList others = otherNamesOn(day); !others.isEmpty())
            e.description +=
                QStringLiteral(". Egyéb névnapok: ") + others.join(QStringLiteral(", "));
        e.category = QStringLiteral("Névnap");
        e.start = QDateTime(day, QTime(0, 0));
        e.allDay = true;
        e.rule = yearlyRule(day);
        e.transparent = true;
        events << e;
    }
    return events;
}

QString eventLine(const CalendarEvent &e)
{
    const QDate d = e.start.date();
    QString when = QStringLiteral("%1. %2 %3.")
                       .arg(d.year())
                       .arg(MonthNames[std::size_t(std::max(d.month(), 1) - 1)].hungarian)
                       .arg(d.day());
    if (!e.allDay)
        when += u' ' + e.start.time().toString(QStringLiteral("HH:mm"));
    const QString text = storableSummary(e.summary);
    return when + QStringLiteral(" – ") +
           (text.isEmpty() ? QStringLiteral("(nincs szöveg)") : text);
}

} // namespace quill
