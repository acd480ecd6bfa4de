#pragma once

class QWidget;

namespace quill {

class MessageBoxes;
class ReminderSession;

/// Loads the reminders at start-up and tells what the load found (an odd file, a backup kept);
/// offers back the emergency copy a run that could not save at its end left.
void loadAndTell(ReminderSession &session, MessageBoxes &boxes, QWidget *window);

} // namespace quill
