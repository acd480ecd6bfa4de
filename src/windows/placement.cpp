#include "placement.h"

#include <algorithm>

namespace quill {

QRect placedBeside(const QRect &anchor, QSize size, const QRect &available)
{
    size = size.boundedTo(available.size());
    const auto fitsAcross = [&](int left) {
        return left >= available.left() && left + size.width() - 1 <= available.right();
    };
    const auto fitsDown = [&](int top) {
        return top >= available.top() && top + size.height() - 1 <= available.bottom();
    };
    QPoint at;
    const int below = available.bottom() - anchor.bottom();
    const int above = anchor.top() - available.top();
    if (fitsAcross(anchor.right() + 1)) {
        at = {anchor.right() + 1, anchor.top()};
    } else if (fitsAcross(anchor.left() - size.width())) {
        at = {anchor.left() - size.width(), anchor.top()};
    } else if (fitsDown(anchor.bottom() + 1)) {
        at = {anchor.left(), anchor.bottom() + 1};
    } else if (fitsDown(anchor.top() - size.height())) {
        at = {anchor.left(), anchor.top() - size.height()};
    } else if (std::max(below, above) > 0) {
        // Not whole anywhere: shorter (its pages scroll), on the roomier side of the strip.
        size.setHeight(std::max(below, above));
        at = {anchor.left(), below >= above ? anchor.bottom() + 1 : available.top()};
    }
    at.setX(std::clamp(at.x(), available.left(), available.right() - size.width() + 1));
    at.setY(std::clamp(at.y(), available.top(), available.bottom() - size.height() + 1));
    return {at, size};
}

} // namespace quill
