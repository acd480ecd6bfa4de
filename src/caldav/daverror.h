#pragma once

#include <QString>

namespace quill::caldav {

/// Why a request to the calendar server failed: the kind a program acts on, the HTTP status where
/// there was one, and the reason in the user's words.
struct DavError {
    enum class Kind {
        None,
        Network,      ///< no connection, or it broke
        Timeout,      ///< the server went silent
        Tls,          ///< the server's certificate is not trusted
        Auth,         ///< 401: user or password refused
        Forbidden,    ///< 403
        NotFound,     ///< 404 or 410
        Conflict,     ///< 412: changed on the server too
        TokenExpired, ///< the sync-token is no longer valid: list the collection again
        Server,       ///< 5xx
        Refused,      ///< any other status the request cannot go on with
        TooLarge,     ///< the answer is larger than the client accepts
        BadResponse,  ///< not the answer a CalDAV server gives
        Redirects,    ///< too many redirects, or one to a less safe address
        NoCalendar,   ///< discovery found no calendar
    };
    Kind kind = Kind::None;
    int status = 0;
    QString reason;

    explicit operator bool() const { return kind != Kind::None; }
    static DavError make(Kind kind, QString reason, int status = 0)
    {
        return {kind, status, std::move(reason)};
    }
};

/// The error an HTTP status means, none for 2xx.
DavError statusError(int status);

/// An answer that is either a value or an error.
template <typename T> struct DavResult {
    DavError error;
    T value{};
    bool ok() const { return !error; }
};

} // namespace quill::caldav
