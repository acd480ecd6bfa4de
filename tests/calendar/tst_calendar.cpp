#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <QTest>
#include <cmath>

using namespace quill;

class TestCalendar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translation_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("weekday");
        QTest::newRow("english") << u"January"_qs << u"január"_qs << u"January"_qs;
        QTest::newRow("sunday") << u"Sunday"_qs << u"Sunday"_qs << u"Vasárnap"_qs;
        QTest::newRow("lower-case english") << u"january"_qs << u"january"_qs << u"january"_qs;
        QTest::newRow("german") << u"Januar"_qs << u"Januar"_qs << u"Januar"_qs;
        QTest::newRow("hungarian stays") << u"vasárnap"_qs << u"vasárnap"_qs << u"vasárnap"_qs;
        QTest::newRow("december") << u"December"_qs << u"december"_qs << u"December"_qs;
        QTest::newRow("monday") << u"Monday"_qs << u"Monday"_qs << u"Hétfő"_qs;
    }
    void translation()
    {
        QFETCH(QString, in);
        QFETCH(QString, month);
        QFETCH(QString, weekday);
        QCOMPARE(hungarianMonthName(in), month);
        QCOMPARE(hungarianWeekdayName(in), weekday);
    }

    void monthLengths()
    {
        QCOMPARE(daysInMonth(u"február", 2100), 29); // no century rule
        QVERIFY(!daysInMonth(u"Február", 2024));
        QVERIFY(!daysInMonth(u"March", 2024));
        int total = 0;
        for (const auto &m : MonthNames)
            total += *daysInMonth(m.hungarian, 2026);
        QCOMPARE(total, 365);
    }

    void dayList_data()
    {
        QTest::addColumn<int>("leading");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("expectedDays");
        QTest::newRow("29 to március") << 0 << 29 << u"március"_qs << 2024 << 31;
        QTest::newRow("29 to április") << 0 << 29 << u"április"_qs << 2024 << 30;
        QTest::newRow("31 to február 2026") << 0 << 31 << u"február"_qs << 2026 << 28;
        QTest::newRow("28 to február 2028") << 0 << 28 << u"február"_qs << 2028 << 29;
        QTest::newRow("misspelt month") << 0 << 31 << u"februar"_qs << 2026 << 31;
        QTest::newRow("empty month") << 0 << 30 << QString() << 2026 << 30;
        QTest::newRow("star list to február") << 1 << 31 << u"február"_qs << 0 << 29;
        QTest::newRow("star list to június") << 1 << 28 << u"június"_qs << 2026 << 30;
    }
    void dayList()
    {
        QFETCH(int, leading);
        QFETCH(int, days);
        QFETCH(QString, month);
        QFETCH(int, year);
        QFETCH(int, expectedDays);
        QStringList items;
        if (leading)
            items << u"*"_qs;
        for (int d = 1; d <= days; ++d)
            items << u" "_qs + QString::number(d); // old items keep their own form
        adjustDayList(items, leading, month, year);
        QCOMPARE(items.size(), leading + expectedDays);
        if (leading)
            QCOMPARE(items.first(), u"*"_qs);
        // Appended days are bare decimal text.
        if (expectedDays > days)
            QCOMPARE(items.last(), QString::number(expectedDays));
        else
            QCOMPARE(items.last(), u" "_qs + QString::number(expectedDays));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << u"7"_qs << 7.0;
        QTest::newRow("leading zero") << u"07"_qs << 7.0;
        QTest::newRow("leading blank") << u" 1"_qs << 1.0;
        QTest::newRow("fraction") << u"1.5"_qs << 1.5;
        QTest::newRow("letters") << u"abc"_qs << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("star") << u"*"_qs << 0.0;
        QTest::newRow("trailing text") << u"2026x"_qs << 2026.0;
        QTest::newRow("inner blank") << u"1 2"_qs << 12.0;
        QTest::newRow("negative") << u"-3"_qs << -3.0;
        QTest::newRow("08 hour") << u"08"_qs << 8.0;
        QTest::newRow("day with stop") << u"15."_qs << 15.0;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(textValue(text), value);
    }

    void numberTextIsPlain()
    {
        QCOMPARE(numberText(textValue(u"07")), u"7"_qs);
        QCOMPARE(numberText(textValue(u" 1")), u"1"_qs);
        QCOMPARE(numberText(textValue(u"abc")), u"0"_qs);
        QCOMPARE(numberText(textValue(u"1.5")), u"1.5"_qs);
        QVERIFY(std::isfinite(textValue(QString(400, u'9'))));
        QVERIFY(isWhole(2.0));
        QVERIFY(!isWhole(1.5));
    }
};

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
