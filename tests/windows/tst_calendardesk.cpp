#include "files/writequeue.h"
#include "reminders/preferences.h"
#include "support/loopprobe.h"
#include "support/realfaults.h"
#include "support/testsupport.h"
#include "sync/fakecalendar.h"
#include "windows/calendardesk.h"
#include "windows/settingswindow.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTcpServer>

using namespace quill;
using namespace quill::test;

namespace {
const QByteArray book = "n|Kiss|\xc1"
                        "bel|*|janu\xe1r|2|08|00|janu\xe1r 2.| |1|0|\r\n"
                        "e| | |*|*|*|07|15| |Gy\xf3gyszer, reggel|1|1|\r\n";

QByteArray vevent(const QByteArray &uid, const QByteArray &start, const QByteArray &rule,
                  const QByteArray &summary)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:" + start +
           (rule.isEmpty() ? QByteArray() : "\r\nRRULE:" + rule) + "\r\nSUMMARY:" + summary +
           "\r\nEND:VEVENT\r\n";
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

int rowsInUse(Harness &h)
{
    int n = 0;
    for (int r = 0; r < ReminderRows; ++r)
        n += h.session().table().inUse(r) ? 1 : 0;
    return n;
}

// "Naptárfájl beolvasása…", and the wait until the file is read in.
void importChosen(Harness &h)
{
    trigger(h, u"naptarbeolvasas"_qs);
    QTRY_VERIFY(!QGuiApplication::overrideCursor());
}

QByteArray manyEvents(int count)
{
    QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n";
    for (int i = 0; i < count; ++i)
        ics += vevent("m" + QByteArray::number(i), "20270110T170000", {},
                      "Esem\xc3\xa9ny " + QByteArray::number(i));
    return ics + "END:VCALENDAR\r\n";
}

// The address of a port on this machine where nothing listens.
QString closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return u"http://127.0.0.1:%1/eva/naptar/"_qs.arg(server.serverPort());
}
} // namespace

