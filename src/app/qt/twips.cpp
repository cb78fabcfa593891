#include "twips.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace ardenca::qt {

namespace {
// The faces here draw larger letters than a bitmap face of the same nominal size: at
// nine tenths of the size their capitals stand as tall as the design expects (about
// 7 pixels for 8.25 points), and every caption fits its label.
constexpr double glyph_scale = 0.9;
} // namespace

QFont window_font(double points, bool bold, double scale) {
    QFont font;
    // Narrow faces first: the captions were laid out for a compact bitmap font and
    // "Frequency Mhz" or "Use Matching Section" must fit their labels.
    font.setFamilies(QStringList{"DejaVu Sans Condensed", "Liberation Sans", "Arimo", "Arial",
                                 "Helvetica", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    // A form made smaller rounds its text down, so that every caption still fits.
    const double pixels = points * 96.0 / 72.0 * glyph_scale * scale;
    font.setPixelSize(
        std::max(1, static_cast<int>(scale < 1 ? std::floor(pixels) : std::lround(pixels))));
    font.setBold(bold);
    return font;
}

int TwipMap::px(int twips) const {
    if (scale_ == 1.0)
        return ardenca::qt::px(twips);
    return static_cast<int>(std::lround(twips * scale_ / twips_per_pixel));
}

QRect TwipMap::rect(const Rect& r) const {
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

} // namespace ardenca::qt
