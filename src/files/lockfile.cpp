#include "lockfile.h"

#include "posixerror.h"

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill::files {

std::error_code LockFile::error() const
{
    return toError(m_error);
}

QString privateRuntimeFolder()
{
    const auto privateFolder = [](const QByteArray &name) {
        struct stat st {};
        return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
               st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
    };
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && privateFolder(runtime))
        return QFile::decodeName(runtime);
    const QByteArray fallback = "/tmp/quillomat-" + QByteArray::number(qulonglong(::geteuid()));
    if (::mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return privateFolder(fallback) ? QFile::decodeName(fallback) : QString();
}

QString stateHome()
{
    const QString set = qEnvironmentVariable("XDG_STATE_HOME");
    if (!set.isEmpty() && QDir::isAbsolutePath(set))
        return set;
    return QDir::homePath() + QStringLiteral("/.local/state");
}

LockFile::LockFile(QString path)
    : m_path(std::move(path))
{
}

LockFile::~LockFile()
{
    unlock();
}

namespace {

// Opens the lock file for locking without ever following a link or touching another file's
// data: a symbolic link, a second name of another file (a hard link), or anything that is not a
// regular file standing under the lock's name is removed (the name only; what it points at is
// left alone) and a new lock file is made. Returns the descriptor, or -1 with errno set.
int openLockFile(const QByteArray &name, bool *own)
{
    for (int round = 0; round < 5; ++round) {
        int fd = ::open(name.constData(),
                        O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EISDIR)) {
            const int refused = errno;
            // An existing lock file we may only read still takes a lock.
            fd =
                ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
            if (fd < 0 && errno == EACCES && ::unlink(name.constData()) == 0)
                continue; // one we may not even read holds no lock: make a new one
            if (fd < 0 && errno == ENOENT)
                errno = refused; // there is none, and none may be made
        }
        if (fd < 0 && errno != ELOOP)
            return -1;
        struct stat st {};
        const bool usable =
            fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
        if (usable) {
            *own = st.st_uid == ::geteuid();
            return fd;
        }
        if (fd >= 0)
            ::close(fd);
        if (::unlink(name.constData()) != 0 && errno != ENOENT)
            return -1;
    }
    errno = EBUSY;
    return -1;
}

} // namespace

LockFile::Result LockFile::tryLock()
{
    if (m_fd >= 0)
        return Result::Locked;
    const QByteArray name = native(m_path);
    // A few rounds: the file may be removed by its previous owner between our open and our lock.
    for (int round = 0; round < 5; ++round) {
        bool own = false;
        const int fd = openLockFile(name, &own);
        if (fd < 0) {
            m_error = errno;
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            m_error = errno;
            ::close(fd);
            return m_error == EWOULDBLOCK ? Result::HeldByAnother : Result::Failed;
        }
        struct stat held {
        }, now{};
        if (::fstat(fd, &held) == 0 && ::lstat(name.constData(), &now) == 0 &&
            held.st_dev == now.st_dev && held.st_ino == now.st_ino) {
            // The process id is for people only; a full disk may keep it out. Only our own lock
            // file, the one name of its data, is ever cut short.
            if (own && held.st_nlink == 1 && ::ftruncate(fd, 0) == 0) {
                const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
                const ssize_t written = ::pwrite(fd, pid.constData(), std::size_t(pid.size()), 0);
                Q_UNUSED(written)
            }
            m_fd = fd;
            m_error = 0;
            return Result::Locked;
        }
        ::close(fd);
    }
    m_error = EBUSY;
    return Result::Failed;
}

void LockFile::unlock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so nobody can take a lock on a file that is about to vanish.
    ::unlink(native(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

} // namespace quill::files
