#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace quill {

enum class MsgIcon { Exclamation, Question, Critical, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

/// Modal message boxes. The windows show every message through this, so tests can answer them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                           MsgButtons buttons = MsgButtons::Ok) = 0;
    /// A question with buttons of its own; the index of the one chosen, or of the last (the one
    /// Esc stands for) when the box is closed otherwise.
    virtual int choose(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                       const QStringList &choices) = 0;
};

class SystemMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                   MsgButtons buttons) override;
    int choose(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
               const QStringList &choices) override;
};

} // namespace quill
