#include "exitpaths.h"

#include "reminders/session.h"
#include "savequestion.h"

#include <cstdio>

namespace quill {

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
    QString told;
    if (saved.ok()) {
        told = keptVersionsText(saved);
    } else {
        // The program is about to end, so the changes cannot stay in it: they go to an
        // emergency copy on another disk, which the next start offers back.
        QString written;
        const std::error_code error =
            m_session.file().writeEmergencyCopy(m_session.table(), &written);
        told = emergencyText(m_session.file(), saved, error, written);
    }
    // No one may be there to see a box any more; the terminal or the session log is told.
    if (!told.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(told));
    return saved.ok();
}

bool ExitPaths::mayClose()
{
    // After the session's question was answered "No", the session's end closes without asking
    // again.
    const bool settled = m_session.table().revision() == m_declinedRevision;
    return settled || askAndSave(QStringLiteral("Quillomat"), false);
}

} // namespace quill
