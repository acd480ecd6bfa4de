#include "runningcopy.h"

#include "files/lockfile.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quill {

namespace {

const QByteArray hello = "quillomat-elore\n";
const QByteArray done = "rendben\n";
constexpr qsizetype longest = 64 * 1024;

// The socket's address: a file in the user's private runtime folder, which nobody else may enter,
// so nobody else can take the name; without such a folder, a name in the abstract namespace, whose
// peers are then checked all the more.
sockaddr_un addressOf(const QString &key, socklen_t *length)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QString folder = files::privateRuntimeFolder();
    QByteArray name;
    if (!folder.isEmpty()) {
        name = QFile::encodeName(folder + QStringLiteral("/hu.zelmarin.Quillomat-") + key +
                                 QStringLiteral(".sock"));
    } else {
        name = '\0' + QByteArray("hu.zelmarin.Quillomat-") +
               QByteArray::number(qulonglong(::geteuid())) + '-' + key.toLatin1();
    }
    const std::size_t n = std::min(std::size_t(name.size()), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path, name.constData(), n);
    *length = socklen_t(offsetof(sockaddr_un, sun_path) + n);
    return address;
}

// Only the user's own processes may talk to each other here.
bool peerIsOurUser(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::geteuid();
}

// Waits for the socket to become readable (or writable) for up to `ms`.
bool waitFor(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, ms);
        if (n < 0 && errno == EINTR)
            continue;
        return n == 1 && (p.revents & events) != 0;
    }
}

bool sendAll(int fd, const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, 2000))
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

bool handOverTo(const QString &key, const QByteArray &message)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    socklen_t length = 0;
    const sockaddr_un address = addressOf(key, &length);
    bool answered = false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0 &&
        peerIsOurUser(fd) && sendAll(fd, message)) {
        QByteArray reply;
        char buffer[64];
        while (!reply.endsWith('\n') && reply.size() < 64 && waitFor(fd, POLLIN, 3000)) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            reply.append(buffer, n);
        }
        answered = reply == done;
    }
    ::close(fd);
    return answered;
}

} // namespace

// One later start talking to this copy: read until its message is whole, then answer it.
class RunningCopy::Caller final : public QObject {
public:
    Caller(int fd, RunningCopy *owner)
        : QObject(owner)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read, this)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this, owner] { read(owner); });
        // Nobody we know takes long to say who they are.
        QTimer::singleShot(3000, this, &QObject::deleteLater);
    }
    ~Caller() override { ::close(m_fd); }

private:
    void read(RunningCopy *owner)
    {
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n <= 0 || m_got.size() + n > longest) {
            m_notifier.setEnabled(false);
            deleteLater();
            return;
        }
        m_got.append(buffer, n);
        if (!m_got.endsWith("\n\n"))
            return;
        m_notifier.setEnabled(false);
        deleteLater();
        if (!m_got.startsWith(hello))
            return;
        sendAll(m_fd, done);
        const QString rest = QString::fromUtf8(m_got.mid(hello.size()).chopped(2));
        Q_EMIT owner->comeForward(rest.isEmpty() ? QStringList() : rest.split(u'\n'));
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_got;
};

RunningCopy::RunningCopy(QStringList keys, QObject *parent)
    : QObject(parent)
    , m_keys(std::move(keys))
{
}

RunningCopy::~RunningCopy()
{
    for (const Listener &l : m_listeners) {
        ::close(l.fd);
        if (!l.path.isEmpty())
            ::unlink(l.path.constData());
    }
}

bool RunningCopy::handOver(const QStringList &arguments) const
{
    const QByteArray message = hello + arguments.join(u'\n').toUtf8() + "\n\n";
    for (const QString &key : m_keys) {
        if (handOverTo(key, message))
            return true;
    }
    return false;
}

bool RunningCopy::listen()
{
    bool any = false;
    for (const QString &key : m_keys) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            continue;
        socklen_t length = 0;
        const sockaddr_un address = addressOf(key, &length);
        const bool inFolder = address.sun_path[0] != '\0';
        const QByteArray path = inFolder ? QByteArray(address.sun_path) : QByteArray();
        // The copy that holds the file's lock owns the name: a socket left by a crash goes.
        if (inFolder) {
            struct stat st {};
            if (::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode))
                ::unlink(path.constData());
        }
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), length) != 0 ||
            ::listen(fd, 8) != 0) {
            ::close(fd);
            continue;
        }
        if (inFolder)
            ::chmod(path.constData(), 0600);
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { accept(fd); });
        m_listeners.append({fd, path});
        any = true;
    }
    return any;
}

void RunningCopy::accept(int listener)
{
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        if (!peerIsOurUser(fd)) {
            ::close(fd);
            continue;
        }
        new Caller(fd, this);
    }
}

} // namespace quill
