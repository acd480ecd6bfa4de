#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace quill::test {

/// The longest time the event loop went without turning while it ran, measured by a timer that
/// wants to run every 5 ms.
class LoopProbe {
public:
    LoopProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
        m_since.start();
        m_timer.start();
    }
    qint64 longestMs() { return std::max(m_longest, m_since.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

} // namespace quill::test
