#pragma once

#include <QRect>
#include <QSize>

namespace quill {

/// Where a window of `size` (its frame) goes beside `anchor` (the strip's frame) on a screen
/// whose free part is `available`: to its right where it fits, else to its left, else below or
/// above it; where it fits whole nowhere, shorter, on the roomier side of the strip (its pages
/// scroll); never past the screen's edges.
QRect placedBeside(const QRect &anchor, QSize size, const QRect &available);

} // namespace quill
