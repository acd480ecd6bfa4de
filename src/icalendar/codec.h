#pragma once

#include "events.h"

#include <QByteArray>
#include <QList>
#include <memory>

namespace quill {

/// What a calendar file held.
struct CalendarRead {
    QList<CalendarEvent> events;
    QString error; ///< the file as a whole is no calendar (in the user's words); empty when read
};

/// Writes and reads iCalendar files (RFC 5545).
class CalendarCodec {
public:
    /// Files larger than this are not read.
    static constexpr qsizetype maxBytes = 8 * 1024 * 1024;

    virtual ~CalendarCodec() = default;
    /// One calendar of the events: UTF-8, CR LF, folded lines; `name` as the calendar's title.
    virtual QByteArray write(const QList<CalendarEvent> &events, const QString &name,
                             const QDateTime &stamp) = 0;
    /// Every event of the file; components that are no events are passed over.
    virtual CalendarRead read(const QByteArray &bytes) = 0;
    /// The problems the format's own rules find in a calendar this codec wrote, one per line;
    /// empty when there are none.
    virtual QStringList problems(const QByteArray &bytes) = 0;
};

/// What the program's calendar plugin offers, so that libical is only loaded when a calendar is
/// written or read.
using CreateCalendarCodec = CalendarCodec *(*)();
inline constexpr char createCalendarCodecSymbol[] = "quillomatCreateCalendarCodec";

} // namespace quill

// The codec built on libical, declared apart, after the interface it implements.
#include "libicalcodec.h"
