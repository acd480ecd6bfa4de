#pragma once

#include <QWidget>

namespace quill {

/// The about box: a borderless panel over the main window's upper left part, closed by a click.
class About : public QWidget {
    Q_OBJECT
public:
    explicit About(QWidget *mainWindow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace quill
