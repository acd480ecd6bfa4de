#include "files/safefile.h"
#include "support/filebytes.h"
#include "support/realfaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using namespace quill;
using namespace quill::test;

namespace {
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}
} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A real full disk: the old file stays byte for byte, nothing half written is left behind.
    void fullDisk()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"disk"_qs);
        SmallDisk disk(folder, 16);
        if (!disk.mounted())
            QSKIP("mounting a small tmpfs needs root");
        const QString path = QDir(folder).filePath(u"remembers.txt"_qs);
        const QByteArray old = "e| | |*|*|*|*|00| |régi|1|0|\r\n";
        QCOMPARE(files::writeAtomically(path, old), 0);
        QVERIFY(disk.fill());

        const QByteArray replacement = QByteArray("e| | |*|*|*|*|00| |új|1|0|\r\n").repeated(50);
        QCOMPARE(files::writeAtomically(path, replacement), ENOSPC);
        QCOMPARE(readAll(path), old);
        QCOMPARE(files::writeNewFile(path + u".bak"_qs, replacement), ENOSPC);
        QVERIFY(!QFile::exists(path + u".bak"_qs));
        QCOMPARE(entries(folder), (QStringList{u"filler"_qs, u"remembers.txt"_qs}));
        // A second name needs no room.
        QCOMPARE(files::hardLink(path, path + u".bak"_qs), 0);
        QCOMPARE(readAll(path + u".bak"_qs), old);
        QVERIFY(files::reasonText(ENOSPC).contains(u"betelt a lemez"_qs));
    }

    // Only regular files are read or written; a pipe is never opened (it would block).
    void somethingElseInThePlace()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(u"pipe"_qs);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
        const QString socketPath = dir.filePath(u"socket"_qs);
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof address.sun_path);
        QCOMPARE(::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        const QString nullLink = dir.filePath(u"null"_qs);
        QVERIFY(QFile::link(u"/dev/null"_qs, nullLink));

        struct Case {
            QString path;
            int type;
        };
        for (const Case &c :
             {Case{pipe, files::IsPipe}, Case{socketPath, files::IsSocket},
              Case{nullLink, files::IsDevice}, Case{dir.path(), files::IsDirectory}}) {
            QElapsedTimer timer;
            timer.start();
            const files::ReadResult read = files::readRegularFile(c.path, 1 << 20);
            QVERIFY(timer.elapsed() < 1000);
            QVERIFY(read.exists);
            QCOMPARE(read.error, c.type);
            QCOMPARE(files::typeProblem(c.path), c.type);
            QCOMPARE(files::writeAtomically(c.path, "x"), c.type);
            QVERIFY(!files::reasonText(c.type).isEmpty());
        }
        ::close(s);
        QVERIFY(QFileInfo(u"/dev/null"_qs).exists() && !QFileInfo(u"/dev/null"_qs).isFile());
        QCOMPARE(entries(dir.path()), (QStringList{u"null"_qs, u"pipe"_qs, u"socket"_qs}));
        QVERIFY(!files::readRegularFile(dir.filePath(u"nincs"_qs), 10).exists);
    }

    void linksAreFollowed()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath(u"shared"_qs));
        const QString target = dir.filePath(u"shared/data.txt"_qs);
        const QString link = dir.filePath(u"remembers.txt"_qs);
        QVERIFY(QFile::link(target, link)); // dangling until the first save
        QCOMPARE(files::resolvedPath(link), QFileInfo(target).absoluteFilePath());
        QCOMPARE(files::writeAtomically(files::resolvedPath(link), "egy"), 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(link), QByteArray("egy"));
        QCOMPARE(files::resolvedPath(link), QFileInfo(target).canonicalFilePath());
    }

    void replacingKeepsTheMode()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"f"_qs);
        writeAll(path, "old");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup);
        QCOMPARE(files::writeAtomically(path, "new"), 0);
        QCOMPARE(readAll(path), QByteArray("new"));
        QFileInfo info(path);
        QVERIFY(info.permission(QFileDevice::ReadGroup) &&
                !info.permission(QFileDevice::ReadOther));
        QCOMPARE(files::writeNewFile(path, "again"), EEXIST);
        QCOMPARE(entries(dir.path()), QStringList{u"f"_qs});
    }

    // What a user (not root) may not read or write is left alone, and says why.
    void permissionsAreRespected()
    {
        if (rerunUnprivileged())
            return;
        QTemporaryDir dir;
        const QString locked = dir.filePath(u"locked"_qs);
        const QString readOnly = dir.filePath(u"readonly"_qs);
        writeAll(locked, "titok");
        writeAll(readOnly, "régi");
        QFile::setPermissions(locked, {});
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
        QCOMPARE(files::readRegularFile(locked, 100).error, EACCES);
        QCOMPARE(files::writeAtomically(readOnly, "új"), EACCES);
        QCOMPARE(readAll(readOnly), QByteArray("régi"));
        QCOMPARE(files::hardLink(locked, locked + u".bak"_qs), 0); // one's own file
        QVERIFY(files::reasonText(EACCES).contains(u"jogosultság"_qs));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QCOMPARE(files::writeAtomically(dir.filePath(u"new"_qs), "x"), EACCES);
        files::LockFile lock(dir.filePath(u"x.lock"_qs));
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Failed);
        QCOMPARE(lock.error(), EACCES);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }

    // A lock is held by a living process only: a second process is kept out while it runs, and
    // nothing it leaves behind keeps anyone out after.
    void lockHeldOnlyByTheLiving()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"remembers.txt.lock"_qs);
        QProcess other;
        other.start(u"flock"_qs, {u"--nonblock"_qs, u"--close"_qs, path, u"sleep"_qs, u"60"_qs});
        QVERIFY(other.waitForStarted());
        QTRY_VERIFY(QFile::exists(path));
        files::LockFile lock(path);
        QTRY_COMPARE(lock.tryLock(), files::LockFile::Result::HeldByAnother);
        other.kill();
        other.waitForFinished();
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked); // the dead hold nothing
        files::LockFile second(path);
        QCOMPARE(second.tryLock(), files::LockFile::Result::HeldByAnother);
        QCOMPARE(readAll(path).trimmed(), QByteArray::number(QCoreApplication::applicationPid()));
        lock.unlock();
        QVERIFY(!QFile::exists(path));
        QCOMPARE(second.tryLock(), files::LockFile::Result::Locked);
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
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"disk"_qs);
        SmallDisk disk(folder, 16);
        if (!disk.mounted())
            QSKIP("mounting a small tmpfs needs root");
        QVERIFY(disk.fill());
        files::LockFile lock(QDir(folder).filePath(u"remembers.txt.lock"_qs));
        QCOMPARE(lock.tryLock(), files::LockFile::Result::Locked);
    }

    void makeFolderSaysWhy()
    {
        QTemporaryDir dir;
        QCOMPARE(files::makeFolder(dir.filePath(u"a/b/c"_qs)), 0);
        QVERIFY(QFileInfo(dir.filePath(u"a/b/c"_qs)).isDir());
        writeAll(dir.filePath(u"file"_qs), "x");
        QCOMPARE(files::makeFolder(dir.filePath(u"file/sub"_qs)), ENOTDIR);
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
