#pragma once

#include <QString>

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
};

class SystemMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                   MsgButtons buttons) override;
};

} // namespace quill
