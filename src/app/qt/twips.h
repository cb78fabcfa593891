// Turning the window tables' twips into Qt's logical pixels, and the window's fonts.
// 15 twips are one pixel at 96 dots per inch; Qt scales logical pixels on dense
// screens, so the window keeps its proportions everywhere.
#pragma once

#include "app/window_layout.h"

#include <QFont>
#include <QRect>

namespace ardenca::qt {

inline constexpr int twips_per_pixel = 15;

constexpr int px(int twips) {
    return (twips + twips_per_pixel / 2) / twips_per_pixel;
}

inline QRect px_rect(const Rect& r) {
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

// The window's sans-serif face for a size given in points of the design (8.25 or
// 9.75). The size is set in pixels so that text scales with the layout.
QFont window_font(double points, bool bold = false);

} // namespace ardenca::qt
