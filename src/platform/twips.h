#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

// Every position and size of the windows is designed in twips (1440 to the logical inch). At the
// 96 logical DPI that Qt uses for layout, a pixel is 15 twips; this is the one place that knows.
namespace quill::twips {

inline constexpr int perPixel = 15;

inline int toPx(int twips)
{
    return int(std::lround(double(twips) / perPixel));
}

inline int fromPx(int px)
{
    return px * perPixel;
}

inline QRect rect(int left, int top, int width, int height)
{
    return {toPx(left), toPx(top), toPx(width), toPx(height)};
}

inline QSize size(int width, int height)
{
    return {toPx(width), toPx(height)};
}

} // namespace quill::twips
