#include "viewgeometry.h"

#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quill {

using viewmodes::View;

ViewGeometry::ViewGeometry(QWidget *window)
    : m_window(window)
{
}

void ViewGeometry::apply(View view)
{
    const int height = viewmodes::viewHeight(view);
    if (view == View::Full)
        applyOuterSize(QSize(twips::fromPx(m_window->frameGeometry().width()), height));
    else
        applyInnerSize(QSize(6000, height));
}

void ViewGeometry::applyInnerSize(QSize twipsSize)
{
    const QSize inner = twips::size(twipsSize.width(), twipsSize.height());
    m_resizing = true;
    m_window->resize(std::max(1, inner.width()), std::max(1, inner.height()));
    m_resizing = false;
    placeTopCentre();
}

void ViewGeometry::applyOuterSize(QSize twipsSize)
{
    const QSize frame = m_window->frameGeometry().size() - m_window->geometry().size();
    const QSize outer = twips::size(twipsSize.width(), twipsSize.height());
    applyInnerSize(QSize(twips::fromPx(outer.width() - frame.width()),
                         twips::fromPx(outer.height() - frame.height())));
}

void ViewGeometry::placeTopCentre()
{
    const QScreen *s = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->geometry() : QRect();
    const QPoint place(area.left() + (area.width() - m_window->frameGeometry().width()) / 2,
                       area.top());
    if (m_window->frameGeometry().topLeft() != place)
        m_window->move(place);
}

bool ViewGeometry::resized(View view, QSize insidePx)
{
    if (m_resizing)
        return false;
    // The rule looks at the inside: in the title-bar view that is how far the user pulled the
    // window open below the title bar the window system draws.
    const QSize inside(twips::fromPx(insidePx.width()), twips::fromPx(insidePx.height()));
    const auto outcome = viewmodes::resizeRule(view, inside);
    if (outcome.leavesTitleBarView)
        return true;
    if (outcome.size != inside) {
        // A window manager that will not give the size would answer every request with
        // another refusal; a few tries are enough.
        if (++m_tries <= 3)
            applyInnerSize(outcome.size);
    } else {
        m_tries = 0;
        placeTopCentre();
    }
    return false;
}

void ViewGeometry::moved()
{
    const QSize frame = m_window->frameGeometry().size() - m_window->geometry().size();
    if (frame != m_knownFrame) {
        m_knownFrame = frame;
        placeTopCentre();
    }
}

} // namespace quill
