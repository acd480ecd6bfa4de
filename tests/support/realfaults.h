#pragma once

// Real faults for tests: a small disk that is really full, and a test function run again as an
// unprivileged user (when the suite runs as root, permissions would not stop anything).

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

namespace quill::test {

/// A tmpfs of a few pages mounted on `folder`, removed again at the end. Needs root.
class SmallDisk {
public:
    explicit SmallDisk(const QString &folder, int kilobytes = 64)
        : m_folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                            options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    /// Fills every free byte with a file of its own; returns whether the disk is now full.
    bool fill() const
    {
        QFile filler(QDir(m_folder).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        QFile probe(QDir(m_folder).filePath(QStringLiteral("probe")));
        const bool full =
            probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && probe.write("x", 1) != 1;
        probe.remove();
        return full;
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

/// As root, runs the current test function again in a child process as the user "nobody" and
/// returns true (the child's verdict is checked here); as any other user returns false, and the
/// caller runs the test itself.
inline bool rerunUnprivileged()
{
    if (::geteuid() != 0)
        return false;
    // The build may lie in a folder that user cannot enter: run a copy from a shared place.
    static QTemporaryDir shared;
    const QString copy = shared.filePath(QStringLiteral("test"));
    if (!QFile::exists(copy)) {
        QFile::copy(QCoreApplication::applicationFilePath(), copy);
        QFile::setPermissions(shared.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                 QFileDevice::ExeOther);
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), copy,
                 QString::fromLatin1(QTest::currentTestFunction())});
    const bool passed = child.waitForFinished(60000) &&
                        child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (!passed)
        QTest::qFail(child.readAll().constData(), __FILE__, __LINE__);
    return true;
}

} // namespace quill::test
