#include "session.h"

#include "files/writequeue.h"

#include <QEventLoop>
#include <memory>
#include <optional>

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

StoreResult ReminderSession::store(const Reminder &reminder)
{
    const StoreResult result = storeReminder(m_book, reminder);
    if (result == StoreResult::Stored)
        markChanged();
    return result;
}

void ReminderSession::edit(const std::function<bool(ReminderBook &)> &change)
{
    if (change(m_book))
        markChanged();
}

void ReminderSession::clear(int row)
{
    if (row < 0 || row >= ReminderRows)
        return;
    m_book.table.clearRow(row);
    markChanged();
}

void ReminderSession::setField(int row, Field field, const QString &text)
{
    if (row < 0 || row >= ReminderRows)
        return;
    m_book.table.setField(row, field, text);
    markChanged();
}

void ReminderSession::setActive(int row, bool on)
{
    if (row < 0 || row >= ReminderRows)
        return;
    Reminder reminder = m_book.table.row(row);
    reminder.setActive(on);
    m_book.table.setRow(row, reminder);
    markChanged();
}

void ReminderSession::waitUntil(const std::function<bool()> &done)
{
    if (done())
        return;
    ++m_waits;
    while (!done()) {
        QEventLoop wait;
        connect(this, &ReminderSession::writingEnded, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (--m_waits == 0)
        Q_EMIT waitOver();
}

void ReminderSession::waitForSave()
{
    waitUntil([this] { return !m_saving; });
}

SaveReport ReminderSession::save(OnChangedFile onChanged)
{
    // One save at a time has the file; a save asked for during another (a signal, the session's
    // end) follows it.
    waitForSave();
    m_saving = true;
    const ReminderTable table = m_book.table; // the writer's own copy
    auto ended = std::make_shared<std::optional<SaveReport>>();
    ReminderFile *file = &m_file;
    files::writeInTurn([this, file, table, onChanged, ended] {
        SaveReport report = file->save(table, onChanged);
        // Saved for real: an emergency copy of an earlier run has done its work.
        if (report.ok())
            file->retireEmergencyCopy(false);
        QMetaObject::invokeMethod(
            this,
            [this, ended, report, revision = table.revision()] {
                *ended = report;
                if (report.ok())
                    m_savedRevision = revision;
                m_saving = false;
                Q_EMIT writingEnded();
            },
            Qt::QueuedConnection);
    });
    waitUntil([&ended] { return ended->has_value(); });
    return finishSave(**ended);
}

SaveReport ReminderSession::finishSave(const SaveReport &report)
{
    if (!report.ok())
        return report;
    // What changed while the file was being written is still to be saved.
    m_modified = m_book.table.revision() != m_savedRevision;
    const bool asHeld = report.mineKeptAs.isEmpty();
    if (!asHeld) {
        // The other program's version stays: it is what the program now holds.
        m_book = ReminderBook();
        m_file.load(m_book);
        m_modified = false;
        Q_EMIT changed();
    }
    Q_EMIT saved(asHeld);
    return report;
}

bool ReminderSession::takeEmergencyCopy(const QString &path)
{
    const files::ReadResult read = files::readRegularFile(path, ReminderFile::maxBytes);
    if (read.error || !read.exists)
        return false;
    ReminderBook book;
    const LoadReport report = loadReminders(book, read.bytes);
    if (report.outcome != LoadReport::Outcome::Loaded)
        return false;
    m_book = book;
    m_file.attachIdentitiesBeside(m_book.table);
    markChanged();
    return true;
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
