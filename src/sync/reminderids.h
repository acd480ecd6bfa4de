#pragma once

#include "reminders/identities.h"
#include "reminders/table.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

namespace quill {

/// A row's identity as a round or an import works with it: its UID, the day it was given, and the
/// fingerprint of the texts the row holds.
struct ReminderId {
    QString uid;
    QDate created;
    QString fingerprint;
    bool operator==(const ReminderId &) const = default;
};

/// The identities of a table's rows (given when each reminder was made, table.h), taken out so a
/// round can change them with the book and give them back.
class ReminderIds {
public:
    /// The identities the table's rows in use hold.
    static ReminderIds of(const ReminderTable &table);
    /// Gives the rows of `table` these identities (a free row none).
    void giveTo(ReminderTable &table) const;

    const std::optional<ReminderId> &of(int row) const { return m_ids.at(std::size_t(row)); }
    void set(int row, std::optional<ReminderId> id) { m_ids.at(std::size_t(row)) = std::move(id); }
    /// The row named `uid`, or -1.
    int rowOf(const QString &uid) const;

    bool operator==(const ReminderIds &) const = default;

private:
    std::array<std::optional<ReminderId>, ReminderRows> m_ids{};
};

} // namespace quill
