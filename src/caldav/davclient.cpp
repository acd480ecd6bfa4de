#include "davclient.h"

#include <QAuthenticator>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

namespace quill::caldav {

using Kind = DavError::Kind;

struct CalDavClient::Pending {
    Request request;
    int redirectsLeft = 0;
    std::function<void(const Answer &)> done;
    bool tooLarge = false;
    bool overTime = false;
    QList<QSslError> sslErrors;
};

namespace {

const char triedCredentials[] = "quillTriedCredentials";

// Why the certificate is not trusted, as the end of "the certificate is not trusted, because …".
QString sslReason(const QList<QSslError> &errors)
{
    for (const QSslError &e : errors) {
        switch (e.error()) {
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
            return QStringLiteral("saját aláírású, és egyetlen ismert hitelesítő sem igazolja");
        case QSslError::CertificateExpired:
            return QStringLiteral("lejárt");
        case QSslError::CertificateNotYetValid:
            return QStringLiteral("még nem érvényes");
        case QSslError::HostNameMismatch:
            return QStringLiteral("más gép nevére szól");
        case QSslError::CertificateRevoked:
            return QStringLiteral("visszavonták");
        default:
            break;
        }
    }
    return QStringLiteral("ismeretlen hitelesítő adta ki");
}

DavError networkError(QNetworkReply::NetworkError error, const QUrl &url)
{
    const QString host = url.host();
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return DavError::make(Kind::Network,
                              QStringLiteral("a(z) %1 gép nem fogadja a kapcsolatot (nem fut ott "
                                             "naptárkiszolgáló, vagy rossz a port)")
                                  .arg(host));
    case QNetworkReply::HostNotFoundError:
        return DavError::make(
            Kind::Network,
            QStringLiteral("nincs ilyen gép: %1 (elírt cím, vagy nincs hálózat)").arg(host));
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return DavError::make(Kind::Timeout, QStringLiteral("a kiszolgáló nem válaszolt"));
    case QNetworkReply::RemoteHostClosedError:
        return DavError::make(Kind::Network,
                              QStringLiteral("a kiszolgáló válasz nélkül bontotta a kapcsolatot"));
    case QNetworkReply::SslHandshakeFailedError:
        return DavError::make(Kind::Tls,
                              QStringLiteral("nem sikerült titkosított kapcsolatot létesíteni a "
                                             "kiszolgálóval"));
    case QNetworkReply::ProtocolUnknownError:
        return DavError::make(Kind::Refused,
                              QStringLiteral("a cím nem http:// vagy https:// kezdetű"));
    default:
        return DavError::make(
            Kind::Network,
            QStringLiteral("hálózati hiba a(z) %1 géppel (%2)").arg(host).arg(int(error)));
    }
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString normalHref(const QUrl &base, const QString &href)
{
    return base.resolved(QUrl(href)).path(QUrl::FullyEncoded);
}

DavError badAnswer(const QString &why)
{
    return DavError::make(Kind::BadResponse,
                          QStringLiteral("a kiszolgáló válasza nem értelmezhető: %1").arg(why));
}

} // namespace

bool unchangedSince(const CollectionState &now, const CollectionState &before)
{
    if (!now.syncToken.isEmpty() && now.syncToken == before.syncToken)
        return true;
    return now.syncToken.isEmpty() && !now.ctag.isEmpty() && now.ctag == before.ctag;
}

CalDavClient::CalDavClient(QObject *parent)
    : QObject(parent)
    , m_network(this) // a child, so that the client moves to a worker thread whole
{
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_network.setAutoDeleteReplies(false);
    connect(&m_network, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *auth) {
                if (m_user.isEmpty() || reply->property(triedCredentials).toBool())
                    return; // refused once: the answer is the 401
                reply->setProperty(triedCredentials, true);
                auth->setUser(m_user);
                auth->setPassword(m_password);
            });
}

CalDavClient::~CalDavClient() = default;

void CalDavClient::setCredentials(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
    m_network.clearAccessCache();
}

void CalDavClient::send(const Request &request, std::function<void(const Answer &)> done)
{
    ++m_sent;
    sendTo(request, m_limits.redirects, std::move(done));
}

