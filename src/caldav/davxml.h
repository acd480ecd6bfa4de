#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace quill::caldav {

/// One <response> of a WebDAV multistatus: the resource's address as the server wrote it, the
/// response's own status where it has one (a removal in a sync report), and the properties the
/// server found (those under a 200 propstat).
struct DavResponse {
    QString href;
    int status = 0;
    QString etag;
    QString ctag;
    QString syncToken;
    QString displayName;
    bool collection = false;
    bool calendar = false;
    QStringList components;  ///< supported-calendar-component-set, empty when not given
    bool syncReport = false; ///< sync-collection among the supported reports
    QString principal;       ///< current-user-principal's href
    QString calendarHome;    ///< calendar-home-set's href
    QByteArray calendarData;
};

struct Multistatus {
    QList<DavResponse> responses;
    QString syncToken; ///< a sync report's new token
    QUrl url;          ///< where it came from, after redirects: the base of its hrefs
};

/// Limits on what the parser takes in: how deep elements nest, how many responses.
struct XmlLimits {
    int depth = 32;
    int responses = 20000;
};

/// Reads a 207 Multi-Status body; nothing when it is not one (the reason in `why`). No DTD is
/// accepted, so no entity can grow the text.
std::optional<Multistatus> parseMultistatus(const QByteArray &body, QString *why = nullptr,
                                            XmlLimits limits = {});

/// True when an error body names the DAV:valid-sync-token precondition.
bool namesInvalidSyncToken(const QByteArray &body);

/// Request bodies.
namespace body {
QByteArray collectionState();
QByteArray itemEtags();
QByteArray calendarQuery();
QByteArray multiget(const QStringList &hrefs);
QByteArray syncCollection(const QString &token);
QByteArray principal();
QByteArray calendarHome();
QByteArray calendars();
QByteArray makeCalendar(const QString &displayName);
} // namespace body

} // namespace quill::caldav
