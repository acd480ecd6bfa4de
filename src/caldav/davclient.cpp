#include "davclient.h"

#include "platform/pluginentry.h"

#include <QCoreApplication>
#include <QMutex>

namespace quill::caldav {

using Kind = DavError::Kind;

namespace {

QString normalHref(const QUrl &base, const QString &href)
{
    return base.resolved(QUrl(href)).path(QUrl::FullyEncoded);
}

DavError badAnswer(const QString &why)
{
    return DavError::make(Kind::BadResponse,
                          QStringLiteral("a kiszolgáló válasza nem értelmezhető: %1").arg(why));
}

QMutex &pluginMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &pluginPath()
{
    static QString path;
    return path;
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
{
}

CalDavClient::~CalDavClient() = default;

void CalDavClient::setTransportPlugin(const QString &path)
{
    const QMutexLocker lock(&pluginMutex());
    pluginPath() = path;
}

void CalDavClient::setCredentials(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
    if (m_transport)
        m_transport->setCredentials(user, password);
}

DavTransport *CalDavClient::transport(QString *why)
{
    if (m_transport)
        return m_transport.get();
    QString path;
    {
        const QMutexLocker lock(&pluginMutex());
        path = pluginPath();
    }
    if (path.isEmpty())
        path = QCoreApplication::applicationDirPath() + QStringLiteral("/libquillomat-dav.so");
    QString reason;
    const auto create =
        reinterpret_cast<CreateDavTransport>(pluginEntry(path, createDavTransportSymbol, &reason));
    if (!create) {
        *why = QStringLiteral("a hálózati bővítmény (libquillomat-dav.so) nem tölthető be: %1")
                   .arg(reason);
        return nullptr;
    }
    m_transport.reset(create(this));
    m_transport->setCredentials(m_user, m_password);
    return m_transport.get();
}

void CalDavClient::send(const Request &request, std::function<void(const Answer &)> done)
{
    ++m_sent;
    QString why;
    if (DavTransport *http = transport(&why)) {
        http->send(request, m_limits, std::move(done));
        return;
    }
    Answer answer;
    answer.url = request.url;
    answer.error = DavError::make(Kind::Network, why);
    // Answered later, as every request is.
    QMetaObject::invokeMethod(
        this, [done = std::move(done), answer] { done(answer); }, Qt::QueuedConnection);
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
