#include "dialog_title.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace ardenca::qt {

void fit_title(QWidget& dialog) {
    // Title bars set the title in a bold font, often a little larger than the
    // application's; the icon and three buttons stand beside it, each about a line high.
    QFont font = QApplication::font();
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.15);
    else
        font.setPixelSize(font.pixelSize() * 115 / 100);
    const QFontMetrics metrics(font);
    const int title_px = metrics.horizontalAdvance(dialog.windowTitle());
    const int furniture_px = 4 * (metrics.height() + 8) + 16;
    const int width_px = title_px + furniture_px;
    dialog.setMinimumWidth(std::max(dialog.minimumWidth(), width_px));
    // A dialog whose layout keeps it at its contents' size (an input dialog, whose layout
    // is made as it shows) widens with its label, which spans it.
    if (auto* label = dialog.findChild<QLabel*>()) {
        const QStyle* style = dialog.style();
        label->setMinimumWidth(width_px - style->pixelMetric(QStyle::PM_LayoutLeftMargin) -
                               style->pixelMetric(QStyle::PM_LayoutRightMargin));
    }
}

} // namespace ardenca::qt
