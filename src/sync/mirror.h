#pragma once

#include "icalendar/codec.h"
#include "reminderids.h"

#include <QHash>
#include <QSet>
#include <system_error>

namespace quill {

/// One file of the mirror folder (one `.ics` an item, named as the sync tool likes).
struct MirrorItem {
    QString file;
    QByteArray hash;
    QString uid;
    std::optional<CalendarEvent> event; ///< none when the file holds no single event
    QString problem;                    ///< why the file is no single event
};

/// The mirror folder's items, read with the codec. Files too large to be a reminder are passed
/// over as problems, never read whole.
QList<MirrorItem> readMirror(const QString &folder, CalendarCodec &codec);

/// What the last exchange between the book and the folder agreed on, per UID: the hash of the
/// item's file and the row it stood for (empty for an item left on the server).
struct SyncBase {
    struct Entry {
        QByteArray hash;
        QString row;
        bool operator==(const Entry &) const = default;
    };
    QHash<QString, Entry> entries;

    void load(const QString &path);
    std::error_code save(const QString &path) const;
};

/// A change that came from the folder, to be made in the book.
struct IncomingChange {
    enum class Kind { Add, Replace, Clear };
    Kind kind = Kind::Add;
    int row = -1; ///< for Replace and Clear
    Reminder reminder;
    ReminderId id;
};

/// What the folder brings, and what the user is told of it.
struct PullPlan {
    QList<IncomingChange> changes;
    QStringList leftOut;   ///< items that fit no reminder row: left on the server untouched
    QStringList conflicts; ///< reminders changed on both sides: both versions kept
    QSet<QString> held;    ///< UIDs the book does not write back
    SyncBase base;         ///< the agreement after the changes
};

/// Compares the folder with the book and with what they last agreed on: an item added, changed or
/// deleted in the folder only comes into the book; one changed on both sides keeps the book's
/// version in its row and comes in as a new reminder; one that fits no row is listed and held.
PullPlan planPull(const ReminderTable &table, const ReminderIds &ids, const SyncBase &base,
                  const QList<MirrorItem> &items, const QDate &today);

/// Makes the changes in the book; those that find no free row are added to `plan.leftOut`.
/// Returns whether the book changed.
bool applyPull(ReminderBook &book, ReminderIds &ids, PullPlan &plan);

/// Writes the book into the folder: a file for every reminder that changed since the agreement or
/// has none, and removes the files of reminders deleted from the book. Items held are not touched.
/// Returns the agreement afterwards; on a failure the folder may be half written, never the book,
/// and the old agreement stays (the next round repeats the work).
struct PushResult {
    std::error_code error;
    QString file;
    SyncBase base;
};
PushResult pushBook(const ReminderTable &table, const ReminderIds &ids, const PullPlan &plan,
                    const QList<MirrorItem> &items, const QString &folder, CalendarCodec &codec,
                    const QDateTime &stamp);

/// What an `.ics` file brings into the book by hand: the events that fit a row (up to the free
/// rows), and the rest with the reason each is left out.
struct ImportPlan {
    struct Entry {
        Reminder reminder;
        QString uid;
        QString line; ///< the event as the user is shown it
    };
    QList<Entry> adding;
    QStringList leftOut;
};
ImportPlan planImport(const QList<CalendarEvent> &events, const ReminderTable &table,
                      const ReminderIds &ids);
/// Lines for a message, each after `bullet`, cut after fifteen so the message and its buttons stay
/// on the screen: the last line then says how many more, as `more` ("… és még %1.") words it.
QString shortList(const QStringList &lines, const QString &bullet, const QString &more);

/// The question the user answers before anything is added; empty when nothing can be.
QString importQuestion(const ImportPlan &plan);
/// Adds the plan's reminders to the book with their UIDs; returns how many.
int applyImport(ReminderBook &book, ReminderIds &ids, const ImportPlan &plan, const QDate &today);

} // namespace quill
