#include "calendar/calendar.h"
#include "calendar/namedays.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace quill;

class TestNameDays : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tableShape()
    {
        int days = 0, one = 0, two = 0, empty = 0, occurrences = 0;
        QSet<QString> distinct;
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
                ++days;
                const QString e = NameDayCalendar::entry(m, d);
                QCOMPARE(e, e.trimmed());
                if (e.isEmpty()) {
                    ++empty;
                    continue;
                }
                const QStringList names = e.split(u", "_qs);
                QVERIFY2(names.size() <= 2, qPrintable(e));
                (names.size() == 1 ? one : two)++;
                occurrences += int(names.size());
                for (const QString &n : names)
                    distinct.insert(n);
            }
        }
        QCOMPARE(days, 366);
        QCOMPARE(one, 247);
        QCOMPARE(two, 118);
        QCOMPARE(empty, 1);
        QCOMPARE(NameDayCalendar::entry(2, 29), QString());
        QCOMPARE(occurrences, 483);
        QCOMPARE(distinct.size(), 436);

        const QStringList &list = FirstNameList();
        QCOMPARE(list.size(), 436);
        QCOMPARE(QSet<QString>(list.begin(), list.end()), distinct);
        QCOMPARE(list.first(), u"Abigél"_qs);
        QCOMPARE(list.last(), u"Zsuzsanna"_qs);
    }

    // Every date of the index is a day that holds the name, and every such day is in the index.
    void indexAgreesWithTable()
    {
        QHash<int, int> perCount;
        for (const QString &name : FirstNameList()) {
            const auto text = NameDayIndex::dates(name);
            QVERIFY2(text, qPrintable(name));
            QStringList expected;
            for (int m = 1; m <= 12; ++m) {
                for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
                    const QStringList names = NameDayCalendar::entry(m, d).split(u", "_qs);
                    if (names.contains(name))
                        expected << QString::number(m) + u'-' + QString::number(d);
                }
            }
            // Read the text back: month by its first three letters, then the day number.
            QStringList found;
            const QStringList parts = text->split(u' ', Qt::SkipEmptyParts);
            QCOMPARE(parts.size() % 2, 0);
            for (int i = 0; i < parts.size(); i += 2) {
                int month = 0;
                for (int m = 0; m < 12; ++m) {
                    if (MonthNames[m].hungarian.startsWith(parts[i]))
                        month = m + 1;
                }
                QVERIFY2(month > 0, qPrintable(*text));
                QVERIFY(parts[i + 1].endsWith(u'.'));
                found << QString::number(month) + u'-' + parts[i + 1].chopped(1);
            }
            QCOMPARE(found, expected);
            perCount[int(expected.size())]++;
        }
        QCOMPARE(perCount.value(1), 395);
        QCOMPARE(perCount.value(2), 37);
        QCOMPARE(perCount.value(3), 2);
        QCOMPARE(perCount.value(4), 2);
    }

    void indexTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Abigél") << u"Abigél"_qs << u" február 9."_qs;
        QTest::newRow("Zoltán") << u"Zoltán"_qs << u" március 8. június 23."_qs;
        QTest::newRow("Ferenc") << u"Ferenc"_qs << u" máj 11. okt 4. dec 3."_qs;
        QTest::newRow("Mária") << u"Mária"_qs << u" aug 15. szept 8. szept 12. dec 8."_qs;
        QTest::newRow("Pál") << u"Pál"_qs << u" jan 25. jún 26. jún 29. jún 30."_qs;
        QTest::newRow("Tamás") << u"Tamás"_qs << u" márc 7. dec 21. dec 29."_qs;
        QTest::newRow("Fruzsina") << u"Fruzsina"_qs << u"január 1."_qs;
        QTest::newRow("Ábel") << u"Ábel"_qs << u"január 2."_qs;
        QTest::newRow("Genovéva") << u"Genovéva"_qs << u"január 3."_qs;
        QTest::newRow("Benjámin") << u"Benjámin"_qs << u" január 3."_qs;
        QTest::newRow("Titusz") << u"Titusz"_qs << u"január 4."_qs;
        QTest::newRow("Leona") << u"Leona"_qs << u"január 4."_qs;
        QTest::newRow("Simon") << u"Simon"_qs << u"január 5. október 28."_qs;
        QTest::newRow("Boldizsár") << u"Boldizsár"_qs << u"január 6."_qs;
        QTest::newRow("Lőrinc") << u"Lőrinc"_qs << u" augusztus 10. szeptember 5."_qs;
        QTest::newRow("Zsuzsanna") << u"Zsuzsanna"_qs << u" február 19. augusztus 11."_qs;
    }
    void indexTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QCOMPARE(NameDayIndex::dates(name), std::optional<QString>(text));
        QCOMPARE(NameDayIndex::editorDates(name),
                 std::optional<QString>(text.startsWith(u' ') ? text.mid(1) : text));
    }

    void unknownNames()
    {
        for (const QString &n :
             {u"Lorinc"_qs, u"abigél"_qs, QString(), u" Abigél"_qs, u"ABIGÉL"_qs})
            QVERIFY2(!NameDayIndex::dates(n), qPrintable(n));
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("names");
        const int ok = int(LookupError::None), mon = int(LookupError::Month),
                  day = int(LookupError::Day);
        QTest::newRow("január 1") << u"január"_qs << u"1"_qs << ok << u"Fruzsina"_qs;
        QTest::newRow("January 1") << u"January"_qs << u"1"_qs << ok << u"Fruzsina"_qs;
        QTest::newRow("december 8") << u"december"_qs << u"8"_qs << ok << u"Mária"_qs;
        QTest::newRow("december 2") << u"december"_qs << u"2"_qs << ok << u"Melinda, Vivien"_qs;
        QTest::newRow("február 28") << u"február"_qs << u"28"_qs << ok << u"Elemér"_qs;
        QTest::newRow("február 29") << u"február"_qs << u"29"_qs << ok << QString();
        QTest::newRow("február 30") << u"február"_qs << u"30"_qs << day << QString();
        QTest::newRow("április 31") << u"április"_qs << u"31"_qs << day << QString();
        QTest::newRow("április 30") << u"április"_qs << u"30"_qs << ok << u"Katalin, Kitti"_qs;
        QTest::newRow("01") << u"január"_qs << u"01"_qs << day << QString();
        QTest::newRow("blank 1") << u"január"_qs << u" 1"_qs << day << QString();
        QTest::newRow("1.") << u"január"_qs << u"1."_qs << day << QString();
        QTest::newRow("0") << u"január"_qs << u"0"_qs << day << QString();
        QTest::newRow("32") << u"január"_qs << u"32"_qs << day << QString();
        QTest::newRow("empty day") << u"január"_qs << QString() << day << QString();
        QTest::newRow("Február") << u"Február"_qs << u"1"_qs << mon << QString();
        QTest::newRow("MARCH") << u"MARCH"_qs << u"1"_qs << mon << QString();
        QTest::newRow("márc") << u"márc"_qs << u"1"_qs << mon << QString();
        QTest::newRow("trailing blank") << u"május "_qs << u"1"_qs << mon << QString();
        QTest::newRow("empty month") << QString() << u"99"_qs << mon << QString();
        QTest::newRow("September 30") << u"September"_qs << u"30"_qs << ok << u"Jeromos"_qs;
    }
    void lookup()
    {
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(int, error);
        QFETCH(QString, names);
        const NameLookup r = NameDayCalendar::lookup(month, day);
        QCOMPARE(int(r.error), error);
        QCOMPARE(r.names, names);
    }

    // Every day answers under both month names, and only under the plain day text.
    void everyDayBothLanguages()
    {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
                const QString day = QString::number(d);
                const QString expected = NameDayCalendar::entry(m, d);
                for (QStringView month : {MonthNames[m - 1].hungarian, MonthNames[m - 1].english}) {
                    const NameLookup r = NameDayCalendar::lookup(month, day);
                    QCOMPARE(r.error, LookupError::None);
                    QCOMPARE(r.names, expected);
                }
                QCOMPARE(
                    NameDayCalendar::lookup(MonthNames[m - 1].hungarian, QString(u"0"_qs + day))
                        .error,
                    LookupError::Day);
            }
            QCOMPARE(NameDayCalendar::lookup(MonthNames[m - 1].hungarian,
                                             QString::number(NameDayCalendar::tableDays(m) + 1))
                         .error,
                     LookupError::Day);
        }
    }
};

QTEST_GUILESS_MAIN(TestNameDays)
#include "tst_namedays.moc"
