#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quill {

struct Services;

/// Opens the help at `page` (a file of the help, "beallitasok-jelzesek.html"); a help that cannot
/// be opened is told over `parent`.
void openHelpPage(Services &services, QWidget *parent, const QString &page);

/// F1 in `window` (and in the windows it holds) opens the help at the page `page` names then.
void helpOnF1(QWidget *window, Services &services, std::function<QString()> page);

} // namespace quill
