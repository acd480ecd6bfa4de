// Reminders as other calendars show them: a name day and a birthday on their day, a meeting at
// its time, the alert as an alarm before it; every kind and repeat out through the codec and
// back, with the program's own property and without it; what other programs change or write.

#include "icalendar/codec.h"
#include "icalendar/events.h"
#include "icalendar/occasions.h"

#include <QTest>
#include <ctime>

using namespace quill;

Q_DECLARE_METATYPE(quill::Reminder)

namespace {

const QDate from(2026, 12, 7);

Reminder row(const QString &kind, const QString &time, const QString &when, bool active = true)
{
    const QStringList t = time.split(u' ');
    const bool person = kind == u"n" || kind == u"s";
    return {kind,
            kind == u"e" ? u" "_qs
            : person     ? u"Kiss"_qs
                         : u"Ebéd"_qs,
            kind == u"e" ? u" "_qs
            : person     ? u"Ábel"_qs
                         : u"Budapest"_qs,
            t[0],
            t[1],
            t[2],
            t[3],
            t[4],
            when,
            kind == u"e" ? u"Fogorvos"_qs : u" "_qs,
            active ? u"1"_qs : u"0"_qs,
            u"3"_qs};
}

QString alarmOf(const CalendarEvent &e)
{
    if (e.alarmAt.isValid())
        return u"at "_qs + e.alarmAt.toString(u"yyyy-MM-dd HH:mm"_qs);
    return e.alarmMinutesBefore ? QString::number(*e.alarmMinutesBefore) : u"none"_qs;
}

CalendarEvent throughCodec(const CalendarEvent &e)
{
    auto codec = makeLibicalCodec();
    const QByteArray ics = codec->write({e}, u"Emlékeztetők"_qs, QDateTime::currentDateTimeUtc());
    const QStringList problems = codec->problems(ics);
    if (!problems.isEmpty())
        qWarning("%s", qPrintable(problems.join(u'\n')));
    const CalendarRead read = codec->read(ics);
    return read.events.value(0);
}

QDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

// Meetings, meters and "Egyéb" reminders: a time of day.
void addTimedRows()
{
    QTest::newRow("meeting, an hour before")
        << row(u"t"_qs, u"2027 március 15 13 30"_qs, u"2027. március 15. 14:30"_qs) << false
        << at(2027, 3, 15, 14, 30) << false << QString() << u"60"_qs;
    QTest::newRow("meeting after the clock change: the alert's moment")
        << row(u"t"_qs, u"2027 március 27 14 30"_qs, u"2027. március 28. 14:30"_qs) << false
        << at(2027, 3, 28, 14, 30) << false << QString() << u"at 2027-03-27 14:30"_qs;
    QTest::newRow("meeting, alert after it: the alert minute")
        << row(u"t"_qs, u"2027 március 15 15 00"_qs, u"2027. március 15. 14:30"_qs) << false
        << at(2027, 3, 15, 15, 0) << false << QString() << u"0"_qs;
    QTest::newRow("meeting, alert every year: the alert minute")
        << row(u"t"_qs, u"* március 15 13 30"_qs, u"2027. március 15. 14:30"_qs) << false
        << at(2027, 3, 15, 13, 30) << false << u"FREQ=YEARLY"_qs << u"0"_qs;
    QTest::newRow("other, once") << row(u"e"_qs, u"2027 március 15 08 00"_qs, u" "_qs) << false
                                 << at(2027, 3, 15, 8, 0) << false << QString() << u"0"_qs;
    QTest::newRow("other, every year")
        << row(u"e"_qs, u"* március 15 08 00"_qs, u" "_qs) << false << at(2027, 3, 15, 8, 0)
        << false << u"FREQ=YEARLY"_qs << u"0"_qs;
    QTest::newRow("other, daily in March")
        << row(u"e"_qs, u"* március * 07 15"_qs, u" "_qs) << false << at(2027, 3, 1, 7, 15) << false
        << u"FREQ=DAILY;BYMONTH=3"_qs << u"0"_qs;
    QTest::newRow("other, 29 February in leap years")
        << row(u"e"_qs, u"* február 29 09 00"_qs, u" "_qs) << false << at(2028, 2, 29, 9, 0)
        << false << u"FREQ=YEARLY"_qs << u"0"_qs;
    QTest::newRow("meter, every month")
        << row(u"m"_qs, u"* * 5 18 30"_qs, u" "_qs) << false << at(2027, 1, 5, 18, 30) << false
        << u"FREQ=MONTHLY"_qs << u"0"_qs;
    QTest::newRow("other, daily this year")
        << row(u"e"_qs, u"2026 * * 07 15"_qs, u" "_qs) << false << at(2026, 1, 1, 7, 15) << false
        << u"FREQ=DAILY;UNTIL=20261231T225959Z"_qs << u"0"_qs;
    QTest::newRow("other, hourly on the 15th")
        << row(u"e"_qs, u"* * 15 * 45"_qs, u" "_qs) << false << at(2026, 12, 15, 0, 45) << false
        << u"FREQ=HOURLY;BYMONTHDAY=15"_qs << u"0"_qs;
}

} // namespace

