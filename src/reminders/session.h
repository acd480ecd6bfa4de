#pragma once

#include "datafile.h"
#include "table.h"

#include <QObject>
#include <functional>

namespace quill {

/// Which window chose a kind, so the other can follow without answering back.
enum class KindChooser { Editor, List };

/// The reminders of one run: the table, the file they come from and go to, and whether they
/// changed since. Every window changes reminders through it and hears of every change from it.
class ReminderSession final : public QObject {
    Q_OBJECT
public:
    explicit ReminderSession(ReminderFile &file, QObject *parent = nullptr);

    const ReminderTable &table() const { return m_book.table; }
    const ReminderFile &file() const { return m_file; }
    ReminderFile &file() { return m_file; }
    /// Changed since the load or the last save (`modositva`).
    bool isModified() const { return m_modified; }
    /// Rows handed out in this run (`sorszam`): the row the next reminder goes to.
    int rowsHandedOut() const { return m_book.rowsHandedOut; }

    /// Loads the file into the empty table; nothing counts as changed afterwards.
    LoadReport load();
    /// Appends a new reminder (made active, with its row number).
    StoreResult store(const Reminder &reminder);
    /// Frees a row: all twelve fields empty. The count of rows handed out stays.
    void clear(int row);
    /// Changes the book as `change` says, which returns whether it changed anything: for changes
    /// that come from elsewhere, such as another device's calendar.
    void edit(const std::function<bool(ReminderBook &)> &change);
    /// Changes one field of a row in use (the alert time, the active flag).
    void setField(int row, Field field, const QString &text);
    /// Switches a row's alerts on or off.
    void setActive(int row, bool on);
    /// Writes every row in use to the file; on success nothing changed since counts as changed.
    /// When another program changed the file meanwhile, both versions are kept as `onChanged`
    /// says; keeping theirs loads it into the table. The writing (and its wait for the disk) is
    /// done on the writing thread (files/writequeue.h) in turn with the program's other writes;
    /// meanwhile the event loop goes on (timers, painting; input waits), and the call returns
    /// when the file is on the disk or the save failed.
    SaveReport save(OnChangedFile onChanged = OnChangedFile::KeepMine);
    /// Returns when no save is under way (the event loop going on meanwhile); the file may be
    /// looked at after it.
    void waitForSave();
    /// A save is being waited for: the event loop that goes on meanwhile runs inside the caller's
    /// work, where no box is to open (the alerts' tick waits for `waitOver`).
    bool isWaiting() const { return m_waits > 0; }
    /// The reminders of an emergency copy an earlier run left (`path`) replace the loaded ones;
    /// they count as changed until saved.
    bool takeEmergencyCopy(const QString &path);

    /// A window chose a kind; the other window follows if it is shown.
    void chooseKind(ReminderKind kind, KindChooser chooser);

Q_SIGNALS:
    /// The table changed.
    void changed();
    void kindChosen(ReminderKind kind, KindChooser chooser);
    /// The book reached the file; `asHeld` is false when the file kept another program's version
    /// instead, which the book now holds.
    void saved(bool asHeld);
    /// A save's writing ended (whichever way).
    void writingEnded();
    /// The last wait for a save has returned to its caller.
    void waitOver();

private:
    void markChanged();
    SaveReport finishSave(const SaveReport &report);
    /// Runs the event loop (without user input) until `done`.
    void waitUntil(const std::function<bool()> &done);

    ReminderFile &m_file;
    ReminderBook m_book;
    bool m_modified = false;
    bool m_saving = false;             ///< the writing thread has the file
    int m_waits = 0;                   ///< waits for a save under way, one inside another
    std::uint64_t m_savedRevision = 0; ///< the table as the last save that ended wrote it
};

} // namespace quill
