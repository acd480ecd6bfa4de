#include "calendar/calendar.h"
#include "reminders/editorrules.h"
#include "reminders/listrules.h"

#include <QTest>

using namespace quill;

class TestRules : public QObject {
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

    void kifejezesteszt_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<bool>("wrong");
        const QString any = u"*"_qs;
        QTest::newRow("year 2026") << 4 << u"2026"_qs << any << any << false;
        QTest::newRow("year 2046") << 4 << u"2046"_qs << any << any << false;
        QTest::newRow("year 2025") << 4 << u"2025"_qs << any << any << true;
        QTest::newRow("year 2047") << 4 << u"2047"_qs << any << any << true;
        QTest::newRow("year star") << 4 << any << any << any << false;
        QTest::newRow("year with tail") << 4 << u"2026x"_qs << any << any << false;
        QTest::newRow("year with separator") << 4 << u"2026|"_qs << any << any << true;
        QTest::newRow("month name") << 5 << u"május"_qs << any << any << false;
        QTest::newRow("month star") << 5 << any << any << any << false;
        QTest::newRow("month capital") << 5 << u"Május"_qs << any << any << true;
        QTest::newRow("31 április") << 6 << u"31"_qs << any << u"április"_qs << true;
        QTest::newRow("31 star month") << 6 << u"31"_qs << any << any << false;
        QTest::newRow("29 feb 2024") << 6 << u"29"_qs << u"2024"_qs << u"február"_qs << false;
        QTest::newRow("29 feb star") << 6 << u"29"_qs << any << u"február"_qs << false;
        QTest::newRow("29 feb 2025") << 6 << u"29"_qs << u"2025"_qs << u"február"_qs << true;
        QTest::newRow("day 0") << 6 << u"0"_qs << any << any << true;
        QTest::newRow("day 1.5") << 6 << u"1.5"_qs << any << any << true;
        QTest::newRow("day star") << 6 << any << any << u"május"_qs << false;
        QTest::newRow("hour star") << 7 << any << any << any << false;
        QTest::newRow("hour 07") << 7 << u"07"_qs << any << any << false;
        QTest::newRow("hour 24") << 7 << u"24"_qs << any << any << true;
        QTest::newRow("hour 7a") << 7 << u"7a"_qs << any << any << true;
        QTest::newRow("hour 7") << 7 << u"7"_qs << any << any << true;
        QTest::newRow("hour 08x") << 7 << u"08x"_qs << any << any << false;
        QTest::newRow("minute star") << 8 << any << any << any << true;
        QTest::newRow("minute 59") << 8 << u"59"_qs << any << any << false;
        QTest::newRow("minute 60") << 8 << u"60"_qs << any << any << true;
        QTest::newRow("other column") << 2 << u"bármi"_qs << any << any << false;
    }
    void kifejezesteszt()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(bool, wrong);
        QCOMPARE(list::kifejezesteszt(column, text, 2026, year, month), wrong);
    }

    void listing()
    {
        ReminderTable t;
        for (int r : {0, 2, 5}) {
            t.setField(r, Fld::Kind, u"n"_qs);
            t.setField(r, Fld::RowNumber, QString::number(r));
        }
        t.setField(3, Fld::Kind, u"s"_qs);
        QCOMPARE(list::listedRows(t, 0), (QList<int>{0, 2, 5}));
        QCOMPARE(list::listedRows(t, 1), (QList<int>{3}));
        QCOMPARE(list::listedRows(t, 4), QList<int>{});
        QCOMPARE(list::rowForKey(t, u"5"_qs), 5);
        QCOMPARE(list::rowForKey(t, QString()), -1);
        const auto egyeb = list::layoutFor(4);
        QVERIFY(!egyeb.header1Shown && egyeb.columnShown[9] && !egyeb.columnShown[1]);
        const auto meter = list::layoutFor(3);
        QVERIFY(!meter.columnShown[3] && meter.columnShown[2] && meter.header7.isEmpty());
        QCOMPARE(list::layoutFor(0).header7, u"Névnap(ok)"_qs);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
