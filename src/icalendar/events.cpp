#include "events.h"

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/numtext.h"
#include "calendar/tradition.h"
#include "occasions.h"
#include "reminders/alerts.h"

#include <QCryptographicHash>
#include <QStringList>
#include <algorithm>

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

namespace {

// The first minute on or after `from` (for a fixed year, the first of that year) that the
// reminder's alert time matches; none when it never does.
std::optional<QDateTime> firstAlertMinute(const Reminder &r, const QDate &from)
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
    for (int i = 0; i < searchDays; ++i) {
        const QDateTime at(day.addDays(i), QTime(hour, *minute));
        if (isDue(probe, wallMinute(at)))
            return at;
    }
    return std::nullopt;
}

// The repeat of the alert time from its first minute: the finest "*" field sets it, fixed fields
// finer than it narrow it; a fixed year ends it with the year, told in UTC as a zoned start needs.
QString alertRule(const AlertTime &t, const QDate &first)
{
    QStringList rule;
    if (isStar(t.hour)) {
        rule << QStringLiteral("FREQ=HOURLY");
        if (!isStar(t.month))
            rule << QStringLiteral("BYMONTH=%1").arg(first.month());
        if (!isStar(t.day))
            rule << QStringLiteral("BYMONTHDAY=%1").arg(first.day());
    } else if (isStar(t.day)) {
        rule << QStringLiteral("FREQ=DAILY");
        if (!isStar(t.month))
            rule << QStringLiteral("BYMONTH=%1").arg(first.month());
    } else if (isStar(t.month)) {
        rule << QStringLiteral("FREQ=MONTHLY");
    } else if (isStar(t.year)) {
        rule << QStringLiteral("FREQ=YEARLY");
    }
    if (!rule.isEmpty() && !isStar(t.year)) {
        const QDateTime end(QDate(first.year(), 12, 31), QTime(23, 59, 59));
        rule << QStringLiteral("UNTIL=") +
                    end.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    }
    return rule.join(u';');
}

} // namespace

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

bool hasOccasion(const Reminder &r, const QDate &near, LeapDayRule leapDay)
{
    const auto first = firstAlertMinute(r, near);
    return first && occasionOf(r, *first, leapDay);
}

std::optional<CalendarEvent> eventOfReminder(const Reminder &r, const QString &uid,
                                             const QDate &from, LeapDayRule leapDay)
{
    const auto first = firstAlertMinute(r, from);
    if (!first)
        return std::nullopt;
    CalendarEvent e;
    e.uid = uid;
    e.summary = summaryOf(r);
    e.description = alertText(r);
    if (const auto kind = r.kind())
        e.category = kindCaption(*kind);
    if (const auto occasion = occasionOf(r, *first, leapDay)) {
        e.start = occasion->start;
        e.allDay = occasion->allDay;
        e.rule = occasion->rule;
        if (r.isActive() && occasion->atAlertMinute)
            e.alarmAt = *first;
        else if (r.isActive())
            e.alarmMinutesBefore = occasion->minutesBefore;
    } else {
        e.start = *first;
        e.rule = alertRule(r.alertTime(), first->date());
        if (r.isActive())
            e.alarmMinutesBefore = 0;
    }
    e.row = rowLine(r);
    return e;
}

namespace {

CalendarEvent celebrationEvent(const contacts::Celebration &c, const QDate &day,
                               LeapDayRule leapDay)
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
    e.rule = c.nameDay ? nameDayRule({day.month(), day.day()})
                       : birthdayRule(day.month(), day.day(), leapDay);
    e.transparent = true;
    return e;
}

} // namespace

QList<CalendarEvent> celebrationEvents(const contacts::ContactBook &book, LeapDayRule leapDay)
{
    // Name days as a common year has them (the rule moves them in leap years), birthdays as a
    // leap year has them, so that 29 February is one of them; in the order of the days.
    QList<CalendarEvent> events;
    for (QDate day(2000, 1, 1); day.year() == 2000; day = day.addDays(1)) {
        if (const QDate common(2001, day.month(), day.day()); common.isValid()) {
            for (const contacts::Celebration &c : book.on(common)) {
                if (c.nameDay)
                    events << celebrationEvent(c, common, leapDay);
            }
        }
        for (const contacts::Celebration &c : book.on(day)) {
            if (!c.nameDay)
                events << celebrationEvent(c, day, leapDay);
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
        e.rule = nameDayRule({day.month(), day.day()});
        e.transparent = true;
        events << e;
    }
    return events;
}

} // namespace quill
