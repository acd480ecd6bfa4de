#pragma once

#include <QSize>
#include <QString>

// The main window's three views: what each is called, how tall it is, and what a new size
// does to it. Sizes are outer sizes in twips.
namespace quill::views {

enum class View {
    TitleBar, ///< only the title bar, which shows today's line (`cimsor`)
    Normal,   ///< today's panel (`mini`)
    Full,     ///< today's panel and the search (`teljes`)
};

QString normalTitle();
QString fullTitle();

/// The height a view gives the window, in twips.
int viewHeight(View view);

/// What the resize rule makes of a new outer size (twips) in a view: the size to set, or the
/// same size when it stays. `leavesTitleBarView` tells that the title-bar view is left for the
/// normal one.
struct ResizeOutcome {
    QSize size;
    bool leavesTitleBarView = false;
};
ResizeOutcome resizeRule(View view, QSize twipsSize);

} // namespace quill::views
