#include "calendar/calendar.h"
#include "reminders/editorrules.h"

#include <QTest>

using namespace quill;

class TestEditorRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pickerContents()
    {
        const QStringList ev = editor::evEntries(2026);
        QCOMPARE(ev.size(), 21);
        QCOMPARE(ev.first(), u"*"_qs);
        QCOMPARE(ev.at(1), u"2026"_qs);
        QCOMPARE(ev.last(), u"2045"_qs);
        QCOMPARE(editor::tevEntries(2026).size(), 20);
        QCOMPARE(editor::honapEntries().size(), 13);
        QCOMPARE(editor::szhonapEntries().first(), u"január"_qs);
        QCOMPARE(editor::napEntries(31).size(), 32);
        QCOMPARE(editor::oraEntries(true).at(1), u"00"_qs);
        QCOMPARE(editor::oraEntries(false).last(), u"23"_qs);
        QCOMPARE(editor::percEntries().size(), 60);
        QCOMPARE(editor::percEntries().at(7), u"07"_qs);
    }

    void storedRows()
    {
        editor::Inputs in;
        in.text1 = u"Kiss"_qs;
        in.kernev = u"Ábel"_qs;
        in.text2 = u"Budapest"_qs;
        in.list1 = u"január 2."_qs;
        in.text3 = u"Fizetés"_qs;
        in.tev = u"2027"_qs;
        in.szhonap = u"március"_qs;
        in.sznap = u"15"_qs;
        in.tora = u"14"_qs;
        in.tperc = u"30"_qs;
        in.ev = u"*"_qs;
        in.honap = u"március"_qs;
        in.nap = u"14"_qs;
        in.ora = u"*"_qs;
        in.perc = u"00"_qs;
        const QString tail = u"|*|március|14|*|00|"_qs;
        auto joined = [](const std::array<QString, 10> &f) {
            QString s;
            for (const QString &x : f)
                s += x + u'|';
            return s;
        };
        QCOMPARE(joined(editor::storedFields(0, in)),
                 u"n|Kiss|Ábel"_qs + tail + u"január 2.| |"_qs);
        QCOMPARE(joined(editor::storedFields(1, in)),
                 u"s|Kiss|Ábel"_qs + tail + u"március 15.| |"_qs);
        QCOMPARE(joined(editor::storedFields(2, in)),
                 u"t|Kiss|Budapest"_qs + tail + u"2027. március 15. 14:30| |"_qs);
        QCOMPARE(joined(editor::storedFields(3, in)), u"m|Kiss|Budapest"_qs + tail + u" | |"_qs);
        QCOMPARE(joined(editor::storedFields(4, in)), u"e| | "_qs + tail + u" |Fizetés|"_qs);
    }

    void nameDayPrefill_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("currentMonth");
        QTest::addColumn<int>("honap");
        QTest::addColumn<int>("ev");
        QTest::addColumn<bool>("setDay");
        QTest::addColumn<bool>("lastDay");
        QTest::addColumn<int>("nap");
        QTest::newRow("november 2.") << u"november 2."_qs << 6 << 11 << 1 << true << false << 1;
        QTest::newRow("november 2. in December")
            << u"november 2."_qs << 12 << 11 << 2 << true << false << 1;
        QTest::newRow("two digits") << u"szeptember 27."_qs << 1 << 9 << 1 << true << false << 26;
        QTest::newRow("march 1st") << u"március 1."_qs << 1 << 2 << 1 << true << true << 0;
        QTest::newRow("short month, several")
            << u"aug 15. szept 8. szept 12. dec 8."_qs << 1 << 8 << 1 << true << false << 14;
        QTest::newRow("no digit") << u"augusztus"_qs << 9 << 8 << 2 << false << false << 0;
        QTest::newRow("empty") << QString() << 3 << 4 << 1 << false << false << 0;
        QTest::newRow("january 1st from February")
            << u"január 1."_qs << 2 << 12 << 1 << true << true << 0;
        QTest::newRow("january 1st in January")
            << u"január 1."_qs << 1 << 12 << 1 << true << true << 0;
    }
    void nameDayPrefill()
    {
        QFETCH(QString, text);
        QFETCH(int, currentMonth);
        QFETCH(int, honap);
        QFETCH(int, ev);
        QFETCH(bool, setDay);
        QFETCH(bool, lastDay);
        QFETCH(int, nap);
        // The empty text keeps the month picker where it was (April here).
        const auto p = editor::nameDayPrefill(text, 4, currentMonth, alertMonthEntries());
        QCOMPARE(p.honap, honap);
        QCOMPARE(p.ev, ev);
        QCOMPARE(p.setDay, setDay);
        QCOMPARE(p.lastDay, lastDay);
        if (setDay && !lastDay)
            QCOMPARE(p.nap, nap);
    }

    void dayBefore()
    {
        auto p = editor::dayBeforePrefill(14, 3, 0); // 15 March
        QCOMPARE(p.nap, 14);
        QVERIFY(!p.lastDay);
        p = editor::dayBeforePrefill(0, 3, 0); // 1 March
        QVERIFY(p.lastDay);
        QCOMPARE(p.honap, 2);
        p = editor::dayBeforePrefill(0, 1, 3); // 1 January of Y+2
        QCOMPARE(p.honap, 12);
        QCOMPARE(p.ev, 2);
        p = editor::dayBeforePrefill(-1, 5, 0); // nothing picked
        QVERIFY(!p.setDay);
    }

    void hintAnimation()
    {
        int n = 0;
        QList<int> frames;
        for (int i = 0; i < 18; ++i) {
            const auto t = editor::hintTick(n, true);
            n = t.egerlepes;
            frames << t.frame;
        }
        // mouse4 at the 6th tick, mouse3 at the 10th, then every 9 ticks.
        QCOMPARE(frames.indexOf(2), 5);
        QCOMPARE(frames.indexOf(1), 9);
        QCOMPARE(frames.lastIndexOf(2), 14);
        n = 0;
        for (int i = 0; i < 100000; ++i) {
            const auto t = editor::hintTick(n, false);
            QCOMPARE(t.frame, 0);
            n = t.egerlepes;
        }
        QVERIFY(n > 0 && n <= 10);
        QCOMPARE(editor::hintTick(n, true).frame, 1);
        QCOMPARE(editor::alertYearValue(u"*"_qs), 0);
        QCOMPARE(editor::alertYearValue(u"2027"_qs), 2027);
    }
};

QTEST_GUILESS_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