class TestCalendarDesk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The book saved as a calendar, read in again: nothing doubles, the UIDs stay.
    void exportAndImportAgain()
    {
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        const QString ics = h.path(u"emlekeztetok.ics"_qs);
        h.boxes.files = {ics};
        trigger(h, u"naptarmentes"_qs);
        files::waitForWrites();
        QFile f(ics);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        QCOMPARE(written.count("BEGIN:VEVENT"), 2);
        QVERIFY(written.contains("X-QUILLOMAT-ROW:n|Kiss|"));
        QVERIFY(QFile::exists(h.dataPath() + u".uid"_qs));
        h.boxes.files = {ics};
        importChosen(h);
        QVERIFY(h.boxes.shown.last().text.contains(u"már benne van"_qs));
        QCOMPARE(rowsInUse(h), 2);
        QVERIFY(!h.session().isModified());
        // The name days as a calendar of their own.
        h.boxes.files = {h.path(u"nevnapok.ics"_qs)};
        trigger(h, u"nevnapmentes"_qs);
        files::waitForWrites();
        QFile names(h.path(u"nevnapok.ics"_qs));
        QVERIFY(names.open(QIODevice::ReadOnly));
        QCOMPARE(names.readAll().count("BEGIN:VEVENT"), 365);
    }

    // A calendar file written to a disk that takes 1.5 s to say it is on it: the window's loop
    // goes on while it is written, and "Mentve" comes once it is there.
    void exportLeavesTheLoopTurning()
    {
        if (rerunWithSlowFsync(1500))
            return;
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        const QString ics = h.path(u"nevnapok.ics"_qs);
        h.boxes.files = {ics};
        QElapsedTimer took;
        took.start();
        LoopProbe probe;
        trigger(h, u"nevnapmentes"_qs);
        const qint64 longest = probe.longestMs();
        QVERIFY2(longest < 700, qPrintable(u"the loop stood %1 ms"_qs.arg(longest)));
        files::waitForWrites();
        QVERIFY2(took.elapsed() >= 1400, "the disk was not slow: nothing was measured");
        QFile names(ics);
        QVERIFY(names.open(QIODevice::ReadOnly));
        QCOMPARE(names.readAll().count("BEGIN:VEVENT"), 365);
        QCOMPARE(h.boxes.shown.size(), 1); // the file chosen, and no failure
    }

    // A calendar file that cannot be written: the box says where and why, once the writing
    // has come back.
    void failedExportIsTold_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such folder") << u"nincs/emlekeztetok.ics"_qs << u"nem létezik"_qs;
        QTest::newRow("a folder in its place") << u"mappa"_qs << u"mappa"_qs;
    }
    void failedExportIsTold()
    {
        QFETCH(QString, place);
        QFETCH(QString, reason);
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        QVERIFY(QDir().mkpath(h.path(u"mappa"_qs)));
        h.boxes.files = {h.path(place)};
        trigger(h, u"naptarmentes"_qs);
        QTRY_COMPARE(h.boxes.shown.size(), 2); // the file chosen, then the failure
        QCOMPARE(h.boxes.shown[1].icon, MsgIcon::Critical);
        QCOMPARE(h.boxes.shown[1].title, u"Emlékeztetők mentése naptárfájlba"_qs);
        const QString text = h.boxes.shown[1].text;
        QVERIFY2(text.startsWith(u"A naptárfájl nem írható:\n"_qs + h.path(place)),
                 qPrintable(text));
        QVERIFY2(text.contains(reason, Qt::CaseInsensitive), qPrintable(text));
    }

    // A birthday on 29 February, reminded the day before, kept on 1 March of a common year as
    // the settings say: a whole-day event on that day (its rule and alarm are the occasions'
    // table's, "29 February on 1 March").
    void leapDayBirthdayAsTheSettingsSay()
    {
        const QByteArray leap =
            "s|Sz\xf6k\xf5|Ugr\xf3|*|febru\xe1r|28|08|00|febru\xe1r 29.| |1|0|\r\n";
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &leap);
        SettingsWindow *settings = openSettings(h);
        QVERIFY(settings);
        settings->findChild<QComboBox *>(u"februar29"_qs)
            ->setCurrentIndex(1); // "március 1-jén ünnepli"
        settings->close();
        const QString ics = h.path(u"emlekeztetok.ics"_qs);
        h.boxes.files = {ics};
        trigger(h, u"naptarmentes"_qs);
        files::waitForWrites();
        QFile f(ics);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        QVERIFY2(written.contains("DTSTART;VALUE=DATE:20270301\r\n"), written.constData());
    }

    // Another program's file: the user sees what comes in and what is left out before anything
    // changes; the rows never overflow.
    void importShowsFirst()
    {
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        const QString ics = h.path(u"mas.ics"_qs);
        QVERIFY(writeFile(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n" +
                                   vevent("a", "20270110T170000", {}, "Vonat") +
                                   vevent("b", "20270111T180000", "FREQ=WEEKLY", "Edz\xc3\xa9s") +
                                   vevent("c", "20270301T080000", "FREQ=YEARLY", "Tavasz") +
                                   "END:VCALENDAR\r\n"));
        h.boxes.files = {ics};
        h.boxes.choices = {1}; // "Mégse"
        importChosen(h);
        const QString question = h.boxes.shown.last().text;
        QVERIFY(question.contains(u"(2)"_qs) && question.contains(u"Vonat"_qs));
        QVERIFY(question.contains(u"Edzés: az ismétlődése nem fér el"_qs));
        QCOMPARE(rowsInUse(h), 2);
        h.boxes.files = {ics};
        h.boxes.choices = {0}; // "Hozzáadás"
        importChosen(h);
        QCOMPARE(rowsInUse(h), 4);
        QVERIFY(h.session().isModified());
        QCOMPARE(h.session().table().row(3).alertTime(),
                 (AlertTime{u"*"_qs, u"március"_qs, u"1"_qs, u"08"_qs, u"00"_qs}));

        // A full book: told, nothing squeezed in.
        for (int i = 4; i < ReminderRows; ++i)
            h.session().store(h.session().table().row(2));
        QCOMPARE(rowsInUse(h), ReminderRows);
        h.boxes.files = {ics};
        QVERIFY(writeFile(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n" +
                                   vevent("d", "20270110T170000", {}, "Busz") +
                                   "END:VCALENDAR\r\n"));
        importChosen(h);
        QVERIFY(h.boxes.shown.last().text.contains(u"legfeljebb 51"_qs));
        QCOMPARE(rowsInUse(h), ReminderRows);
        // Not a calendar at all: told why.
        QVERIFY(writeFile(ics, "\x89PNG\r\n\x1a\n"));
        h.boxes.files = {ics};
        importChosen(h);
        QVERIFY(h.boxes.shown.last().text.contains(u"Ok: "_qs));
    }

    // A hostile calendar file within the size limit: the import says why it reads nothing, and
    // the reminders not yet saved are all still there (a file nested 300 000 deep used to end the
    // program).
    void hostileFileKeepsUnsavedReminders_data()
    {
        QTest::addColumn<QByteArray>("inside"); // what the one event holds
        QTest::addColumn<QString>("reason");
        QTest::newRow("nested 300 000 deep") << QByteArray("BEGIN:VALARM\r\n").repeated(300000) +
                                                    QByteArray("END:VALARM\r\n").repeated(300000)
                                             << u"egymásba ágyazott"_qs;
        QTest::newRow("nested, never ended")
            << QByteArray("BEGIN:X\r\n").repeated(300000) << u"egymásba ágyazott"_qs;
        QTest::newRow("300 000 side by side")
            << QByteArray("BEGIN:X\r\nEND:X\r\n").repeated(300000) << u"túl sok rész"_qs;
    }
    void hostileFileKeepsUnsavedReminders()
    {
        QFETCH(QByteArray, inside);
        QFETCH(QString, reason);
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        h.session().setField(1, Field::FreeText, u"még nincs mentve"_qs);
        const QString ics = h.path(u"mely.ics"_qs);
        QVERIFY(writeFile(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:m\r\n"
                               "DTSTART:20270110T170000\r\nSUMMARY:M\r\n" +
                                   inside + "END:VEVENT\r\nEND:VCALENDAR\r\n"));
        h.boxes.files = {ics};
        importChosen(h);
        QVERIFY(h.boxes.shown.last().text.contains(u"A fájl nem olvasható be"_qs));
        QVERIFY2(h.boxes.shown.last().text.contains(reason), qPrintable(h.boxes.shown.last().text));
        QVERIFY(h.session().isModified());
        QCOMPARE(h.session().table().field(1, Field::FreeText), u"még nincs mentve"_qs);
        QCOMPARE(rowsInUse(h), 2);
    }

    // A large file is read on a worker: the window's thread is free as soon as the file is
    // chosen, the wait pointer shows until the question comes; only the free rows are offered,
    // the rest counted.
    void importReadsOnAWorker()
    {
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        const QString ics = h.path(u"sok.ics"_qs);
        QVERIFY(writeFile(ics, manyEvents(3000)));
        h.boxes.files = {ics};
        h.boxes.choices = {0}; // "Hozzáadás"
        trigger(h, u"naptarbeolvasas"_qs);
        const qsizetype shown = h.boxes.shown.size(); // the file chosen, no question yet
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QCOMPARE(h.boxes.shown.last().title, u"Naptárfájl beolvasása"_qs);
        QCOMPARE(h.boxes.shown.last().text, QDir::homePath());
        QTRY_VERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(h.boxes.shown.size(), shown + 1);
        QCOMPARE(h.boxes.shown.last().helpPage, u"naptar.html"_qs);
        const QString question = h.boxes.shown.last().text;
        QVERIFY(question.contains(u"(49)"_qs));
        QVERIFY2(question.contains(u"Kimarad (2951)"_qs), qPrintable(question));
        QVERIFY(question.contains(u"és még 2936."_qs));
        QCOMPARE(rowsInUse(h), ReminderRows);
    }

    // What comes in is saved by the round itself: that save starts no second round.
    void incomingSaveStartsNoRound()
    {
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        FakeCalendar cal;
        cal.put("phone.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n" +
                                 vevent("phone-1", "20270501T100000", "FREQ=YEARLY", "Uszas") +
                                 "END:VCALENDAR\r\n");
        CalendarDesk desk(*h.services, h.session(), &h.window());
        int rounds = 0;
        connect(&desk.sync(), &CalendarSync::finished, this, [&rounds] { ++rounds; });
        Preferences p;
        p.calDavUrl = cal.url();
        desk.followPreferences(p);
        QTRY_COMPARE(rounds, 1);
        QTest::qWait(500);
        QVERIFY(!desk.sync().running());
        QCOMPARE(rounds, 1);
        QCOMPARE(rowsInUse(h), 3);
        QVERIFY(!h.session().isModified());
    }

    // A failing sync is told once, not at every round; the book stays as it was.
    void failuresToldOnce()
    {
        Harness h(at(2026, 12, 7, 9, 0), QLocale(QLocale::English), &book);
        CalendarDesk desk(*h.services, h.session(), &h.window());
        Preferences p;
        p.calDavUrl = closedPort();
        desk.followPreferences(p);
        QTRY_VERIFY(!desk.sync().running());
        desk.syncNow(false);
        QTRY_VERIFY(!desk.sync().running());
        QCOMPARE(h.notifier.sent.size(), 1);
        QVERIFY2(h.notifier.sent[0].contains(u"nem fogadja a kapcsolatot"_qs),
                 qPrintable(h.notifier.sent[0]));
        QVERIFY(desk.state().startsWith(u"A szinkronizálás nem sikerült"_qs));
        QCOMPARE(rowsInUse(h), 2);
        QVERIFY(!h.session().isModified());
        // Asked for by hand, the outcome comes in a box.
        desk.syncNow(true);
        QTRY_VERIFY(!desk.sync().running());
        QVERIFY(h.boxes.shown.last().text.contains(u"nem fogadja a kapcsolatot"_qs));
        QCOMPARE(h.boxes.shown.last().helpPage, u"naptar.html"_qs); // F1's page
    }
};

QTEST_MAIN(TestCalendarDesk)
#include "tst_calendardesk.moc"
