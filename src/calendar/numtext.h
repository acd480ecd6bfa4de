#pragma once

#include <QChar>
#include <QStringView>

namespace quill {

/// Reads a text as a number the way every input of the program is read: blanks are skipped,
/// then the longest numeric beginning counts (sign, digits, a decimal point and digits);
/// a text with no number gives 0. "07" gives 7, " 1" gives 1, "1.5" gives 1.5, "abc" gives 0.
double textValue(QStringView text);

/// One of the ASCII digits 0-9 (not the other scripts' digits QChar::isDigit also takes).
inline bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

/// The value has no fractional part.
bool isWhole(double value);

/// The value as plain decimal text, as the search writes a day back ("07" becomes "7").
QString numberText(double value);

} // namespace quill
