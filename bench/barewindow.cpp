// The floor for the start-up and idle benchmarks: a bare Qt Widgets window of the main window's
// size, nothing else; with BARE_WINDOW_TEXT set, one line of text in it (the floor of any window
// that shows text: the font system's start). With QUILLOMAT_BENCH_FIRST_FRAME set it ends after
// its first frame, as the program does. With QUILLOMAT_BENCH_STALLS set it logs each gap of its
// event loop over 20 ms to that file, as the program does: the floor of the stall figures.

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTimer>

#include <QWidget>
#include <memory>
#include <unistd.h>

namespace {
class FirstFrame final : public QWidget {
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Paint && !m_seen &&
            !qEnvironmentVariableIsEmpty("QUILLOMAT_BENCH_FIRST_FRAME")) {
            m_seen = true;
            // Right after the frame reaches the screen, before anything else the event loop
            // has queued: what comes after the first frame is not counted.
            QTimer::singleShot(0, [] { ::_exit(0); });
        }
        return QWidget::event(e);
    }

private:
    bool m_seen = false;
};

void logStallsIfAsked(QObject &owner)
{
    const QString path = qEnvironmentVariable("QUILLOMAT_BENCH_STALLS");
    if (path.isEmpty())
        return;
    auto *probe = new QTimer(&owner);
    probe->setTimerType(Qt::PreciseTimer);
    probe->setInterval(5);
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(probe, &QTimer::timeout, &owner, [since, path] {
        const qint64 gap = since->restart();
        if (gap <= 20)
            return;
        QFile log(path);
        if (log.open(QIODevice::Append))
            log.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' +
                      QByteArray::number(gap) + '\n');
        since->restart();
    });
    probe->start();
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    FirstFrame window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(400, 60);
    if (!qEnvironmentVariableIsEmpty("BARE_WINDOW_TEXT"))
        (new QLabel(QStringLiteral("2026. december 6. Vasárnap 07:05 Miklós napja"), &window))
            ->move(8, 8);
    window.show();
    logStallsIfAsked(window);
    return app.exec();
}
