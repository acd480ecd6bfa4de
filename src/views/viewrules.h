#pragma once

#include <QSize>
#include <QString>

namespace quill::views {

/// The three views and their window titles and heights (outer size, twips).
inline QString cimsor()
{
    return QStringLiteral("cimsor");
}
inline QString mini()
{
    return QStringLiteral("mini");
}
inline QString teljes()
{
    return QStringLiteral("teljes");
}

QString normalTitle();
QString fullTitle();

/// The height a view gives the window, in twips; -1 for an unknown view.
int viewHeight(const QString &nezet);

/// What the resize rule makes of a new outer size (twips) in a view: the size to set, or the
/// same size when it stays. `leavesTitleBarView` tells that the title-bar view is left for the
/// normal one.
struct ResizeOutcome {
    QSize size;
    bool leavesTitleBarView = false;
};
ResizeOutcome resizeRule(const QString &nezet, QSize twipsSize);

} // namespace quill::views
