#include "messagebox.h"
#include "filedialog.h"
#include "helpviewer.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <utility>

namespace quill {

namespace {

// A box never grows past the screen: a very long text is shown shortened, the whole of it
// behind "Részletek" (Qt's details), where it can be scrolled and copied.
constexpr qsizetype shownCharacters = 600;
constexpr int shownLines = 12;

void setBoxText(QMessageBox &box, const QString &text)
{
    QString shown = text;
    const QStringList lines = text.split(u'\n');
    if (lines.size() > shownLines)
        shown = lines.mid(0, shownLines).join(u'\n');
    if (shown.size() > shownCharacters)
        shown = shown.left(shownCharacters);
    if (shown.size() == text.size()) {
        box.setText(text);
        return;
    }
    box.setTextFormat(Qt::PlainText);
    box.setText(shown + QStringLiteral(" …\n\n(A teljes szöveg a Részletek alatt olvasható.)"));
    box.setDetailedText(text);
}

void setBoxIcon(QMessageBox &box, MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
}

void setBoxButtons(QMessageBox &box, MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        return;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Mégse"));
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(QMessageBox::Yes);
}

} // namespace

MsgAnswer SystemMessageBoxes::show(QWidget *parent, MsgIcon icon, const QString &title,
                                   const QString &text, MsgButtons buttons, const QString &helpPage)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    setBoxText(box, text);
    setBoxIcon(box, icon);
    setBoxButtons(box, buttons);
    offerHelp(box, helpPage);
    const int result = box.exec();
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (result == QMessageBox::Yes)
        return MsgAnswer::Yes;
    // With "Mégse" there, Esc and the close button answer it (Qt's escape button), never "Nem".
    if (result == QMessageBox::No || buttons == MsgButtons::YesNo)
        return MsgAnswer::No;
    return MsgAnswer::Cancel;
}

void SystemMessageBoxes::offerHelp(QMessageBox &box, const QString &page)
{
    if (page.isEmpty() || !m_help)
        return;
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), &box);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, &box, [this, &box, page] {
        if (m_help->showPage(page))
            return;
        QMessageBox missing(QMessageBox::Warning, QStringLiteral("Quillomat"),
                            helpUnavailableText(), QMessageBox::Ok, &box);
        missing.exec();
    });
}

int SystemMessageBoxes::choose(QWidget *parent, MsgIcon icon, const QString &title,
                               const QString &text, const QStringList &choices, int defaultChoice,
                               const QString &helpPage)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    setBoxText(box, text);
    setBoxIcon(box, icon);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    if (buttons.isEmpty())
        return -1;
    box.setDefaultButton(static_cast<QPushButton *>(buttons.value(defaultChoice, buttons.first())));
    box.setEscapeButton(buttons.last());
    offerHelp(box, helpPage);
    QWidget *outer = std::exchange(m_open, &box);
    box.exec();
    m_open = outer;
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return chosen < 0 ? int(buttons.size() - 1) : int(chosen);
}

void SystemMessageBoxes::closeOpen()
{
    if (auto *box = qobject_cast<QMessageBox *>(m_open))
        box->reject();
}

std::optional<QString> SystemMessageBoxes::chooseFile(QWidget *parent, const QString &title,
                                                      const QString &suggested,
                                                      const QString &filter, bool saving)
{
    return chooseFileName(parent, title, suggested, filter, saving);
}

std::optional<QString> SystemMessageBoxes::askText(QWidget *parent, const QString &title,
                                                   const QString &label)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Mégse"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace quill
