#include "alertrows.h"
#include "reminders/alerts.h"
#include "reminders/table.h"

#include <QTest>
#include <memory>

using namespace quill;
using namespace quill::testing;

Q_DECLARE_METATYPE(quill::Reminder)
Q_DECLARE_METATYPE(quill::Notice)

class TestAlerts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matching_data()
    {
        QTest::addColumn<QStringList>("f"); // year, month, day, hour, minute; "" a free row
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<bool>("due");
        const auto row = [](const char *tag, const char16_t *fields, const QDateTime &m, bool due) {
            QTest::newRow(tag) << QString::fromUtf16(fields).split(u'|') << m << due;
        };
        row("every hour 0:30", u"*|március|15|*|30", at(2026, 3, 15, 0, 30), true);
        row("every hour wrong minute", u"*|március|15|*|30", at(2026, 3, 15, 7, 31), false);
        row("every hour wrong day", u"*|március|15|*|30", at(2026, 3, 16, 7, 30), false);
        row("hour 08", u"2026|*|*|08|00", at(2026, 7, 1, 8, 0), true);
        row("hour 8", u"2026|*|*|8|0", at(2026, 7, 1, 8, 0), true);
        row("other year", u"2026|*|*|08|00", at(2027, 7, 1, 8, 0), false);
        row("year with blank", u" 2026|*|*|*|00", at(2026, 1, 1, 1, 0), false);
        row("month not a name", u"*|March|*|*|00", at(2026, 3, 1, 1, 0), false);
        row("day with leading zero", u"*|*|05|*|00", at(2026, 3, 5, 1, 0), true);
        row("minute has no star", u"*|*|*|*|*", at(2026, 3, 5, 1, 1), false);
        row("star minute reads as 00", u"*|*|*|*|*", at(2026, 3, 5, 1, 0), true);
        row("free row", u"||||", at(2026, 3, 5, 0, 0), false);
    }
    void matching()
    {
        QFETCH(QStringList, f);
        QFETCH(QDateTime, moment);
        QFETCH(bool, due);
        QCOMPARE(isDue(row(u"n"_qs, f[0], f[1], f[2], f[3], f[4]), wallMinute(moment)), due);
    }

    void texts()
    {
        QCOMPARE(alertText(row(u"t"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u"Ebéd"_qs,
                               u"Budapest"_qs, u"2005. március 15. 14:30"_qs)),
                 u"TALÁLKOZÓ!!     Ebéd Budapest 2005. március 15. 14:30"_qs);
        QCOMPARE(alertText(row(u"n"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs)),
                 u"NÉVNAP!!     Kiss Ábel január 2."_qs);
        QCOMPARE(alertText(row(u"s"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs)),
                 u"SZÜLETÉSNAP!!     Kiss Ábel január 2."_qs);
        QCOMPARE(alertText(row(u"m"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u"Gáz"_qs,
                               u"123"_qs, u" "_qs)),
                 u"MÉRŐÓRAÁLLÁS!!     Gáz 123"_qs);
        QCOMPARE(alertText(row(u"e"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u" "_qs,
                               u" "_qs, u" "_qs, u"Fizetés"_qs)),
                 u"EGYÉB!!     Fizetés"_qs);
        QCOMPARE(alertText(row(u"x"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"00"_qs, u"Valami"_qs,
                               u" "_qs, u" "_qs, u"más"_qs)),
                 u"EMLÉKEZTETŐ!!     Valami más"_qs);
        QCOMPARE(alertTitle(), u"Emlékeztető (Az ablak 1 perc múlva bezárható)"_qs);
    }

    // The rows due on a day (the tray's tooltip): at any hour of it, the minute read as a number
    // from 0 to 59; a row switched off is not due.
    void rowsDueOnADay_data()
    {
        QTest::addColumn<QString>("minute");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("due");
        QTest::newRow("minute 00") << u"00"_qs << true << true;
        QTest::newRow("minute 59") << u"59"_qs << true << true;
        QTest::newRow("minute 60") << u"60"_qs << true << false;
        QTest::newRow("not whole") << u"7.5"_qs << true << false;
        QTest::newRow("switched off") << u"59"_qs << false << false;
    }
    void rowsDueOnADay()
    {
        QFETCH(QString, minute);
        QFETCH(bool, active);
        QFETCH(bool, due);
        ReminderTable t;
        Reminder r = row(u"e"_qs, u"*"_qs, u"*"_qs, u"6"_qs, u"*"_qs, minute);
        r.setActive(active);
        t.setRow(7, r);
        QCOMPARE(rowsDueOn(t, QDate(2026, 12, 6)), due ? QList<int>{7} : QList<int>());
        QVERIFY(rowsDueOn(t, QDate(2026, 12, 7)).isEmpty());
    }

    void orderAndInactiveRows()
    {
        ReminderTable t;
        auto every = [](const QString &text) {
            return row(u"e"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"10"_qs, u" "_qs, u" "_qs,
                       u" "_qs, text);
        };
        t.setRow(50, every(u"utolsó"_qs));
        t.setRow(3, every(u"első"_qs));
        Reminder off = every(u"kikapcsolt"_qs);
        off.setActive(false);
        t.setRow(20, off);
        const auto due = dueAlerts(t, wallMinute(at(2026, 12, 6, 9, 10)));
        QCOMPARE(due.size(), 2);
        QCOMPARE(due[0].row, 3);
        QCOMPARE(due[1].row, 50);
        QCOMPARE(due[1].text, u"EGYÉB!!     utolsó"_qs);
        // Switched off in the list: silent on time and late alike.
        QVERIFY(
            missedAlerts(t, wallMinute(at(2026, 12, 6, 8, 0)), wallMinute(at(2026, 12, 6, 9, 30)))
                .size() == 2);
        t.setField(20, Field::Active, u"1"_qs);
        QCOMPARE(dueAlerts(t, wallMinute(at(2026, 12, 6, 9, 10))).size(), 3);
    }

    // Within a minute every scan announces again; the next minute does not.
    void scannerWithinAMinute()
    {
        ReminderTable t;
        t.setRow(0, row(u"n"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"10"_qs));
        AlertScanner s;
        QCOMPARE(s.scan(t, at(2026, 12, 6, 9, 9, 59)).size(), 0);
        const auto first = s.scan(t, at(2026, 12, 6, 9, 10, 0));
        QCOMPARE(first.size(), 1);
        QVERIFY(!first[0].again);
        const auto again = s.scan(t, at(2026, 12, 6, 9, 10, 30)); // the box comes back
        QCOMPARE(again.size(), 1);
        QVERIFY(again[0].again);
        QCOMPARE(s.scan(t, at(2026, 12, 6, 9, 11, 0)).size(), 0);
        // Nothing changed in this minute: no work at all.
        const int done = s.scansDone();
        QCOMPARE(s.scan(t, at(2026, 12, 6, 9, 11, 20)).size(), 0);
        QCOMPARE(s.scansDone(), done);
        // A change to the table is seen at once.
        t.setField(0, Field::Minute, u"11"_qs);
        QCOMPARE(s.scan(t, at(2026, 12, 6, 9, 11, 21)).size(), 1);
    }

    // After a run that ended at `lastEnd`, the first scan announces late what fell in between:
    // each reminder once (an hourly one for its latest minute), at most a day back, nothing on
    // the first start ever or when the clock went back.
    void missedWhileNotRunning_data()
    {
        QTest::addColumn<QDateTime>("lastEnd");
        QTest::addColumn<QStringList>("late"); // the texts' missed minutes, row order
        QTest::newRow("first start ever") << QDateTime() << QStringList{};
        QTest::newRow("ended last night")
            << at(2026, 12, 5, 23, 50) << QStringList{u"08:30"_qs, u"07:15"_qs};
        QTest::newRow("ended three days ago") // a day back: the hourly one, and 07:15 today
            << at(2026, 12, 3, 10, 0) << QStringList{u"08:30"_qs, u"07:15"_qs};
        QTest::newRow("ended after the last alert") << at(2026, 12, 6, 8, 45) << QStringList{};
        QTest::newRow("ended in this very minute") << at(2026, 12, 6, 9, 0) << QStringList{};
        QTest::newRow("clock set back") << at(2026, 12, 6, 11, 0) << QStringList{};
    }
    void missedWhileNotRunning()
    {
        QFETCH(QDateTime, lastEnd);
        QFETCH(QStringList, late);
        ReminderTable t;
        t.setRow(0, row(u"e"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"30"_qs));
        t.setRow(1, row(u"e"_qs, u"2026"_qs, u"december"_qs, u"6"_qs, u"07"_qs, u"15"_qs));
        t.setRow(2, row(u"e"_qs, u"2026"_qs, u"december"_qs, u"4"_qs, u"12"_qs, u"00"_qs));
        AlertScanner scanner;
        scanner.resumeFrom(lastEnd);
        QStringList got;
        for (const DueAlert &a : scanner.scan(t, at(2026, 12, 6, 9, 0, 30))) {
            QVERIFY(a.late);
            got << a.text.mid(a.text.lastIndexOf(u':') - 2, 5);
        }
        QCOMPARE(got, late);
    }

    // Alert minutes are wall-clock minutes (the suite runs in Europe/Budapest): the hour that
    // spring skips is announced late, right after the jump; the hour that autumn repeats once.
    void daylightSaving_data()
    {
        QTest::addColumn<QDate>("night");
        QTest::addColumn<QStringList>("oneOff");    // minutes it was announced in, "late" marked
        QTest::addColumn<QStringList>("everyHour"); // the same for a reminder at :05 every hour
        QTest::newRow("spring forward")
            << QDate(2026, 3, 29) << QStringList{u"03:00 late 02:30"_qs}
            << QStringList{u"00:05"_qs, u"01:05"_qs, u"03:00 late 02:05"_qs, u"03:05"_qs,
                           u"04:05"_qs};
        QTest::newRow("fall back")
            << QDate(2026, 10, 25) << QStringList{u"02:30"_qs}
            << QStringList{u"00:05"_qs, u"01:05"_qs, u"02:05"_qs, u"03:05"_qs, u"04:05"_qs};
    }
    void daylightSaving()
    {
        QFETCH(QDate, night);
        QFETCH(QStringList, oneOff);
        QFETCH(QStringList, everyHour);
        const QString month = night.month() == 3 ? u"március"_qs : u"október"_qs;
        ReminderTable t;
        t.setRow(0,
                 row(u"e"_qs, u"2026"_qs, month, QString::number(night.day()), u"02"_qs, u"30"_qs));
        t.setRow(1, row(u"e"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"05"_qs));
        AlertScanner scanner;
        QStringList seen[2];
        qint64 previousAbsoluteMinute = -1;
        const qint64 start = QDateTime(night, QTime(0, 0)).toSecsSinceEpoch();
        for (qint64 s = start;; s += 20) {
            const QDateTime now = QDateTime::fromSecsSinceEpoch(s);
            if (now.time() >= QTime(4, 30))
                break;
            for (const DueAlert &a : scanner.scan(t, now)) {
                // One entry per real minute in which it was announced.
                if (s / 60 == previousAbsoluteMinute && seen[a.row].size() > 0 &&
                    seen[a.row].last().startsWith(now.toString(u"HH:mm"_qs)))
                    continue;
                QString entry = now.toString(u"HH:mm"_qs);
                if (a.late)
                    entry += u" late "_qs + a.text.mid(a.text.lastIndexOf(u':') - 2, 5);
                seen[a.row] << entry;
            }
            previousAbsoluteMinute = s / 60;
        }
        QCOMPARE(seen[0], oneOff);
        QCOMPARE(seen[1], everyHour);
    }

    // A notice ahead comes at the reminder's own time of day, the days before, whatever lies
    // between (a month's end, a year's end, a change of daylight saving); a meeting's notice the
    // minutes before, over midnight too. Each comes once, and the reminder itself as before.
    void noticeAhead_data()
    {
        QTest::addColumn<Reminder>("reminder");
        QTest::addColumn<Notice>("notice");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QStringList>("heard"); // when, and how the text begins
        const auto nameDay = [](const QString &month, const QString &day) {
            return row(u"n"_qs, u"*"_qs, month, day, u"08"_qs, u"00"_qs);
        };
        QTest::newRow("over a month's end")
            << nameDay(u"március"_qs, u"2"_qs) << Notice{3, 0, 0} << at(2026, 2, 24, 0, 0)
            << QStringList{u"2026-02-27 08:00 3 nap múlva, március 2.: NÉVNAP!!"_qs,
                           u"2026-03-02 08:00 NÉVNAP!!"_qs};
        QTest::newRow("over a year's end")
            << nameDay(u"január"_qs, u"2"_qs) << Notice{3, 0, 0} << at(2026, 12, 28, 0, 0)
            << QStringList{u"2026-12-30 08:00 3 nap múlva, január 2.: NÉVNAP!!"_qs,
                           u"2027-01-02 08:00 NÉVNAP!!"_qs};
        QTest::newRow("over the spring change") // 71 hours before, 08:00 all the same
            << nameDay(u"március"_qs, u"31"_qs) << Notice{3, 0, 0} << at(2026, 3, 27, 0, 0)
            << QStringList{u"2026-03-28 08:00 3 nap múlva, március 31.: NÉVNAP!!"_qs,
                           u"2026-03-31 08:00 NÉVNAP!!"_qs};
        QTest::newRow("over the autumn change")
            << nameDay(u"október"_qs, u"26"_qs) << Notice{3, 0, 0} << at(2026, 10, 22, 0, 0)
            << QStringList{u"2026-10-23 08:00 3 nap múlva, október 26.: NÉVNAP!!"_qs,
                           u"2026-10-26 08:00 NÉVNAP!!"_qs};
        QTest::newRow("the name days' notice is not the birthdays'")
            << row(u"s"_qs, u"*"_qs, u"március"_qs, u"2"_qs, u"08"_qs, u"00"_qs) << Notice{3, 1, 0}
            << at(2026, 2, 24, 0, 0)
            << QStringList{u"2026-03-01 08:00 1 nap múlva, március 2.: SZÜLETÉSNAP!!"_qs,
                           u"2026-03-02 08:00 SZÜLETÉSNAP!!"_qs};
        QTest::newRow("a meeting, minutes before, over midnight")
            << row(u"t"_qs, u"2026"_qs, u"március"_qs, u"3"_qs, u"0"_qs, u"10"_qs)
            << Notice{3, 3, 15} << at(2026, 2, 28, 0, 0)
            << QStringList{u"2026-03-02 23:55 15 perc múlva: TALÁLKOZÓ!!"_qs,
                           u"2026-03-03 00:10 TALÁLKOZÓ!!"_qs};
        QTest::newRow("no notice for other kinds")
            << row(u"e"_qs, u"*"_qs, u"március"_qs, u"2"_qs, u"08"_qs, u"00"_qs) << Notice{3, 3, 15}
            << at(2026, 2, 24, 0, 0) << QStringList{u"2026-03-02 08:00 EGYÉB!!"_qs};
    }
    void noticeAhead()
    {
        QFETCH(Reminder, reminder);
        QFETCH(Notice, notice);
        QFETCH(QDateTime, from);
        QFETCH(QStringList, heard);
        ReminderTable t;
        t.setRow(4, reminder);
        AlertScanner scanner;
        scanner.setNotice(notice);
        QStringList got;
        // Every 20 seconds of real time for seven days.
        for (qint64 s = from.toSecsSinceEpoch(); s < from.toSecsSinceEpoch() + 7 * 86400; s += 20) {
            const QDateTime now = QDateTime::fromSecsSinceEpoch(s);
            for (const DueAlert &a : scanner.scan(t, now)) {
                QVERIFY(!a.late);
                if (!a.again)
                    got << now.toString(u"yyyy-MM-dd HH:mm "_qs) + a.text.section(u"!!"_qs, 0, 0) +
                               u"!!"_qs;
            }
        }
        QCOMPARE(got, heard);
    }

    // A clock that ran an hour ahead (a hardware clock kept in local time) and is set right: the
    // meeting at 09:30 is never lost and never comes early as a late one.
    void clockSetBack_data()
    {
        QTest::addColumn<QDateTime>("lastEnd");
        QTest::addColumn<qint64>("correctedAfterMs");
        QTest::addColumn<QStringList>("announced"); // "HH:mm" at the real clock, "late" marked
        QTest::newRow("first start ever")
            << QDateTime() << qint64(5000) << QStringList{u"09:30"_qs};
        QTest::newRow("after last night's run, corrected at once")
            << at(2026, 12, 5, 22, 0) << qint64(5000) << QStringList{u"09:30"_qs};
        QTest::newRow("after last night's run, corrected late")
            << at(2026, 12, 5, 22, 0) << qint64(60000)
            << QStringList{u"10:05 late"_qs, u"09:30"_qs};
    }
    void clockSetBack()
    {
        QFETCH(QDateTime, lastEnd);
        QFETCH(qint64, correctedAfterMs);
        QFETCH(QStringList, announced);
        ReminderTable t;
        t.setRow(0, row(u"t"_qs, u"2026"_qs, u"december"_qs, u"6"_qs, u"09"_qs, u"30"_qs));
        AlertScanner scanner;
        scanner.resumeFrom(lastEnd);
        QStringList got;
        // Started at 10:05 by a clock an hour ahead; set back to 09:05 after `correctedAfterMs`;
        // then scanned every 10 s until 10:00 (real).
        const QDateTime wrongStart = at(2026, 12, 6, 10, 5);
        for (qint64 ms = 0; ms <= 56 * 60 * 1000 + correctedAfterMs; ms += 10000) {
            const QDateTime shown = ms < correctedAfterMs ? wrongStart.addMSecs(ms)
                                                          : wrongStart.addMSecs(ms - 3600 * 1000);
            for (const DueAlert &a : scanner.scan(t, shown, ms)) {
                if (!a.again)
                    got << shown.toString(u"HH:mm"_qs) + (a.late ? u" late"_qs : QString());
            }
        }
        QCOMPARE(got, announced);
    }

    // An alert answered is dealt with at once: the record of the run (written at every
    // announcement and answer, and at a normal end) moves past it even while the start's grace
    // lasts or another box waits, so no later start announces it again. One never answered (a
    // box open, or still to come, when the program was killed) comes again, late, at the next
    // start. Steps: "scan HH:mm:ss ms" (its alerts wait for their boxes, in order), "ok" or
    // "later" (the first waiting one answered, at the time given), "quit HH:mm:ss" (a normal end),
    // "start" (the program started again from the record). Without "quit", the program was killed.
    void dealtWithAtOnce_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("nextStart"); // rows announced at 10:30, "late" marked
        QTest::newRow("OK within the start's grace, then quit")
            << QStringList{u"scan 10:00:05 0"_qs, u"ok"_qs, u"ok"_qs, u"quit 10:00:10"_qs}
            << QStringList{u"2 late"_qs, u"3 late"_qs};
        QTest::newRow("killed with the second box open")
            << QStringList{u"scan 10:00:05 0"_qs, u"ok"_qs}
            << QStringList{u"1 late"_qs, u"2 late"_qs, u"3 late"_qs};
        QTest::newRow("killed with a late box open after the grace")
            << QStringList{u"scan 10:00:05 0"_qs, u"ok"_qs, u"ok"_qs, u"scan 10:00:30 25000"_qs}
            << QStringList{u"2 late"_qs, u"3 late"_qs};
        QTest::newRow("late box answered after the grace, killed")
            << QStringList{u"scan 10:00:05 0"_qs, u"ok"_qs, u"ok"_qs, u"scan 10:00:30 25000"_qs,
                           u"ok"_qs}
            << QStringList{u"3 late"_qs};
        QTest::newRow("put off within the grace")
            << QStringList{u"scan 10:00:05 0"_qs, u"later"_qs, u"ok"_qs, u"quit 10:00:10"_qs}
            << QStringList{u"2 late"_qs, u"3 late"_qs};
        QTest::newRow("two short runs")
            << QStringList{u"scan 10:00:05 0"_qs, u"ok"_qs,    u"ok"_qs,
                           u"quit 10:00:10"_qs,   u"start"_qs, u"scan 10:01:00 0"_qs,
                           u"quit 10:01:05"_qs}
            << QStringList{u"2 late"_qs, u"3 late"_qs};
        // The boxes held the ticks back over 10:02: its alert was never scanned.
        QTest::newRow("boxes answered minutes later, quit before the next tick")
            << QStringList{u"scan 09:59:50 0"_qs, u"scan 10:00:15 25000"_qs, u"ok"_qs, u"ok"_qs,
                           u"ok 10:03:00"_qs,     u"quit 10:03:01"_qs}
            << QStringList{u"3 late"_qs};
    }
    void dealtWithAtOnce()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, nextStart);
        ReminderTable t;
        t.setRow(0, row(u"e"_qs, u"2026"_qs, u"december"_qs, u"6"_qs, u"10"_qs, u"00"_qs));
        t.setRow(1, row(u"t"_qs, u"2026"_qs, u"december"_qs, u"6"_qs, u"10"_qs, u"00"_qs));
        t.setRow(2, row(u"e"_qs, u"2026"_qs, u"december"_qs, u"6"_qs, u"09"_qs, u"30"_qs));
        t.setRow(3, row(u"e"_qs, u"2026"_qs, u"december"_qs, u"6"_qs, u"10"_qs, u"02"_qs));
        DealtWith record{at(2026, 12, 6, 9, 0), {}};
        auto scanner = std::make_unique<AlertScanner>();
        scanner->resumeFrom(record.until, record.answered);
        QList<DueAlert> waiting;
        QDateTime now;
        const auto clock = [](const QString &text) {
            return QDateTime(QDate(2026, 12, 6), QTime::fromString(text, u"HH:mm:ss"_qs));
        };
        for (const QString &step : steps) {
            const QStringList words = step.split(u' ');
            if (words[0] == u"scan") {
                now = clock(words[1]);
                const QList<DueAlert> found = scanner->scan(t, now, words[2].toLongLong());
                waiting += found;
                if (!found.isEmpty())
                    record = scanner->dealtWith(now);
            } else if (words[0] == u"ok" || words[0] == u"later") {
                if (words.size() > 1)
                    now = clock(words[1]);
                scanner->answered(waiting.takeFirst(), words[0] == u"later");
                record = scanner->dealtWith(now);
            } else if (words[0] == u"quit") {
                now = clock(words[1]);
                record = scanner->dealtWith(now);
            } else {
                scanner = std::make_unique<AlertScanner>();
                scanner->resumeFrom(record.until, record.answered);
            }
        }
        AlertScanner next;
        next.resumeFrom(record.until, record.answered);
        QStringList got;
        for (const qint64 ms : {qint64(0), qint64(25000)}) {
            for (const DueAlert &a : next.scan(t, at(2026, 12, 6, 10, 30).addMSecs(ms), ms))
                got << QString::number(a.row) + (a.late ? u" late"_qs : QString());
        }
        QCOMPARE(got, nextStart);
    }
};

QTEST_GUILESS_MAIN(TestAlerts)
#include "tst_alerts.moc"
