#include "calendar/calendar.h"
#include "calendar/namedays.h"

#include <QFile>
#include <QSet>
#include <QTest>

using namespace quill;

class TestNameDays : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole calendar against a checked-in copy of it: every day under both month names,
    // every first name in picker order with its index text. A swapped day or name fails.
    void matchesTheGoldenCopy()
    {
        QFile golden(QStringLiteral(GOLDEN_PATH));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QStringList days, index;
        for (const QByteArray &raw : golden.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            (line.at(2) == u'-' && line.at(0).isDigit() ? days : index) << line;
        }
        QCOMPARE(days.size(), 366);
        QCOMPARE(index.size(), 436);
        for (const QString &line : days) {
            const int m = line.left(2).toInt(), d = line.mid(3, 2).toInt();
            const QString names = line.mid(6);
            QCOMPARE(NameDayCalendar::entry(m, d), names);
            for (QStringView month : {MonthNames[m - 1].hungarian, MonthNames[m - 1].english}) {
                const NameLookup r = NameDayCalendar::lookup(month, QString::number(d));
                QCOMPARE(r.error, LookupError::None);
                QCOMPARE(r.names, names);
            }
        }
        for (int i = 0; i < index.size(); ++i) {
            const QString name = index[i].section(u'\t', 0, 0);
            const QString text = index[i].section(u'\t', 1);
            QCOMPARE(FirstNameList().at(i), name);
            QCOMPARE(NameDayIndex::dates(name), std::optional<QString>(text));
            QCOMPARE(NameDayIndex::editorDates(name),
                     std::optional<QString>(text.startsWith(u' ') ? text.mid(1) : text));
        }
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
        QTest::newRow("február 29") << u"február"_qs << u"29"_qs << ok << QString();
        QTest::newRow("01") << u"január"_qs << u"01"_qs << day << QString();
        QTest::newRow("blank 1") << u"január"_qs << u" 1"_qs << day << QString();
        QTest::newRow("1.") << u"január"_qs << u"1."_qs << day << QString();
        QTest::newRow("0") << u"január"_qs << u"0"_qs << day << QString();
        QTest::newRow("empty day") << u"január"_qs << QString() << day << QString();
        QTest::newRow("Február") << u"Február"_qs << u"1"_qs << mon << QString();
        QTest::newRow("MARCH") << u"MARCH"_qs << u"1"_qs << mon << QString();
        QTest::newRow("márc") << u"márc"_qs << u"1"_qs << mon << QString();
        QTest::newRow("trailing blank") << u"május "_qs << u"1"_qs << mon << QString();
        QTest::newRow("empty month") << QString() << u"99"_qs << mon << QString();
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

    // Only the plain day text names a day: no leading zero, nothing past any month's end.
    void onlyPlainDayTexts()
    {
        for (int m = 1; m <= 12; ++m) {
            const QStringView month = MonthNames[m - 1].hungarian;
            const int last = NameDayCalendar::tableDays(m);
            for (const QString &day :
                 {QString(u"0"_qs + QString::number(last)), QString::number(last + 1)})
                QCOMPARE(NameDayCalendar::lookup(month, day).error, LookupError::Day);
        }
    }
};

QTEST_GUILESS_MAIN(TestNameDays)
#include "tst_namedays.moc"
