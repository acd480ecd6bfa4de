#pragma once

#include "agreement.h"

#include <QList>

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

} // namespace quill
