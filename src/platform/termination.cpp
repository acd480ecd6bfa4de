#include "termination.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quill {

namespace {

// The handler may only do what is safe inside a signal handler: write one byte to a socket that
// the event loop watches.
int g_pair[2] = {-1, -1};
constexpr std::array<int, 3> handled = {SIGTERM, SIGHUP, SIGINT};

extern "C" void onSignal(int number)
{
    const int saved = errno;
    const char byte = char(number);
    const ssize_t written = ::write(g_pair[0], &byte, 1);
    (void)written;
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0)
        return;
    ::fcntl(g_pair[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_pair[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : handled)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int number : handled)
        ::sigaction(number, &action, nullptr);
    delete m_notifier;
    for (int &fd : g_pair) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TerminationSignals::readPending()
{
    char byte = 0;
    while (::read(g_pair[1], &byte, 1) == 1)
        Q_EMIT received(int(byte));
}

} // namespace quill
