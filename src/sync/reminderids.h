#pragma once

#include "reminders/table.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

namespace quill {

/// A reminder's lasting name in calendars (its UID), and the day it was given, from which its
/// event's first date is counted.
struct ReminderId {
    QString uid;
    QDate created;
    QString fingerprint; ///< of the kind and texts the row held when it got its name
    bool operator==(const ReminderId &) const = default;
};

/// What makes a row the same reminder: its kind and its texts. The program changes a stored
/// reminder's alert time and switch, never these.
QString reminderFingerprint(const Reminder &reminder);

/// The UIDs of the rows, kept beside the data file (its name with ".uid"), since the data file has
/// no room for them. A row keeps its UID across the changes the program makes to it; a row that
/// now holds another reminder gets a new one.
class ReminderIds {
public:
    static QString pathBeside(const QString &dataFile);

    /// Reads the file; a missing or unreadable one gives no names, which are made anew.
    void load(const QString &path);
    /// Writes the file whole or not at all; returns the reason of a failure.
    std::error_code save(const QString &path) const;

    /// Gives every row in use a name: its own, or a new one where it has none or holds another
    /// reminder than the name was given to (the name found again on the row the reminder moved
    /// to); free rows lose theirs. Returns whether any changed.
    bool assign(const ReminderTable &table, const QDate &today);
    const std::optional<ReminderId> &of(int row) const { return m_ids.at(std::size_t(row)); }
    void set(int row, std::optional<ReminderId> id) { m_ids.at(std::size_t(row)) = std::move(id); }
    /// The row named `uid`, or -1.
    int rowOf(const QString &uid) const;

    bool operator==(const ReminderIds &) const = default;

private:
    std::array<std::optional<ReminderId>, ReminderRows> m_ids{};
};

/// A new UID: a random UUID with the program's domain.
QString newReminderUid();

} // namespace quill
