#include "files/writequeue.h"
#include "platform/appfolder.h"
#include "platform/desktop.h"
#include "support/realfaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quill;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The user's data folder, unless the user's file already lies beside the program, whatever
    // it is (a portable copy, a file from the old program, a link).
    void dataFileLocation()
    {
        QTemporaryDir dir;
        const AppFolder folder(dir.path());
        QCOMPARE(folder.reminderFile(u"/data"_qs), u"/data/remembers.txt"_qs);
        QVERIFY(QFile::link(u"/nowhere/remembers.txt"_qs, dir.filePath(u"remembers.txt"_qs)));
        QCOMPARE(folder.reminderFile(u"/data"_qs), dir.path() + u"/remembers.txt"_qs);
    }

    // The XDG autostart entry: written where the desktop looks, valid, and removed again.
    void startAtLogin()
    {
        QTemporaryDir config;
        XdgAutostart autostart(u"/opt/Quillomat 1/quillomat"_qs, config.path());
        QVERIFY(!autostart.enabled());
        QVERIFY(!autostart.setEnabled(true));
        QVERIFY(autostart.enabled());
        QCOMPARE(autostart.entryPath(),
                 config.path() + u"/autostart/hu.zelmarin.Quillomat.desktop"_qs);
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("Exec=\"/opt/Quillomat 1/quillomat\"\n"));
        QProcess validate;
        validate.start(u"desktop-file-validate"_qs, {autostart.entryPath()});
        if (validate.waitForFinished(20000))
            QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        QVERIFY(!autostart.setEnabled(false));
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(!autostart.setEnabled(false));
    }

    // Switching the start at login on from the menu does not wait for a slow disk (an fsync of
    // 1.5 s): the entry is the desktop's convenience, written without waiting for the disk.
    void startAtLoginDoesNotWaitForTheDisk()
    {
        if (test::rerunWithSlowFsync(1500))
            return;
        QTemporaryDir config;
        XdgAutostart autostart(u"/opt/Quillomat 1/quillomat"_qs, config.path());
        QElapsedTimer took;
        took.start();
        QVERIFY(!autostart.setEnabled(true));
        QVERIFY2(took.elapsed() < 1000, "the switch waited for the disk");
        QVERIFY(autostart.enabled());
    }

    void runRecordKeepsTheEnd()
    {
        QTemporaryDir state;
        const RunRecord record(u"/home/a/remembers.txt"_qs, state.path());
        QVERIFY(!record.lastEnd().isValid());
        const QDateTime end(QDate(2026, 10, 25), QTime(2, 30));
        record.recordEnd(end);
        files::waitForWrites();
        QCOMPARE(record.lastEnd(), end);
        QVERIFY(record.answered().isEmpty());
        // The alerts answered after that moment, one a line, read back as they were written.
        const QStringList answered{u"3 0 2026-10-25T02:45"_qs, u"7 4320 2026-10-25T03:00"_qs};
        record.recordEnd(end, answered);
        files::waitForWrites();
        QCOMPARE(record.lastEnd(), end);
        QCOMPARE(record.answered(), answered);
        QVERIFY(record.path().startsWith(state.path() + u"/Zelmarin/Quillomat/"_qs));
        QVERIFY(RunRecord(u"/other/remembers.txt"_qs, state.path()).path() != record.path());
    }

    // A state folder an older version left open to others (0755) is its owner's alone once the
    // record is written into it.
    void runRecordMakesItsFolderPrivate()
    {
        QTemporaryDir state;
        const QString folder = state.filePath(u"Zelmarin/Quillomat"_qs);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(
            folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        const RunRecord record(u"/home/a/remembers.txt"_qs, state.path());
        record.recordEnd(QDateTime(QDate(2026, 10, 25), QTime(2, 30)));
        files::waitForWrites();
        QVERIFY(QFile::exists(record.path()));
        QCOMPARE(QFileInfo(folder).permissions() &
                     (QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup),
                 QFile::Permissions());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
