#pragma once

#include <QRect>

#include <cmath>

namespace controls {

// Designed positions are in twips; the desk's screens run at 96 dpi.
inline constexpr int TwipsPerPixel = 15;

inline int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

// Left, top, width, height in twips, relative to the container.
struct TwipsRect
{
    int left;
    int top;
    int width;
    int height;

    QRect toPixels() const
    {
        return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    }
};

} // namespace controls
