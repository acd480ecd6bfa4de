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

    // A folder the user (not root) may not write: no file, no lock, and the reason.
    void noWriteInAFolderTheUserMayNotWrite()
    {
        if (rerunUnprivileged())
            return;
        QTemporaryDir dir;
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
