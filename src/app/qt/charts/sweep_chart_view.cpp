#include "sweep_chart_view.h"

#include <QCategoryAxis>
#include <QChart>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace ardenca::charts {

namespace {

QValueAxis* x_axis_of(QChart* chart) {
    const auto axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

QValueAxis* y_axis_of(QChart* chart) {
    const auto axes = chart->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

void zoom_axis(QValueAxis* axis, double at, double factor) {
    if (!axis || factor <= 0)
        return;
    const double lo = at - (at - axis->min()) / factor;
    const double hi = at + (axis->max() - at) / factor;
    if (hi - lo > 1e-9)
        axis->setRange(lo, hi);
}

void shift_axis(QValueAxis* axis, double fraction) {
    if (!axis)
        return;
    const double step = (axis->max() - axis->min()) * fraction;
    axis->setRange(axis->min() + step, axis->max() + step);
}

} // namespace

ChartPane::ChartPane(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(160);
}

QPointF ChartPane::value_at(QPointF view_pos) const {
    return chart()->mapToValue(chart()->mapFromScene(mapToScene(view_pos.toPoint())));
}

void ChartPane::zoom_at(QPointF value, double factor, bool value_axis_too) {
    zoom_axis(x_axis_of(chart()), value.x(), factor);
    if (value_axis_too)
        zoom_axis(y_axis_of(chart()), value.y(), factor);
    emit view_changed();
}

void ChartPane::pan_by(double x_fraction, double y_fraction) {
    if (x_fraction != 0)
        shift_axis(x_axis_of(chart()), x_fraction);
    if (y_fraction != 0)
        shift_axis(y_axis_of(chart()), y_fraction);
    emit view_changed();
}

void ChartPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier))) {
        panning_ = true;
        last_pos_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    if (event->button() == Qt::RightButton)
        emit view_changed();
    QChartView::mousePressEvent(event);
}

void ChartPane::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPointF delta = event->position() - last_pos_;
        last_pos_ = event->position();
        chart()->scroll(-delta.x(), delta.y());
        emit view_changed();
        event->accept();
        return;
    }
    const QPointF pos = event->position();
    if (chart()->plotArea().contains(chart()->mapFromScene(mapToScene(pos.toPoint()))))
        emit hovered(value_at(pos).x());
    QChartView::mouseMoveEvent(event);
}

void ChartPane::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_) {
        panning_ = false;
        unsetCursor();
        event->accept();
        return;
    }
    const bool zooming = event->button() == Qt::LeftButton && rubberBand() != NoRubberBand;
    QChartView::mouseReleaseEvent(event);
    if (zooming)
        emit view_changed();
}

void ChartPane::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) {
        event->ignore();
        return;
    }
    zoom_at(value_at(event->position()), std::pow(1.25, steps),
            event->modifiers() & Qt::ControlModifier);
    event->accept();
}

void ChartPane::keyPressEvent(QKeyEvent* event) {
    const QRectF area = chart()->plotArea();
    const QPointF centre = chart()->mapToValue(area.center());
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoom_at(centre, 1.25, event->modifiers() & Qt::ControlModifier);
        break;
    case Qt::Key_Minus:
        zoom_at(centre, 0.8, event->modifiers() & Qt::ControlModifier);
        break;
    case Qt::Key_Left:
        pan_by(-0.1, 0);
        break;
    case Qt::Key_Right:
        pan_by(0.1, 0);
        break;
    case Qt::Key_Up:
        pan_by(0, 0.1);
        break;
    case Qt::Key_Down:
        pan_by(0, -0.1);
        break;
    case Qt::Key_0:
    case Qt::Key_Home:
        emit reset_requested();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ChartPane::leaveEvent(QEvent* event) {
    emit left();
    QChartView::leaveEvent(event);
}

void ChartPane::set_mark_tip(const QString& text) {
    mark_tip_ = text;
    if (text.isEmpty())
        QToolTip::hideText();
    else if (viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos())))
        show_mark_tip(QCursor::pos());
}

// The tooltip stands until the mouse leaves the mark: it is shown for the mark's
// neighbourhood, for as long as the mouse rests there, and the scene, which knows of no
// tooltip of its own, is not asked (it would take the tooltip down).
void ChartPane::show_mark_tip(QPoint global_pos) {
    constexpr int reach_px = 8;
    constexpr int resting_ms = 10 * 60 * 1000;
    const QPoint at = viewport()->mapFromGlobal(global_pos);
    QToolTip::showText(global_pos, mark_tip_, viewport(),
                       QRect(at - QPoint(reach_px, reach_px), QSize(2 * reach_px, 2 * reach_px)),
                       resting_ms);
}

bool ChartPane::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !mark_tip_.isEmpty()) {
        show_mark_tip(static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    }
    return QChartView::viewportEvent(event);
}

void ChartPane::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    emit resized();
}

