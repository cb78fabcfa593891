#include "matching_option.h"

#include <QPainter>
#include <QStyleOptionButton>

#include <algorithm>

namespace ardenca::qt {

namespace {
constexpr int caption_flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
}

WrappingOption::WrappingOption(const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent) {}

QRect WrappingOption::indicator_rect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect indicator = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, this);
    // Level with the first line of the caption, not centred on the whole button.
    const int top = std::max(0, (fontMetrics().height() - indicator.height()) / 2);
    return QRect(QPoint(indicator.left(), top), indicator.size());
}

QRect WrappingOption::caption_rect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int spacing = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
    const int left = indicator_rect().right() + 1 + spacing;
    return QRect(left, 0, width() - left, height());
}

void WrappingOption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.rect = indicator_rect();
    style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &option, &painter, this);

    const QRect text_rect = caption_rect();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(text_rect, caption_flags, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(text_rect, caption_flags, text()).adjusted(-1, 0, 1, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

bool WrappingOption::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

} // namespace ardenca::qt
