#include "hintanimation.h"

#include "reminders/editorrules.h"
#include "widgets.h"

#include <QLabel>
#include <QTimer>

namespace quill {

HintAnimation::HintAnimation(QLabel *picture, QString firstFrame, QString secondFrame,
                             QObject *parent)
    : QObject(parent)
    , m_picture(picture)
    , m_timer(new QTimer(this))
    , m_firstPath(std::move(firstFrame))
    , m_secondPath(std::move(secondFrame))
{
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(150);
    connect(m_timer, &QTimer::timeout, this, &HintAnimation::tick);
}

void HintAnimation::wake()
{
    if (!m_timer->isActive() && !m_stopped)
        m_timer->start();
}

void HintAnimation::stopForGood()
{
    m_stopped = true;
    m_timer->stop();
}

void HintAnimation::tick()
{
    const editor::HintTick step = editor::hintTick(m_step, !m_picture->isHidden());
    m_step = step.step;
    // Hidden and at rest: nothing more can change until the picture shows again.
    if (m_picture->isHidden() && m_step == 10)
        m_timer->stop();
    if (step.frame == editor::HintTick::Frame::Unchanged)
        return;
    if (!m_loaded) {
        m_first = pictureFile(m_firstPath, "GIF");
        m_second = pictureFile(m_secondPath, "GIF");
        m_loaded = true;
    }
    // A missing or unreadable picture leaves the one shown before.
    const QPixmap &frame = step.frame == editor::HintTick::Frame::First ? m_first : m_second;
    if (!frame.isNull())
        m_picture->setPixmap(frame);
}

} // namespace quill
