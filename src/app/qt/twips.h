// Turning the window tables' twips into Qt's logical pixels, and the window's fonts.
// 15 twips are one pixel at 96 dots per inch; Qt scales logical pixels on dense
// screens, so the window keeps its proportions everywhere. A TwipMap with a scale
// above 1 enlarges the whole form, text and layout alike (View, Larger Text).
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
QFont window_font(double points, bool bold = false, double scale = 1.0);

// The twip mapping at a form scale; scale 1 is the design's own, identical to px().
class TwipMap {
  public:
    explicit TwipMap(double scale = 1.0) : scale_(scale) {}

    double scale() const { return scale_; }
    // Given a length in twips, the nearest whole logical pixel at this scale.
    int px(int twips) const;
    QRect rect(const Rect& r) const;
    QFont font(double points, bool bold = false) const { return window_font(points, bold, scale_); }

  private:
    double scale_;
};

} // namespace ardenca::qt
