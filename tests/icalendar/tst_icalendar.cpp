#include "icalendar/codec.h"
#include "icalendar/events.h"
#include "reminders/alerts.h"

#include <QElapsedTimer>
#include <QTest>
#include <ctime>

using namespace quill;

namespace {
Reminder row(const QString &kind, const QStringList &time, const QString &text = u" "_qs,
             const QString &t1 = u"Kiss"_qs, const QString &t2 = u"Ábel"_qs)
{
    return {kind,    t1,      t2,      time[0], time[1], time[2],
            time[3], time[4], u" "_qs, text,    u"1"_qs, u"4"_qs};
}
// The event as another program reads it from the file the codec writes: its rule parsed.
CalendarEvent readBack(const CalendarEvent &e)
{
    if (!e.start.isValid())
        return e;
    auto codec = makeLibicalCodec();
    CalendarEvent read =
        codec->read(codec->write({e}, u"x"_qs, QDateTime::currentDateTimeUtc())).events.value(0);
    read.exceptions = read.exceptions || e.exceptions;
    return read;
}
CalendarEvent foreign(const QDateTime &start, const QString &rule, const QString &summary)
{
    CalendarEvent e;
    e.uid = u"phone-1"_qs;
    e.summary = summary;
    e.start = start;
    e.rule = rule;
    return e;
}
} // namespace

Q_DECLARE_METATYPE(quill::CalendarEvent)

