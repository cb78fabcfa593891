#include "answer_edit.h"

#include <QPainter>

namespace ardenca::qt {

namespace {
constexpr int frame_px = 2;
}

AnswerEdit::AnswerEdit(QWidget* parent) : QLineEdit(parent) {}

QColor AnswerEdit::frame_colour() {
    return QColor(0xb8, 0x86, 0x0b);
}

void AnswerEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(frame_colour());
    // Four bars along the edges, over the style's own frame.
    const QRect r = rect();
    p.drawRect(r.left(), r.top(), r.width(), frame_px);
    p.drawRect(r.left(), r.bottom() + 1 - frame_px, r.width(), frame_px);
    p.drawRect(r.left(), r.top(), frame_px, r.height());
    p.drawRect(r.right() + 1 - frame_px, r.top(), frame_px, r.height());
}

} // namespace ardenca::qt
