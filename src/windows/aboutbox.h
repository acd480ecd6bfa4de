#pragma once

#include <QWidget>

namespace quill {

/// The about box (`about`): a borderless panel over the main window's upper left part that
/// shows the program's name, version and maker, closed by a click.
class AboutBox : public QWidget {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *mainWindow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createEdge();
    void createTexts();
};

} // namespace quill
