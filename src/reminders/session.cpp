#include "session.h"

namespace quill {

ReminderSession::ReminderSession(ReminderFile &file, QObject *parent)
    : QObject(parent)
    , m_file(file)
{
}

LoadReport ReminderSession::load()
{
    const LoadReport report = m_file.load(m_book);
    m_modified = false;
    Q_EMIT changed();
    return report;
}

StoreResult ReminderSession::store(const ReminderFields0to9 &fields)
{
    const StoreResult result = storeReminder(m_book, fields);
    if (result == StoreResult::Stored)
        markChanged();
    return result;
}

void ReminderSession::clear(int row)
{
    if (row < 0 || row >= ReminderRows)
        return;
    m_book.table.clearRow(row);
    markChanged();
}

void ReminderSession::setField(int row, int field, const QString &text)
{
    if (row < 0 || row >= ReminderRows || field < 0 || field >= ReminderFields)
        return;
    m_book.table.setField(row, field, text);
    markChanged();
}

SaveReport ReminderSession::save()
{
    const SaveReport report = m_file.save(m_book.table);
    if (report.ok())
        m_modified = false;
    return report;
}

void ReminderSession::chooseKind(ReminderKind kind, KindChooser chooser)
{
    Q_EMIT kindChosen(kind, chooser);
}

void ReminderSession::markChanged()
{
    m_modified = true;
    Q_EMIT changed();
}

} // namespace quill