SweepChartView::SweepChartView(QWidget* parent)
    : QWidget(parent), charts_(new SweepCharts(this)), readout_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (Quantity quantity : {Quantity::Conductivity, Quantity::DielectricConstant}) {
        auto* pane = new ChartPane(charts_->chart(quantity), this);
        pane->setObjectName(quantity == Quantity::Conductivity ? QStringLiteral("sigma_chart")
                                                               : QStringLiteral("eps_r_chart"));
        panes_[quantity == Quantity::Conductivity ? 0 : 1] = pane;
        // The εr chart carries the legend and the frequency title: give it more room, and
        // never so little that its frequency labels are cut to "…".
        if (quantity == Quantity::DielectricConstant)
            pane->setMinimumHeight(pane->minimumHeight() + 4 * pane->fontMetrics().lineSpacing());
        layout->addWidget(pane, quantity == Quantity::Conductivity ? 10 : 12);
        connect(pane, &ChartPane::hovered, this, &SweepChartView::show_readout_at);
        connect(pane, &ChartPane::view_changed, this, [this] {
            user_moved_ = true;
            align_soon();
        });
        connect(pane, &ChartPane::reset_requested, this, &SweepChartView::reset_view);
        connect(pane, &ChartPane::resized, this, &SweepChartView::align_soon);
        connect(charts_->chart(quantity), &QChart::plotAreaChanged, this,
                &SweepChartView::align_soon);
        connect(charts_->freq_axis(quantity), &QValueAxis::rangeChanged, this,
                [this, quantity] { sync_freq_axes(quantity); });
    }
    readout_->setObjectName(QStringLiteral("readout"));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setText(readout_hint());
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fit_readout_height();
    layout->addWidget(readout_);
    connect(charts_, &SweepCharts::mark_hovered, this, [this](const QString& text) {
        for (ChartPane* pane : panes_)
            pane->set_mark_tip(text);
    });
}

ChartPane* SweepChartView::pane(Quantity quantity) const {
    return panes_[quantity == Quantity::Conductivity ? 0 : 1];
}

void SweepChartView::set_result(sweep::SweepResult result) {
    charts_->set_result(std::move(result), user_moved_);
    fit_readout_height();
    // The read-out describes the result shown: read again where it was, or the hint.
    if (readout_x_)
        show_readout_at(*readout_x_);
    else
        readout_->setText(readout_hint());
    align_soon();
}

QString SweepChartView::readout_hint() {
    return tr("Move the mouse over a chart to read the values at a point.");
}

// As high as the most lines a read-out of this result can have, so that the charts do
// not move while the mouse does.
void SweepChartView::fit_readout_height() {
    const auto& result = charts_->result();
    const qsizetype locations = static_cast<qsizetype>(result.locations.size());
    const qsizetype lines = std::max<qsizetype>(1, std::min<qsizetype>(locations, readout_shown) +
                                                       (locations > readout_shown + 1 ? 1 : 0) +
                                                       (result.average ? 1 : 0));
    readout_->setFixedHeight(static_cast<int>(lines) * readout_->fontMetrics().lineSpacing() + 4);
}

void SweepChartView::reset_view() {
    user_moved_ = false;
    charts_->fit();
    align_soon();
}

void SweepChartView::show_readout_at(double x) {
    QStringList lines = charts_->readout(x).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Kept while there is nothing to read there, so that values coming in show.
    readout_x_ = x;
    if (lines.isEmpty()) {
        readout_->setText(readout_hint());
        return;
    }
    // Many locations: the first few and the average, so that the charts keep their room.
    constexpr qsizetype shown = readout_shown;
    const bool average = charts_->result().average && !charts_->result().average->empty();
    if (lines.size() > shown + 1) {
        const QString last = lines.last();
        const qsizetype hidden = lines.size() - shown - (average ? 1 : 0);
        lines = lines.mid(0, shown);
        lines << tr("… and %1 more locations").arg(hidden);
        if (average)
            lines << last;
    }
    readout_->setText(lines.join(QLatin1Char('\n')));
}

void SweepChartView::sync_freq_axes(Quantity from) {
    if (syncing_)
        return;
    syncing_ = true;
    const Quantity to =
        from == Quantity::Conductivity ? Quantity::DielectricConstant : Quantity::Conductivity;
    QValueAxis* source = charts_->freq_axis(from);
    QValueAxis* target = charts_->freq_axis(to);
    if (target->min() != source->min() || target->max() != source->max())
        target->setRange(source->min(), source->max());
    syncing_ = false;
}

void SweepChartView::align_soon() {
    if (align_pending_)
        return;
    align_pending_ = true;
    QTimer::singleShot(0, this, [this] {
        align_pending_ = false;
        align_plot_areas(charts_->chart(Quantity::Conductivity),
                         charts_->chart(Quantity::DielectricConstant));
    });
}

} // namespace ardenca::charts
