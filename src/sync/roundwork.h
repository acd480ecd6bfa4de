#pragma once

#include "reminderids.h"
#include "roundplan.h"

#include <QDate>
#include <QSet>
#include <QUrl>

namespace quill {

struct ReminderBook;

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
