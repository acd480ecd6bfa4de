#pragma once

#include <QString>

class QWidget;

namespace quill {

class MessageBoxes;
class ReminderSession;
struct SaveReport;

enum class Ask { Always, WhenModified };
enum class SaveOutcome { NotAsked, Declined, Saved, Failed, Cancelled };

/// The one way the user saves: the question "Mentsem a módosításokat?" (always, or only when
/// something changed), the save on "Igen", nothing saved on "Nem", the program kept open on
/// "Mégse" (and on Esc or the box closed: `SaveOutcome::Cancelled`), and a failed save told with
/// its reason while the changes stay in the program. When another program changed the file
/// meanwhile, the user chooses which version goes into the file (the other is kept as a backup and
/// named) or cancels. What a save that met a file changed by another program kept, in the user's
/// words; empty when it met none.
QString keptVersionsText(const SaveReport &saved);

/// The save itself, with what it needs to tell: the version question when another program changed
/// the file, a failure, the backup it kept.
SaveOutcome saveNow(ReminderSession &session, MessageBoxes &boxes, QWidget *parent,
                    const QString &title);

SaveOutcome askAndSave(ReminderSession &session, MessageBoxes &boxes, QWidget *parent,
                       const QString &title, Ask when);

} // namespace quill
