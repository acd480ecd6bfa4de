#include "davclient.h"

namespace quill::caldav {

using Kind = DavError::Kind;

namespace {

QUrl folderOf(QUrl url)
{
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

bool holdsEvents(const DavResponse &r)
{
    return r.calendar && (r.components.isEmpty() || r.components.contains(QLatin1String("VEVENT")));
}

DavError noPrincipal()
{
    return DavError::make(Kind::NoCalendar,
                          QStringLiteral("a címen nem található naptárfiók (a kiszolgáló nem "
                                         "nevezte meg a felhasználó naptárainak helyét)"));
}

} // namespace

void CalDavClient::discover(const QUrl &server, Handler<Discovery> done)
{
    QUrl start = server;
    if (start.scheme().isEmpty())
        start = QUrl(QStringLiteral("https://") + server.toString());
    const bool bare = start.path().isEmpty() || start.path() == QLatin1String("/");
    auto fromStart = [this, start, done](const DavResult<Multistatus> &answer) {
        if (answer.error) {
            done({answer.error, {}});
            return;
        }
        for (const DavResponse &r : answer.value.responses) {
            const QUrl here = answer.value.url.resolved(QUrl(r.href));
            if (!r.principal.isEmpty()) {
                discoverHome(answer.value.url.resolved(QUrl(r.principal)), done);
                return;
            }
            if (!r.calendarHome.isEmpty()) {
                discoverCalendars(here, answer.value.url.resolved(QUrl(r.calendarHome)), done);
                return;
            }
            if (holdsEvents(r)) {
                done({{}, {{}, {}, {CalendarInfo{here, r.displayName}}}});
                return;
            }
        }
        done({noPrincipal(), {}});
    };
    if (!bare) {
        multistatus({"PROPFIND", start, body::principal(), 0, {}}, fromStart);
        return;
    }
    QUrl known = start;
    known.setPath(QStringLiteral("/.well-known/caldav"));
    multistatus({"PROPFIND", known, body::principal(), 0, {}},
                [this, start, fromStart](const DavResult<Multistatus> &answer) {
                    const Kind kind = answer.error.kind;
                    if (kind == Kind::NotFound || kind == Kind::Refused ||
                        kind == Kind::BadResponse || kind == Kind::Forbidden)
                        multistatus({"PROPFIND", start, body::principal(), 0, {}}, fromStart);
                    else
                        fromStart(answer);
                });
}

void CalDavClient::discoverHome(const QUrl &principal, Handler<Discovery> done)
{
    multistatus({"PROPFIND", principal, body::calendarHome(), 0, {}},
                [this, principal, done](const DavResult<Multistatus> &answer) {
                    if (answer.error) {
                        done({answer.error, {}});
                        return;
                    }
                    for (const DavResponse &r : answer.value.responses) {
                        if (!r.calendarHome.isEmpty()) {
                            discoverCalendars(
                                principal, answer.value.url.resolved(QUrl(r.calendarHome)), done);
                            return;
                        }
                    }
                    done({noPrincipal(), {}});
                });
}

void CalDavClient::discoverCalendars(const QUrl &principal, const QUrl &home,
                                     Handler<Discovery> done)
{
    multistatus({"PROPFIND", folderOf(home), body::calendars(), 1, {}},
                [principal, home, done](const DavResult<Multistatus> &answer) {
                    DavResult<Discovery> result;
                    result.error = answer.error;
                    result.value.principal = principal;
                    result.value.home = folderOf(home);
                    for (const DavResponse &r : answer.value.responses) {
                        if (!holdsEvents(r))
                            continue;
                        const QUrl url = folderOf(answer.value.url.resolved(QUrl(r.href)));
                        const QString name = r.displayName.isEmpty()
                                                 ? url.path().section(QLatin1Char('/'), -2, -2)
                                                 : r.displayName;
                        result.value.calendars << CalendarInfo{url, name};
                    }
                    done(result);
                });
}

void CalDavClient::makeCalendar(const QUrl &home, const QString &segment,
                                const QString &displayName, Handler<QUrl> done)
{
    const QUrl url = folderOf(folderOf(home).resolved(QUrl(segment)));
    send({"MKCALENDAR", url, body::makeCalendar(displayName), -1, {}},
         [url, done = std::move(done)](const Answer &answer) {
             DavResult<QUrl> result;
             result.error = answer.error ? answer.error : statusError(answer.status);
             if (answer.status == 405)
                 result.error.reason = QStringLiteral("ezen a címen már van valami (405)");
             result.value = url;
             done(result);
         });
}

} // namespace quill::caldav
