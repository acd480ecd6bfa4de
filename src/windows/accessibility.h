#pragma once

class QLabel;
class QWidget;
class QString;

namespace quill {

/// Makes the program speak to screen readers as it shows itself: its windows are windows with
/// their titles, and its pickers are named by their captions while their value is what they
/// hold. Installed once, before the first window.
void installAccessibility();

/// Makes a top-level widget of ours known to screen readers as a window named by its title (Qt
/// 6.4 presents a plain QWidget window as an anonymous pane).
void announceAsWindow(QWidget *window);

/// What a screen reader reads after the window's name when the window comes forward or is asked
/// about (the day, for the main window). Changing it is silent: it is read on request, not
/// every time it changes.
void setWindowSummary(QWidget *window, const QString &summary);

/// Tells a screen reader, without moving the focus, what `window` has just shown (a search's
/// answer, a confirmation); it is spoken once, as it appears.
void announce(QWidget *window, const QString &text);

/// A label whose text is the information: a screen reader reads the text itself, and `role`
/// ("Idő", "Mai névnap") only as its description.
void describeLabel(QLabel *label, const QString &role);

} // namespace quill
