#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace quill {

class MessageBoxes;
class ReminderSession;

/// The ways out of the program and what each does with unsaved reminders: the buttons and the
/// menu ask (`askAndSave`), the title bar asks when something changed, the desktop's session asks
/// or saves without asking, a signal saves without asking; a save that fails at the very end
/// leaves an emergency copy. A "No" is remembered, so the session's end never asks again.
class ExitPaths {
public:
    ExitPaths(ReminderSession &session, MessageBoxes &boxes, QWidget *window);

    /// The exit question (always, or only after a change); false when the program must stay
    /// open (the save failed or was cancelled).
    bool askAndSave(const QString &title, bool always);
    /// Saves without a question; false when the changes could not be saved.
    bool saveWithoutAsking();
    /// Whether the window may close from its title bar (the question asked where needed).
    bool mayClose();

private:
    ReminderSession &m_session;
    MessageBoxes &m_boxes;
    QWidget *m_window;
    std::uint64_t m_declinedRevision = ~std::uint64_t(0); ///< the table as it was at a "No"
};

} // namespace quill
