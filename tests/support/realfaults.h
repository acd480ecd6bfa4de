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

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace quill::test {

/// The variable that marks a test process started in a user namespace of its own.
inline constexpr char ownMountsMark[] = "QUILL_TEST_OWN_MOUNTS";

/// A tmpfs of a few pages mounted on `folder`, removed again at the end. Needs the right to
/// mount: root, or a user namespace of one's own (see rerunWithOwnMounts).
class SmallDisk {
public:
    explicit SmallDisk(const QString &folder, int kilobytes = 64)
        : m_folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                            options.constData()) == 0;
        if (!m_mounted)
            m_whyNot = "mounting a small tmpfs failed: " + QByteArray(std::strerror(errno));
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return m_mounted; }
    /// Why it is not mounted, for a skip.
    const char *whyNot() const { return m_whyNot.constData(); }
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
    QByteArray m_whyNot;
};

/// Whether this process may mount a tmpfs (root, or inside a namespace of its own).
inline bool mayMount()
{
    static const bool may = [] {
        QTemporaryDir probe;
        return SmallDisk(probe.filePath(QStringLiteral("probe"))).mounted();
    }();
    return may;
}

/// Where this process may not mount (an ordinary user), runs the current test function (and data
/// row) again in a child process inside a user and mount namespace of its own (`unshare -Urm`),
/// where the child may mount its own tmpfs, and returns true: the child's verdict is checked
/// here, and the caller returns. False where the caller runs the test itself: it may mount, it
/// is such a child already, or the kernel allows no user namespace (then the caller's SmallDisk
/// is not mounted and it skips, with the reason).
inline bool rerunWithOwnMounts()
{
    if (mayMount() || qEnvironmentVariableIsSet(ownMountsMark))
        return false;
    static const QByteArray refused = []() -> QByteArray {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(QStringLiteral("unshare"),
                    {QStringLiteral("-Urm"), QStringLiteral("/bin/true")});
        if (!probe.waitForFinished(10000))
            return QByteArray("unshare could not be run: ") + probe.errorString().toUtf8();
        return probe.exitCode() == 0 ? QByteArray() : probe.readAll().trimmed();
    }();
    if (!refused.isEmpty()) {
        qWarning("no user namespace for a tmpfs of the test's own: %s", refused.constData());
        return false;
    }
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (const char *tag = QTest::currentDataTag())
        function += u':' + QString::fromUtf8(tag);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ownMountsMark), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("-Urm"), QCoreApplication::applicationFilePath(), function});
    const bool passed = child.waitForFinished(120000) &&
                        child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    const QByteArray output = child.readAll();
    if (!passed)
        QTest::qFail(output.constData(), __FILE__, __LINE__);
    else if (output.contains("SKIP   :"))
        QTest::qSkip("skipped in its own user namespace; see the output above", __FILE__, __LINE__);
    if (output.contains("SKIP   :") || !passed)
        qWarning("%s", output.constData());
    return true;
}

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

/// The variable that marks a test process whose fsync calls the kernel makes slow.
inline constexpr char slowFsyncMark[] = "QUILL_TEST_SLOW_FSYNC";

/// Runs the current test function again in a child process whose every fsync and fdatasync
/// returns only after `milliseconds` (strace's fault injection: a USB stick, a network home, a
/// busy disk) and returns true: the child's verdict is checked here, and the caller returns.
/// False in that child, which runs the test; where strace cannot trace, the test is skipped
/// with the reason (and true is returned).
inline bool rerunWithSlowFsync(int milliseconds)
{
    if (qEnvironmentVariableIsSet(slowFsyncMark))
        return false;
    const QString delay = QString::number(qint64(milliseconds) * 1000);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(slowFsyncMark), QStringLiteral("1"));
    // The leak checker stops the world with ptrace, which a traced process cannot.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":detect_leaks=0"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral("strace"),
                {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                 QStringLiteral("/dev/null"), QStringLiteral("--seccomp-bpf"), QStringLiteral("-e"),
                 QStringLiteral("trace=fsync,fdatasync"), QStringLiteral("-e"),
                 QStringLiteral("inject=fsync,fdatasync:delay_exit=") + delay,
                 QCoreApplication::applicationFilePath(),
                 QString::fromLatin1(QTest::currentTestFunction())});
    const bool ran = child.waitForFinished(120000);
    const QByteArray output = child.readAll();
    if (!ran || (child.exitCode() != 0 && !output.contains("Totals:"))) {
        // strace missing, or no ptrace allowed here: nothing was tested.
        const QByteArray why = "strace could not slow fsync down: " + output.left(400);
        QTest::qSkip(why.constData(), __FILE__, __LINE__);
        return true;
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        QTest::qFail(output.constData(), __FILE__, __LINE__);
    return true;
}

} // namespace quill::test
