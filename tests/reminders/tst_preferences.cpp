#include "files/safefile.h"
#include "files/writequeue.h"
#include "reminders/preferences.h"
#include "support/filebytes.h"
#include "support/loopprobe.h"
#include "support/realfaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quill;
using namespace quill::test;

namespace {
const Preferences everything{
    {14, 14, 30},
    SnoozeChoice::ChosenTime,
    true,
    u"/home/éva/Névjegyek mappa"_qs,
    QTime(7, 30),
    true,
    {{u"Kovács Ádám"_qs, 7, 0, 0, QString()}, {u"Kiss Józsefné"_qs, -1, 9, 12, u"Mária"_qs}},
    u"https://naptar.example/éva/"_qs,
    u"éva"_qs,
    u"secret-tool lookup quillomat caldav"_qs};

// A second program writes the file: the shell, in a process of its own.
void writeFromAnotherProcess(const QString &path, const QByteArray &bytes)
{
    QProcess sh;
    sh.start(u"sh"_qs, {u"-c"_qs, u"cat > \"$0.kez\" && mv \"$0.kez\" \"$0\""_qs, path});
    QVERIFY(sh.waitForStarted());
    sh.write(bytes);
    sh.closeWriteChannel();
    QVERIFY(sh.waitForFinished());
    QCOMPARE(sh.exitCode(), 0);
}
} // namespace

