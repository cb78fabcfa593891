// The main window's size and scale: the form fitted to the screen, View, Larger Text,
// and every control placed at the current scale.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "ardenca_window_parts.h"
#include "field_hints.h"
#include "twips.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace ardenca::qt {

using namespace window_parts;

namespace {

// View, Larger Text: the form's captions grow to the desktop's own UI font size (9
// points, 12 pixels, on most desktops), at least by a quarter, at most to twice their
// size, and the whole layout grows with them. The form cannot use that size by default:
// at the design size "Frequency Mhz" would need 90 pixels of a 73-pixel label.
double larger_text_scale() {
    const double desktop_px = QFontInfo(QApplication::font()).pixelSize();
    const double form_px = window_font(default_font_points).pixelSize();
    return std::clamp(desktop_px / form_px, 1.25, 2.0);
}

// Room kept for the window system's frame and title bar when the window is fitted to
// the screen.
constexpr QSize frame_allowance{16, 48};

// A screen too small for the design's form shrinks it at start-up, but its captions
// keep at least this many pixels of the screen itself; the scroll area shows the rest.
constexpr double smallest_form_font_px = 9;

// Gap between the picture and the window's right edge, and below the lowest control.
constexpr int margin_twips = 120;

// The lowest edge of any control, in twips of the client area.
int lowest_control_twips() {
    int bottom = client_height_twips;
    const auto lower = [&](Container c, const Rect& r) {
        if (c == Container::Window)
            bottom = std::max(bottom, r.top + r.height);
    };
    for (const auto& info : fields()) {
        lower(info.container, info.rect);
        lower(info.label.container, info.label.rect);
    }
    for (const auto& info : free_labels())
        lower(info.container, info.rect);
    for (const auto& info : buttons())
        lower(info.container, info.rect);
    return bottom;
}

} // namespace

QSize ArdencaWindow::design_window_size() const {
    const TwipMap map(text_scale_);
    return QSize(map.px(client_width_twips), map.px(client_height_twips) +
                                                 menuBar()->sizeHint().height() +
                                                 statusBar()->sizeHint().height());
}

QSize ArdencaWindow::fitted_size(QSize design, QSize available, int scroll_bar) {
    const QSize room = available - frame_allowance;
    QSize size = design;
    // A window cut in one direction gets a scroll bar across the other; make room for
    // it where the screen allows, so that a second bar is not needed.
    if (size.width() > room.width())
        size.rheight() += scroll_bar;
    if (size.height() > room.height())
        size.rwidth() += scroll_bar;
    return size.boundedTo(room).expandedTo(smallest_window);
}

int ArdencaWindow::scroll_bar_extent() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
}

double ArdencaWindow::fitted_scale(QSize design, QSize room, double device_pixel_ratio) {
    double scale = std::min(
        {1.0, room.width() / double(design.width()), room.height() / double(design.height())});
    // In hundredths, rounded down, so that the scaled form does fit.
    scale = std::floor(scale * 100) / 100;
    // Not below a form font of smallest_form_font_px pixels on the screen itself.
    const double form_px = window_font(default_font_points).pixelSize();
    return std::clamp(scale, std::min(1.0, smallest_form_font_px / (form_px * device_pixel_ratio)),
                      1.0);
}

void ArdencaWindow::fit_to(QSize available, double device_pixel_ratio) {
    const QSize bars(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    const TwipMap design;
    base_scale_ = fitted_scale(QSize(design.px(client_width_twips), design.px(client_height_twips)),
                               available - frame_allowance - bars, device_pixel_ratio);
    set_text_scale(base_scale_ * (larger_text_ ? larger_text_scale() : 1.0));
    resize(fitted_size(design_window_size(), available, scroll_bar_extent()));
}

void ArdencaWindow::fit_to_screen() {
    const QScreen* screen = this->screen();
    if (!screen) {
        resize(design_window_size());
        return;
    }
    fit_to(screen->availableGeometry().size(), screen->devicePixelRatio());
}

void ArdencaWindow::set_larger_text(bool on) {
    larger_text_ = on;
    if (QAction* action = menu_action("larger_text"); action && action->isChecked() != on)
        action->setChecked(on);
    set_text_scale(base_scale_ * (on ? larger_text_scale() : 1.0));
    // Grow or shrink with the form, as far as the screen allows.
    const QScreen* screen = this->screen();
    if (!isMaximized() && !isFullScreen() && screen)
        resize(fitted_size(design_window_size(), screen->availableGeometry().size(),
                           scroll_bar_extent()));
    // Before the window first shows (the setting of the last run), centred afresh.
    if (!isVisible())
        centre_on_screen();
}

void ArdencaWindow::set_text_scale(double scale) {
    text_scale_ = scale;
    apply_text_scale();
}

// Fonts and the client area's least size follow the text scale; positions follow in
// place_controls.
void ArdencaWindow::apply_text_scale() {
    const TwipMap map(text_scale_);
    client_->setFont(map.font(default_font_points));
    for (const Placed& p : placed_)
        if (p.font_points > 0)
            p.widget->setFont(map.font(p.font_points));
    for (const auto& info : fields())
        if (field_hint(info.field).role == FieldRole::Answer)
            field_edit(info.field)->setFont(map.font(default_font_points, true));
    client_->setMinimumSize(map.px(client_width_twips), map.px(client_height_twips));
    place_controls();
}

// Everything stands where the tables put it, at the text scale. Once the client area
// has room beyond the design's, down to the controls below it, the picture grows with
// it, keeping its proportions; the fields on it keep their size and move with the
// drawing, and the controls below the design's area move down with the picture's foot.
void ArdencaWindow::place_controls() {
    const TwipMap map(text_scale_);
    const Rect& picture = container_info(Container::Picture1).rect;
    const int picture_w = map.px(picture.width), picture_h = map.px(picture.height);
    const int room_w = client_->width() - map.px(picture.left + margin_twips);
    const int room_h = client_->height() - map.px(picture.top) -
                       map.px(lowest_control_twips() + margin_twips - picture.top - picture.height);
    picture_scale_ =
        std::max(1.0, std::min(room_w / double(picture_w), room_h / double(picture_h)));
    const auto scaled = [this](int pixels) {
        return static_cast<int>(std::lround(pixels * picture_scale_));
    };
    const int shift_down = scaled(picture_h) - picture_h;

    for (const Placed& p : placed_) {
        QRect r = map.rect(p.rect);
        if (p.widget == container_widget(Container::Picture1))
            r.setSize(QSize(scaled(picture_w), scaled(picture_h)));
        else if (p.container == Container::Picture1)
            r.moveTopLeft(QPoint(scaled(r.left()), scaled(r.top())));
        else if (p.container == Container::Window && p.rect.top >= client_height_twips)
            r.translate(0, shift_down);
        p.widget->setGeometry(r);
    }
}

bool ArdencaWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize)
        place_controls();
    return QMainWindow::eventFilter(watched, event);
}

void ArdencaWindow::centre_on_screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Not clamped: a window larger than the screen starts above or left of it.
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

} // namespace ardenca::qt
