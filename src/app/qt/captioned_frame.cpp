#include "captioned_frame.h"

#include <QPainter>

namespace ardenca::qt {

namespace {
constexpr int caption_indent = 8;
constexpr int caption_pad = 2;
} // namespace

CaptionedFrame::CaptionedFrame(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent) {}

int CaptionedFrame::top_line_y() const {
    return fontMetrics().height() / 2;
}

void CaptionedFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics metrics = fontMetrics();
    const int line_y = top_line_y();
    const QRect box = rect().adjusted(0, line_y, -1, -1);
    const int caption_w = metrics.horizontalAdvance(title());
    const QRect caption(caption_indent, 0, caption_w + 2 * caption_pad, metrics.height());

    // An etched line: dark, with a light line one pixel below and right of it.
    for (const auto& [colour, offset] :
         {std::pair{palette().color(QPalette::Mid), 0}, {palette().color(QPalette::Light), 1}}) {
        p.setPen(colour);
        const QRect r = box.translated(offset, offset).adjusted(0, 0, -1, -1);
        p.drawLine(r.left(), r.top(), caption.left(), r.top());
        p.drawLine(caption.right(), r.top(), r.right(), r.top());
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
        p.drawLine(r.left(), r.bottom(), r.left(), r.top());
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(caption, Qt::AlignCenter | Qt::TextDontClip, title());
}

} // namespace ardenca::qt
