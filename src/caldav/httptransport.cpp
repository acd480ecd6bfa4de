#include "httptransport.h"

#include <QAuthenticator>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

namespace quill::caldav {

using Kind = DavError::Kind;

struct HttpTransport::Pending {
    DavRequest request;
    ClientLimits limits;
    int redirectsLeft = 0;
    std::function<void(const DavAnswer &)> done;
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

} // namespace

HttpTransport::HttpTransport(QObject *parent)
    : DavTransport(parent)
    , m_network(this) // a child, so that it moves to a worker thread with the client
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

HttpTransport::~HttpTransport() = default;

void HttpTransport::setCredentials(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
    m_network.clearAccessCache();
}

void HttpTransport::send(const DavRequest &request, const ClientLimits &limits,
                         std::function<void(const DavAnswer &)> done)
{
    auto pending = std::make_shared<Pending>();
    pending->request = request;
    pending->limits = limits;
    pending->redirectsLeft = limits.redirects;
    pending->done = std::move(done);
    sendTo(pending);
}

void HttpTransport::sendTo(const std::shared_ptr<Pending> &pending)
{
    const DavRequest &request = pending->request;
    const ClientLimits &limits = pending->limits;
    QNetworkRequest out(request.url);
    out.setTransferTimeout(limits.silenceMs);
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

    pending->tooLarge = false;
    pending->overTime = false;
    pending->sslErrors.clear();
    QNetworkReply *reply = m_network.sendCustomRequest(out, request.method, request.body);
    const qint64 limit = limits.bodyBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [reply, pending, limit](qint64 received, qint64 total) {
                if (!pending->tooLarge && (received > limit || total > limit)) {
                    pending->tooLarge = true;
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::sslErrors, reply,
            [pending](const QList<QSslError> &errors) { pending->sslErrors = errors; });
    QTimer::singleShot(limits.totalMs, reply, [reply, pending] {
        pending->overTime = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, pending] { finished(reply, pending); });
}

namespace {

// The checks of a finished reply that end in an error in the user's words.
DavError replyError(QNetworkReply *reply, int status, const HttpTransport::Pending &pending)
{
    if (pending.tooLarge)
        return DavError::make(Kind::TooLarge,
                              QStringLiteral("a kiszolgáló válasza túl nagy (több mint %1 MB)")
                                  .arg(pending.limits.bodyBytes >> 20));
    if (pending.overTime)
        return DavError::make(Kind::Timeout, QStringLiteral("a kiszolgáló %1 másodperc alatt sem "
                                                            "válaszolt végig")
                                                 .arg(pending.limits.totalMs / 1000));
    if (!pending.sslErrors.isEmpty())
        return DavError::make(
            Kind::Tls, QStringLiteral("a kiszolgáló tanúsítványa nem megbízható, mert %1; ezért "
                                      "a program nem kapcsolódott hozzá, és a jelszót sem "
                                      "küldte el neki")
                           .arg(sslReason(pending.sslErrors)));
    if (status != 0)
        return {};
    DavError error = networkError(reply->error(), reply->url());
    if (error.kind == Kind::Timeout)
        error.reason = QStringLiteral("a kiszolgáló %1 másodpercig nem válaszolt")
                           .arg(pending.limits.silenceMs / 1000);
    return error;
}

} // namespace

void HttpTransport::finished(QNetworkReply *reply, const std::shared_ptr<Pending> &pending)
{
    reply->deleteLater();
    DavAnswer answer;
    answer.url = reply->url();
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.error = replyError(reply, answer.status, *pending);
    redirectOrAnswer(reply, pending, std::move(answer));
}

void HttpTransport::redirectOrAnswer(QNetworkReply *reply, const std::shared_ptr<Pending> &pending,
                                     DavAnswer answer)
{
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
            pending->request.url = target;
            --pending->redirectsLeft;
            sendTo(pending);
            return;
        }
    }
    if (!answer.error) {
        answer.body = reply->readAll();
        answer.etag = reply->rawHeader("ETag");
    }
    pending->done(answer);
}

} // namespace quill::caldav
