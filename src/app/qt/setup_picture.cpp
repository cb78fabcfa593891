#include "setup_picture.h"

#include "twips.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace ardenca::qt {

namespace {

// The drawing's geometry, in pixels of the picture at its design size, 545 x 417. A
// larger picture draws the same, scaled.
constexpr QSize design_size{545, 417};
constexpr int surface_y = 192;
constexpr int rod_left_x = 232;
constexpr int rod_right_x = 300;
constexpr int rod_top_y = 152;
constexpr int rod_bottom_y = 352;
constexpr int rod_half_width = 4;
constexpr QRect meter_box{344, 18, 152, 56};
constexpr QRect feed_point{rod_left_x - 10, rod_top_y - 14, rod_right_x - rod_left_x + 20, 14};
constexpr int cable_x = (rod_left_x + rod_right_x) / 2;
constexpr int cable_y = 46;

const QColor sky{0xf5, 0xf8, 0xfc};
const QColor ground{0xdc, 0xc6, 0x9e};
const QColor ground_grain{0xa8, 0x8b, 0x5e};
const QColor ink{0x20, 0x20, 0x20};
const QColor metal_dark{0x5c, 0x63, 0x6b};
const QColor metal_light{0xc4, 0xcb, 0xd2};
const QColor dimension{0x1d, 0x4f, 0x91};

void arrow_head(QPainter& p, QPointF tip, QPointF from) {
    const double dx = tip.x() - from.x();
    const double dy = tip.y() - from.y();
    const double len = std::hypot(dx, dy);
    if (len == 0)
        return;
    const double ux = dx / len, uy = dy / len;
    constexpr double size = 7, half = 3;
    const QPointF base(tip.x() - ux * size, tip.y() - uy * size);
    const QPointF left(base.x() - uy * half, base.y() + ux * half);
    const QPointF right(base.x() + uy * half, base.y() - ux * half);
    p.drawPolygon(QPolygonF{tip, left, right});
}

// A dimension line with arrows at both ends.
void dimension_line(QPainter& p, QPointF a, QPointF b) {
    p.drawLine(a, b);
    arrow_head(p, a, b);
    arrow_head(p, b, a);
}

void draw_rod(QPainter& p, int x) {
    QPainterPath rod;
    rod.moveTo(x - rod_half_width, rod_top_y);
    rod.lineTo(x + rod_half_width, rod_top_y);
    rod.lineTo(x + rod_half_width, rod_bottom_y);
    rod.lineTo(x, rod_bottom_y + 10);
    rod.lineTo(x - rod_half_width, rod_bottom_y);
    rod.closeSubpath();
    QLinearGradient shade(x - rod_half_width, 0, x + rod_half_width, 0);
    shade.setColorAt(0, metal_dark);
    shade.setColorAt(0.4, metal_light);
    shade.setColorAt(1, metal_dark);
    p.setPen(QPen(ink, 1));
    p.setBrush(shade);
    p.drawPath(rod);
}

} // namespace

SetupPicture::SetupPicture(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture1");
    setAutoFillBackground(false);
}

void SetupPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), sky);
    // One factor for both directions, so that the drawing keeps its proportions.
    const double k =
        std::min(width() / double(design_size.width()), height() / double(design_size.height()));
    p.scale(k, k);
    // The design's area, stretched by the rounding of the picture's size if need be.
    const QRect area(0, 0, static_cast<int>(std::ceil(width() / k)),
                     static_cast<int>(std::ceil(height() / k)));

    // Air above, earth below the surface line.
    p.fillRect(area, sky);
    const QRect earth(0, surface_y, area.width(), area.height() - surface_y);
    p.fillRect(earth, ground);
    p.fillRect(earth, QBrush(ground_grain, Qt::Dense7Pattern));
    p.setPen(QPen(QColor(0x6b, 0x4f, 0x2a), 2));
    p.drawLine(0, surface_y, area.width(), surface_y);

    const QFont text_font = window_font(default_font_points);
    const QFont bold_font = window_font(9.75, true);
    p.setFont(text_font);
    p.setPen(ink);
    p.drawText(QRect(area.width() - 130, surface_y - 18, 120, 16), Qt::AlignRight | Qt::AlignBottom,
               "Earth Surface");

    // The impedance meter.
    p.setPen(QPen(ink, 1.5));
    p.setBrush(QColor(0xe4, 0xe8, 0xee));
    p.drawRoundedRect(meter_box, 6, 6);
    p.setFont(bold_font);
    p.drawText(meter_box, Qt::AlignCenter, "Z Meter");
    p.setFont(text_font);

    // The feed line, drawn as a cable from the meter to the feed point on the rods.
    QPainterPath cable;
    cable.moveTo(meter_box.left(), cable_y);
    cable.lineTo(cable_x + 10, cable_y);
    cable.quadTo(cable_x, cable_y, cable_x, cable_y + 10);
    cable.lineTo(cable_x, feed_point.top());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 7, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(cable);
    p.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 3, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(cable);
    p.setPen(ink);
    p.drawText(QRect(cable_x + 12, cable_y - 22, meter_box.left() - cable_x - 14, 16),
               Qt::AlignCenter, "Feed Line");
    p.drawText(QRect(cable_x - 80, cable_y + 30, 72, 32), Qt::AlignRight | Qt::AlignVCenter,
               "Length\nL Degrees");

    // The probe: two rods joined at the top by the feed point.
    draw_rod(p, rod_left_x);
    draw_rod(p, rod_right_x);
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(0x3a, 0x3f, 0x46));
    p.drawRect(feed_point);

    p.setPen(QPen(dimension, 1));
    p.setBrush(dimension);

    // Length of the rods below the surface.
    const int length_x = rod_right_x + 44;
    p.drawLine(rod_right_x + rod_half_width + 3, rod_bottom_y, length_x + 6, rod_bottom_y);
    dimension_line(p, QPointF(length_x, surface_y + 1), QPointF(length_x, rod_bottom_y));
    p.drawText(QRect(length_x + 8, (surface_y + rod_bottom_y) / 2 - 8, 80, 16),
               Qt::AlignLeft | Qt::AlignVCenter, "Length m");

    // Spacing between the rods' axes.
    const int spacing_y = rod_bottom_y + 30;
    p.drawLine(rod_left_x, rod_bottom_y + 14, rod_left_x, spacing_y + 6);
    p.drawLine(rod_right_x, rod_bottom_y + 14, rod_right_x, spacing_y + 6);
    dimension_line(p, QPointF(rod_left_x, spacing_y), QPointF(rod_right_x, spacing_y));
    p.drawText(QRect(rod_right_x + 8, spacing_y - 8, 80, 16), Qt::AlignLeft | Qt::AlignVCenter,
               "Spacing m");

    // Radius: an enlarged cross-section of a rod, with a leader to the rod itself.
    const QPointF centre(96, 292);
    constexpr double radius = 22;
    p.setPen(QPen(ink, 1));
    QRadialGradient section(centre, radius);
    section.setColorAt(0, metal_light);
    section.setColorAt(1, metal_dark);
    p.setBrush(section);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(dimension, 1));
    p.setBrush(dimension);
    const QPointF rim(centre.x() + radius * std::cos(-0.6), centre.y() + radius * std::sin(-0.6));
    p.drawLine(centre, rim);
    arrow_head(p, rim, centre);
    p.drawText(QRect(static_cast<int>(centre.x()) - 50, static_cast<int>(centre.y() + radius) + 4,
                     100, 16),
               Qt::AlignCenter, "Radius m");
    p.setPen(QPen(dimension, 1, Qt::DashLine));
    p.drawLine(QPointF(centre.x() + radius, centre.y()),
               QPointF(rod_left_x - rod_half_width - 2, centre.y()));

    // The picture's sunken edge.
    p.resetTransform();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace ardenca::qt
