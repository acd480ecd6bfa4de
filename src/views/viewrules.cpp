#include "viewrules.h"

namespace quill::views {

QString normalTitle()
{
    return QStringLiteral("A mai nap adatai") + QString(45, u' ') + QStringLiteral("Zelmarin©");
}

QString fullTitle()
{
    return QStringLiteral("Névnapok") + QString(39, u' ') + QStringLiteral("Zelmarin©");
}

int viewHeight(const QString &nezet)
{
    if (nezet == cimsor())
        return 0;
    if (nezet == mini())
        return 900;
    if (nezet == teljes())
        return 4500;
    return -1;
}

ResizeOutcome resizeRule(const QString &nezet, QSize s)
{
    ResizeOutcome out{s, false};
    if (nezet == mini()) {
        if (s.height() < 890 || s.height() > 910)
            out.size.setHeight(900);
        if (s.width() < 5990 || s.width() > 6010)
            out.size.setWidth(6000);
    } else if (nezet == cimsor()) {
        if (s.height() > 410 || s.width() > 6010) {
            out.size = QSize(6000, 900);
            out.leavesTitleBarView = true;
        }
    }
    return out;
}

} // namespace quill::views