class TestOccasions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kindsAndRepeats_data()
    {
        QTest::addColumn<Reminder>("reminder");
        QTest::addColumn<bool>("onMarch1");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("alarm"); // minutes before the start, "at ..." or "none"
        const auto day = [](int y, int m, int d) { return at(y, m, d); };
        QTest::newRow("name day, every year, the day before")
            << row(u"n"_qs, u"* november 1 08 00"_qs, u"november 2."_qs) << false
            << day(2027, 11, 2) << true << u"FREQ=YEARLY"_qs << u"960"_qs;
        QTest::newRow("name day, one year, short month")
            << row(u"n"_qs, u"2027 március 14 18 30"_qs, u"márc 15."_qs) << false
            << day(2027, 3, 15) << true << QString() << u"330"_qs;
        QTest::newRow("name day, two dates: the alert minute")
            << row(u"n"_qs, u"* március 14 18 30"_qs, u"márc 15. aug 2."_qs) << false
            << at(2027, 3, 14, 18, 30) << false << u"FREQ=YEARLY"_qs << u"0"_qs;
        QTest::newRow("name day in the leap week: the alert minute")
            << row(u"n"_qs, u"* február 23 08 00"_qs, u"február 24."_qs) << false
            << at(2027, 2, 23, 8, 0) << false << u"FREQ=YEARLY"_qs << u"0"_qs;
        QTest::newRow("name day, alert too early: the alert minute")
            << row(u"n"_qs, u"* január 10 08 00"_qs, u"március 15."_qs) << false
            << at(2027, 1, 10, 8, 0) << false << u"FREQ=YEARLY"_qs << u"0"_qs;
        QTest::newRow("birthday on the day")
            << row(u"s"_qs, u"* május 1 08 05"_qs, u"május 1."_qs) << false << day(2027, 5, 1)
            << true << u"FREQ=YEARLY"_qs << u"-485"_qs;
        QTest::newRow("birthday switched off")
            << row(u"s"_qs, u"* május 1 08 05"_qs, u"május 1."_qs, false) << false
            << day(2027, 5, 1) << true << u"FREQ=YEARLY"_qs << u"none"_qs;
        QTest::newRow("29 February on the 28th: the alert minute")
            << row(u"s"_qs, u"* február 28 08 00"_qs, u"február 29."_qs) << false
            << at(2027, 2, 28, 8, 0) << false << u"FREQ=YEARLY"_qs << u"0"_qs;
        QTest::newRow("29 February on 1 March")
            << row(u"s"_qs, u"* február 28 08 00"_qs, u"február 29."_qs) << true << day(2027, 3, 1)
            << true << u"FREQ=YEARLY;BYYEARDAY=60"_qs << u"960"_qs;
        QTest::newRow("birthday of one year, 29 February on 1 March")
            << row(u"s"_qs, u"2027 február 28 20 00"_qs, u"február 29."_qs) << true
            << day(2027, 3, 1) << true << QString() << u"240"_qs;
        addTimedRows();
    }
    void kindsAndRepeats()
    {
        QFETCH(Reminder, reminder);
        QFETCH(bool, onMarch1);
        QFETCH(QDateTime, start);
        QFETCH(bool, allDay);
        QFETCH(QString, rule);
        QFETCH(QString, alarm);
        const LeapDayRule leapDay = leapDayRule(onMarch1);
        const auto e = eventOfReminder(reminder, u"u1"_qs, from, leapDay);
        QVERIFY(e);
        QCOMPARE(e->start, start);
        QCOMPARE(e->allDay, allDay);
        QCOMPARE(e->rule, rule);
        QCOMPARE(alarmOf(*e), alarm);
        QCOMPARE(e->category, kindCaption(*reminder.kind()));

        // Out and back with the program's own property: the very row.
        const CalendarEvent read = throughCodec(*e);
        QCOMPARE(read.start, start);
        QCOMPARE(alarmOf(read), alarm);
        const FittedEvent own = fitEvent(read, leapDay);
        QVERIFY2(own.reminder, qPrintable(own.reason));
        QCOMPARE(*own.reminder, reminder);

        // A program that drops properties it does not know: the kind from the category, the
        // alert, the switch and the date text all come back.
        CalendarEvent dropped = read;
        dropped.row.clear();
        const FittedEvent plain = fitEvent(dropped, leapDay);
        QVERIFY2(plain.reminder, qPrintable(plain.reason));
        QCOMPARE(plain.reminder->kind(), reminder.kind());
        // A switched-off reminder has no alarm: its alert minute is then only in the program's
        // own property, and the day's start stands for it.
        const bool silent = !reminder.isActive() && e->allDay;
        AlertTime alert = reminder.alertTime();
        if (silent)
            alert.hour = alert.minute = u"00"_qs;
        QCOMPARE(plain.reminder->alertTime(), alert);
        QCOMPARE(plain.reminder->isActive(), reminder.isActive());
        QCOMPARE(plain.reminder->when(), reminder.when());
        if (reminder.kind() != ReminderKind::Meeting &&
            reminder.kind() != ReminderKind::MeterReading) {
            QCOMPARE(plain.reminder->text1(), reminder.text1());
            QCOMPARE(plain.reminder->text2(), reminder.text2());
            QCOMPARE(plain.reminder->freeText(), reminder.freeText());
        }
    }

    // An alarm changed on a phone ("15 minutes before" the occasion) changes the alert; the
    // occasion, and so the event everywhere, stays where it is.
    void alarmChangedElsewhere_data()
    {
        QTest::addColumn<Reminder>("reminder");
        QTest::addColumn<QString>("alert"); // the alert time after the change
        QTest::newRow("name day: 15 minutes before the day")
            << row(u"n"_qs, u"* november 1 08 00"_qs, u"november 2."_qs)
            << u"* november 1 23 45"_qs;
        QTest::newRow("meeting: 15 minutes before")
            << row(u"t"_qs, u"2027 március 15 13 30"_qs, u"2027. március 15. 14:30"_qs)
            << u"2027 március 15 14 15"_qs;
        QTest::newRow("switched-off birthday: an alarm switches it on")
            << row(u"s"_qs, u"* május 1 08 05"_qs, u"május 1."_qs, false)
            << u"* április 30 23 45"_qs;
    }
    void alarmChangedElsewhere()
    {
        QFETCH(Reminder, reminder);
        QFETCH(QString, alert);
        CalendarEvent e = throughCodec(*eventOfReminder(reminder, u"u1"_qs, from));
        e.alarmMinutesBefore = 15;
        const FittedEvent fitted = fitEvent(throughCodec(e));
        QVERIFY2(fitted.reminder, qPrintable(fitted.reason));
        const AlertTime t = fitted.reminder->alertTime();
        QCOMPARE(QStringList({t.year, t.month, t.day, t.hour, t.minute}).join(u' '), alert);
        QCOMPARE(fitted.reminder->when(), reminder.when());
        QVERIFY(fitted.reminder->isActive());
        const auto again = eventOfReminder(*fitted.reminder, u"u1"_qs, from);
        QCOMPARE(again->start, e.start);
        QCOMPARE(again->alarmMinutesBefore, std::optional<int>(15));
    }

    // Moved on another device, the occasion takes the row's date text with it.
    void occasionMovedElsewhere()
    {
        const Reminder meeting =
            row(u"t"_qs, u"2027 március 15 13 30"_qs, u"2027. március 15. 14:30"_qs);
        CalendarEvent e = throughCodec(*eventOfReminder(meeting, u"u1"_qs, from));
        e.start = e.start.addDays(2).addSecs(3600);
        const FittedEvent fitted = fitEvent(throughCodec(e));
        QVERIFY(fitted.reminder);
        QCOMPARE(fitted.reminder->when(), u"2027. március 17. 15:30"_qs);
        QCOMPARE(fitted.reminder->alertTime(),
                 (AlertTime{u"2027"_qs, u"március"_qs, u"17"_qs, u"14"_qs, u"30"_qs}));
    }

    // Timed events carry the zone of the computer's clock with its definition: never floating.
    void zoned()
    {
        auto codec = makeLibicalCodec();
        const auto e = eventOfReminder(
            row(u"t"_qs, u"2027 március 15 13 30"_qs, u"2027. március 15. 14:30"_qs), u"u1"_qs,
            from);
        const QByteArray ics = codec->write({*e}, u"x"_qs, QDateTime::currentDateTimeUtc());
        QVERIFY2(ics.contains("DTSTART;TZID=Europe/Budapest:20270315T143000"), ics.constData());
        QVERIFY(ics.contains("BEGIN:VTIMEZONE") && ics.contains("TZID:Europe/Budapest"));
        QVERIFY(ics.indexOf("BEGIN:VTIMEZONE") < ics.indexOf("BEGIN:VEVENT"));
        QVERIFY(ics.contains("CATEGORIES:Találkozó"));
        QCOMPARE(codec->problems(ics), QStringList());
        // Read in another zone's terms, the moment is the same.
        const QByteArray elsewhere = QByteArray(ics).replace(
            "DTSTART;TZID=Europe/Budapest:20270315T143000", "DTSTART:20270315T133000Z");
        QCOMPARE(codec->read(elsewhere).events.value(0).start, e->start);
    }

    // What phones write: no property of the program's own, alarms of their own, cancelled
    // events, single occasions left out or moved.
    void incoming_data()
    {
        QTest::addColumn<QByteArray>("vevent");
        QTest::addColumn<QString>("expected"); // kind, alert, date text, switch; or the refusal
        QTest::addColumn<bool>("told");        // a note tells what is not followed
        const QByteArray row = "X-QUILLOMAT-ROW:t|Ebéd|Budapest|2027|március|15|13|30|2027. "
                               "március 15. 14%3A30| |1|0|\r\n";
        const QByteArray meeting = "BEGIN:VEVENT\r\nUID:m1\r\nDTSTART;TZID=Europe/Budapest:"
                                   "20270315T143000\r\nSUMMARY:Találkozó: Ebéd Budapest\r\n";
        const QByteArray hourBefore =
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT1H\r\nEND:VALARM\r\n";
        QTest::newRow("a birthday made on a phone")
            << QByteArray("BEGIN:VEVENT\r\nUID:p1\r\nDTSTART;VALUE=DATE:20270315\r\n"
                          "RRULE:FREQ=YEARLY\r\nSUMMARY:Nagy Éva\r\nCATEGORIES:Születésnap\r\n"
                          "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=START:-PT16H\r\n"
                          "END:VALARM\r\nEND:VEVENT\r\n")
            << u"s|* március 14 08 00|március 15.|1 Nagy/Éva"_qs << false;
        QTest::newRow("a name day among other categories, no alarm: switched off")
            << QByteArray("BEGIN:VEVENT\r\nUID:p2\r\nDTSTART;VALUE=DATE:20271102\r\n"
                          "RRULE:FREQ=YEARLY\r\nSUMMARY:Névnap: Kiss Ábel\r\n"
                          "CATEGORIES:Család,Névnap\r\nEND:VEVENT\r\n")
            << u"n|* november 2 00 00|november 2.|0 Kiss/Ábel"_qs << false;
        QTest::newRow("an alarm at a moment")
            << QByteArray("BEGIN:VEVENT\r\nUID:p3\r\nDTSTART:20270410T150000Z\r\nSUMMARY:Vonat\r\n"
                          "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER;VALUE=DATE-TIME:20270410T"
                          "120000Z\r\nEND:VALARM\r\nEND:VEVENT\r\n")
            << u"e|2027 április 10 14 00| |1 Vonat"_qs << false;
        QTest::newRow("the program's meeting, cancelled there: switched off")
            << meeting + "STATUS:CANCELLED\r\n" + row + hourBefore + "END:VEVENT\r\n"
            << u"t|2027 március 15 13 30|2027. március 15. 14:30|0"_qs << false;
        QTest::newRow("a cancelled phone event: switched off")
            << QByteArray("BEGIN:VEVENT\r\nUID:p4\r\nDTSTART:20270410T150000Z\r\nSUMMARY:Vonat\r\n"
                          "STATUS:CANCELLED\r\n") +
                   hourBefore + "END:VEVENT\r\n"
            << u"e|2027 április 10 16 00| |0 Vonat"_qs << false;
        const QByteArray yearly = "BEGIN:VEVENT\r\nUID:y1\r\nDTSTART;VALUE=DATE:20271102\r\n"
                                  "RRULE:FREQ=YEARLY\r\nSUMMARY:Névnap: Kiss Ábel\r\n"
                                  "X-QUILLOMAT-ROW:n|Kiss|Ábel|*|november|1|08|00|november 2.| "
                                  "|1|0|\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT16H\r\n"
                                  "END:VALARM\r\n";
        QTest::newRow("one year left out there (EXDATE): kept, told")
            << yearly + "EXDATE;VALUE=DATE:20281102\r\nEND:VEVENT\r\n"
            << u"n|* november 1 08 00|november 2.|1 Kiss/Ábel"_qs << true;
        QTest::newRow("one year moved there (RECURRENCE-ID): one reminder, told")
            << yearly + "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:y1\r\nRECURRENCE-ID;VALUE=DATE:"
                        "20281102\r\nDTSTART;VALUE=DATE:20281103\r\nSUMMARY:Névnap: Kiss Ábel\r\n"
                        "END:VEVENT\r\n"
            << u"n|* november 1 08 00|november 2.|1 Kiss/Ábel"_qs << true;
        QTest::newRow("a moved occasion without its series: told")
            << QByteArray("BEGIN:VEVENT\r\nUID:o1\r\nRECURRENCE-ID:20280410T150000Z\r\n"
                          "DTSTART:20280411T150000Z\r\nSUMMARY:Vonat\r\nEND:VEVENT\r\n")
            << u"e|2028 április 11 17 00| |0 Vonat"_qs << true;
    }
    void incoming()
    {
        QFETCH(QByteArray, vevent);
        QFETCH(QString, expected);
        QFETCH(bool, told);
        auto codec = makeLibicalCodec();
        const CalendarRead read = codec->read("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n" +
                                              vevent + "END:VCALENDAR\r\n");
        QCOMPARE(read.events.size(), 1);
        const FittedEvent fitted = fitEvent(read.events.first());
        QVERIFY2(fitted.reminder, qPrintable(fitted.reason));
        const Reminder &r = *fitted.reminder;
        const AlertTime t = r.alertTime();
        QString seen = r.kindLetter() + u'|' +
                       QStringList({t.year, t.month, t.day, t.hour, t.minute}).join(u' ') + u'|' +
                       r.when() + u'|' + r.field(Field::Active);
        if (r.kind() == ReminderKind::Other)
            seen += u' ' + r.freeText();
        else if (!r.text1().trimmed().isEmpty() && r.kind() != ReminderKind::Meeting)
            seen += u' ' + r.text1() + u'/' + r.text2();
        QCOMPARE(seen, expected);
        QCOMPARE(!fitted.note.isEmpty(), told);
    }

    // The row's date texts, and nothing else, read as occasions.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read"); // "month day", "yyyy-MM-dd HH:mm", or empty
        QTest::newRow("day") << u"március 15."_qs << u"3 15"_qs;
        QTest::newRow("short month") << u"szept 8."_qs << u"9 8"_qs;
        QTest::newRow("29 February") << u"február 29."_qs << u"2 29"_qs;
        QTest::newRow("30 February") << u"február 30."_qs << QString();
        QTest::newRow("two dates") << u"aug 15. szept 8."_qs << QString();
        QTest::newRow("two-letter month") << u"ma 15."_qs << QString();
        QTest::newRow("no full stop") << u"március 15"_qs << QString();
        QTest::newRow("meeting") << u"2027. március 15. 14:30"_qs << u"2027-03-15 14:30"_qs;
        QTest::newRow("meeting at 24:00") << u"2027. március 15. 24:00"_qs << QString();
        QTest::newRow("meeting in the skipped hour") << u"2027. március 28. 02:30"_qs << QString();
    }
    void texts()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        QString seen;
        if (const auto day = dayOfText(text))
            seen = u"%1 %2"_qs.arg(day->month).arg(day->day);
        else if (const auto at = meetingOfText(text))
            seen = at->toString(u"yyyy-MM-dd HH:mm"_qs);
        QCOMPARE(seen, read);
        if (const auto day = dayOfText(text); day && !text.contains(u"szept"_qs))
            QCOMPARE(occasionDayText(day->month, day->day), text);
        if (const auto at = meetingOfText(text))
            QCOMPARE(occasionMeetingText(*at), text);
    }

    // The edges of an occasion: a meeting at its alert's very minute, a name day the longest lead
    // after its alert or a day more.
    void occasionEdges_data()
    {
        QTest::addColumn<Reminder>("reminder");
        QTest::addColumn<QDateTime>("first");
        QTest::addColumn<int>("minutesBefore"); // -1: no occasion, the alert minute is the event
        QTest::newRow("meeting at the alert's minute")
            << row(u"t"_qs, u"2027 március 15 14 30"_qs, u"2027. március 15. 14:30"_qs)
            << QDateTime(QDate(2027, 3, 15), QTime(14, 30)) << 0;
        QTest::newRow("name day the longest lead after")
            << row(u"n"_qs, u"2027 február 12 00 00"_qs, u"március 15."_qs)
            << QDateTime(QDate(2027, 2, 12), QTime(0, 0)) << maxLeadDays * 24 * 60;
        QTest::newRow("name day a day more after")
            << row(u"n"_qs, u"2027 február 11 00 00"_qs, u"március 15."_qs)
            << QDateTime(QDate(2027, 2, 11), QTime(0, 0)) << -1;
    }
    void occasionEdges()
    {
        QFETCH(Reminder, reminder);
        QFETCH(QDateTime, first);
        QFETCH(int, minutesBefore);
        const auto o = occasionOf(reminder, first);
        QCOMPARE(o ? o->minutesBefore : -1, minutesBefore);
    }

    // A name day of the leap week is counted from February's end, the days around it are not.
    void nameDayRules_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("rule");
        QTest::newRow("23 February") << 2 << 23 << u"FREQ=YEARLY"_qs;
        QTest::newRow("24 February") << 2 << 24 << u"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-5"_qs;
        QTest::newRow("28 February") << 2 << 28 << u"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"_qs;
        QTest::newRow("1 March") << 3 << 1 << u"FREQ=YEARLY"_qs;
    }
    void nameDayRules()
    {
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, rule);
        QCOMPARE(nameDayRule({month, day}), rule);
    }
};

int main(int argc, char **argv)
{
    // Times of day are written in the zone of the computer's clock: one with summer time.
    qputenv("TZ", "Europe/Budapest");
    tzset();
    QCoreApplication app(argc, argv);
    TestOccasions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_occasions.moc"