void CalDavClient::sendTo(const Request &request, int redirectsLeft,
                          std::function<void(const Answer &)> done)
{
    QNetworkRequest out(request.url);
    out.setTransferTimeout(m_limits.silenceMs);
    out.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    out.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Quillomat"));
    if (!request.body.isEmpty()) {
        const bool ics = request.body.startsWith("BEGIN:VCALENDAR");
        out.setHeader(QNetworkRequest::ContentTypeHeader,
                      ics ? QByteArrayLiteral("text/calendar; charset=utf-8")
                          : QByteArrayLiteral("application/xml; charset=utf-8"));
    }
    if (request.depth >= 0)
        out.setRawHeader("Depth", QByteArray::number(request.depth));
    for (const auto &[name, value] : request.headers)
        out.setRawHeader(name, value);

    auto pending = std::make_shared<Pending>();
    pending->request = request;
    pending->redirectsLeft = redirectsLeft;
    pending->done = std::move(done);
    QNetworkReply *reply = m_network.sendCustomRequest(out, request.method, request.body);
    const qint64 limit = m_limits.bodyBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [reply, pending, limit](qint64 received, qint64 total) {
                if (!pending->tooLarge && (received > limit || total > limit)) {
                    pending->tooLarge = true;
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::sslErrors, reply,
            [pending](const QList<QSslError> &errors) { pending->sslErrors = errors; });
    QTimer::singleShot(m_limits.totalMs, reply, [reply, pending] {
        pending->overTime = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, pending] { finished(reply, pending); });
}

void CalDavClient::finished(QNetworkReply *reply, const std::shared_ptr<Pending> &pending)
{
    reply->deleteLater();
    Answer answer;
    answer.url = reply->url();
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (pending->tooLarge) {
        answer.error = DavError::make(
            Kind::TooLarge, QStringLiteral("a kiszolgáló válasza túl nagy (több mint %1 MB)")
                                .arg(m_limits.bodyBytes >> 20));
    } else if (pending->overTime) {
        answer.error =
            DavError::make(Kind::Timeout, QStringLiteral("a kiszolgáló %1 másodperc alatt sem "
                                                         "válaszolt végig")
                                              .arg(m_limits.totalMs / 1000));
    } else if (!pending->sslErrors.isEmpty()) {
        answer.error = DavError::make(
            Kind::Tls, QStringLiteral("a kiszolgáló tanúsítványa nem megbízható, mert %1; ezért "
                                      "a program nem kapcsolódott hozzá, és a jelszót sem "
                                      "küldte el neki")
                           .arg(sslReason(pending->sslErrors)));
    } else if (answer.status == 0) {
        answer.error = networkError(reply->error(), answer.url);
        if (answer.error.kind == Kind::Timeout)
            answer.error.reason = QStringLiteral("a kiszolgáló %1 másodpercig nem válaszolt")
                                      .arg(m_limits.silenceMs / 1000);
    }
    if (!answer.error && isRedirect(answer.status)) {
        const QByteArray location = reply->rawHeader("Location");
        const QUrl target = answer.url.resolved(QUrl::fromEncoded(location));
        const bool lessSafe = answer.url.scheme() == QLatin1String("https") &&
                              target.scheme() != QLatin1String("https");
        if (location.isEmpty() || pending->redirectsLeft <= 0 || lessSafe || !target.isValid()) {
            answer.error =
                DavError::make(Kind::Redirects,
                               lessSafe ? QStringLiteral("a kiszolgáló titkosítatlan címre "
                                                         "irányított át")
                                        : QStringLiteral("a kiszolgáló túl sokszor irányított "
                                                         "át (%1)")
                                              .arg(answer.status),
                               answer.status);
        } else {
            Request next = pending->request;
            next.url = target;
            sendTo(next, pending->redirectsLeft - 1, std::move(pending->done));
            return;
        }
    }
    if (!answer.error) {
        answer.body = reply->readAll();
        answer.etag = reply->rawHeader("ETag");
    }
    pending->done(answer);
}

namespace {

// An answer that is no multistatus: what the call answers, without reading a body.
DavResult<Multistatus> unreadAnswer(const CalDavClient::Answer &answer)
{
    DavResult<Multistatus> result;
    if (answer.error) {
        result.error = answer.error;
        return result;
    }
    result.error =
        answer.status >= 200 && answer.status < 300
            ? badAnswer(QStringLiteral("nem többes állapotválasz (%1)").arg(answer.status))
            : statusError(answer.status);
    if ((answer.status == 403 || answer.status == 409) && namesInvalidSyncToken(answer.body))
        result.error.kind = Kind::TokenExpired;
    return result;
}

} // namespace

template <typename T>
void CalDavClient::readAnswer(const Request &request, Shape<T> shape, Handler<T> done)
{
    send(request, [this, shape = std::move(shape), done = std::move(done)](const Answer &answer) {
        if (answer.error || answer.status != 207)
            return done(shape(unreadAnswer(answer)));
        // Read on a worker: a large calendar's answer takes tens of milliseconds to read.
        m_readers.start(
            [this, parser = m_parser, shape, done, body = answer.body, url = answer.url]() mutable {
                DavResult<Multistatus> read;
                QString why;
                if (auto parsed = parser(body, &why)) {
                    read.value = std::move(*parsed);
                    read.value.url = url;
                } else {
                    read.error = badAnswer(why);
                }
                body = {};
                DavResult<T> result = shape(read);
                QMetaObject::invokeMethod(
                    this, [done = std::move(done), result = std::move(result)] { done(result); },
                    Qt::QueuedConnection);
            });
    });
}

void CalDavClient::multistatus(const Request &request, Handler<Multistatus> done)
{
    readAnswer<Multistatus>(
        request, [](const DavResult<Multistatus> &read) { return read; }, std::move(done));
}

void CalDavClient::state(const QUrl &collection, Handler<CollectionState> done)
{
    readAnswer<CollectionState>(
        {"PROPFIND", collection, body::collectionState(), 0, {}},
        [collection](const DavResult<Multistatus> &answer) {
            DavResult<CollectionState> result;
            result.error = answer.error;
            if (!answer.error) {
                const QString self = collection.path(QUrl::FullyEncoded);
                for (const DavResponse &r : answer.value.responses) {
                    if (answer.value.responses.size() > 1 && normalHref(collection, r.href) != self)
                        continue;
                    result.value = {r.displayName, r.ctag, r.syncToken, r.calendar, r.syncReport};
                    break;
                }
            }
            return result;
        },
        std::move(done));
}

void CalDavClient::items(const Request &request, const QUrl &collection,
                         Handler<QList<DavItem>> done)
{
    readAnswer<QList<DavItem>>(
        request,
        [collection](const DavResult<Multistatus> &answer) {
            DavResult<QList<DavItem>> result;
            result.error = answer.error;
            const QString self = collection.path(QUrl::FullyEncoded);
            for (const DavResponse &r : answer.value.responses) {
                const QString href = normalHref(collection, r.href);
                if (href == self || r.collection || (r.status >= 300 && r.etag.isEmpty()))
                    continue;
                result.value << DavItem{href, r.etag, r.calendarData};
            }
            return result;
        },
        std::move(done));
}

void CalDavClient::listing(const QUrl &collection, Handler<QList<DavItem>> done)
{
    items({"PROPFIND", collection, body::itemEtags(), 1, {}}, collection, std::move(done));
}

void CalDavClient::fetchAll(const QUrl &collection, Handler<QList<DavItem>> done)
{
    items({"REPORT", collection, body::calendarQuery(), 1, {}}, collection, std::move(done));
}

void CalDavClient::fetch(const QUrl &collection, const QStringList &hrefs,
                         Handler<QList<DavItem>> done)
{
    if (hrefs.isEmpty()) {
        done({});
        return;
    }
    items({"REPORT", collection, body::multiget(hrefs), 1, {}}, collection, std::move(done));
}

void CalDavClient::changesSince(const QUrl &collection, const QString &token,
                                Handler<SyncDelta> done)
{
    readAnswer<SyncDelta>(
        {"REPORT", collection, body::syncCollection(token), 0, {}},
        [collection](const DavResult<Multistatus> &answer) {
            DavResult<SyncDelta> result;
            result.error = answer.error;
            result.value.token = answer.value.syncToken;
            const QString self = collection.path(QUrl::FullyEncoded);
            for (const DavResponse &r : answer.value.responses) {
                const QString href = normalHref(collection, r.href);
                if (href == self)
                    continue;
                if (r.status == 404 || r.status == 410)
                    result.value.removed << href;
                else if (!r.collection)
                    result.value.changed << DavItem{href, r.etag, {}};
            }
            if (!result.error && result.value.token.isEmpty())
                result.error = badAnswer(QStringLiteral("nincs új szinkronjel"));
            return result;
        },
        std::move(done));
}

void CalDavClient::putItem(const QUrl &item, const QByteArray &condition, const QByteArray &value,
                           const QByteArray &ics, Handler<QString> done)
{
    send({"PUT", item, ics, -1, {{condition, value}}},
         [done = std::move(done)](const Answer &answer) {
             DavResult<QString> result;
             result.error = answer.error ? answer.error : statusError(answer.status);
             result.value = QString::fromUtf8(answer.etag);
             done(result);
         });
}

void CalDavClient::create(const QUrl &item, const QByteArray &ics, Handler<QString> done)
{
    putItem(item, "If-None-Match", "*", ics, std::move(done));
}

void CalDavClient::replace(const QUrl &item, const QString &etag, const QByteArray &ics,
                           Handler<QString> done)
{
    putItem(item, "If-Match", etag.toUtf8(), ics, std::move(done));
}

void CalDavClient::remove(const QUrl &item, const QString &etag, Handler<bool> done)
{
    send({"DELETE", item, {}, -1, {{"If-Match", etag.toUtf8()}}},
         [done = std::move(done)](const Answer &answer) {
             DavResult<bool> result;
             result.error = answer.error ? answer.error : statusError(answer.status);
             if (result.error.kind == Kind::NotFound)
                 result.error = {};
             result.value = !result.error;
             done(result);
         });
}

} // namespace quill::caldav
