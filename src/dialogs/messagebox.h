#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QMessageBox;
class QWidget;

namespace quill {

class HelpViewer;

enum class MsgIcon { Exclamation, Question, Critical, Information };
/// `YesNoCancel` adds "Mégse", which Esc and the box's close button stand for.
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

/// Modal message boxes. The windows show every message through this, so tests can answer them.
/// F1 in a box opens the help at the page it names ("adatfajl.html"); every box that tells of a
/// subject names the page of that subject, and one that names none ("Quillomat") offers no help.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                           MsgButtons buttons = MsgButtons::Ok, const QString &helpPage = {}) = 0;
    /// A question with buttons of its own; the index of the one chosen, or of the last (the one
    /// Esc stands for) when the box is closed otherwise. Enter stands for `defaultChoice`.
    virtual int choose(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                       const QStringList &choices, int defaultChoice = 0,
                       const QString &helpPage = {}) = 0;
    /// Closes the box now open, as Esc would (an answer given elsewhere, in a notification).
    virtual void closeOpen() = 0;
    /// A line of text the user types in answer to `label`; none when the box is cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title,
                                           const QString &label) = 0;
    /// A file to save to (`saving`) or to open, of the kind `filter` names; none when cancelled.
    virtual std::optional<QString> chooseFile(QWidget *parent, const QString &title,
                                              const QString &suggested, const QString &filter,
                                              bool saving) = 0;
};

class SystemMessageBoxes final : public MessageBoxes {
public:
    /// The help that F1 opens in a box with a help page.
    void setHelp(HelpViewer *help) { m_help = help; }
    MsgAnswer show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                   MsgButtons buttons, const QString &helpPage = {}) override;
    int choose(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
               const QStringList &choices, int defaultChoice, const QString &helpPage) override;
    std::optional<QString> askText(QWidget *parent, const QString &title,
                                   const QString &label) override;
    std::optional<QString> chooseFile(QWidget *parent, const QString &title,
                                      const QString &suggested, const QString &filter,
                                      bool saving) override;
    void closeOpen() override;

private:
    void offerHelp(QMessageBox &box, const QString &page);
    QWidget *m_open = nullptr;
    HelpViewer *m_help = nullptr;
};

} // namespace quill
