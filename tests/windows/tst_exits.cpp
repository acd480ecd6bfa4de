#include "files/writequeue.h"
#include "support/filebytes.h"
#include "support/realfaults.h"
#include "support/testsupport.h"
#include "windows/remindereditor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>

using namespace quill;
using namespace quill::test;

class TestExits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every way out asks when something changed ("Quillomat"; "Naptár" on the strip's button,
    // which asks always); "Mégse" keeps the program open with its changes, and a later "Igen"
    // still saves.
    void exitPaths_data()
    {
        QTest::addColumn<QString>("path"); // "button", "menu", "close", "session"
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("saved");
        const int yes = int(MsgAnswer::Yes), no = int(MsgAnswer::No),
                  cancel = int(MsgAnswer::Cancel);
        QTest::newRow("button, unchanged, No") << u"button"_qs << false << no << true << false;
        QTest::newRow("button, unchanged, Yes") << u"button"_qs << false << yes << true << true;
        QTest::newRow("button, changed, No") << u"button"_qs << true << no << true << false;
        QTest::newRow("menu, unchanged") << u"menu"_qs << false << yes << false << false;
        QTest::newRow("menu, changed, Yes") << u"menu"_qs << true << yes << true << true;
        QTest::newRow("menu, changed, No") << u"menu"_qs << true << no << true << false;
        QTest::newRow("title bar, changed, Yes") << u"close"_qs << true << yes << true << true;
        QTest::newRow("title bar, unchanged") << u"close"_qs << false << yes << false << false;
        for (const QString &path : {u"button"_qs, u"menu"_qs, u"close"_qs, u"session"_qs})
            QTest::addRow("%s, changed, Mégse", qPrintable(path))
                << path << true << cancel << true << false;
    }
    void exitPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, saved);
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
        h.window().show();
        QSignalSpy ended(&h.window(), &MainWindow::programEnded);
        if (changed)
            h.session().setField(0, Field::FreeText, u"új"_qs);
        h.window().reminderEditor()->show();
        h.boxes.answers << MsgAnswer(answer);
        if (path == u"button")
            QTest::mouseClick(h.find<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        else if (path == u"menu")
            trigger(h, u"kilep"_qs);
        else if (path == u"close")
            h.window().close();
        else
            QVERIFY(!h.window().commitSession(true)); // the logout is cancelled
        const bool cancelled = answer == int(MsgAnswer::Cancel);
        QCOMPARE(ended.size(), cancelled ? 0 : 1);
        QVERIFY(cancelled ? h.window().isVisible() : !h.window().reminderEditor()->isVisible());
        QCOMPARE(h.boxes.shown.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(h.boxes.shown[0].text, u"Mentsem a módosításokat?"_qs);
            QCOMPARE(h.boxes.shown[0].title, path == u"button" ? u"Naptár"_qs : u"Quillomat"_qs);
            QCOMPARE(h.boxes.shown[0].icon, MsgIcon::Question);
            QCOMPARE(h.boxes.shown[0].buttons, MsgButtons::YesNoCancel);
            QCOMPARE(h.boxes.shown[0].helpPage, u"kilepes.html"_qs); // F1's page
        }
        const QByteArray mine("e| | |*|*|*|*|00| |\xfaj|1|0|\r\n");
        QCOMPARE(h.fileBytes(), saved && changed ? mine : oneReminder);
        if (!cancelled)
            return;
        QVERIFY(h.session().isModified());
        h.boxes.answers << MsgAnswer::Yes;
        trigger(h, u"kilep"_qs);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(h.fileBytes(), mine);
    }

    // A real full disk when the user saves on the way out: told why, nothing lost, still open.
    void fullDiskOnExit()
    {
        if (rerunWithOwnMounts())
            return;
        QTemporaryDir data;
        SmallDisk disk(data.filePath(u"disk"_qs));
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        const QByteArray original = oneReminder.repeated(3);
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &original, true,
                  data.filePath(u"disk"_qs));
        h.window().show();
        QVERIFY(disk.fill());
        QSignalSpy ended(&h.window(), &MainWindow::programEnded);
        QCOMPARE(h.session().store({u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs,
                                    u"00"_qs, u" "_qs, u"új"_qs}),
                 StoreResult::Stored);
        h.boxes.answers << MsgAnswer::Yes;
        QTest::mouseClick(h.find<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(h.boxes.shown.size(), 2);
        QCOMPARE(h.boxes.shown[1].icon, MsgIcon::Critical);
        QVERIFY(h.boxes.shown[1].text.contains(u"betelt a lemez"_qs));
        QCOMPARE(h.boxes.shown[1].helpPage, u"adatfajl.html"_qs);
        QVERIFY(h.session().isModified());
        QVERIFY(h.window().isVisible());
        QCOMPARE(h.fileBytes(), original);
        // Stopped from outside with the disk still full (logout, shutdown): the old file is still
        // whole, the end says the save failed, and the changes wait in an emergency copy on
        // another disk, offered back at the next start.
        QVERIFY(!h.window().stopFromOutside());
        files::waitForWrites(); // as the end of the program does
        QCOMPARE(h.fileBytes(), original);
        const QString emergency = h.file->pendingEmergencyCopy();
        QVERIFY(emergency.startsWith(h.path(u"state"_qs)));
        QVERIFY(readAll(emergency).contains("\xfaj"));
        h.file->unlock();
        Harness next(at(2026, 12, 6, 7, 6), QLocale(QLocale::English), nullptr, true,
                     data.filePath(u"disk"_qs));
        QVERIFY(next.boxes.texts().isEmpty()); // the state folder is the first run's own
        const QByteArray kept = readAll(emergency);
        QDir().mkpath(next.path(u"state/Zelmarin/Quillomat"_qs));
        writeAll(next.file->emergencyPath(), kept);
        Harness offered(at(2026, 12, 6, 7, 7), QLocale(QLocale::English), nullptr, true,
                        data.filePath(u"disk"_qs), next.path(u"state"_qs), {MsgAnswer::Yes});
        QCOMPARE(offered.boxes.shown.size(), 1);
        QVERIFY(offered.boxes.shown[0].text.contains(u"vészmentés"_qs));
        QCOMPARE(offered.boxes.shown[0].helpPage, u"adatfajl.html"_qs);
        QCOMPARE(offered.session().table().field(3, Field::FreeText), u"új"_qs);
        QVERIFY(offered.session().isModified());
    }

    // Stopped from outside with the data file's disk full and a state disk that takes 1.5 s to
    // say a file is on it: the emergency copy is written on the writing thread, so the window
    // is not held up by it, and the end of the program, which waits for the writes, finds it.
    void emergencyCopyDoesNotHoldTheWindow()
    {
        if (rerunWithSlowFsync(1500) || rerunWithOwnMounts())
            return;
        QTemporaryDir data;
        SmallDisk disk(data.filePath(u"disk"_qs));
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder, true,
                  data.filePath(u"disk"_qs));
        QVERIFY(disk.fill());
        QCOMPARE(h.session().store({u"e"_qs, u" "_qs, u" "_qs, u"*"_qs, u"*"_qs, u"*"_qs, u"*"_qs,
                                    u"00"_qs, u" "_qs, u"új"_qs}),
                 StoreResult::Stored);
        QElapsedTimer took;
        took.start();
        QVERIFY(!h.window().stopFromOutside());
        const qint64 window = took.elapsed();
        QVERIFY2(window < 1000, qPrintable(u"the window waited %1 ms"_qs.arg(window)));
        files::waitForWrites();
        QVERIFY2(took.elapsed() >= 1400, "the disk was not slow: nothing was measured");
        QVERIFY(readAll(h.file->pendingEmergencyCopy()).contains("\xfaj"));
    }

    // Another program changed the file while this one ran: the save asks which version goes in,
    // keeps the other as a backup and names it; "Mégse" writes nothing and stays open.
    void fileChangedMeanwhile_data()
    {
        QTest::addColumn<int>("choice"); // 0 ours, 1 theirs, 2 cancel
        QTest::newRow("ours") << 0;
        QTest::newRow("theirs") << 1;
        QTest::newRow("cancel") << 2;
    }
    void fileChangedMeanwhile()
    {
        QFETCH(int, choice);
        Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
        h.window().show();
        QSignalSpy ended(&h.window(), &MainWindow::programEnded);
        h.session().setField(0, Field::FreeText, u"enyém"_qs);
        const QByteArray theirs = oneReminder + "e| | |*|*|*|*|00| |other|1|1|\r\n";
        writeAll(h.dataPath() + u".new"_qs, theirs);
        QVERIFY(QFile::remove(h.dataPath()) &&
                QFile::rename(h.dataPath() + u".new"_qs, h.dataPath()));
        h.boxes.answers << MsgAnswer::Yes;
        h.boxes.choices << choice;
        trigger(h, u"kilep"_qs);
        QVERIFY(h.boxes.shown[1].text.contains(u"másik program megváltoztatta"_qs));
        QCOMPARE(h.boxes.shown[1].helpPage, u"adatfajl.html"_qs);
        const QString backup = h.dataPath() + u".bak"_qs;
        const QByteArray ours = "e| | |*|*|*|*|00| |eny\xe9m|1|0|\r\n";
        QCOMPARE(ended.size(), choice == 2 ? 0 : 1);
        QCOMPARE(h.fileBytes(), choice == 0 ? ours : theirs);
        if (choice == 2) {
            QVERIFY(!QFile::exists(backup));
            QVERIFY(h.session().isModified());
            return;
        }
        QCOMPARE(readAll(backup), choice == 0 ? theirs : ours);
        QVERIFY(h.boxes.texts().last().contains(backup));
    }

    // Stopped from outside (a signal, or a session that may not ask): saved without a question;
    // a session that may ask asks, and a "No" is not overruled by the session's end.
    void endingFromOutside()
    {
        {
            Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
            h.session().setField(0, Field::FreeText, u"új"_qs);
            QSignalSpy ended(&h.window(), &MainWindow::programEnded);
            QVERIFY(h.window().stopFromOutside());
            QCOMPARE(ended.size(), 1);
            QVERIFY(h.boxes.shown.isEmpty());
            QCOMPARE(h.fileBytes(), QByteArray("e| | |*|*|*|*|00| |\xfaj|1|0|\r\n"));
        }
        {
            Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
            h.session().setField(0, Field::FreeText, u"más"_qs);
            QVERIFY(h.window().commitSession(false));
            QVERIFY(h.boxes.shown.isEmpty());
            QVERIFY(h.fileBytes().contains("m\xe1s"));
        }
        {
            Harness h(at(2026, 12, 6, 7, 5), QLocale(QLocale::English), &oneReminder);
            h.window().show();
            h.session().setField(0, Field::FreeText, u"más"_qs);
            h.boxes.answers << MsgAnswer::No;
            QVERIFY(h.window().commitSession(true));
            QCOMPARE(h.boxes.texts(), QStringList{u"Mentsem a módosításokat?"_qs});
            h.window().close(); // the session ends: no second question, nothing saved
            QVERIFY(h.window().stopFromOutside());
            QCOMPARE(h.boxes.shown.size(), 1);
            QCOMPARE(h.fileBytes(), oneReminder);
        }
    }
};

QTEST_MAIN(TestExits)
#include "tst_exits.moc"
