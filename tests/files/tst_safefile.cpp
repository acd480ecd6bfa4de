#include "files/safefile.h"
#include "support/filebytes.h"
#include "support/realfaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

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
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
