#pragma once

#include "reminderids.h"
#include "roundplan.h"

#include <QDate>
#include <QSet>
#include <QUrl>

#include <functional>

namespace quill {

class CalendarCodec;

/// The calendar's items as the agreement remembers them, for a collection that did not change
/// since: their rows and tags, no text fetched.
QList<ListedItem> agreedItems(const Agreement &agreement);

/// The items of a listing (address and tag) that the agreement does not already hold with the
/// same tag: these are fetched, the rest is taken from the agreement.
struct ListingSplit {
    QList<ListedItem> known;
    QStringList fetch;
};
ListingSplit splitListing(const Agreement &agreement,
                          const QList<std::pair<QString, QString>> &items);

/// An agreement taken over from an earlier version of the program, whose rows carry no address
/// and no tag: an item that still holds the agreed row gets its address and tag, so it counts as
/// unchanged there.
void settleTakenOver(Agreement &agreement, const QList<ListedItem> &listing);

/// What the book-side steps of a plan did.
struct BookOutcome {
    bool changed = false;
    int incoming = 0;          ///< reminders added, changed or deleted by the other side
    bool newReminders = false; ///< a version kept in both came in under a new UID
    QStringList leftOut;
    QSet<QString> untaken; ///< UIDs of items that found no room in the book
};

/// Carries out the plan's steps that change the book (Take, Overwrite, Clear, Adopt), the UIDs
/// of the rows with them.
BookOutcome applyToBook(ReminderBook &book, ReminderIds &ids, const RoundPlan &plan,
                        const QDate &today);

/// What plans a round (planRound) and what carries its steps out on the book (applyToBook):
/// replaceable, so that a test can see where they run.
using RoundPlanner = std::function<RoundPlan(const QList<BookRow> &, const Agreement &,
                                             const QString &, const QList<ListedItem> &)>;
using BookApplier =
    std::function<BookOutcome(ReminderBook &, ReminderIds &, const RoundPlan &, const QDate &)>;

/// A step that goes to the calendar, with the event that Create and Update write.
struct OutgoingItem {
    RoundAction action;
    QByteArray ics;
};

/// The plan's steps on the calendar's side (Create, Update, Remove) in order, the events of
/// Create and Update written through `codec` from the rows of `table` their UIDs name in `ids`
/// (a row whose alert never comes sends nothing); none when the codec writes nothing (its
/// library could not be loaded).
std::optional<QList<OutgoingItem>> outgoingItems(const RoundPlan &plan, const ReminderTable &table,
                                                 const ReminderIds &ids, CalendarCodec &codec,
                                                 LeapDayRule leapDay);

/// A round's work once the calendar is listed, done on a worker from a copy of the book: the
/// plan, the book as its steps leave it (the rows' UIDs given with them), the agreement those
/// steps make, and the calendar's steps with their events written. Only taking the rows over
/// and saving them are left to the book's own thread.
struct RoundWork {
    // What the work starts from.
    QList<ListedItem> listing; ///< as the calendar listed it
    ReminderBook book;         ///< a copy of the book; after the work, as the plan leaves it
    Agreement last;            ///< the last agreement; settled with the listing when taken over
    bool takenOver = false;
    QString calendar;
    QDate today;
    LeapDayRule leapDay = LeapDayRule::February28;
    // What it makes.
    RoundPlan plan;
    BookOutcome outcome;
    Agreement next;    ///< the agreement the book's steps leave (the calendar's steps follow)
    QStringList notes; ///< what of an item its reminder does not follow, by the item's title
    std::optional<QList<OutgoingItem>> outgoing; ///< none when the codec could not be loaded
};

/// Does the work: `planner` plans, `applier` carries the plan out on the copy, `codec` writes the
/// events that go out.
void workOutRound(RoundWork &work, const RoundPlanner &planner, const BookApplier &applier,
                  CalendarCodec &codec);

/// The agreement a round starts from: the last one's entries of the items still listed with
/// the same tag; each step the round carries out then writes its own.
Agreement startingAgreement(const Agreement &last, const QString &calendar,
                            const QList<ListedItem> &listing);

/// The agreement's entry after a book-side step (none for a step that leaves it to the server).
void agreeBookStep(Agreement &next, const RoundAction &action, const BookOutcome &outcome,
                   const QHash<int, QString> &bookLines);

/// Where a new item of `uid` goes in the collection.
QUrl itemUrl(const QUrl &collection, const QString &uid);
/// The address of a listed item (its path) in the collection.
QUrl hrefUrl(const QUrl &collection, const QString &href);

/// The agreement of an earlier version of the program kept for `calendar` in the sync folder
/// `root` (the rows it agreed on, per UID), when it is still good: made with the same address,
/// and no changes taken in but left unsaved; none otherwise.
std::optional<Agreement> olderAgreement(const QString &root, const QString &calendar);

} // namespace quill
