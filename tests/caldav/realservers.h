#pragma once

// Real CalDAV servers for tests: Radicale or Xandikos, started on 127.0.0.1 on a free port with
// a temporary folder, stopped when the object goes. Radicale can serve https with a self-signed
// certificate of its own, made by openssl in that folder, and keep a log of the requests it gets.

#include <QFile>
#include <QProcess>
#include <QSslSocket>
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
    bool tls = false;    ///< Radicale over https, with a certificate nobody trusts
    QByteArray received; ///< what Radicale logged (its debug log names every request)

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
        if (which == u"radicale"_qs) {
            QStringList https;
            if (tls && !makeCertificate(https))
                return false;
            process.setProcessChannelMode(QProcess::MergedChannels);
            QObject::connect(&process, &QProcess::readyRead, &process,
                             [this] { received += process.readAll(); });
            process.start(u"radicale"_qs,
                          QStringList{u"-C"_qs, QString(), u"-D"_qs, u"-H"_qs,
                                      address + u':' + QString::number(port),
                                      u"--storage-filesystem-folder"_qs, dir.filePath(u"data"_qs)} +
                              auth + https);
        } else
            process.start(u"xandikos"_qs, {u"--defaults"_qs, u"-d"_qs, dir.path(), u"-l"_qs,
                                           address, u"-p"_qs, QString::number(port)});
        return process.waitForStarted(10000) && answers(port);
    }
    QUrl url() const
    {
        return QUrl((tls ? u"https://127.0.0.1:%1"_qs : u"http://127.0.0.1:%1"_qs).arg(port));
    }
    /// The requests Radicale logged (its debug log has a line for each one).
    qsizetype requests() const { return received.count(" request for "); }

    /// One request that takes the certificate as it is, with a password, logged like any other:
    /// a log without the program's requests proves nothing unless it shows this one.
    bool knock()
    {
        const qsizetype before = requests();
        QSslSocket socket;
        socket.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket.connectToHostEncrypted(u"127.0.0.1"_qs, port);
        if (!socket.waitForEncrypted(10000))
            return false;
        socket.write("OPTIONS / HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                     "Authorization: Basic YW5uYTp0aXRvaw==\r\nConnection: close\r\n\r\n");
        socket.waitForReadyRead(10000);
        return QTest::qWaitFor([this, before] { return requests() > before; }, 10000);
    }

private:
    bool makeCertificate(QStringList &arguments)
    {
        const QString certificate = dir.filePath(u"cert.pem"_qs), key = dir.filePath(u"key.pem"_qs);
        QProcess openssl;
        openssl.start(u"openssl"_qs, {u"req"_qs, u"-x509"_qs, u"-newkey"_qs, u"rsa:2048"_qs,
                                      u"-nodes"_qs, u"-subj"_qs, u"/CN=127.0.0.1"_qs, u"-days"_qs,
                                      u"1"_qs, u"-keyout"_qs, key, u"-out"_qs, certificate});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
            return false;
        arguments = {u"--ssl"_qs, u"True"_qs, u"--certificate"_qs, certificate, u"--key"_qs, key};
        return true;
    }
};

} // namespace quill::test
