#pragma once

#include "agreement.h"
#include "listing.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace quill {

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
