#include "runningcopy.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace quill {

namespace {
// A name in the abstract namespace: nothing on disk to go stale, nothing a full disk can stop.
constexpr auto options = QLocalServer::AbstractNamespaceOption;
const QByteArray hello = "quillomat-elore\n";
const QByteArray done = "rendben\n";
} // namespace

RunningCopy::RunningCopy(const QString &dataFile, QObject *parent)
    : QObject(parent)
{
    const QByteArray hash =
        QCryptographicHash::hash(dataFile.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    m_name = QStringLiteral("hu.zelmarin.Quillomat-%1-%2")
                 .arg(::getuid())
                 .arg(QString::fromLatin1(hash));
}

RunningCopy::~RunningCopy() = default;

bool RunningCopy::handOver(const QStringList &arguments) const
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(hello + arguments.join(u'\n').toUtf8() + "\n\n");
    if (!socket.waitForBytesWritten(2000))
        return false;
    QByteArray reply;
    while (!reply.endsWith('\n') && socket.waitForReadyRead(3000))
        reply += socket.readAll();
    return reply == done;
}

bool RunningCopy::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(options);
    connect(m_server, &QLocalServer::newConnection, this, &RunningCopy::answer);
    return m_server->listen(m_name);
}

void RunningCopy::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            const QByteArray got = socket->peek(64 * 1024);
            if (!got.endsWith("\n\n") || got.size() >= 64 * 1024 - 1) {
                if (got.size() >= 64 * 1024 - 1)
                    socket->abort(); // nobody we know talks this long
                return;
            }
            socket->readAll();
            if (!got.startsWith(hello)) {
                socket->abort();
                return;
            }
            socket->write(done);
            socket->flush();
            socket->disconnectFromServer();
            const QString rest = QString::fromUtf8(got.mid(hello.size()).chopped(2));
            Q_EMIT comeForward(rest.isEmpty() ? QStringList() : rest.split(u'\n'));
        });
    }
}

} // namespace quill