class TestICalendar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An alert time that never matches is no event. (A switched-off one has no alarm:
    // changedElsewhere.)
    void deadAlerts()
    {
        QVERIFY(!eventOfReminder(row(u"e"_qs, {u"*"_qs, u"április"_qs, u"31"_qs, u"8"_qs, u"0"_qs}),
                                 u"u"_qs, QDate(2026, 1, 1)));
        QVERIFY(!eventOfReminder(row(u"e"_qs, {u"*"_qs, u"*"_qs, u"*"_qs, u"25"_qs, u"0"_qs}),
                                 u"u"_qs, QDate(2026, 1, 1)));
    }

    // Every kind through the codec and back: the same row, text the format escapes included.
    void roundTrip()
    {
        auto codec = makeLibicalCodec();
        const QStringList time{u"*"_qs, u"május"_qs, u"1"_qs, u"08"_qs, u"05"_qs};
        QList<Reminder> rows{
            row(u"n"_qs, time, u" "_qs, u"Kovács"_qs, u"Ödön"_qs),
            row(u"s"_qs, time, u" "_qs, u"Nagy; Bálint"_qs, u"Éva, \\ dr."_qs),
            row(u"t"_qs, time, u" "_qs, u"Értekezlet"_qs, u"Győr"_qs),
            row(u"m"_qs, time, u" "_qs, u"Gázóra"_qs, u"12345"_qs),
            row(u"e"_qs, time, u"Hívd fel: anya, apa; \"mindenki\""_qs),
            row(u"x"_qs, time, u"egy másik program sora"_qs), // a kind of another program
        };
        rows[1].setTail(u"régi|mező"_qs);
        QList<CalendarEvent> events;
        for (int i = 0; i < rows.size(); ++i)
            events << *eventOfReminder(rows[i], u"uid-%1"_qs.arg(i), QDate(2026, 12, 7));
        const QByteArray ics =
            codec->write(events, u"Emlékeztetők"_qs, QDateTime::currentDateTimeUtc());
        QCOMPARE(codec->problems(ics), QStringList());
        const QStringList doubled =
            codec->problems(QByteArray(ics).replace("TRANSP:OPAQUE", "SUMMARY:x"));
        QVERIFY2(!doubled.isEmpty() && doubled.first().contains(u"SUMMARY"_qs),
                 qPrintable(doubled.join(u'\n')));
        const CalendarRead read = codec->read(ics);
        QVERIFY(read.error.isEmpty());
        QCOMPARE(read.events.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(read.events[i].uid, u"uid-%1"_qs.arg(i));
            QCOMPARE(read.events[i].start, events[i].start);
            QCOMPARE(read.events[i].rule, events[i].rule);
            QCOMPARE(read.events[i].alarmMinutesBefore, std::optional<int>(0));
            const FittedEvent back = fitEvent(read.events[i]);
            QVERIFY(back.reminder);
            QCOMPARE(*back.reminder, rows[i]);
        }
    }

    // Moved or retyped on another device, the program's own event keeps its row with the new time
    // and text: the line that still reads as it did stays where it was.
    void changedElsewhere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("texts"); // first, second, free text
        QTest::newRow("other") << u"e"_qs << u"Kert locsolás"_qs
                               << QStringList{u"Kiss"_qs, u"Ábel"_qs, u"Kert locsolás"_qs};
        QTest::newRow("second line longer")
            << u"s"_qs << u"Születésnap: Kiss Ábel Péter"_qs
            << QStringList{u"Kiss"_qs, u"Ábel Péter"_qs, u"Kert"_qs};
        QTest::newRow("first line changed, no caption")
            << u"t"_qs << u"Heti értekezlet Ábel"_qs
            << QStringList{u"Heti értekezlet"_qs, u"Ábel"_qs, u"Kert"_qs};
        QTest::newRow("second line taken away")
            << u"n"_qs << u"Névnap: Kiss"_qs << QStringList{u"Kiss"_qs, u" "_qs, u"Kert"_qs};
        QTest::newRow("both retyped") << u"m"_qs << u"Mérőóraállás bejelentés: Villanyóra"_qs
                                      << QStringList{u"Villanyóra"_qs, u" "_qs, u"Kert"_qs};
    }
    void changedElsewhere()
    {
        QFETCH(QString, kind);
        QFETCH(QString, summary);
        QFETCH(QStringList, texts);
        Reminder mine = row(kind, {u"*"_qs, u"május"_qs, u"1"_qs, u"08"_qs, u"05"_qs}, u"Kert"_qs);
        mine.setActive(false);
        CalendarEvent e = *eventOfReminder(mine, u"u"_qs, QDate(2026, 1, 1));
        QVERIFY(!e.alarmMinutesBefore);
        e.start = QDateTime(QDate(2026, 6, 2), QTime(9, 30));
        e.summary = summary;
        e.alarmMinutesBefore = 0; // an alarm set there switches it on
        const FittedEvent fitted = fitEvent(readBack(e));
        QVERIFY(fitted.reminder);
        QCOMPARE(fitted.reminder->alertTime(),
                 (AlertTime{u"*"_qs, u"június"_qs, u"2"_qs, u"09"_qs, u"30"_qs}));
        QCOMPARE((QStringList{fitted.reminder->text1(), fitted.reminder->text2(),
                              fitted.reminder->freeText()}),
                 texts);
        QCOMPARE(fitted.reminder->kind(), mine.kind());
        QVERIFY(fitted.reminder->isActive());
        QCOMPARE(fitted.reminder->field(Field::RowNumber), u"4"_qs);
        // An alarm taken away there leaves the reminder as it is.
        e = *eventOfReminder(*fitted.reminder, u"u"_qs, QDate(2026, 1, 1));
        e.alarmMinutesBefore.reset();
        QVERIFY(fitEvent(readBack(e)).reminder->isActive());
    }

    void foreignEvents_data()
    {
        QTest::addColumn<CalendarEvent>("event");
        QTest::addColumn<QString>("fields"); // year month day hour minute, or the refusal
        const QDateTime at(QDate(2027, 4, 10), QTime(17, 0));
        const QString tooMuch = u"az ismétlődése nem fér el egy emlékeztetőben"_qs;
        QTest::newRow("once") << foreign(at, {}, u"Vonat"_qs) << u"2027 április 10 17 00"_qs;
        QTest::newRow("yearly") << foreign(at, u"FREQ=YEARLY"_qs, u"Évforduló"_qs)
                                << u"* április 10 17 00"_qs;
        QTest::newRow("weekly") << foreign(at, u"FREQ=WEEKLY"_qs, u"Edzés"_qs) << tooMuch;
        QTest::newRow("every second day")
            << foreign(at, u"FREQ=DAILY;INTERVAL=2"_qs, u"Gyógyszer"_qs) << tooMuch;
        QTest::newRow("ten times") << foreign(at, u"FREQ=DAILY;COUNT=10"_qs, u"Kúra"_qs) << tooMuch;
        QTest::newRow("once by count")
            << foreign(at, u"FREQ=DAILY;COUNT=1"_qs, u"Kúra"_qs) << u"2027 április 10 17 00"_qs;
        QTest::newRow("yearly until the year's end, as a date")
            << foreign(at, u"FREQ=YEARLY;UNTIL=20271231"_qs, u"Kúra"_qs)
            << u"2027 április 10 17 00"_qs;
        QTest::newRow("monthly on Mondays")
            << foreign(at, u"FREQ=MONTHLY;BYDAY=MO"_qs, u"Edzés"_qs) << tooMuch;
        QTest::newRow("yearly on two days")
            << foreign(at, u"FREQ=YEARLY;BYMONTH=4;BYMONTHDAY=10,11"_qs, u"Ünnep"_qs) << tooMuch;
        QTest::newRow("daily at two hours")
            << foreign(at, u"FREQ=DAILY;BYHOUR=17,18"_qs, u"Séta"_qs) << tooMuch;
        QTest::newRow("no text") << foreign(at, {}, u"  "_qs) << u"nincs szövege"_qs;
        QTest::newRow("a bar in the text")
            << foreign(at, {}, u"a|b"_qs)
            << u"a szövegében olyan jel van, amelyet az emlékeztetőfájl nem tárolhat"_qs;
        QTest::newRow("no start") << foreign({}, {}, u"Valami"_qs) << u"nincs kezdő időpontja"_qs;
        CalendarEvent early = foreign(at, {}, u"Orvos"_qs);
        early.alarmMinutesBefore = 30;
        QTest::newRow("alarm half an hour before") << early << u"2027 április 10 16 30"_qs;
        CalendarEvent moved = foreign(at, u"FREQ=YEARLY"_qs, u"Szülinap"_qs);
        moved.exceptions = true;
        QTest::newRow("with exceptions: the series, told") << moved << u"* április 10 17 00"_qs;
    }
    void foreignEvents()
    {
        QFETCH(CalendarEvent, event);
        QFETCH(QString, fields);
        const FittedEvent fitted = fitEvent(readBack(event));
        if (!fitted.reminder) {
            QCOMPARE(fitted.reason, fields);
            return;
        }
        const AlertTime t = fitted.reminder->alertTime();
        QCOMPARE(QStringList({t.year, t.month, t.day, t.hour, t.minute}).join(u' '), fields);
        QCOMPARE(fitted.note.isEmpty(), !event.exceptions);
        QCOMPARE(fitted.reminder->kind(), ReminderKind::Other);
        QCOMPARE(fitted.reminder->freeText(), event.summary);
    }

    // A repeat that ends with the year, told in UTC by a computer west of Greenwich: the end is
    // the year's last day on that computer's clock, though in UTC it is the next year's first.
    void untilWestOfGreenwich()
    {
        qputenv("TZ", "America/New_York");
        tzset();
        const CalendarRead read = makeLibicalCodec()->read(
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:w\r\n"
            "DTSTART;TZID=America/New_York:20270410T170000\r\n"
            "RRULE:FREQ=DAILY;UNTIL=20280101T045959Z\r\nSUMMARY:Kúra\r\nEND:VEVENT\r\n"
            "END:VCALENDAR\r\n");
        const FittedEvent fitted = fitEvent(read.events.value(0));
        qputenv("TZ", "Europe/Budapest");
        tzset();
        QVERIFY2(fitted.reminder, qPrintable(fitted.reason));
        QCOMPARE(fitted.reminder->alertTime(),
                 (AlertTime{u"2027"_qs, u"*"_qs, u"*"_qs, u"17"_qs, u"00"_qs}));
    }

    // Hostile files: too large, not a calendar, a repeat without end every second, a file cut in
    // the middle. None hangs or crashes; what is no event is no event.
    void hostileFiles()
    {
        auto codec = makeLibicalCodec();
        QVERIFY(!codec->read(QByteArray(CalendarCodec::maxBytes + 1, 'A')).error.isEmpty());
        QVERIFY(codec->read("\x00\x01garbage\xff").events.isEmpty());
        QElapsedTimer clock;
        clock.start();
        const QByteArray endless =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\nDTSTART:20260101T000000\r\n"
            "RRULE:FREQ=SECONDLY;INTERVAL=1;BYSECOND=0,1,2,3;BYMINUTE=0,1,2\r\nSUMMARY:x\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n";
        const CalendarRead read = codec->read(endless);
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(read.events.size(), 1);
        QVERIFY(!fitEvent(read.events.first()).reminder);
        QVERIFY(!codec->read(endless.left(endless.size() - 40)).error.isEmpty());
    }

    // Components nested deep or by the hundred thousand, within the size limit: refused with the
    // reason before libical builds them, never a crash; what a calendar really holds passes.
    void deepAndManyComponents_data()
    {
        QTest::addColumn<QByteArray>("begin"); // one opening line of a component, as written
        QTest::addColumn<int>("depth");        // components opened one inside the other
        QTest::addColumn<int>("siblings");     // components side by side in the event
        QTest::addColumn<bool>("closed");      // each one ended too
        QTest::addColumn<QString>("refused");  // part of the reason; empty when read
        const QByteArray alarm = "BEGIN:VALARM\r\n";
        const QString deep = u"egymásba ágyazott"_qs, many = u"túl sok rész"_qs;
        QTest::newRow("300 000 levels, never ended") << alarm << 300000 << 0 << false << deep;
        QTest::newRow("300 000 levels, ended")
            << QByteArray("BEGIN:X\r\n") << 300000 << 0 << true << deep;
        QTest::newRow("14 levels in the event") << alarm << 14 << 0 << true << QString();
        QTest::newRow("15 levels in the event") << alarm << 15 << 0 << true << deep;
        QTest::newRow("folded BEGIN lines")
            << QByteArray("BEG\r\n IN:X\r\n") << 15 << 0 << true << deep;
        QTest::newRow("lower case, LF only") << QByteArray("begin:x\n") << 15 << 0 << true << deep;
        QTest::newRow("BEGIN with a parameter")
            << QByteArray("BEGIN;A=b:X\r\n") << 15 << 0 << true << deep;
        QTest::newRow("99 990 side by side") << alarm << 1 << 99990 << true << QString();
        QTest::newRow("100 000 side by side") << alarm << 1 << 100000 << true << many;
        QTest::newRow("BEGINNING is no BEGIN")
            << QByteArray("BEGINNING:X\r\n") << 20 << 0 << false << QString();
    }
    void deepAndManyComponents()
    {
        QFETCH(QByteArray, begin);
        QFETCH(int, depth);
        QFETCH(int, siblings);
        QFETCH(bool, closed);
        QFETCH(QString, refused);
        const QByteArray end = closed ? QByteArray("END:VALARM\r\n") : QByteArray();
        QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:mely\r\n"
                         "DTSTART:20261207T090000\r\nSUMMARY:Mély\r\n";
        ics += begin.repeated(depth) + end.repeated(depth);
        ics += QByteArray(begin + end).repeated(siblings);
        ics += "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QVERIFY(ics.size() <= CalendarCodec::maxBytes);
        auto codec = makeLibicalCodec();
        const CalendarRead read = codec->read(ics);
        if (refused.isEmpty()) {
            QCOMPARE(read.error, QString());
            QCOMPARE(read.events.size(), 1);
            QCOMPARE(read.events[0].summary, u"Mély"_qs);
        } else {
            QVERIFY2(read.error.contains(refused), qPrintable(read.error));
            QVERIFY(read.events.isEmpty());
            QCOMPARE(codec->problems(ics).size(), 1);
        }
    }

    // The name-day calendar: every day with names once, yearly, free time, and clean by the
    // format's own rules.
    void nameDays()
    {
        auto codec = makeLibicalCodec();
        const QList<CalendarEvent> events = nameDayEvents();
        QCOMPARE(events.size(), 365);
        const QByteArray ics =
            codec->write(events, u"Névnapok"_qs, QDateTime::currentDateTimeUtc());
        QCOMPARE(codec->problems(ics), QStringList());
        const CalendarRead read = codec->read(ics);
        QCOMPARE(read.events.size(), 365);
        QVERIFY(read.events.first().allDay && read.events.first().transparent);
        QCOMPARE(read.events.first().summary, u"Fruzsina névnapja"_qs);

        // The address book's people beside them: each day of their names, their birthdays, one
        // on 29 February on the last day of February in common years.
        const contacts::ContactBook book(
            contacts::readCards("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kiss;Miklós;;;\r\n"
                                "FN:Kiss Miklós\r\nBDAY:1980-02-29\r\nEND:VCARD\r\n"
                                "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Lakatos Ödön\r\n"
                                "N:Lakatos;Ödön;;;\r\nEND:VCARD\r\n")
                .cards);
        for (const auto rule : {LeapDayRule::February28, LeapDayRule::March1}) {
            QStringList seen;
            for (const CalendarEvent &e : celebrationEvents(book, rule))
                seen << e.start.date().toString(u"MM-dd "_qs) + e.summary + u' ' + e.rule;
            // The last day of February, or the 60th day of the year: 1 March of a common year.
            const QString leap =
                rule == LeapDayRule::March1 ? u"BYYEARDAY=60"_qs : u"BYMONTH=2;BYMONTHDAY=-1"_qs;
            QCOMPARE(seen, (QStringList{u"02-29 Kiss Miklós születésnapja FREQ=YEARLY;"_qs + leap,
                                        u"11-16 Lakatos Ödön névnapja (Ödön) FREQ=YEARLY"_qs,
                                        u"12-06 Kiss Miklós névnapja (Miklós) FREQ=YEARLY"_qs}));
        }
        const QByteArray withPeople = codec->write(nameDayEvents() + celebrationEvents(book),
                                                   u"Névnapok"_qs, QDateTime::currentDateTimeUtc());
        QCOMPARE(codec->problems(withPeople), QStringList());
        QCOMPARE(codec->read(withPeople).events.size(), 365 + 3);
    }
};

int main(int argc, char **argv)
{
    // Times of day are written in the zone of the computer's clock: one with summer time.
    qputenv("TZ", "Europe/Budapest");
    tzset();
    QCoreApplication app(argc, argv);
    TestICalendar test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_icalendar.moc"
