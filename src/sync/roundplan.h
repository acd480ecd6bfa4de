#pragma once

#include "calendar/tradition.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <system_error>

namespace quill {

class CalendarCodec;
class ReminderIds;
class ReminderTable;

/// A row of the book as a round sees it: where it is, its UID, and the row's text as rows are
/// compared (the row number left out).
struct BookRow {
    int row = -1;
    QString uid;
    QString line;
    QString title; ///< for messages
    /// The leap-day rule its event is written by, when the rule shapes it (a birthday on
    /// 29 February); none when the event is the same by either rule.
    std::optional<LeapDayRule> shapedBy;
};

/// An item of the calendar as the server lists it: its address and entity tag, its UID, the row
/// it brings into the book (none when it fits no row: `problem` says why), the exact row it
/// carries from the program that wrote it (empty when none), and its title for messages.
struct ListedItem {
    QString href;
    QString etag;
    QString uid;
    std::optional<QString> line;
    QString ownLine;
    QString title;
    QString problem;
    QString note; ///< what of the event its row does not follow (see FittedEvent::note)
};

/// What the last round agreed on with one calendar, per UID: the item's address, its entity tag,
/// and the row both sides held then. An agreement belongs to one data file and one calendar
/// address; with another address it says nothing.
struct Agreement {
    struct Entry {
        QString href;
        QString etag;
        QString line;
        bool operator==(const Entry &) const = default;
    };
    QString calendar;
    QString ctag;      ///< the collection's marks when the agreement was made: a round that
    QString syncToken; ///< finds them unchanged asks nothing more
    QHash<QString, Entry> entries;
    /// Items the book had no room for, per UID: the row each brings. Their entries hold no row
    /// (known there, not here); the user was told of them with their tags.
    QHash<QString, QString> waiting;
    /// The leap-day rule the calendar's events were written by; none when not known.
    std::optional<LeapDayRule> leapDay;
    bool operator==(const Agreement &) const = default;
};

/// The book's rows in use that have a UID, as a round compares them; their events written by
/// the leap-day rule `leapDay`.
QList<BookRow> bookRows(const ReminderTable &table, const ReminderIds &ids, LeapDayRule leapDay);

/// An item of the calendar read with the codec: the row its event fits, or why none; none at all
/// for an item that holds no event (a task, a journal entry). `leapDay`: where a birthday on
/// 29 February is kept in common years. An event whose last writer dropped the program's own
/// properties (a phone) is read against the row `agreed` holds for its UID.
std::optional<ListedItem> listedItem(const QString &href, const QString &etag,
                                     const QByteArray &ics, CalendarCodec &codec,
                                     LeapDayRule leapDay, const Agreement &agreed = {});

/// The file of the agreement with `calendar` in the sync folder `root`: one file per address.
QString agreementPath(const QString &root, const QString &calendar);
QByteArray encodeAgreement(const Agreement &agreement);
/// None when `bytes` is not an agreement.
std::optional<Agreement> decodeAgreement(const QByteArray &bytes);
/// The agreement kept at `path` with `calendar`; an empty one with that address when there is
/// none, or the file is damaged or was made with another address (an empty agreement deletes
/// nothing on either side).
Agreement loadAgreement(const QString &path, const QString &calendar);
/// Writes the agreement whole or not at all; returns the reason of a failure.
std::error_code saveAgreement(const QString &path, const Agreement &agreement);

/// One step of a round.
struct RoundAction {
    enum class Kind {
        Take,      ///< a reminder into a free row of the book (`uid` empty: under a new UID)
        Overwrite, ///< the book's `row` takes the server's `line`
        Clear,     ///< the book's `row` is deleted: the item was deleted there
        Adopt,     ///< the book's `row` is the server's item: it takes the item's `uid`
        Create,    ///< the book's `row` goes to the server as a new item (If-None-Match: *)
        Update,    ///< the book's `row` goes over the item `href` whose tag is `etag` (If-Match)
        Remove,    ///< the item `href` is deleted on the server (If-Match: `etag`)
        Hold,      ///< the item fits no row: left as it is on the server, its row in the book too
        Agree,     ///< both sides already hold `line`: only the agreement learns the new tag
    };
    Kind kind = Kind::Agree;
    int row = -1;
    QString uid;
    QString href;
    QString etag;
    QString line;
    bool operator==(const RoundAction &) const = default;
};

struct RoundPlan {
    QList<RoundAction> actions;
    QStringList conflicts; ///< reminders changed on both sides, each told with its title
    QStringList leftOut;   ///< items that fit no row, each with the reason
    /// Items taken that found no room at an earlier round and did not change since: if they
    /// find none again, that is not told again.
    QSet<QString> toldWithoutRoom;
};

/// Compares the book, the calendar's listing and the last agreement with `calendar`. What changed
/// on one side only goes to the other; what changed on both sides is kept in both versions; an
/// item deleted on one side is deleted on the other unless it changed there since; an agreement
/// with another address deletes nothing; a row of the book with a UID the calendar does not know
/// is recognised by its exact row among the calendar's items instead of being sent twice; an
/// item that fits no row keeps its reminder in the book and the reminder's later changes and
/// deletion still go to the server. A row whose event the leap-day rule shapes goes over its item
/// again when the agreement's events were written by another rule (or an unknown one).
RoundPlan planRound(const QList<BookRow> &book, const Agreement &last, const QString &calendar,
                    const QList<ListedItem> &listing);

} // namespace quill
