#include "calendar/calendar.h"
#include "calendar/namedays.h"

#include <QDate>
#include <QProcess>
#include <QTest>

using namespace quill;

namespace {
struct Run {
    int code;
    QString out;
    QString err;
};
Run nevnap(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(NEVNAP_PATH), args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class TestNevnap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void day_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("hungarian")
            << QStringList{u"december"_qs, u"6"_qs} << 0 << u"Miklós\n"_qs << QString();
        QTest::newRow("english") << QStringList{u"March"_qs, u"15"_qs} << 0 << u"Kristóf\n"_qs
                                 << QString();
        QTest::newRow("leading zero")
            << QStringList{u"december"_qs, u"07"_qs} << 0 << u"Ambrus\n"_qs << QString();
        QTest::newRow("leading blank")
            << QStringList{u"január"_qs, u" 1"_qs} << 0 << u"Fruzsina\n"_qs << QString();
        QTest::newRow("29 February")
            << QStringList{u"február"_qs, u"29"_qs} << 0 << u"\n"_qs << QString();
        QTest::newRow("bad month") << QStringList{u"Február"_qs, u"1"_qs} << 1 << QString()
                                   << u"Ilyen hónap nem létezik!\n"_qs;
        QTest::newRow("bad day") << QStringList{u"április"_qs, u"31"_qs} << 1 << QString()
                                 << u"Ilyen nap nem létezik!\n"_qs;
        QTest::newRow("letters as day") << QStringList{u"május"_qs, u"abc"_qs} << 1 << QString()
                                        << u"Ilyen nap nem létezik!\n"_qs;
        QTest::newRow("name") << QStringList{u"Abigél"_qs} << 0 << u"február 9.\n"_qs << QString();
        QTest::newRow("Mária") << QStringList{u"Mária"_qs} << 0
                               << u"aug 15. szept 8. szept 12. dec 8.\n"_qs << QString();
        QTest::newRow("bad name") << QStringList{u"abigél"_qs} << 1 << QString()
                                  << u"Ilyen név nem létezik!\n"_qs;
    }
    void day()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = nevnap(args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        QCOMPARE(r.err, err);
    }

    void todayAndHelp()
    {
        const Run today = nevnap({});
        QCOMPARE(today.code, 0);
        const QDate d = QDate::currentDate();
        const QString expected = NameDayCalendar::entry(d.month(), d.day()) + u'\n';
        // Around midnight the date may turn between the two readings.
        const QDate after = QDate::currentDate();
        QVERIFY(today.out == expected ||
                today.out == NameDayCalendar::entry(after.month(), after.day()) + u'\n');
        const Run help = nevnap({u"--help"_qs});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains(u"Használat"_qs));
    }

    // The calendar as an iCalendar file: structure, line ends, folding.
    void ical()
    {
        QProcess p;
        p.start(QStringLiteral(NEVNAP_PATH), {u"--ical"_qs});
        QVERIFY(p.waitForFinished(30000));
        const QByteArray ics = p.readAllStandardOutput();
        QVERIFY(ics.startsWith("BEGIN:VCALENDAR\r\n"));
        QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
        QVERIFY(!ics.contains("\n\n"));
        const QList<QByteArray> lines = ics.split('\n');
        for (const QByteArray &l : lines) {
            if (l.isEmpty())
                continue;
            QVERIFY2(l.endsWith('\r'), l.constData());
            QVERIFY2(l.size() - 1 <= 75, l.constData());
        }
        QCOMPARE(ics.count("BEGIN:VEVENT\r\n"), 365);
        QCOMPARE(ics.count("END:VEVENT\r\n"), 365);
        QCOMPARE(ics.count("RRULE:FREQ=YEARLY\r\n"), 365);
        QVERIFY(!ics.contains("DTSTART;VALUE=DATE:20000229"));
        // Unfold and read one summary back.
        const QString text = QString::fromUtf8(QByteArray(ics).replace("\r\n ", ""));
        QVERIFY(text.contains(u"DTSTART;VALUE=DATE:20001206\r\nDTEND;VALUE=DATE:20001207"_qs));
        QVERIFY(text.contains(u"SUMMARY:Melinda\\, Vivien névnapja\r\n"_qs));
    }
};

QTEST_GUILESS_MAIN(TestNevnap)
#include "tst_nevnap.moc"
