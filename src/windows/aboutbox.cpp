#include "aboutbox.h"

#include "accessibility.h"
#include "platform/twips.h"
#include "version.h"
#include "widgets.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QShortcut>

namespace quill {

AboutBox::AboutBox(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint)
{
    announceAsWindow(this);
    setObjectName(QStringLiteral("about"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Névjegy"));
    setFont(dialogFont());
    setFixedSize(twips::size(4680, 3105));
    setAutoFillBackground(true);
    createEdge();
    createTexts();

    // Esc, Enter or Space close it, as a click does.
    setFocusPolicy(Qt::StrongFocus);
    for (int key :
         {int(Qt::Key_Escape), int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this,
                &QWidget::close);

    const QRect main = mainWindow->frameGeometry();
    placeOnScreen(this, mainWindow,
                  QPoint(main.left() + twips::toPx(660), main.top() + twips::toPx(640)));
}

// The edge: four lines along the top, the bottom and both sides.
void AboutBox::createEdge()
{
    const std::array<QRect, 4> edges = {twips::rect(0, 10, 4680, 15),
                                        twips::rect(0, 3090, 4680, 15), twips::rect(0, 0, 15, 3105),
                                        twips::rect(4665, 0, 15, 3105)};
    for (std::size_t i = 0; i < edges.size(); ++i) {
        auto *line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line1_%1").arg(i));
        line->setGeometry(edges[i]);
        line->setFrameShape(QFrame::Box);
        line->setLineWidth(1);
    }
}

void AboutBox::createTexts()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twips::rect(100, 40, 4450, 2895));
    frame->setFrameShape(QFrame::StyledPanel);

    auto *picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(twips::rect(240, 600, 465, 465));
    picture->setPixmap(pictureFile(QStringLiteral(":/quillomat/quillomat.png"), "PNG"));
    picture->setAccessibleName(QStringLiteral("A program ikonja"));

    const QFont times = fontOf(QStringLiteral("Times New Roman"), 8.25);
    makeLabel(frame, QStringLiteral("termeknev"), QStringLiteral("Quillomat"),
              twips::rect(1080, 720, 1695, 495), fontOf(QStringLiteral("Arial"), 13.5));
    makeLabel(frame, QStringLiteral("verzioszam"),
              QStringLiteral("Változat %1.%2.%3")
                  .arg(version::major)
                  .arg(version::minor)
                  .arg(version::patch),
              twips::rect(1080, 1080, 1455, 255), dialogFont());
    makeLabel(frame, QStringLiteral("copyright"), QStringLiteral("© Zelmarin, 2026"),
              twips::rect(2040, 240, 2295, 255), times);
    QLabel *rights = makeLabel(frame, QStringLiteral("jogok"), QString(),
                               twips::rect(120, 1680, 4095, 1095), times);
    rights->setWordWrap(true);
    rights->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (QWidget *w : frame->findChildren<QWidget *>())
        w->installEventFilter(this);
    frame->installEventFilter(this);
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quill
