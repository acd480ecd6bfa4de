#include "fitevent.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"
#include "occasions.h"
#include "reminders/alerts.h"

#include <QStringList>
#include <variant>

// An event read back as a reminder row: the program's own by its row, any other by its times and
// its category.
namespace quill {

namespace {

bool isStar(const QString &field)
{
    return field == anyValue();
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The event repeats: a rule the codec read, or one not read from a file.
bool recurs(const CalendarEvent &e)
{
    return e.recurrence || !e.rule.isEmpty();
}

// The moment the event's alarm rings; none without an alarm.
std::optional<QDateTime> alertOf(const CalendarEvent &e)
{
    if (e.alarmAt.isValid())
        return e.alarmAt.toLocalTime();
    if (e.alarmMinutesBefore)
        return e.start.addSecs(-60LL * *e.alarmMinutesBefore);
    return std::nullopt;
}

AlertTime fieldsOf(const QDateTime &at)
{
    const QDate d = at.date();
    return {QString::number(d.year()), MonthNames[std::size_t(d.month() - 1)].hungarian.toString(),
            QString::number(d.day()), twoDigits(at.time().hour()), twoDigits(at.time().minute())};
}

struct Rule {
    QString freq;
    std::optional<int> byMonth, byMonthDay;
    std::optional<QDate> until;
    bool leapDayKept = false; ///< the forms of a yearly 29 February
    QString refusal;
};

// What of a rule read by libical the alert fields can say, or why they cannot.
Rule ruleOf(const Recurrence &rec, const QDateTime &at)
{
    Rule rule;
    const QString misfit = QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    using F = Recurrence::Frequency;
    static const std::pair<F, const char16_t *> names[] = {{F::Yearly, u"YEARLY"},
                                                           {F::Monthly, u"MONTHLY"},
                                                           {F::Daily, u"DAILY"},
                                                           {F::Hourly, u"HOURLY"}};
    for (const auto &[frequency, name] : names) {
        if (rec.frequency == frequency)
            rule.freq = QString::fromUtf16(name);
    }
    const auto one = [&](const QList<int> &values, int low, int high) -> std::optional<int> {
        if (values.size() != 1 || values[0] < low || values[0] > high) {
            rule.refusal = misfit;
            return std::nullopt;
        }
        return values[0];
    };
    // 29 February kept every year: the last of February, or the 60th day of the year.
    rule.leapDayKept = rec.byYearDay == QList<int>{60} ||
                       (rec.byMonthDay == QList<int>{-1} && rec.byMonth == QList<int>{2});
    if (!rec.byMonth.isEmpty())
        rule.byMonth = one(rec.byMonth, 1, 12);
    if (!rec.byMonthDay.isEmpty() && !rule.leapDayKept)
        rule.byMonthDay = one(rec.byMonthDay, 1, 31);
    if (!rec.byYearDay.isEmpty() && !rule.leapDayKept)
        rule.refusal = misfit;
    if (!rec.byMinute.isEmpty())
        one(rec.byMinute, at.time().minute(), at.time().minute());
    if (rec.until.isValid())
        rule.until = rec.until;
    if (rec.count == 1)
        rule.freq = QStringLiteral("ONCE");
    if (rule.freq.isEmpty() || rec.interval != 1 || rec.count > 1 || rec.otherParts ||
        (rule.leapDayKept && rec.frequency != F::Yearly))
        rule.refusal = misfit;
    return rule;
}

// The alert fields of an event's times, or why they cannot be said in them.
std::variant<AlertTime, QString> alertTimeOf(const CalendarEvent &e)
{
    if (!e.start.isValid())
        return QStringLiteral("nincs kezdő időpontja");
    const QDateTime at = alertOf(e).value_or(e.start);
    const QDate d = at.date();
    AlertTime t = fieldsOf(at);
    if (!recurs(e))
        return t;
    if (!e.recurrence)
        return QStringLiteral("az ismétlődése nem olvasható");
    const Rule rule = ruleOf(*e.recurrence, at);
    if (!rule.refusal.isEmpty())
        return rule.refusal;
    if (rule.freq == u"ONCE")
        return t;
    const bool hourly = rule.freq == u"HOURLY";
    const bool daily = hourly || rule.freq == u"DAILY";
    const bool monthly = daily || rule.freq == u"MONTHLY";
    // The rule's days must be the start's own: the alert then repeats with them.
    if (rule.byMonth && *rule.byMonth != e.start.date().month())
        return QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    if (rule.leapDayKept && !(e.allDay && d.month() <= 3))
        return QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
    if (rule.byMonthDay && *rule.byMonthDay != e.start.date().day())
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

// Where a name day or a birthday moved to: a name day kept every year as the tables write it,
// one of a single year and a birthday as the date itself.
QString movedDayText(const CalendarEvent &e, ReminderKind kind)
{
    QDate day = e.start.date();
    if (kind == ReminderKind::Birthday && e.recurrence &&
        (e.recurrence->byYearDay == QList<int>{60} || e.recurrence->byMonthDay == QList<int>{-1}))
        return occasionDayText(2, 29);
    if (kind == ReminderKind::NameDay && recurs(e)) {
        if (const auto table = tableDayOf(day))
            return occasionDayText(table->month, table->day);
    }
    return occasionDayText(day.month(), day.day());
}

// The program's own event shown on its occasion: the alert from the alarm (the row's own while
// there is none, since some programs drop alarms they do not show), the occasion moved there
// into the row's date text.
std::variant<AlertTime, QString> takeOccasion(const CalendarEvent &e, Reminder &r,
                                              const CalendarEvent &mine)
{
    const auto at = alertOf(e);
    AlertTime t = at ? fieldsOf(*at) : r.alertTime();
    if (at && recurs(e)) {
        if (!e.recurrence || e.recurrence->frequency != Recurrence::Frequency::Yearly)
            return QStringLiteral("az ismétlődése nem fér el egy emlékeztetőben");
        t.year = anyValue();
    }
    if (e.start != mine.start || e.allDay != mine.allDay) {
        const auto kind = r.kind();
        if (kind == ReminderKind::Meeting && !e.allDay)
            r.setField(Field::When, occasionMeetingText(e.start));
        else if (kind != ReminderKind::Meeting && e.allDay)
            r.setField(Field::When, movedDayText(e, *kind));
    }
    return t;
}

// The program's own event: its row, with what another program may have changed on it.
FittedEvent fitOwn(const CalendarEvent &e, Reminder r, LeapDayRule leapDay)
{
    if (!e.start.isValid())
        return {std::nullopt, QStringLiteral("nincs kezdő időpontja"), {}};
    // The event as this program writes the row now, counted from just before the event: one
    // shown on its occasion has the same start unless it was moved there.
    const QDate near = e.start.date().addDays(-(maxLeadDays + 1));
    const auto mine = eventOfReminder(r, e.uid, near, leapDay);
    const auto time =
        mine && hasOccasion(r, near, leapDay) ? takeOccasion(e, r, *mine) : alertTimeOf(e);
    if (const auto *reason = std::get_if<QString>(&time))
        return {std::nullopt, *reason, {}};
    const AlertTime t = std::get<AlertTime>(time);
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
    if (!takeSummary(r, storableSummary(e.summary)))
        return {std::nullopt, QStringLiteral("a szövege nem tárolható"), {}};
    // An alarm set on another device switches the reminder on; one taken away leaves it as
    // it was, since some programs drop alarms they do not show.
    if (alertOf(e) && !r.isActive())
        r.setActive(true);
    return {r, {}, {}};
}

// The kind a category names ("Névnap", "Születésnap", ...); "Egyéb" for any other.
ReminderKind kindOfCategory(const QString &categories)
{
    for (const QString &c : categories.split(u',')) {
        for (int k = 0; k < 5; ++k) {
            if (kindCaption(ReminderKind(k)) == c.trimmed())
                return ReminderKind(k);
        }
    }
    return ReminderKind::Other;
}

// The date text of another program's event of a kind that has one: what its description tells
// after the names when it is the alert's own text ("NÉVNAP!!     Kiss Ábel március 15.", as this
// program writes it), else the occasion the event shows.
QString whenOf(const CalendarEvent &e, const Reminder &r, ReminderKind kind)
{
    Reminder probe = r;
    probe.setField(Field::When, QString());
    const QString before = alertText(probe).simplified() + u' ';
    const QString description = e.description.simplified();
    if (description.startsWith(before) && storableText(description.mid(before.size())))
        return description.mid(before.size());
    if (kind == ReminderKind::Meeting && !e.allDay && !recurs(e))
        return occasionMeetingText(e.start);
    if ((kind == ReminderKind::NameDay || kind == ReminderKind::Birthday) && e.allDay)
        return movedDayText(e, kind);
    return QStringLiteral(" ");
}

// Another program's event: a reminder of the kind its category names, the texts from its title,
// switched on while it has an alarm.
FittedEvent fitForeign(const CalendarEvent &e)
{
    const auto time = alertTimeOf(e);
    if (const auto *reason = std::get_if<QString>(&time))
        return {std::nullopt, *reason, {}};
    const AlertTime t = std::get<AlertTime>(time);
    QString text = storableSummary(e.summary);
    if (text.isEmpty())
        return {std::nullopt, QStringLiteral("nincs szövege"), {}};
    if (!storableText(text))
        return {
            std::nullopt,
            QStringLiteral("a szövegében olyan jel van, amelyet az emlékeztetőfájl nem tárolhat"),
            {}};
    const ReminderKind kind = kindOfCategory(e.category);
    const QString blank = QStringLiteral(" ");
    Reminder r{
        kindLetter(kind),   blank, blank, t.year, t.month, t.day, t.hour, t.minute, blank, blank,
        QStringLiteral("1")};
    if (kind == ReminderKind::Other) {
        r.setField(Field::FreeText, text);
    } else {
        const QString caption = kindCaption(kind) + QStringLiteral(": ");
        if (text.startsWith(caption) && text.size() > caption.size())
            text = text.mid(caption.size());
        // A person's names: the surname first, the given name last.
        const qsizetype last = text.lastIndexOf(u' ');
        const bool person = kind == ReminderKind::NameDay || kind == ReminderKind::Birthday;
        r.setField(Field::Text1, person && last > 0 ? text.left(last) : text);
        if (person && last > 0)
            r.setField(Field::Text2, text.mid(last + 1));
        r.setField(Field::When, whenOf(e, r, kind));
    }
    r.setActive(alertOf(e).has_value());
    return {r, {}, {}};
}

} // namespace

FittedEvent fitEvent(const CalendarEvent &e, LeapDayRule leapDay)
{
    const auto own = reminderOfLine(e.row);
    FittedEvent fitted = own ? fitOwn(e, *own, leapDay) : fitForeign(e);
    if (!fitted.reminder)
        return fitted;
    // Called off there: kept here, switched off.
    if (e.cancelled)
        fitted.reminder->setActive(false);
    if (e.exceptions)
        fitted.note = QStringLiteral("egyes alkalmait másutt külön módosították (áthelyezték, "
                                     "törölték vagy hozzáadták); az emlékeztető ezeket nem "
                                     "követi, a többi alkalmát igen");
    return fitted;
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
