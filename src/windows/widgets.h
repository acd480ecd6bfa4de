#pragma once

#include <QCompleter>
#include <QFont>
#include <QObject>
#include <functional>

class QColor;
class QComboBox;
class QFrame;
class QLabel;
class QPixmap;
class QPoint;
class QPushButton;
class QRect;
class QWidget;

// Small helpers every window uses to build and watch its controls.
class QFormLayout;

namespace quill {

/// Calls a function whenever the watched widget loses the input focus, however it goes: Tab, a
/// click elsewhere, another window. Popups of the widget itself (a combo box's list, a context
/// menu) do not count. The focus is never held back.
class FocusOutWatcher final : public QObject {
    Q_OBJECT
public:
    FocusOutWatcher(QWidget *watched, std::function<void()> onLeave);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onLeave;
};

inline void onFocusOut(QWidget *widget, std::function<void()> onLeave)
{
    new FocusOutWatcher(widget, std::move(onLeave));
}

/// Removes every focus watcher below a window; a window calls it first thing in its destructor,
/// since destroying its children moves the focus while the window is no longer whole.
void stopFocusWatchers(QWidget *window);

/// An editable picker whose text only ever changes when the user types or picks an entry: no
/// inline completion that rewrites case, no entry added on Enter.
QComboBox *makePicker(QWidget *parent, const QString &objectName, const QRect &rect,
                      const QStringList &entries = {});

/// Selects a position of a picker, the nearest one that exists.
void selectClamped(QComboBox *picker, int position);

/// Offers entries that contain what was typed, ignoring case and accents ("lorinc" offers
/// "Lőrinc"), in a popup; the text changes only when the user picks one.
class FoldingCompleter final : public QCompleter {
    Q_OBJECT
public:
    FoldingCompleter(const QStringList &entries, QObject *parent);
    QStringList splitPath(const QString &path) const override;
    QString pathFromIndex(const QModelIndex &index) const override;
};

/// A label with its name, text and place (pixels), in the dialog font unless told otherwise.
QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text,
                  const QRect &rect);
QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text,
                  const QRect &rect, const QFont &font);
/// A framed box with its name and place (pixels).
QFrame *makeFrame(QWidget *parent, const QString &objectName, const QRect &rect);
/// A push button with its name, caption and place (pixels).
QPushButton *makeButton(QWidget *parent, const QString &objectName, const QString &caption,
                        const QRect &rect);
/// Sets a label's text colour: the colour itself on a light background, a lighter tint of it on a
/// dark one, so the text stays readable (4.5:1). Nothing happens when it already has it.
void setTextColour(QLabel *label, const QColor &colour);
/// Works the colours of every coloured label below `root` out again, for a new palette.
void refreshTextColours(QWidget *root);
/// The WCAG contrast ratio of two colours, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);
/// The colour text meant to be `wanted` takes over `background` (see setTextColour).
QColor readableColour(const QColor &wanted, const QColor &background);
/// Sets a label's text; nothing happens when it already shows it.
void setTextIfChanged(QLabel *label, const QString &text);

/// The day-picker rule on a combo box; the picker's own text stays as it was.
void adjustDayCombo(QComboBox *combo, int leadingItems, const QString &month, int year);

/// A picture read as the format it is, with Qt's guessing off: no image plugin but the one for
/// that format is ever asked (each plugin asked loads libraries of its own).
QPixmap pictureFile(const QString &path, const char *format);

/// Places a window wholly on the available area of the screen that shows `mainWindow`: at
/// `wanted` (its frame's top left) where it fits, else as near to it as the area allows.
void placeOnScreen(QWidget *window, const QWidget *mainWindow, QPoint wanted);

/// Esc for a window: an open popup of it (a list of suggestions) closes first, and only then the
/// window does what Esc means there.
void onEscape(QWidget *window, std::function<void()> action);

/// A row of a form: `label` (with its mnemonic) and its field, the field named by the label's
/// words for a screen reader (a combo box would otherwise be read by its current choice).
void addLabelledRow(QFormLayout *form, const QString &label, QWidget *field);

/// The classic dialog font of the design, 8.25 point, with the sans-serif fallback.
QFont dialogFont();
QFont fontOf(const QString &family, double points, bool bold = false);

} // namespace quill
