#include "exitpaths.h"

#include "files/writequeue.h"
#include "reminders/session.h"
#include "savequestion.h"

#include <cstdio>

namespace quill {

namespace {
// No one may be there to see a box any more; the terminal or the session log is told.
void tellTheLog(const QString &text)
{
    if (!text.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(text));
}
} // namespace

ExitPaths::ExitPaths(ReminderSession &session, MessageBoxes &boxes, QWidget *window)
    : m_session(session)
    , m_boxes(boxes)
    , m_window(window)
{
}

bool ExitPaths::askAndSave(const QString &title, bool always)
{
    const SaveOutcome outcome = quill::askAndSave(m_session, m_boxes, m_window, title,
                                                  always ? Ask::Always : Ask::WhenModified);
    if (outcome == SaveOutcome::Declined)
        m_declinedRevision = m_session.table().revision();
    return outcome != SaveOutcome::Failed && outcome != SaveOutcome::Cancelled;
}

bool ExitPaths::saveWithoutAsking()
{
    if (!m_session.isModified() || m_session.table().revision() == m_declinedRevision)
        return true;
    // Nobody may be there to answer: another program's change to the file is kept as a backup.
    const SaveReport saved = m_session.save(OnChangedFile::KeepMine);
    if (saved.ok()) {
        tellTheLog(keptVersionsText(saved));
        return true;
    }
    // The program is about to end, so the changes cannot stay in it: they go to an emergency
    // copy on another disk, which the next start offers back. It is written in turn on the
    // writing thread, which the end of the program waits for; the window does not.
    const ReminderFile *file = &m_session.file();
    files::writeInTurn([file, table = m_session.table(), saved] {
        QString written;
        const std::error_code error = file->writeEmergencyCopy(table, &written);
        tellTheLog(emergencyText(*file, saved, error, written));
    });
    return false;
}

bool ExitPaths::mayClose()
{
    // After the session's question was answered "No", the session's end closes without asking
    // again.
    const bool settled = m_session.table().revision() == m_declinedRevision;
    return settled || askAndSave(QStringLiteral("Quillomat"), false);
}

} // namespace quill
