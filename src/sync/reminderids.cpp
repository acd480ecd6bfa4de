#include "reminderids.h"

namespace quill {

ReminderIds ReminderIds::of(const ReminderTable &table)
{
    ReminderIds ids;
    for (int row = 0; row < ReminderRows; ++row) {
        const std::optional<RowIdentity> &id = table.identity(row);
        if (table.inUse(row) && id)
            ids.m_ids[std::size_t(row)] =
                ReminderId{id->uid, id->created, reminderFingerprint(table.row(row))};
    }
    return ids;
}

void ReminderIds::giveTo(ReminderTable &table) const
{
    for (int row = 0; row < ReminderRows; ++row) {
        const std::optional<ReminderId> &id = m_ids[std::size_t(row)];
        table.setIdentity(row, table.inUse(row) && id
                                   ? std::optional(RowIdentity{id->uid, id->created})
                                   : std::nullopt);
    }
}

int ReminderIds::rowOf(const QString &uid) const
{
    for (int row = 0; row < ReminderRows; ++row) {
        if (m_ids[std::size_t(row)] && m_ids[std::size_t(row)]->uid == uid)
            return row;
    }
    return -1;
}

} // namespace quill