class TestPreferences : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each key's value as the table allows it: kept as the file keeps it, or refused.
    void values_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("kept"); // empty: refused
        const auto row = [](const char *tag, const char *key, const char *value, const char *kept) {
            QTest::newRow(tag) << QByteArray(key) << QByteArray(value) << QByteArray(kept);
        };
        row("days, highest", "nevnap_elott_nap", " 14 ", "14");
        row("days, too many", "nevnap_elott_nap", "15", "");
        row("days, below", "nevnap_elott_nap", "-1", "");
        row("days, words", "nevnap_elott_nap", "három", "");
        row("minutes, a choice", "talalkozo_elott_perc", "15", "15");
        row("minutes, not a choice", "talalkozo_elott_perc", "7", "");
        row("flag", "csak_talca", "1", "1");
        row("flag, a word", "februar29_marcius1", "igen", "");
        row("time", "ismerosok_ido", "07:30", "7:30");
        row("time, no such hour", "ismerosok_ido", "25:00", "");
        row("snooze", "halasztas", "holnap", "holnap");
        row("snooze, unknown", "halasztas", "kesobb", "");
        row("text", "caldav_cim", "https://x.example/", "https://x.example/");
    }
    void values()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, kept);
        const Setting &s = setting(key.constData());
        QCOMPARE(checkedValue(s, value.trimmed()).value_or(QByteArray()), kept);
        QStringList refused;
        const Preferences read = parsePreferences(key + '=' + value + '\n', &refused);
        if (kept.isEmpty()) {
            QCOMPARE(read, Preferences{}); // ignored: the default holds
            QCOMPARE(refused.size(), 1);
            QVERIFY(refused[0].startsWith(QString::fromUtf8(key)));
            QVERIFY(refused[0].contains(allowedText(s)));
        } else {
            QVERIFY(refused.isEmpty());
            QCOMPARE(s.get(read), kept);
        }
    }

    // Every default in the table is the one the program starts with, and every key reads back
    // what it wrote.
    void defaultsAndRoundTrip()
    {
        for (const Setting &s : settings()) {
            QCOMPARE(s.get(Preferences{}), QByteArray(s.fallback));
            QVERIFY(checkedValue(s, s.fallback));
        }
        QStringList refused;
        QCOMPARE(parsePreferences(formatPreferences(everything), &refused), everything);
        QVERIFY(refused.isEmpty());
        Preferences broken = everything; // a name with a line break cannot add a line of its own
        broken.contactsSource = u"x\ncsak_talca=0"_qs;
        QCOMPARE(parsePreferences(formatPreferences(broken)).trayOnly, true);
        QCOMPARE(parsePreferences("ismeros=Kiss Ádám\t99\t-\t\n=\nvalami=1\n", &refused),
                 Preferences{});
        QCOMPARE(refused.size(), 1);
    }

    // One notice before name days and birthdays, the reminders' and the address book's alike.
    // A file of an earlier version kept three: the largest is read, so no notice anyone had is
    // lost, and the first change of it writes the one key, the old ones gone.
    void oneNoticeFromOldKeys_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("refused");
        QTest::newRow("the address book's alone")
            << QByteArray("ismerosok_elott_nap=3\n") << 3 << 0;
        QTest::newRow("birthdays more than name days")
            << QByteArray("nevnap_elott_nap=1\nszuletesnap_elott_nap=5\n") << 5 << 0;
        QTest::newRow("all three, the address book's first")
            << QByteArray("ismerosok_elott_nap=2\nszuletesnap_elott_nap=1\nnevnap_elott_nap=4\n")
            << 4 << 0;
        QTest::newRow("the one key") << QByteArray("nevnap_elott_nap=2\n") << 2 << 0;
        QTest::newRow("an old value out of range is told")
            << QByteArray("ismerosok_elott_nap=20\nnevnap_elott_nap=2\n") << 2 << 1;
    }
    void oneNoticeFromOldKeys()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, days);
        QFETCH(int, refused);
        QStringList told;
        const Preferences read = parsePreferences(file, &told);
        QCOMPARE(read.notice, (Notice{days, days, 0}));
        QCOMPARE(told.size(), refused);
        Preferences after = read;
        after.notice = {days + 1, days + 1, 0};
        const QByteArray written = mergePreferences("# saját\n" + file, read, after);
        QVERIFY2(
            written.contains(QByteArray("nevnap_elott_nap=" + QByteArray::number(days + 1) + '\n')),
            written.constData());
        QVERIFY(!written.contains("szuletesnap_elott_nap") && !written.contains("ismerosok_elott"));
        QVERIFY(written.startsWith("# saját\n"));
        QCOMPARE(parsePreferences(written).notice, after.notice);
    }

    // A change goes over the file as it is: the keys changed, the people changed, nothing else.
    void changesGoOverTheFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written");
        const QByteArray caldav = "caldav_cim=https://kez.example/\ncaldav_felhasznalo=eva\n";
        QTest::newRow("lines added by hand stay")
            << QByteArray("halasztas=10perc\n") + caldav << "halasztas=holnap\n" + caldav;
        QTest::newRow("keys not known stay, in their place")
            << QByteArray("# az enyém\nujkulcs=1\nhalasztas=1ora\nmasik=2\n")
            << QByteArray("# az enyém\nujkulcs=1\nhalasztas=holnap\nmasik=2\n");
        QTest::newRow("a key written twice is written once")
            << QByteArray("halasztas=1ora\nx=1\nhalasztas=10perc\n")
            << QByteArray("halasztas=holnap\nx=1\n");
        QTest::newRow("a missing key is added")
            << QByteArray("x=1") << QByteArray("x=1\nhalasztas=holnap\n");
        QTest::newRow("another person's line stays")
            << QByteArray("ismeros=Nagy Ella\t2\t-\t\n")
            << QByteArray("ismeros=Nagy Ella\t2\t-\t\nhalasztas=holnap\n");
    }
    void changesGoOverTheFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        Preferences after;
        after.lastSnooze = SnoozeChoice::Tomorrow;
        QCOMPARE(mergePreferences(file, Preferences{}, after), written);
    }

    void peopleChanged()
    {
        Preferences before;
        before.people = {{u"Kiss Ádám"_qs, 7, 0, 0, QString()},
                         {u"Nagy Ella"_qs, 2, 0, 0, QString()}};
        Preferences after = before;
        after.people[0].noticeDays = 3;
        after.people.removeAt(1);
        after.people << contacts::PersonChoice{u"Új Ödön"_qs, 1, 0, 0, QString()};
        const QByteArray file = "ismeros=Kiss Ádám\t7\t-\t\nismeros=Kézi Kata\t5\t-\t\n"
                                "ismeros=Nagy Ella\t2\t-\t\n";
        QCOMPARE(mergePreferences(file, before, after),
                 QByteArray("ismeros=Kiss Ádám\t3\t-\t\nismeros=Kézi Kata\t5\t-\t\n"
                            "ismeros=Új Ödön\t1\t-\t\n"));
    }

    // A disk that takes 1.5 s to say a file is on it: changes of the settings are held at once
    // and written in the order they were made, the event loop goes on meanwhile, and once the
    // writes are done (as at the end of the program) the last change is on the disk.
    void changesLeaveTheLoopTurning()
    {
        if (rerunWithSlowFsync(1500))
            return;
        QTemporaryDir dir;
        const QString path = preferencesPath(dir.path());
        PreferenceStore store(path);
        store.load();
        QSignalSpy failed(&store, &PreferenceStore::writeFailed);
        Preferences first;
        first.lastSnooze = SnoozeChoice::OneHour;
        Preferences second = first;
        second.trayOnly = true;
        QElapsedTimer took;
        took.start();
        LoopProbe probe;
        store.change(first);
        store.change(second);
        QCOMPARE(store.values(), second);
        QTest::qWait(100);
        const qint64 longest = probe.longestMs();
        QVERIFY2(longest < 300, qPrintable(QStringLiteral("the loop stood %1 ms").arg(longest)));
        files::waitForWrites();
        QVERIFY2(took.elapsed() >= 2800, "the disk was not slow: nothing was measured");
        QCOMPARE(parsePreferences(readAll(path)), second);
        QCoreApplication::processEvents();
        QCOMPARE(store.values(), second);
        QVERIFY(failed.isEmpty());
    }

    // A second program writes the file while this one runs: read again at once, and the next
    // change of this one keeps what it wrote.
    void secondWriterDuringTheRun()
    {
        QTemporaryDir dir;
        const QString path = preferencesPath(dir.path());
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QCOMPARE(loadPreferences(path), Preferences{}); // no file yet: the defaults
        writeAll(path, "nevnap_elott_nap=2\nhalasztas=10perc\n");
        PreferenceStore store(path);
        store.load();
        store.watch();
        QCOMPARE(store.values().notice.nameDayDays, 2);
        QSignalSpy changed(&store, &PreferenceStore::changed);
        writeFromAnotherProcess(path, "nevnap_elott_nap=2\nhalasztas=10perc\ncaldav_cim="
                                      "https://kez.example/\nismeros=Nagy Ella\t2\t-\t\n");
        QVERIFY(changed.wait(5000));
        QCOMPARE(store.values().calDavUrl, u"https://kez.example/"_qs);
        QCOMPARE(store.values().people.size(), 1);
        // Changed again, and this one's change comes before the watcher has told it.
        writeFromAnotherProcess(path, readAll(path) + "caldav_felhasznalo=eva\n");
        Preferences wanted = store.values();
        wanted.lastSnooze = SnoozeChoice::Tomorrow;
        store.change(wanted);
        files::waitForWrites();
        QCoreApplication::processEvents();
        QCOMPARE(readAll(path), QByteArray("nevnap_elott_nap=2\nhalasztas=holnap\ncaldav_cim="
                                           "https://kez.example/\nismeros=Nagy Ella\t2\t-\t\n"
                                           "caldav_felhasznalo=eva\n"));
        QCOMPARE(store.values().calDavUser, u"eva"_qs);
        QCOMPARE(store.values().lastSnooze, SnoozeChoice::Tomorrow);
        QVERIFY(store.takeNotices().isEmpty());
    }

    // Values the program cannot use: told once, ignored, and left in the file for the user.
    void valuesRefusedAreToldOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"beallitasok.conf"_qs);
        writeAll(path, "nevnap_elott_nap=99\ncsak_talca=1\n");
        PreferenceStore store(path);
        QSignalSpy waiting(&store, &PreferenceStore::noticesWaiting);
        store.load();
        QCOMPARE(waiting.size(), 1);
        QCOMPARE(store.values().notice.nameDayDays, 0);
        QVERIFY(store.values().trayOnly);
        const QStringList told = store.takeNotices();
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(u"nevnap_elott_nap=99: 0 és 14 közötti egész szám lehet"_qs));
        store.load();
        QVERIFY(store.takeNotices().isEmpty());
        Preferences wanted = store.values();
        wanted.trayOnly = false;
        store.change(wanted);
        files::waitForWrites();
        QCOMPARE(readAll(path), QByteArray("nevnap_elott_nap=99\ncsak_talca=0\n"));
    }

    // A file the program cannot read is never written over: the change puts it aside first,
    // byte for byte, and says where.
    void unreadableFileIsKeptAside_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("over the read limit") << u"large"_qs;
        QTest::newRow("no permission to read") << u"closed"_qs;
    }
    void unreadableFileIsKeptAside()
    {
        QFETCH(QString, how);
        if (how == u"closed" && rerunUnprivileged())
            return;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"beallitasok.conf"_qs);
        QByteArray original = "caldav_cim=https://kez.example/\n";
        if (how == u"large")
            original += QByteArray("# megjegyzés\n").repeated(6000);
        writeAll(path, original);
        if (how == u"closed")
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        PreferenceStore store(path);
        store.load();
        QCOMPARE(store.values(), Preferences{});
        QStringList told = store.takeNotices();
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(u"nem olvasható"_qs));
        Preferences wanted;
        wanted.lastSnooze = SnoozeChoice::OneHour;
        QSignalSpy failed(&store, &PreferenceStore::writeFailed);
        store.change(wanted);
        files::waitForWrites();
        QCoreApplication::processEvents();
        QVERIFY(failed.isEmpty());
        const QString aside = path + u".olvashatatlan"_qs;
        if (how == u"closed")
            QVERIFY(QFile::setPermissions(aside, QFileDevice::ReadOwner));
        QCOMPARE(readAll(aside), original);
        QCOMPARE(loadPreferences(path), wanted);
        told = store.takeNotices();
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(aside));
    }

    // When it cannot even be put aside, nothing is written and the reason comes back.
    void unreadableFileInAFolderThatMayNotChange()
    {
        if (rerunUnprivileged())
            return;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"beallitasok.conf"_qs);
        const QByteArray original = QByteArray("x=1\n").repeated(20000);
        writeAll(path, original);
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        PreferenceStore store(path);
        store.load();
        Preferences wanted;
        wanted.trayOnly = true;
        QSignalSpy failed(&store, &PreferenceStore::writeFailed);
        store.change(wanted);
        QCOMPARE(store.values(), wanted); // held while the program runs
        files::waitForWrites();
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].value<std::error_code>(), files::systemError(EACCES));
        QCOMPARE(store.values(), wanted);
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
        QCOMPARE(readAll(path), original);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
