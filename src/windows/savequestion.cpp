#include "savequestion.h"

#include "platform/messagebox.h"
#include "reminders/session.h"

namespace quill {

SaveOutcome askAndSave(ReminderSession &session, MessageBoxes &boxes, QWidget *parent,
                       const QString &title, Ask when)
{
    if (when == Ask::WhenModified && !session.isModified())
        return SaveOutcome::NotAsked;
    const MsgAnswer answer =
        boxes.show(parent, MsgIcon::Question, title, QStringLiteral("Mentsem a módosításokat?"),
                   MsgButtons::YesNo);
    if (answer != MsgAnswer::Yes)
        return SaveOutcome::Declined;
    const SaveReport saved = session.save();
    if (!saved.ok()) {
        boxes.show(parent, MsgIcon::Critical, title, saveFailureText(session.file(), saved));
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

} // namespace quill
