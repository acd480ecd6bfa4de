#include "viewrules.h"

namespace quill::viewmodes {

QString normalTitle()
{
    return QStringLiteral("A mai nap adatai") + QString(45, u' ') + QStringLiteral("Zelmarin©");
}

QString fullTitle()
{
    return QStringLiteral("Névnapok") + QString(39, u' ') + QStringLiteral("Zelmarin©");
}

int viewHeight(View view)
{
    switch (view) {
    case View::TitleBar:
        return 0;
    case View::Normal:
        return 900;
    case View::Full:
        break;
    }
    return 4500;
}

ResizeOutcome resizeRule(View view, QSize s)
{
    ResizeOutcome out{s, false};
    if (view == View::Normal) {
        if (s.height() < 890 || s.height() > 910)
            out.size.setHeight(900);
        if (s.width() < 5990 || s.width() > 6010)
            out.size.setWidth(6000);
    } else if (view == View::TitleBar) {
        if (s.height() > 410 || s.width() > 6010) {
            out.size = QSize(6000, 900);
            out.leavesTitleBarView = true;
        }
    }
    return out;
}

} // namespace quill::viewmodes
