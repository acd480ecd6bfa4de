#include "files/lockfile.h"
#include "files/statefiles.h"
#include "support/filebytes.h"
#include "support/realfaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quill;
using namespace quill::test;

namespace {
// A second process that holds a lock until it is let go, then ends: no process is left behind.
struct LockHolder {
    pid_t pid = -1;
    int go = -1;
    void release() const
    {
        ::close(go);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
};
LockHolder holdInChild(const QString &path)
{
    int ready[2], go[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0)
        return {};
    const QByteArray name = QFile::encodeName(path);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::close(go[1]);
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT, 0644);
        char byte = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        if (::write(ready[1], &byte, 1) != 1 || ::read(go[0], &byte, 1) < 0)
            ::_exit(1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(go[0]);
    char byte = 0;
    const bool held = ::read(ready[0], &byte, 1) == 1 && byte == 'y';
    ::close(ready[0]);
    if (!held)
        qWarning("the other process took no lock");
    return {pid, go[1]};
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}
} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The names of the files kept for a data file stay what earlier versions wrote, so a new
    // version finds the snoozes and the run record it left: 16 hex digits of the SHA-256 of the
    // path in UTF-8.
    void stateFileNames_data()
    {
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << u"/home/a/remembers.txt"_qs
                               << u"/s/Zelmarin/Quillomat/snoozed-40ace270a88166b1"_qs;
        QTest::newRow("accented") << u"/home/á/remembers.txt"_qs
                                  << u"/s/Zelmarin/Quillomat/snoozed-aa164fd83a947d4b"_qs;
    }
    void stateFileNames()
    {
        QFETCH(QString, dataFile);
        QFETCH(QString, expected);
        QCOMPARE(files::stateFileFor(u"snoozed-"_qs, dataFile, u"/s"_qs), expected);
    }

