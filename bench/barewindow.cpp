// The floor for the start-up and idle benchmarks: a bare Qt Widgets window of the main window's
// size, nothing else; with BARE_WINDOW_TEXT set, one line of text in it (the floor of any window
// that shows text: the font system's start). With QUILLOMAT_BENCH_FIRST_FRAME set it ends after
// its first frame, as the program does. With QUILLOMAT_BENCH_STALLS set it logs each gap of its
// event loop over 20 ms to that file, as the program does: the floor of the stall figures.

#include "app/stallprobe.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <QWidget>
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
    quill::logStallsIfAsked(window);
    return app.exec();
}
