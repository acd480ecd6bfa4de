#pragma once

#include "daverror.h"
#include "davxml.h"
#include "transport.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QUrl>

#include <functional>
#include <memory>

namespace quill::caldav {

/// What a calendar collection says of itself: its name and the marks that change whenever any
/// item in it does (the ctag, and the sync-token where the server offers sync reports).
struct CollectionState {
    QString displayName;
    QString ctag;
    QString syncToken;
    bool calendar = false;
    bool syncReport = false; ///< the server answers sync-collection reports here
};

/// True when the collection is known not to have changed since `before` was read.
bool unchangedSince(const CollectionState &now, const CollectionState &before);

/// An item of the collection: its address (the path, percent-encoded as the client sends it)
/// and its entity tag; with its iCalendar text when fetched.
struct DavItem {
    QString href;
    QString etag;
    QByteArray data;
};

/// What changed in the collection since a sync-token: the new token, the items added or
/// changed (without their text), the addresses of those removed.
struct SyncDelta {
    QString token;
    QList<DavItem> changed;
    QStringList removed;
};

/// A calendar of the account, as discovery lists it.
struct CalendarInfo {
    QUrl url;
    QString displayName;
};

/// Where discovery found the account: its principal, its calendar home, and its calendars that
/// hold events.
struct Discovery {
    QUrl principal;
    QUrl home;
    QList<CalendarInfo> calendars;
};

/// A CalDAV client of the program's own: every call goes out asynchronously and answers once,
/// through its handler, with a value or a DavError that says why in the user's words. HTTP Basic
/// and Digest are answered with the account's user and password (once: refused credentials are
/// an error, not a loop); TLS uses the system's certificates and an untrusted one is refused.
/// The client may be moved to a worker thread: it sends, parses and answers on its own thread.
/// Its HTTP is the network plugin's (`libquillomat-dav.so`), loaded with the first request; a
/// plugin that cannot be loaded makes every request a Network error that says why.
class CalDavClient final : public QObject {
    Q_OBJECT
public:
    template <typename T> using Handler = std::function<void(const DavResult<T> &)>;

    explicit CalDavClient(QObject *parent = nullptr);
    ~CalDavClient() override;

    /// Where the network plugin lies; beside the executable unless told (the program tells it
    /// once, at start). For every client, from its next first request on.
    static void setTransportPlugin(const QString &path);

    void setCredentials(const QString &user, const QString &password);
    void setLimits(const ClientLimits &limits) { m_limits = limits; }
    const ClientLimits &limits() const { return m_limits; }
    /// Requests sent so far, redirects and credential retries not counted twice.
    int requestsSent() const { return m_sent; }
    /// What reads a multistatus answer (parseMultistatus unless told otherwise).
    using Parser = std::function<std::optional<Multistatus>(const QByteArray &, QString *)>;
    void setParser(Parser parser) { m_parser = std::move(parser); }

    /// PROPFIND, depth 0: the collection's name, ctag and sync-token.
    void state(const QUrl &collection, Handler<CollectionState> done);
    /// PROPFIND, depth 1: every item's address and entity tag.
    void listing(const QUrl &collection, Handler<QList<DavItem>> done);
    /// REPORT calendar-query: every event with its text.
    void fetchAll(const QUrl &collection, Handler<QList<DavItem>> done);
    /// REPORT calendar-multiget: the named items with their text.
    void fetch(const QUrl &collection, const QStringList &hrefs, Handler<QList<DavItem>> done);
    /// REPORT sync-collection: what changed since `token` (TokenExpired when the server forgot
    /// it; then the listing is read again).
    void changesSince(const QUrl &collection, const QString &token, Handler<SyncDelta> done);

    /// PUT of a new item (If-None-Match: *); the answer is its new entity tag when the server
    /// told it (else empty). An item already there is a Conflict.
    void create(const QUrl &item, const QByteArray &ics, Handler<QString> done);
    /// PUT over the item whose entity tag is `etag` (If-Match); Conflict when it changed there.
    void replace(const QUrl &item, const QString &etag, const QByteArray &ics,
                 Handler<QString> done);
    /// DELETE of the item whose entity tag is `etag` (If-Match); one already gone is no error.
    void remove(const QUrl &item, const QString &etag, Handler<bool> done);

    /// From a server's address (or its host alone) to the account's calendars:
    /// /.well-known/caldav, the current user's principal, its calendar home, the calendars in it.
    void discover(const QUrl &server, Handler<Discovery> done);
    /// MKCALENDAR of a calendar for events in `home`, named `segment`, shown as `displayName`.
    void makeCalendar(const QUrl &home, const QString &segment, const QString &displayName,
                      Handler<QUrl> done);

    using Answer = DavAnswer;
    using Request = DavRequest;
    /// One request, redirects followed, credentials given, limits kept.
    void send(const Request &request, std::function<void(const Answer &)> done);

private:
    /// The transport, from the plugin at the first call; null, with `why`, when it cannot load.
    DavTransport *transport(QString *why);
    /// A request whose answer must be a 207 multistatus.
    void multistatus(const Request &request, Handler<Multistatus> done);
    /// The same, the answer read and then shaped into what the call answers on a worker; the
    /// handler is called on the client's thread.
    template <typename T> using Shape = std::function<DavResult<T>(const DavResult<Multistatus> &)>;
    template <typename T> void readAnswer(const Request &request, Shape<T> shape, Handler<T> done);
    void items(const Request &request, const QUrl &collection, Handler<QList<DavItem>> done);
    void putItem(const QUrl &item, const QByteArray &condition, const QByteArray &value,
                 const QByteArray &ics, Handler<QString> done);
    void discoverHome(const QUrl &principal, Handler<Discovery> done);
    void discoverCalendars(const QUrl &principal, const QUrl &home, Handler<Discovery> done);

    std::unique_ptr<DavTransport> m_transport; // also the client's child: it moves along
    QString m_user;
    QString m_password;
    ClientLimits m_limits;
    int m_sent = 0;
    Parser m_parser = [](const QByteArray &body, QString *why) {
        return parseMultistatus(body, why);
    };
    // Last, so that it goes first: an answer being read is done before the client goes.
    QThreadPool m_readers;
};

} // namespace quill::caldav
