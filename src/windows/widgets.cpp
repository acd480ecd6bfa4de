#include "widgets.h"

#include "calendar/calendar.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardItemModel>

#include <cmath>

namespace quill {

FocusOutWatcher::FocusOutWatcher(QWidget *watched, std::function<void()> onLeave)
    : QObject(watched)
    , m_onLeave(std::move(onLeave))
{
    watched->installEventFilter(this);
}

bool FocusOutWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto *focus = static_cast<QFocusEvent *>(event);
        if (focus->reason() != Qt::PopupFocusReason)
            m_onLeave();
    }
    return QObject::eventFilter(watched, event);
}

void stopFocusWatchers(QWidget *window)
{
    const auto watchers = window->findChildren<FocusOutWatcher *>();
    for (FocusOutWatcher *w : watchers)
        delete w;
}

QComboBox *makePicker(QWidget *parent, const QString &objectName, const QRect &rect,
                      const QStringList &entries)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setGeometry(rect);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setMaxVisibleItems(12);
    combo->addItems(entries);
    return combo;
}

void selectClamped(QComboBox *picker, int position)
{
    if (picker->count() > 0)
        picker->setCurrentIndex(std::clamp(position, 0, picker->count() - 1));
}

FoldingCompleter::FoldingCompleter(const QStringList &entries, QObject *parent)
    : QCompleter(parent)
{
    auto *model = new QStandardItemModel(this);
    for (const QString &entry : entries) {
        auto *item = new QStandardItem(entry);
        item->setData(foldedForMatching(entry), Qt::UserRole);
        model->appendRow(item);
    }
    setModel(model);
    setCompletionRole(Qt::UserRole);
    setCaseSensitivity(Qt::CaseSensitive);
    setFilterMode(Qt::MatchContains);
    setCompletionMode(QCompleter::PopupCompletion);
    setMaxVisibleItems(10);
}

QStringList FoldingCompleter::splitPath(const QString &path) const
{
    return {foldedForMatching(path)};
}

QString FoldingCompleter::pathFromIndex(const QModelIndex &index) const
{
    return index.data(Qt::DisplayRole).toString();
}

namespace {
const char *const wantedColour = "quillWantedColour";

double luminance(const QColor &c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableColour(const QColor &wanted, const QColor &background)
{
    if (background.lightness() >= 128)
        return wanted; // a light palette keeps the design's colours
    QColor tint = wanted;
    for (int step = 1; step <= 20 && contrastRatio(tint, background) < 4.5; ++step) {
        const double t = step / 20.0;
        tint = QColor::fromRgbF(float(wanted.redF() + (1 - wanted.redF()) * t),
                                float(wanted.greenF() + (1 - wanted.greenF()) * t),
                                float(wanted.blueF() + (1 - wanted.blueF()) * t));
    }
    return tint;
}

void setTextColour(QLabel *label, const QColor &colour)
{
    label->setProperty(wantedColour, colour);
    // The window's own colour: during a palette change the window knows it before its labels.
    const QColor shown = readableColour(colour, label->window()->palette().color(QPalette::Window));
    if (label->palette().color(QPalette::WindowText) == shown)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, shown);
    label->setPalette(p);
}

void refreshTextColours(QWidget *root)
{
    for (QLabel *label : root->findChildren<QLabel *>()) {
        const QVariant wanted = label->property(wantedColour);
        if (wanted.isValid())
            setTextColour(label, wanted.value<QColor>());
    }
}

QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text,
                  const QRect &rect)
{
    return makeLabel(parent, objectName, text, rect, dialogFont());
}

QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text,
                  const QRect &rect, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setGeometry(rect);
    label->setFont(font);
    return label;
}

QFrame *makeFrame(QWidget *parent, const QString &objectName, const QRect &rect)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setGeometry(rect);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

QPushButton *makeButton(QWidget *parent, const QString &objectName, const QString &caption,
                        const QRect &rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setGeometry(rect);
    return button;
}

void setTextIfChanged(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

void adjustDayCombo(QComboBox *combo, int leadingItems, const QString &month, int year)
{
    const DayListEdit edit = adjustDayList(combo->count(), leadingItems, month, year);
    if (edit.isNoop())
        return;
    const QString text = combo->currentText();
    const QSignalBlocker block(combo);
    for (int i = 0; i < edit.removeFromEnd; ++i)
        combo->removeItem(combo->count() - 1);
    combo->addItems(edit.append);
    if (combo->currentText() != text)
        combo->setEditText(text);
}

void placeOnScreen(QWidget *window, const QWidget *mainWindow, QPoint wanted)
{
    const QScreen *screen =
        mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    const int x =
        std::clamp(wanted.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    const int y =
        std::clamp(wanted.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    if (window->frameGeometry().topLeft() != QPoint(x, y))
        window->move(x, y);
}

void onEscape(QWidget *window, std::function<void()> action)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, [action = std::move(action)] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->close();
            return;
        }
        action();
    });
}

QPixmap pictureFile(const QString &path, const char *format)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    return QPixmap::fromImage(reader.read());
}

QFont fontOf(const QString &family, double points, bool bold)
{
    // The design's Windows fonts, then their metric-compatible free twins, then the system's.
    QStringList families{family};
    const bool serif = family.contains(QStringLiteral("Times"));
    families << (serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont dialogFont()
{
    // The design's "MS Sans Serif" is a bitmap family that no free system offers (Debian even
    // switches bitmap fonts off), so asking for it would only run the whole fallback chain.
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

void addLabelledRow(QFormLayout *form, const QString &label, QWidget *field)
{
    form->addRow(label, field);
    // Read as the label's words, without the mnemonic's "&" and the closing colon.
    QString name = QString(label).remove(u'&');
    if (name.endsWith(u':'))
        name.chop(1);
    field->setAccessibleName(name);
}

} // namespace quill
