#pragma once

#include <QSize>
#include <QString>

// The main window's three view modes: what each is called, how tall it is, and what a new size
// does to it. Sizes are in twips: the window's inside in the normal and title-bar views (the
// window manager's frame is its own), the whole window in the full view.
namespace quill::viewmodes {

enum class View {
    TitleBar, ///< only the title bar, which shows today's line (`cimsor`)
    Normal,   ///< today's panel (`mini`)
    Full,     ///< today's panel and the search (`teljes`)
};

QString normalTitle();
QString fullTitle();

/// The height a view gives the window, in twips.
int viewHeight(View view);

/// What the resize rule makes of a new size (twips) in a view: the size to set, or the
/// same size when it stays. `leavesTitleBarView` tells that the title-bar view is left for the
/// normal one.
struct ResizeOutcome {
    QSize size;
    bool leavesTitleBarView = false;
};
ResizeOutcome resizeRule(View view, QSize twipsSize);

} // namespace quill::viewmodes
