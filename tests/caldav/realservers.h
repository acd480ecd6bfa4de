#pragma once

// Real CalDAV servers for tests: Radicale or Xandikos, started on 127.0.0.1 on a free port with
// a temporary folder, stopped when the object goes.

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace quill::test {

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

inline bool answers(quint16 port)
{
    return QTest::qWaitFor(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(200))
                return true;
            QTest::qWait(100);
            return false;
        },
        20000);
}

struct Server {
    QTemporaryDir dir;
    QProcess process;
    quint16 port = freePort();

    ~Server()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(2000);
    }
    /// `users`: Radicale's htpasswd lines ("anna:titok", plain); none: no password asked.
    bool start(const QString &which, const QByteArray &users = {})
    {
        const QString address = u"127.0.0.1"_qs;
        QStringList auth{u"--auth-type"_qs, u"none"_qs};
        if (!users.isEmpty()) {
            QFile file(dir.filePath(u"htpasswd"_qs));
            if (!file.open(QIODevice::WriteOnly) || file.write(users) != users.size())
                return false;
            file.close();
            auth = {u"--auth-type"_qs,
                    u"htpasswd"_qs,
                    u"--auth-htpasswd-filename"_qs,
                    file.fileName(),
                    u"--auth-htpasswd-encryption"_qs,
                    u"plain"_qs};
        }
        if (which == u"radicale"_qs)
            process.start(u"radicale"_qs,
                          QStringList{u"-C"_qs, QString(), u"-H"_qs,
                                      address + u':' + QString::number(port),
                                      u"--storage-filesystem-folder"_qs, dir.filePath(u"data"_qs)} +
                              auth);
        else
            process.start(u"xandikos"_qs, {u"--defaults"_qs, u"-d"_qs, dir.path(), u"-l"_qs,
                                           address, u"-p"_qs, QString::number(port)});
        return process.waitForStarted(10000) && answers(port);
    }
    QUrl url() const { return QUrl(u"http://127.0.0.1:%1"_qs.arg(port)); }
};

} // namespace quill::test
