// The floor for the start-up and idle benchmarks: a bare Qt Widgets window of the main window's
// size, nothing else.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(400, 60);
    window.show();
    return app.exec();
}
