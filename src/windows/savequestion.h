#pragma once

#include <QString>

class QWidget;

namespace quill {

class MessageBoxes;
class ReminderSession;

enum class Ask { Always, WhenModified };
enum class SaveOutcome { NotAsked, Declined, Saved, Failed };

/// The one way the user saves: the question "Mentsem a módosításokat?" (always, or only when
/// something changed), the save on "Igen", and a failed save told with its reason while the
/// changes stay in the program.
SaveOutcome askAndSave(ReminderSession &session, MessageBoxes &boxes, QWidget *parent,
                       const QString &title, Ask when);

} // namespace quill
