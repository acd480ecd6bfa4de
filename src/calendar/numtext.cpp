#include "numtext.h"

#include <QString>
#include <cmath>

namespace quill {

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
} // namespace

double textValue(QStringView text)
{
    // Blanks may stand anywhere in the number ("1 2" reads 12), as the classic conversion does.
    QString number;
    bool seenDigit = false;
    bool seenPoint = false;
    bool seenSign = false;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if (isAsciiDigit(c)) {
            number += c;
            seenDigit = true;
        } else if ((c == u'+' || c == u'-') && !seenSign && !seenDigit && !seenPoint) {
            number += c;
            seenSign = true;
        } else if (c == u'.' && !seenPoint) {
            number += c;
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    // A long run of digits stays finite: toDouble saturates rather than failing.
    bool ok = false;
    const double v = number.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

bool isWhole(double value)
{
    return std::isfinite(value) && std::floor(value) == value;
}

QString numberText(double value)
{
    if (isWhole(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    return QString::number(value, 'g', 15);
}

} // namespace quill
