#include "signature.h"

#include "accessibility.h"
#include "platform/twips.h"
#include "widgets.h"

#include <QCursor>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

#include <array>

namespace quill {

namespace {

// A cursor file: an icon directory whose entries carry the hot spot. Read with its format named,
// so no image plugin is asked what it is.
QCursor loadCursorFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.peek(22);
    const QPixmap pixmap = pictureFile(path, "CUR");
    if (pixmap.isNull() || head.size() < 22)
        return {};
    auto u16 = [&head](int at) {
        return int(static_cast<unsigned char>(head[at])) |
               int(static_cast<unsigned char>(head[at + 1])) << 8;
    };
    return QCursor(pixmap, u16(10), u16(12));
}

} // namespace

Signature::Signature(QWidget *window, QString cursorFile)
    : QObject(window)
    , m_cursorFile(std::move(cursorFile))
{
    m_label =
        makeLabel(window, QStringLiteral("Label4"), QString(), twips::rect(2640, 3480, 1335, 375),
                  fontOf(QStringLiteral("Times New Roman"), 12, true));
    m_label->setAlignment(Qt::AlignCenter);
    describeLabel(m_label, QStringLiteral("Aláírás"));
    m_label->installEventFilter(this);
    // The moving signature steps every 150 ms, and only while it moves.
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer2"));
    m_timer->setInterval(150);
    connect(m_timer, &QTimer::timeout, this, &Signature::tick);
    tick();
}

void Signature::tick()
{
    if (!m_moving) {
        m_timer->stop();
        setTextColour(m_label, QColor(0, 0, 255));
        setTextIfChanged(m_label, QStringLiteral("   Zelmarin ™   "));
        return;
    }
    // Windows of the name that grow by one letter a step, then one empty step: 13 in all.
    const QString name = QStringLiteral("   Zelmarin   ");
    std::array<int, 3> rgb{};
    for (int &c : rgb)
        c = int(std::generate_canonical<double, 32>(m_random) * 255);
    setTextColour(m_label, QColor(rgb[0], rgb[1], rgb[2]));
    QString caption = name.mid(m_step - 1, m_step + 3);
    ++m_step;
    if (m_step == 14) {
        caption.clear();
        m_step = 1;
    }
    setTextIfChanged(m_label, caption);
}

void Signature::loadCursor()
{
    if (m_cursorLoaded)
        return;
    m_cursorLoaded = true;
    const QCursor hand = loadCursorFile(m_cursorFile);
    if (!hand.pixmap().isNull())
        m_label->setCursor(hand);
}

bool Signature::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_label && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_moving = !m_moving;
        if (m_moving)
            m_timer->start();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quill
