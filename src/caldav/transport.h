#pragma once

#include "daverror.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>
#include <utility>

namespace quill::caldav {

/// How far the client goes before it gives up.
struct ClientLimits {
    int silenceMs = 30000;       ///< no byte for this long: the server is silent
    int totalMs = 120000;        ///< one request, from start to end
    qint64 bodyBytes = 32 << 20; ///< the largest answer taken in
    int redirects = 5;           ///< redirects followed for one request
};

/// One HTTP request to the calendar server.
struct DavRequest {
    QByteArray method;
    QUrl url;
    QByteArray body;
    int depth = -1;
    QList<std::pair<QByteArray, QByteArray>> headers;
};

/// What came back: a transport fault (the status is the caller's to judge), or the status, the
/// body and the entity tag, with the address it came from after redirects.
struct DavAnswer {
    DavError error;
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QUrl url;
};

/// The HTTP under the CalDAV client, kept in a plugin of the program's own
/// (`libquillomat-dav.so`) so that Qt Network is loaded only with the first request. It lives on
/// its client's thread, as the client's child, and answers every request once, on that thread.
class DavTransport : public QObject {
public:
    using QObject::QObject;
    /// The account's user and password, given once when a server asks (refused ones are an
    /// answer, not a loop); connections made with earlier ones are not reused.
    virtual void setCredentials(const QString &user, const QString &password) = 0;
    /// One request, redirects followed and the limits kept.
    virtual void send(const DavRequest &request, const ClientLimits &limits,
                      std::function<void(const DavAnswer &)> done) = 0;
};

/// The plugin's entry point: a transport, the child of `parent` on its thread.
using CreateDavTransport = DavTransport *(*)(QObject *parent);
inline constexpr char createDavTransportSymbol[] = "quillomatCreateDavTransport";

} // namespace quill::caldav
