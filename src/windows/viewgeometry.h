#pragma once

#include "viewmodes/viewrules.h"

#include <QSize>
#include <functional>

class QWidget;

namespace quill {

/// Where the main window sits and how large it is in each view: the normal view's inside is 6000
/// by 900 twips and the title-bar view has nothing below the title bar (sizes that need no frame,
/// so they hold from the first frame a window manager draws); the full view's 4500 twips are the
/// whole window's, its width left as the user made it. Always at the top centre of its screen.
class ViewGeometry {
public:
    explicit ViewGeometry(QWidget *window);

    /// Gives the window the size of `view`.
    void apply(viewmodes::View view);
    /// The window was resized (by anyone): the resize rule of `view`. True when the title-bar
    /// view is to be left for the normal one.
    bool resized(viewmodes::View view, QSize inside);
    /// The window moved: a window manager tells its frame only after the first frame, so the
    /// window is placed again then.
    void moved();
    void placeTopCentre();
    /// A view was chosen: the window manager gets a few tries again to give its size.
    void resetTries() { m_tries = 0; }

private:
    void applyInnerSize(QSize twipsSize);
    void applyOuterSize(QSize twipsSize);

    QWidget *m_window;
    bool m_resizing = false;
    int m_tries = 0;
    QSize m_knownFrame;
};

} // namespace quill
