#include "reminders/listrules.h"

#include <QTest>

using namespace quill;

class TestListRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listEntries_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<bool>("valid");
        const QString any = u"*"_qs;
        QTest::newRow("year 2026") << 4 << u"2026"_qs << any << any << true;
        QTest::newRow("year 2046") << 4 << u"2046"_qs << any << any << true;
        QTest::newRow("year 2025") << 4 << u"2025"_qs << any << any << false;
        QTest::newRow("year 2047") << 4 << u"2047"_qs << any << any << false;
        QTest::newRow("year star") << 4 << any << any << any << true;
        // The alert compares the year as text: these could never come.
        QTest::newRow("year with tail") << 4 << u"2026x"_qs << any << any << false;
        QTest::newRow("year with blank") << 4 << u" 2030"_qs << any << any << false;
        QTest::newRow("year 02030") << 4 << u"02030"_qs << any << any << false;
        QTest::newRow("year with separator") << 4 << u"2026|"_qs << any << any << false;
        QTest::newRow("month name") << 5 << u"május"_qs << any << any << true;
        QTest::newRow("month star") << 5 << any << any << any << true;
        QTest::newRow("month capital") << 5 << u"Május"_qs << any << any << false;
        QTest::newRow("31 április") << 6 << u"31"_qs << any << u"április"_qs << false;
        QTest::newRow("31 star month") << 6 << u"31"_qs << any << any << true;
        QTest::newRow("29 feb 2024") << 6 << u"29"_qs << u"2024"_qs << u"február"_qs << true;
        QTest::newRow("29 feb star") << 6 << u"29"_qs << any << u"február"_qs << true;
        QTest::newRow("29 feb 2025") << 6 << u"29"_qs << u"2025"_qs << u"február"_qs << false;
        QTest::newRow("day 0") << 6 << u"0"_qs << any << any << false;
        QTest::newRow("day 1.5") << 6 << u"1.5"_qs << any << any << false;
        QTest::newRow("day star") << 6 << any << any << u"május"_qs << true;
        QTest::newRow("hour star") << 7 << any << any << any << true;
        QTest::newRow("hour 07") << 7 << u"07"_qs << any << any << true;
        QTest::newRow("hour 24") << 7 << u"24"_qs << any << any << false;
        QTest::newRow("hour 7a") << 7 << u"7a"_qs << any << any << false;
        QTest::newRow("hour 7") << 7 << u"7"_qs << any << any << false;
        QTest::newRow("hour 08x") << 7 << u"08x"_qs << any << any << true;
        QTest::newRow("minute star") << 8 << any << any << any << false;
        QTest::newRow("minute 59") << 8 << u"59"_qs << any << any << true;
        QTest::newRow("minute 60") << 8 << u"60"_qs << any << any << false;
        QTest::newRow("other column") << 2 << u"bármi"_qs << any << any << true;
        // A change may not make the entry's day impossible: the day is 31 in these entries.
        QTest::newRow("április for day 31") << 5 << u"április"_qs << any << u"31"_qs << false;
        QTest::newRow("március for day 31") << 5 << u"március"_qs << any << u"31"_qs << true;
        QTest::newRow("2027 for 29 február")
            << 4 << u"2027"_qs << u"*"_qs << u"29 február"_qs << false;
        QTest::newRow("2028 for 29 február")
            << 4 << u"2028"_qs << u"*"_qs << u"29 február"_qs << true;
    }
    void listEntries()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(bool, valid);
        // The entry's own alert time: its year and month, or for the rows that say so, a day.
        AlertTime entry{year, month, u"1"_qs, u"*"_qs, u"00"_qs};
        if (month == u"31") {
            entry.month = u"*"_qs;
            entry.day = u"31"_qs;
        } else if (month == u"29 február") {
            entry.month = u"február"_qs;
            entry.day = u"29"_qs;
        }
        QCOMPARE(list::isValidListEntry(list::Column(column), text, 2026, entry), valid);
    }

    // A field that was already wrong (an old file) may be mended one field at a time.
    void wrongEntriesCanBeMended()
    {
        const AlertTime old{u" 2030"_qs, u"Május"_qs, u"1"_qs, u"*"_qs, u"00"_qs};
        QVERIFY(list::isValidListEntry(list::Column::AlertYear, u"2030"_qs, 2026, old));
        QVERIFY(list::isValidListEntry(list::Column::AlertMonth, u"május"_qs, 2026, old));
        QVERIFY(!list::isValidListEntry(list::Column::AlertHour, u"25"_qs, 2026, old));
    }

    void listing()
    {
        ReminderTable t;
        for (int r : {0, 2, 5}) {
            t.setField(r, Field::Kind, u"n"_qs);
            t.setField(r, Field::RowNumber, QString::number(r));
        }
        t.setField(3, Field::Kind, u"s"_qs);
        QCOMPARE(list::listedRows(t, ReminderKind::NameDay), (QList<int>{0, 2, 5}));
        QCOMPARE(list::listedRows(t, ReminderKind::Birthday), (QList<int>{3}));
        QCOMPARE(list::listedRows(t, ReminderKind::Other), QList<int>{});
        const auto other = list::layoutFor(ReminderKind::Other);
        QVERIFY(!other.secondHeaderShown && other.columnShown[9] && !other.columnShown[1]);
        const auto meter = list::layoutFor(ReminderKind::MeterReading);
        QVERIFY(!meter.columnShown[3] && meter.columnShown[2] && meter.whenHeader.isEmpty());
        QCOMPARE(list::layoutFor(ReminderKind::NameDay).whenHeader, u"Névnap(ok)"_qs);
    }
};

QTEST_GUILESS_MAIN(TestListRules)
#include "tst_listrules.moc"
