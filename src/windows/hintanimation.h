#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

class QLabel;
class QTimer;

namespace quill {

/// The editor's hint to click a date (`Picture1`): while the picture shows it alternates between
/// its two frames (`mouse3.gif`, `mouse4.gif` beside the program) every 150 ms. The timer runs only
/// while there is something to animate, and for the few ticks after that bring its count to rest.
class HintAnimation final : public QObject {
    Q_OBJECT
public:
    HintAnimation(QLabel *picture, QString firstFrame, QString secondFrame, QObject *parent);

    /// The picture was shown: the animation runs (unless stopped for good).
    void wake();
    /// One step (the timer's, or a test's).
    void tick();
    /// The end of the program: it never runs again.
    void stopForGood();

private:
    QLabel *m_picture;
    QTimer *m_timer;
    QString m_firstPath, m_secondPath;
    QPixmap m_first, m_second;
    bool m_loaded = false;
    bool m_stopped = false;
    int m_step = 10; // at rest, as ten ticks with nothing to show leave it
};

} // namespace quill
