// Whose name day a real date is (the leap-year rule), and every name of both calendars with its
// days: main names, names of the extended list alone, folded spellings, names of no list.

#include "calendar/calendar.h"
#include "calendar/extendednames.h"
#include "calendar/namedays.h"
#include "calendar/names.h"
#include "calendar/tradition.h"

#include <QFile>
#include <QTest>

using namespace quill;

using Days = QList<TableDay>;
Q_DECLARE_METATYPE(TableDay)

class TestTradition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesOfDate_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("leapDay");
        const auto row = [](const char *tag, QDate d, const QString &n, bool leap = false) {
            QTest::newRow(tag) << d << n << leap;
        };
        // A leap year: the leap day carries no name, 24-28 February a day later.
        row("2028-02-23", {2028, 2, 23}, u"Alfréd"_qs);
        row("2028-02-24 leap day", {2028, 2, 24}, {}, true);
        row("2028-02-25", {2028, 2, 25}, u"Mátyás"_qs);
        row("2028-02-26", {2028, 2, 26}, u"Géza"_qs);
        row("2028-02-27", {2028, 2, 27}, u"Edina"_qs);
        row("2028-02-28", {2028, 2, 28}, u"Ákos, Bátor"_qs);
        row("2028-02-29", {2028, 2, 29}, u"Elemér"_qs);
        row("2028-03-01", {2028, 3, 1}, u"Albin"_qs);
        row("2000-02-24 leap day", {2000, 2, 24}, {}, true);
        // Common years: the table as it is.
        row("2027-02-24", {2027, 2, 24}, u"Mátyás"_qs);
        row("2027-02-25", {2027, 2, 25}, u"Géza"_qs);
        row("2027-02-28", {2027, 2, 28}, u"Elemér"_qs);
        row("2027-03-01", {2027, 3, 1}, u"Albin"_qs);
        row("2027-03-31", {2027, 3, 31}, u"Árpád"_qs);
        // 2100 is no leap year of the real calendar.
        row("2100-02-24", {2100, 2, 24}, u"Mátyás"_qs);
        row("2028-12-31", {2028, 12, 31}, u"Szilveszter"_qs);
    }
    void namesOfDate()
    {
        QFETCH(QDate, date);
        QFETCH(QString, names);
        QFETCH(bool, leapDay);
        QCOMPARE(mainNamesOn(date), names);
        QCOMPARE(isLeapDay(date), leapDay);
        QCOMPARE(tableDayOf(date).has_value(), !leapDay);
        if (leapDay) {
            QVERIFY(otherNamesOn(date).isEmpty());
            return;
        }
        // The way back: the table day is celebrated on this very date.
        QCOMPARE(celebratedOn(*tableDayOf(date), date.year()), date);
        // Every day has names of the extended list too, the month's last day as well.
        QVERIFY(!otherNamesOn(date).isEmpty());
        for (const QString &other : otherNamesOn(date))
            QVERIFY2(!names.split(u", "_qs).contains(other), qPrintable(other));
    }

    // A date kept every year: itself, and 29 February of a common year where the settings say.
    void yearlyDate_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("onMarch1");
        QTest::addColumn<QDate>("kept");
        QTest::newRow("29 Feb, leap year") << 2 << 29 << 2028 << false << QDate(2028, 2, 29);
        QTest::newRow("29 Feb, leap year, March rule")
            << 2 << 29 << 2028 << true << QDate(2028, 2, 29);
        QTest::newRow("29 Feb, common year") << 2 << 29 << 2027 << false << QDate(2027, 2, 28);
        QTest::newRow("29 Feb, common year, March rule")
            << 2 << 29 << 2027 << true << QDate(2027, 3, 1);
        QTest::newRow("29 Feb, 2100") << 2 << 29 << 2100 << true << QDate(2100, 3, 1);
        QTest::newRow("28 Feb, March rule") << 2 << 28 << 2027 << true << QDate(2027, 2, 28);
        QTest::newRow("1 March") << 3 << 1 << 2027 << false << QDate(2027, 3, 1);
        QTest::newRow("24 Feb, leap year: no move")
            << 2 << 24 << 2028 << false << QDate(2028, 2, 24);
        QTest::newRow("30 Feb") << 2 << 30 << 2028 << true << QDate();
    }
    void yearlyDate()
    {
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, year);
        QFETCH(bool, onMarch1);
        QFETCH(QDate, kept);
        QCOMPARE(yearlyDateIn(month, day, year, leapDayRule(onMarch1)), kept);
    }

    // Every real date of several years has exactly one table day, and each table day with names
    // falls on one date a year.
    void everyDayOnce()
    {
        for (int year : {2024, 2025, 2026, 2027, 2028, 2100}) {
            QSet<int> seen;
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
                const auto day = tableDayOf(d);
                if (!day)
                    continue;
                QVERIFY(!seen.contains(day->month * 100 + day->day));
                seen.insert(day->month * 100 + day->day);
            }
            QCOMPARE(seen.size(), 365); // a leap year: 366 days, the leap day without names
        }
    }

    void names_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isMain");
        QTest::addColumn<Days>("mainDays");
        QTest::addColumn<Days>("otherDays");
        const auto row = [](const char *tag, const QString &typed, const QString &name, bool main,
                            const Days &m, const Days &o) {
            QTest::newRow(tag) << typed << name << main << m << o;
        };
        row("main with other days", u"Mátyás"_qs, u"Mátyás"_qs, true, {{2, 24}},
            {{5, 14}, {12, 8}});
        row("main, folded", u"matyas"_qs, u"Mátyás"_qs, true, {{2, 24}}, {{5, 14}, {12, 8}});
        row("main, capitals", u"LŐRINC"_qs, u"Lőrinc"_qs, true, {{8, 10}, {9, 5}},
            {{7, 5}, {7, 21}});
        row("four main days", u"Mária"_qs, u"Mária"_qs, true, {{8, 15}, {9, 8}, {9, 12}, {12, 8}},
            {});
        row("main, other day in February", u"Elemér"_qs, u"Elemér"_qs, true, {{2, 28}},
            {{2, 20}, {4, 28}, {8, 25}, {10, 9}});
        row("extended only", u"Hanna"_qs, u"Hanna"_qs, false, {}, {{5, 20}, {5, 24}, {5, 30}});
        row("extended only, capitals", u"ZOÉ"_qs, u"Zoé"_qs, false, {}, {{5, 2}, {6, 15}, {7, 5}});
        row("two fold alike: as typed", u"domos"_qs, u"Domos"_qs, false, {}, {});
        row("two fold alike: the other", u"DÖMÖS"_qs, u"Dömös"_qs, false, {}, {});
    }
    void names()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, isMain);
        QFETCH(Days, mainDays);
        QFETCH(Days, otherDays);
        QCOMPARE(calendarSpelling(typed), std::optional<QString>(name));
        const auto found = nameDays(name);
        QVERIFY(found);
        QCOMPARE(found->isMain, isMain);
        QCOMPARE(found->mainDays, mainDays);
        if (name == u"Mária")
            QCOMPARE(found->otherDays.size(), 37); // the list's 40 days, 3 of them main
        else if (!otherDays.isEmpty() || isMain)
            QCOMPARE(found->otherDays, otherDays);
        else
            QVERIFY(!found->otherDays.isEmpty());
    }

    void namesOfNoList_data()
    {
        QTest::addColumn<QString>("typed");
        for (const char *n : {"Dominik", "Benett", "Szofia", "Lara", "Mira", "", "  ", "Józsefné"})
            QTest::newRow(n) << QString::fromUtf8(n);
    }
    void namesOfNoList()
    {
        QFETCH(QString, typed);
        QVERIFY(!calendarSpelling(typed));
        QVERIFY(!nameDays(typed));
    }

    // The main table stays the authority, its index texts follow the year.
    void indexTextFollowsTheYear_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("text");
        QTest::newRow("Mátyás, common") << u"Mátyás"_qs << 2027 << u" február 24."_qs;
        QTest::newRow("Mátyás, leap") << u"Mátyás"_qs << 2028 << u" február 25."_qs;
        QTest::newRow("Elemér, leap") << u"Elemér"_qs << 2028 << u" február 29."_qs;
        QTest::newRow("Alfréd, leap") << u"Alfréd"_qs << 2028 << u" február 23."_qs;
        QTest::newRow("Mária, leap")
            << u"Mária"_qs << 2028 << u" aug 15. szept 8. szept 12. dec 8."_qs;
        QTest::newRow("Ábel, leap") << u"Ábel"_qs << 2028 << u"január 2."_qs;
    }
    void indexTextFollowsTheYear()
    {
        QFETCH(QString, name);
        QFETCH(int, year);
        QFETCH(QString, text);
        QCOMPARE(NameDayIndex::dates(name, year), std::optional<QString>(text));
    }

    // The list as shipped: every name of the data file found under its own spelling and its
    // folded one with exactly its days, in the order the search relies on.
    void extendedListIsWhole()
    {
        QFile tsv(QStringLiteral(EXTENDED_PATH));
        QVERIFY(tsv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = tsv.readAll().split('\n');
        int names = 0, pairs = 0;
        for (const QByteArray &raw : lines.mid(1)) {
            if (raw.isEmpty())
                continue;
            const QStringList f = QString::fromUtf8(raw).split(u'\t');
            const auto found = nameDays(f[0]);
            QVERIFY2(found, raw.constData());
            QVERIFY2(namesFoldedAs(foldedForMatching(f[0])).contains(f[0]), raw.constData());
            QStringList days;
            for (const TableDay &d : found->allDays())
                days << QStringLiteral("%1-%2")
                            .arg(d.month, 2, 10, QChar(u'0'))
                            .arg(d.day, 2, 10, QChar(u'0'));
            // A main name keeps the main table's days; the list's days are all there.
            for (const QString &d : f[1].split(u','))
                QVERIFY2(days.contains(d) || found->isMain, raw.constData());
            if (!found->isMain)
                QCOMPARE(days.join(u','), f[1]);
            ++names;
            pairs += int(f[1].split(u',').size());
        }
        QCOMPARE(names, 1879);
        QCOMPARE(pairs, 5121);
        QCOMPARE(int(data::extendedNameCount), 1879);
        for (std::size_t i = 1; i < data::extendedNameCount; ++i)
            QVERIFY(foldedForMatching(extendedName(i - 1)) <= foldedForMatching(extendedName(i)));
        for (const QString &name : FirstNameList())
            QVERIFY(nameDays(name)->isMain);
    }
};

QTEST_GUILESS_MAIN(TestTradition)
#include "tst_tradition.moc"