    void linksAreFollowed()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(u"shared"_qs));
        const QString target = dir.filePath(u"shared/data.txt"_qs);
        const QString link = dir.filePath(u"remembers.txt"_qs);
        QVERIFY(QFile::link(target, link)); // dangling until the first save
        QCOMPARE(files::resolvedPath(link), QFileInfo(target).absoluteFilePath());
        QVERIFY(!files::writeAtomically(files::resolvedPath(link), "egy"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(link), QByteArray("egy"));
        QCOMPARE(files::resolvedPath(link), QFileInfo(target).canonicalFilePath());
    }

    // A file replaced whole leaves nothing beside it (its mode: privateModes' "existing" row); a
    // new one is never written over.
    void replacingLeavesNothingBehind()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"f"_qs);
        writeAll(path, "old");
        QVERIFY(!files::writeAtomically(path, "new"));
        QCOMPARE(readAll(path), QByteArray("new"));
        QCOMPARE(files::writeNewFile(path, "again"), files::systemError(EEXIST));
        QCOMPARE(entries(dir.path()), QStringList{u"f"_qs});
    }

    // Under the usual umask (022) what the program creates is still its owner's alone; a file it
    // replaces keeps the mode it had.
    void privateModes_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("mode");
        QTest::newRow("new file, replaced whole") << u"atomic"_qs << 0600;
        QTest::newRow("new file, written new") << u"new"_qs << 0600;
        QTest::newRow("existing file keeps 0644") << u"existing"_qs << 0644;
        QTest::newRow("folders made") << u"folder"_qs << 0700;
        QTest::newRow("lock file") << u"lock"_qs << 0600;
    }
    void privateModes()
    {
        QFETCH(QString, how);
        QFETCH(int, mode);
        QTemporaryDir dir;
        const Umask usual(022);
        const QString path = dir.filePath(u"a/b/f"_qs);
        QVERIFY(QDir().mkpath(dir.filePath(u"a/b"_qs)));
        QStringList made{path};
        files::LockFile lock(path);
        if (how == u"atomic") {
            QVERIFY(!files::writeAtomically(path, "x"));
        } else if (how == u"new") {
            QVERIFY(!files::writeNewFile(path, "x"));
        } else if (how.startsWith(u"existing")) {
            writeAll(path, "old");
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
            QVERIFY(!files::writeAtomically(path, "new"));
        } else if (how == u"folder") {
            made = QStringList{dir.filePath(u"a/b/c"_qs), dir.filePath(u"a/b/c/d"_qs)};
            QVERIFY(!files::makeFolder(made.last()));
        } else {
            QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked);
        }
        for (const QString &one : made)
            QCOMPARE(modeOf(one), mode);
        QCOMPARE(modeOf(dir.filePath(u"a"_qs)), 0755); // a folder made by someone else is left be
    }

    // A folder the user (not root) may not write: no file, no lock, and the reason.
    void noWriteInAFolderTheUserMayNotWrite()
    {
        if (rerunUnprivileged())
            return;
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QCOMPARE(files::writeAtomically(dir.filePath(u"new"_qs), "x"), files::systemError(EACCES));
        files::LockFile lock(dir.filePath(u"x.lock"_qs));
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Failed);
        QCOMPARE(lock.error(), files::systemError(EACCES));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }

    // A lock is held by a living process only: a second process is kept out while it runs, and
    // nothing it leaves behind keeps anyone out after.
    void lockHeldOnlyByTheLiving()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt.lock"_qs);
        const LockHolder other = holdInChild(path);
        files::LockFile lock(path);
        QCOMPARE(lock.tryLock(), files::LockFile::Result::HeldByAnother);
        other.release();
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked); // the dead hold nothing
        files::LockFile second(path);
        QCOMPARE(second.tryLock(), files::LockFile::Result::HeldByAnother);
        QCOMPARE(readAll(path).trimmed(), QByteArray::number(QCoreApplication::applicationPid()));
        lock.unlock();
        QVERIFY(!QFile::exists(path));
        QCOMPARE(second.tryLock(), files::LockFile::Result::Locked);
    }

    // Whatever stands under the lock's name, nothing but the lock's own file is ever written:
    // a link to the reminders (symbolic or hard) or to any other file keeps its bytes.
    void lockNeverWritesThroughALink_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("symbolic link to the data") << u"symlink"_qs;
        QTest::newRow("hard link to the data") << u"hardlink"_qs;
        QTest::newRow("dangling symbolic link") << u"dangling"_qs;
        QTest::newRow("pipe") << u"pipe"_qs;
    }
    void lockNeverWritesThroughALink()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString data = dir.filePath(u"remembers.txt"_qs);
        const QString path = data + u".lock"_qs;
        const QByteArray reminders = "e| | |*|*|*|*|00| |x|1|0|\r\n";
        writeAll(data, reminders);
        if (kind == u"symlink")
            QVERIFY(QFile::link(data, path));
        else if (kind == u"hardlink")
            QCOMPARE(
                ::link(QFile::encodeName(data).constData(), QFile::encodeName(path).constData()),
                0);
        else if (kind == u"dangling")
            QVERIFY(QFile::link(dir.filePath(u"elsewhere"_qs), path));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        files::LockFile lock(path);
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked);
        QCOMPARE(readAll(data), reminders);
        QVERIFY(!QFile::exists(dir.filePath(u"elsewhere"_qs)));
        const QFileInfo info(path);
        QVERIFY(info.isFile() && !info.isSymLink());
        QVERIFY(files::stampOf(path).inode != files::stampOf(data).inode);
        lock.unlock();
        QCOMPARE(readAll(data), reminders);
    }

    // A file with a second name in another folder stays one file when it is saved; on a full
    // disk the save fails before a byte of it changes.
    void secondNamesStayOneFile()
    {
        if (rerunWithOwnMounts())
            return;
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"disk"_qs);
        SmallDisk disk(folder, 16);
        const QString base = disk.mounted() ? folder : dir.path();
        QDir().mkpath(base + u"/a"_qs);
        QDir().mkpath(base + u"/b"_qs);
        const QString a = base + u"/a/remembers.txt"_qs, b = base + u"/b/remembers.txt"_qs;
        writeAll(a, "old");
        QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
        QVERIFY(!files::writeAtomically(a, "new and longer"));
        QCOMPARE(readAll(b), QByteArray("new and longer"));
        QCOMPARE(files::stampOf(a).inode, files::stampOf(b).inode);
        QVERIFY(!files::writeAtomically(a, "short"));
        QCOMPARE(readAll(b), QByteArray("short"));
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        QVERIFY(disk.fill());
        QCOMPARE(files::writeAtomically(a, QByteArray(64 * 1024, 'x')), files::systemError(ENOSPC));
        QCOMPARE(readAll(a), QByteArray("short"));
        QCOMPARE(readAll(b), QByteArray("short"));
    }

    // The data is on the disk before the new file takes the old one's name: write, then fsync,
    // then rename, as the system calls of a real save show.
    void dataOnTheDiskBeforeTheRename()
    {
        const QByteArray target = qgetenv("QUILL_WRITE_ONCE");
        if (!target.isEmpty()) { // the save watched, in a process of its own
            QVERIFY(!files::writeAtomically(QFile::decodeName(target), "PAYLOAD-MARKER"));
            return;
        }
        if (QStandardPaths::findExecutable(u"strace"_qs).isEmpty())
            QSKIP("strace is not installed");
        QTemporaryDir dir;
        const QString log = dir.filePath(u"calls"_qs);
        QProcess traced;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QUILL_WRITE_ONCE"_qs, dir.filePath(u"remembers.txt"_qs));
        env.insert(u"ASAN_OPTIONS"_qs, u"detect_leaks=0"_qs); // LeakSanitizer cannot run traced
        traced.setProcessEnvironment(env);
        traced.start(u"strace"_qs,
                     {u"-f"_qs, u"-qq"_qs, u"-e"_qs,
                      u"trace=write,fsync,fdatasync,rename,renameat,renameat2"_qs, u"-o"_qs, log,
                      QCoreApplication::applicationFilePath(), u"dataOnTheDiskBeforeTheRename"_qs});
        QVERIFY(traced.waitForFinished(60000));
        QCOMPARE(traced.exitCode(), 0);
        const QList<QByteArray> calls = readAll(log).split('\n');
        qsizetype written = -1, synced = -1, renamed = -1;
        for (qsizetype i = 0; i < calls.size(); ++i) {
            const QByteArray &c = calls[i];
            if (c.contains("write(") && c.contains("PAYLOAD-MARKER"))
                written = i;
            else if (written >= 0 && synced < 0 &&
                     (c.contains("fsync(") || c.contains("fdatasync(")))
                synced = i;
            else if (c.contains("rename") && c.contains("remembers.txt\""))
                renamed = i;
        }
        QVERIFY2(written >= 0 && synced > written && renamed > synced, readAll(log).constData());
    }

    // Saves killed half way leave their temporary files; ours go at the next start, nothing else.
    void staleTemporariesGo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt"_qs);
        writeAll(path, "x");
        for (const QString &name :
             {u".remembers.txt.Ab12Cd"_qs, u".remembers.txt.zzzzzz"_qs, u".remembers.txt.bak"_qs,
              u".remembers.txt.toolong7"_qs, u"remembers.txt.bak"_qs})
            writeAll(dir.filePath(name), QByteArray(1000, 'y'));
        QVERIFY(QFile::link(path, dir.filePath(u".remembers.txt.link01"_qs)));
        QCOMPARE(files::removeStaleTemporaries(path), 2);
        QCOMPARE(entries(dir.path()),
                 (QStringList{u".remembers.txt.bak"_qs, u".remembers.txt.link01"_qs,
                              u".remembers.txt.toolong7"_qs, u"remembers.txt"_qs,
                              u"remembers.txt.bak"_qs}));
        QCOMPARE(readAll(path), QByteArray("x"));
    }

    void leftoverLockFilesNeverBlock_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("dead process") << QByteArray("999999\nQuillomat\nhost\n") << false;
        QTest::newRow("garbage") << QByteArray("\x01\x02\xff") << false;
        QTest::newRow("unreadable") << QByteArray("1\n") << true;
    }
    void leftoverLockFilesNeverBlock()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, unreadable);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt.lock"_qs);
        writeAll(path, content);
        if (unreadable)
            QFile::setPermissions(path, {});
        files::LockFile lock(path);
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked);
    }

    void lockOnAFullDisk()
    {
        if (rerunWithOwnMounts())
            return;
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"disk"_qs);
        SmallDisk disk(folder, 16);
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        QVERIFY(disk.fill());
        files::LockFile lock(QDir(folder).filePath(u"remembers.txt.lock"_qs));
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked);
    }

    // A file whose size the system does not tell beforehand (a kernel's file is empty to stat)
    // is held to the limit all the same, to its last byte.
    void limitWithoutTheSize_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("tooLarge");
        QTest::newRow("a byte short") << 5 << true;
        QTest::newRow("its very size") << 6 << false;
    }
    void limitWithoutTheSize()
    {
        QFETCH(int, limit);
        QFETCH(bool, tooLarge);
        const auto read = files::readRegularFile(u"/proc/sys/kernel/ostype"_qs, limit);
        QCOMPARE(read.error == files::Problem::TooLarge, tooLarge);
        if (!tooLarge)
            QCOMPARE(read.bytes, QByteArray("Linux\n"));
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
