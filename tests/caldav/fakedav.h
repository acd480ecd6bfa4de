#pragma once

// An HTTP server of the tests' own on 127.0.0.1: it reads each request whole (keep-alive
// included) and answers what the test's handler says, or nothing at all.

#include "caldav/davclient.h"

#include <QCryptographicHash>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

#include <QTest>

#include <functional>
#include <optional>

struct FakeRequest {
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;
    QByteArray header(const char *name) const { return headers.value(QByteArray(name)); }
};

struct FakeReply {
    using Headers = QList<std::pair<QByteArray, QByteArray>>;
    FakeReply(int code = 207, QByteArray content = {}, Headers extra = {}, bool never = false)
        : status(code)
        , body(std::move(content))
        , headers(std::move(extra))
        , silent(never)
    {
    }
    int status;
    QByteArray body;
    Headers headers;
    bool silent;           // never answer
    bool noLength = false; // no Content-Length: the body ends when the connection closes
};

class FakeDav : public QTcpServer {
public:
    std::function<FakeReply(const FakeRequest &)> handler;
    QList<FakeRequest> requests;

    FakeDav() { listen(QHostAddress::LocalHost, 0); }
    QByteArray base() const { return "http://127.0.0.1:" + QByteArray::number(serverPort()); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        serve(socket);
    }
    void serve(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
            socket->setProperty("buffer", buffer);
            while (takeRequest(socket)) {
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    bool takeRequest(QTcpSocket *socket)
    {
        QByteArray buffer = socket->property("buffer").toByteArray();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        FakeRequest request;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.header("content-length").toLongLong();
        if (buffer.size() < end + 4 + length)
            return false;
        request.body = buffer.mid(end + 4, length);
        socket->setProperty("buffer", buffer.mid(end + 4 + length));
        requests << request;
        const FakeReply reply = handler ? handler(request) : FakeReply{};
        if (!reply.silent)
            answer(socket, reply);
        return true;
    }
    static void answer(QTcpSocket *socket, const FakeReply &reply)
    {
        QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\n";
        for (const auto &[name, value] : reply.headers)
            out += name + ": " + value + "\r\n";
        if (reply.noLength)
            out += "Connection: close\r\n";
        else
            out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        out += "Content-Type: application/xml\r\n\r\n" + reply.body;
        socket->write(out);
        if (reply.noLength)
            socket->disconnectFromHost();
    }
};

inline QByteArray md5Hex(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

/// The value of one parameter of a Digest Authorization header.
inline QByteArray digestParameter(const QByteArray &header, const QByteArray &name)
{
    for (QByteArray part : header.mid(header.indexOf(' ') + 1).split(',')) {
        part = part.trimmed();
        if (part.startsWith(QByteArray(name + '='))) {
            QByteArray value = part.mid(name.size() + 1);
            if (value.startsWith('"'))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return {};
}

/// True when a Digest Authorization header proves `user:password` (RFC 7616, MD5, qop=auth).
inline bool digestProves(const FakeRequest &request, const QByteArray &user,
                         const QByteArray &password, const QByteArray &realm)
{
    const QByteArray header = request.header("authorization");
    if (!header.startsWith("Digest "))
        return false;
    auto p = [&](const char *name) { return digestParameter(header, name); };
    const QByteArray ha1 = md5Hex(user + ':' + realm + ':' + password);
    const QByteArray ha2 = md5Hex(request.method + ':' + p("uri"));
    const QByteArray expected = md5Hex(ha1 + ':' + p("nonce") + ':' + p("nc") + ':' + p("cnonce") +
                                       ':' + p("qop") + ':' + ha2);
    return p("username") == user && p("response") == expected;
}

/// Waits for the one answer of a client call.
template <typename T, typename Call> quill::caldav::DavResult<T> await(Call call)
{
    std::optional<quill::caldav::DavResult<T>> out;
    call([&out](const quill::caldav::DavResult<T> &r) { out = r; });
    if (!QTest::qWaitFor([&out] { return out.has_value(); }, 20000))
        return {quill::caldav::DavError::make(quill::caldav::DavError::Kind::Network,
                                              QStringLiteral("the test waited in vain")),
                {}};
    return *out;
}

/// A 207 body of the given responses.
inline QByteArray multistatus(const QByteArray &responses, const QByteArray &tail = {})
{
    return "<?xml version=\"1.0\"?>\n<d:multistatus xmlns:d=\"DAV:\" "
           "xmlns:c=\"urn:ietf:params:xml:ns:caldav\" xmlns:cs=\"http://calendarserver.org/ns/\">" +
           responses + tail + "</d:multistatus>";
}

/// One response whose properties were all found.
inline QByteArray response(const QByteArray &href, const QByteArray &props)
{
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}
