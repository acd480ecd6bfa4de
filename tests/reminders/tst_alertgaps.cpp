// Alerts across the gaps of a run: a program closed over their minute, a machine asleep.

#include "alertrows.h"
#include "reminders/alerts.h"
#include "reminders/table.h"

#include <QTest>

using namespace quill;
using namespace quill::testing;

class TestAlertGaps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A meeting at 14:30, an "Egyéb" at 15:00 and a name day on 15 March at 15:00 with three days'
    // notice: a program closed over 12 March 15:00 brings all three late, the notice among them,
    // whatever the rows' order and whenever it ends and starts again within the day.
    void missedNoticeAmongOthers_data()
    {
        QTest::addColumn<QList<int>>("rows"); // where the meeting, the "Egyéb" and the name day lie
        QTest::addColumn<QDateTime>("lastEnd");
        QTest::addColumn<QDateTime>("start");
        QTest::newRow("in order, started after the hour")
            << QList<int>{0, 1, 2} << at(2026, 3, 12, 14, 0) << at(2026, 3, 12, 15, 5);
        QTest::newRow("name day first, started next morning")
            << QList<int>{2, 1, 0} << at(2026, 3, 12, 13, 0) << at(2026, 3, 13, 9, 0, 40);
        QTest::newRow("ended just before the first notice, started a minute after")
            << QList<int>{1, 2, 0} << at(2026, 3, 12, 14, 14, 59) << at(2026, 3, 12, 15, 1);
        QTest::newRow("last rows of the table")
            << QList<int>{50, 49, 48} << at(2026, 3, 11, 16, 0) << at(2026, 3, 12, 15, 30);
    }
    void missedNoticeAmongOthers()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QDateTime, lastEnd);
        QFETCH(QDateTime, start);
        ReminderTable t;
        t.setRow(rows[0], row(u"t"_qs, u"2026"_qs, u"március"_qs, u"12"_qs, u"14"_qs, u"30"_qs));
        t.setRow(rows[1], row(u"e"_qs, u"2026"_qs, u"március"_qs, u"12"_qs, u"15"_qs, u"00"_qs));
        t.setRow(rows[2], row(u"n"_qs, u"*"_qs, u"március"_qs, u"15"_qs, u"15"_qs, u"00"_qs));
        AlertScanner scanner;
        scanner.setNotice({3, 3, 15});
        scanner.resumeFrom(lastEnd);
        QStringList got;
        for (qint64 ms = 0; ms <= 30000; ms += 1000) {
            for (const DueAlert &a : scanner.scan(t, start.addMSecs(ms), ms)) {
                QVERIFY(a.late);
                got << a.text.section(u"     "_qs, 0, 0);
            }
        }
        got.sort();
        QCOMPARE(got, (QStringList{u"15 perc múlva: TALÁLKOZÓ!!"_qs,
                                   u"3 nap múlva, március 15.: NÉVNAP!!"_qs, u"EGYÉB!!"_qs,
                                   u"TALÁLKOZÓ!!"_qs}));
    }

    // After a sleep (the last scan at 10:00:30, the next at 10:05:10, or a tick that came a
    // minute late, at 10:02:10): the minutes between are announced late, the first one after the
    // last scan included, the last scanned minute not again, the present one on time.
    void wakeFromSleep_data()
    {
        QTest::addColumn<QString>("minute"); // the reminder's minute, in the 10 o'clock hour
        QTest::addColumn<int>("wake");       // the minute of the next scan
        QTest::addColumn<int>("announced");  // -1 none, 0 on time, 1 late
        QTest::newRow("the last scanned minute") << u"00"_qs << 5 << -1;
        QTest::newRow("the first minute after it") << u"01"_qs << 5 << 1;
        QTest::newRow("the last minute asleep") << u"04"_qs << 5 << 1;
        QTest::newRow("the minute of waking") << u"05"_qs << 5 << 0;
        QTest::newRow("the minute after waking") << u"06"_qs << 5 << -1;
        QTest::newRow("the one minute a late tick skipped") << u"01"_qs << 2 << 1;
    }
    void wakeFromSleep()
    {
        QFETCH(QString, minute);
        QFETCH(int, wake);
        QFETCH(int, announced);
        ReminderTable t;
        t.setRow(0, row(u"e"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"10"_qs, minute));
        AlertScanner scanner;
        const QList<DueAlert> before = scanner.scan(t, at(2026, 12, 6, 10, 0, 30));
        const QList<DueAlert> after = scanner.scan(t, at(2026, 12, 6, 10, wake, 10));
        QCOMPARE(before.size(), minute == u"00" ? 1 : 0);
        QCOMPARE(after.size(), announced < 0 ? 0 : 1);
        if (announced >= 0)
            QCOMPARE(after.first().late, announced == 1);
    }

    // Asleep through the repeated hour: each reminder once, naming the minute it missed.
    void sleepThroughTheRepeatedHour()
    {
        ReminderTable t;
        t.setRow(0, row(u"e"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"05"_qs));
        t.setRow(1, row(u"e"_qs, u"2026"_qs, u"október"_qs, u"25"_qs, u"02"_qs, u"30"_qs));
        AlertScanner scanner;
        scanner.scan(t, QDateTime(QDate(2026, 10, 25), QTime(1, 50)));
        // 01:50 summer time to 03:10 winter time: two hours and twenty minutes.
        const QDateTime wake = QDateTime(QDate(2026, 10, 25), QTime(3, 10));
        const auto late = scanner.scan(t, wake);
        QCOMPARE(late.size(), 2);
        QVERIFY(late[0].late && late[0].text.contains(u"2026. 10. 25. 03:05"_qs));
        QVERIFY(late[1].late && late[1].text.contains(u"2026. 10. 25. 02:30"_qs));
    }
};

QTEST_GUILESS_MAIN(TestAlertGaps)
#include "tst_alertgaps.moc"
