#include "sweep_chart.h"

#include "log_ticks.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace ardenca::charts {

namespace {

const QMargins chart_margins(4, 4, 8, 4);

constexpr int index_of(Quantity quantity) {
    return quantity == Quantity::Conductivity ? 0 : 1;
}

// Colours told apart also by most colour-blind readers; the average is black.
QColor location_colour(std::size_t index) {
    static const QColor colours[] = {QColor(0x00, 0x72, 0xb2), QColor(0xd5, 0x5e, 0x00),
                                     QColor(0x00, 0x9e, 0x73), QColor(0xcc, 0x79, 0xa7),
                                     QColor(0x56, 0xb4, 0xe9), QColor(0x8c, 0x56, 0x4b),
                                     QColor(0x59, 0x59, 0x59), QColor(0xf0, 0xa0, 0x00)};
    return colours[index % std::size(colours)];
}

QColor with_alpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

struct MarkStyle {
    QScatterSeries::MarkerShape shape;
    QColor colour;
    qreal size;
    bool hollow = false; // an outline around what it marks
};

MarkStyle mark_style(Mark mark) {
    switch (mark) {
    case Mark::Ambiguous:
        return {QScatterSeries::MarkerShapeTriangle, QColor(0xe6, 0x9f, 0x00), 11};
    case Mark::NoSolution:
        return {QScatterSeries::MarkerShapeRotatedRectangle, QColor(0xc0, 0x00, 0x00), 10};
    case Mark::ElectricallyLong:
        return {QScatterSeries::MarkerShapeRectangle, QColor(0x9b, 0x7f, 0xc0), 6};
    case Mark::Incomplete:
        return {QScatterSeries::MarkerShapePentagon, QColor(0xcc, 0x00, 0x99), 10};
    case Mark::OpenCircuit:
        return {QScatterSeries::MarkerShapeStar, QColor(0x70, 0x00, 0x00), 11};
    case Mark::OffModel:
        return {QScatterSeries::MarkerShapeCircle, QColor(0x00, 0x72, 0xb2), 9};
    case Mark::Outlier:
        return {QScatterSeries::MarkerShapeRectangle, QColor(0xd5, 0x5e, 0x00), 13, true};
    }
    return {QScatterSeries::MarkerShapeCircle, Qt::black, 8};
}

// Room a value label takes on the axis beyond its text's height: the charts give each
// label an equal share of the axis's height, less a padding above and below, and elide
// ("…") a label taller than that.
constexpr qreal label_padding_px = 6;

// Given a chart and its value axis, the most labels that stand whole on the plot's
// height now, at least 2 and at most most.
int fitting_value_ticks(const QChart* chart, const QAbstractAxis* axis, int most) {
    const qreal height = chart->plotArea().height();
    if (!(height > 0))
        return most;
    const qreal per_label = QFontMetricsF(axis->labelsFont()).height() + label_padding_px;
    return std::clamp(static_cast<int>(height / per_label) - 1, 2, most);
}

QList<QPointF> points_of(const std::vector<XY>& xy) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(xy.size()));
    for (const XY& p : xy)
        points.append(QPointF(p.x, p.y));
    return points;
}

QString qstr(const std::string& text) {
    return QString::fromStdString(text);
}

QString base_name(const std::string& path) {
    const QString name = QFileInfo(QString::fromStdString(path)).fileName();
    return name.isEmpty() ? QString::fromStdString(path) : name;
}

// Hides the legend entry of a series that repeats one already named.
void hide_legend(QChart* chart, QAbstractSeries* series) {
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
}

// Adds the runs of a line with their band; only the first run is named in the legend.
void add_runs(QChart* chart, const std::vector<Run>& runs, const QColor& colour, qreal width,
              bool with_band, int band_alpha, const QString& name, const QString& band_name,
              QAbstractAxis* x_axis, QAbstractAxis* y_axis) {
    bool line_named = false, band_named = false;
    auto attach = [&](QAbstractSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x_axis);
        series->attachAxis(y_axis);
    };
    if (with_band)
        for (const Run& run : runs) {
            auto* upper = new QLineSeries;
            auto* lower = new QLineSeries;
            upper->replace(points_of(run.upper));
            lower->replace(points_of(run.lower));
            auto* area = new QAreaSeries(upper, lower);
            upper->setParent(area);
            lower->setParent(area);
            area->setName(band_name);
            area->setPen(Qt::NoPen);
            area->setBrush(with_alpha(colour, band_alpha));
            attach(area);
            if (band_named || band_name.isEmpty())
                hide_legend(chart, area);
            band_named = true;
        }
    for (const Run& run : runs) {
        auto* line = new QLineSeries;
        line->setName(name);
        QPen pen(colour);
        pen.setWidthF(width);
        line->setPen(pen);
        if (run.line.size() == 1) {
            // A lone point has no line to draw: show it as a dot.
            line->setPointsVisible(true);
            line->setMarkerSize(width * 3);
        }
        line->replace(points_of(run.line));
        attach(line);
        if (line_named || name.isEmpty())
            hide_legend(chart, line);
        line_named = true;
    }
}

} // namespace

QString mark_name(Mark mark) {
    switch (mark) {
    case Mark::Ambiguous:
        return QObject::tr("Ambiguous");
    case Mark::NoSolution:
        return QObject::tr("No solution");
    case Mark::ElectricallyLong:
        return QObject::tr("Electrically long");
    case Mark::Incomplete:
        return QObject::tr("Count not proved");
    case Mark::OpenCircuit:
        return QObject::tr("Open circuit");
    case Mark::OffModel:
        return QObject::tr("Off the soil model");
    case Mark::Outlier:
        return QObject::tr("Left out");
    }
    return {};
}

QString mark_explanation(Mark mark) {
    switch (mark) {
    case Mark::Ambiguous:
        return QObject::tr("Ambiguous: another solution lies within the tracking tolerance, so "
                           "the tracked branch may be the wrong one here.");
    case Mark::NoSolution:
        return QObject::tr("No solution: no ground in the search box reproduces this reading "
                           "(often noise or a calibration error).");
    case Mark::ElectricallyLong:
        return QObject::tr("Electrically long: the rods are long against the wavelength in the "
                           "ground here, and several grounds can fit one reading.");
    case Mark::Incomplete:
        return QObject::tr("Count not proved: the solver could not show that its list of "
                           "solutions is complete.");
    case Mark::OpenCircuit:
        return QObject::tr("Open circuit: the meter read an infinite impedance.");
    case Mark::OffModel:
        return QObject::tr("Off the soil model: the ground nearest the fitted model lies more "
                           "than 3 uncertainties from it (a spoilt reading, or the soil's own "
                           "ground left the search box).");
    case Mark::Outlier:
        return QObject::tr("Left out: no ground here continues the band, so this reading "
                           "steers nothing; check this reading. The mark stands at its "
                           "solution nearest the line.");
    }
    return {};
}

QString mark_section(Mark mark) {
    switch (mark) {
    case Mark::Ambiguous:
        return QStringLiteral("flag-ambiguous");
    case Mark::NoSolution:
        return QStringLiteral("flag-no-solution");
    case Mark::ElectricallyLong:
        return QStringLiteral("flag-electrically-long");
    case Mark::Incomplete:
        return QStringLiteral("flag-count-not-proved");
    case Mark::OpenCircuit:
        return QStringLiteral("flag-open-circuit");
    case Mark::OffModel:
        return QStringLiteral("flag-off-the-soil-model");
    case Mark::Outlier:
        return QStringLiteral("flag-left-out");
    }
    return QStringLiteral("flags");
}

QString flag_text(unsigned flags) {
    QStringList parts;
    if (flags & sweep::Ambiguous)
        parts << QObject::tr("ambiguous");
    if (flags & sweep::NoSolution)
        parts << QObject::tr("no solution");
    if (flags & sweep::ElectricallyLong)
        parts << QObject::tr("electrically long");
    if (flags & sweep::InfiniteReading)
        parts << QObject::tr("open circuit");
    if (flags & sweep::IncompleteCount)
        parts << QObject::tr("count not proved");
    if (flags & sweep::Outlier)
        parts << QObject::tr("left out");
    if (flags & sweep::OffModel)
        parts << QObject::tr("off the soil model");
    if (flags & sweep::Provisional)
        parts << QObject::tr("provisional");
    return parts.join(QStringLiteral(", "));
}

SweepCharts::SweepCharts(QObject* parent) : QObject(parent) {
    for (Quantity quantity : {Quantity::Conductivity, Quantity::DielectricConstant}) {
        const int q = index_of(quantity);
        auto* chart = new QChart;
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->setBackgroundRoundness(0);
        chart->setMargins(chart_margins);
        QFont title_font = chart->titleFont();
        title_font.setBold(true);
        chart->setTitleFont(title_font);
        chart->setTitle(quantity == Quantity::Conductivity ? tr("Conductivity σ (S/m)")
                                                           : tr("Relative dielectric constant εr"));
        chart->legend()->setVisible(quantity == Quantity::DielectricConstant);
        chart->legend()->setAlignment(Qt::AlignBottom);

        auto* x_axis = new QCategoryAxis;
        x_axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        if (quantity == Quantity::DielectricConstant)
            x_axis->setTitleText(tr("Frequency (MHz)"));
        chart->addAxis(x_axis, Qt::AlignBottom);
        connect(x_axis, &QValueAxis::rangeChanged, this,
                [this, x_axis](qreal lo, qreal hi) { relabel(x_axis, lo, hi, 12, true); });

        // As many value labels as the plot's height holds whole, up to 8 (σ) or 7 (εr);
        // labelled again when the height changes.
        auto* y_axis = new QCategoryAxis;
        y_axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        y_axis->setTitleText(quantity == Quantity::Conductivity ? tr("σ (S/m)") : tr("εr"));
        const bool log = quantity == Quantity::Conductivity;
        const int most = log ? 8 : 7;
        connect(y_axis, &QValueAxis::rangeChanged, this,
                [this, chart, y_axis, most, log, q](qreal lo, qreal hi) {
                    value_ticks_[q] = fitting_value_ticks(chart, y_axis, most);
                    relabel(y_axis, lo, hi, value_ticks_[q], log);
                });
        connect(chart, &QChart::plotAreaChanged, this, [this, chart, y_axis, most, log, q] {
            if (relabelling_)
                return;
            const int ticks = fitting_value_ticks(chart, y_axis, most);
            if (ticks == value_ticks_[q])
                return;
            value_ticks_[q] = ticks;
            relabel(y_axis, y_axis->min(), y_axis->max(), ticks, log);
        });
        chart->addAxis(y_axis, Qt::AlignLeft);

        charts_[q] = chart;
        freq_axes_[q] = x_axis;
        value_axes_[q] = y_axis;
    }
    rebuild(Quantity::Conductivity);
    rebuild(Quantity::DielectricConstant);
    fit();
}

QChart* SweepCharts::chart(Quantity quantity) const {
    return charts_[index_of(quantity)];
}

QCategoryAxis* SweepCharts::freq_axis(Quantity quantity) const {
    return freq_axes_[index_of(quantity)];
}

QAbstractAxis* SweepCharts::value_axis(Quantity quantity) const {
    return value_axes_[index_of(quantity)];
}

void SweepCharts::relabel(QCategoryAxis* axis, double lo, double hi, int max_ticks, bool log) {
    if (relabelling_)
        return;
    relabelling_ = true;
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(lo);
    auto ticks_for = [&](int most) {
        return log ? log_ticks(lo, hi, most) : linear_ticks(lo, hi, most);
    };
    std::vector<Tick> ticks = ticks_for(max_ticks);
    // Room for two labels but round steps give one: the ends of a finer set instead.
    if (ticks.size() < 2 && max_ticks >= 2)
        if (auto finer = ticks_for(2 * max_ticks + 1); finer.size() >= 2)
            ticks = {finer.front(), finer.back()};
    for (const Tick& tick : ticks)
        axis->append(qstr(tick.label), tick.log10_value);
    relabelling_ = false;
}

void SweepCharts::set_result(sweep::SweepResult result, bool keep_view) {
    result_ = std::move(result);
    rebuild(Quantity::Conductivity);
    rebuild(Quantity::DielectricConstant);
    if (!keep_view)
        fit();
}

Range SweepCharts::fitted_freq_range() const {
    return freq_range(result_).value_or(Range{std::log10(1.0), std::log10(30.0)});
}

void SweepCharts::fit() {
    const Range x = fitted_freq_range();
    for (Quantity quantity : {Quantity::Conductivity, Quantity::DielectricConstant}) {
        const int q = index_of(quantity);
        if (!charts_[q])
            continue;
        freq_axes_[q]->setRange(x.lo, x.hi);
        const Range fallback = quantity == Quantity::Conductivity ? Range{-3, 0} : Range{0, 40};
        const Range y = value_range(result_, quantity).value_or(fallback);
        value_axes_[q]->setRange(y.lo, y.hi);
    }
}

void SweepCharts::rebuild(Quantity quantity) {
    const int q = index_of(quantity);
    QChart* chart = charts_[q];
    if (!chart)
        return;
    chart->removeAllSeries();
    QAbstractAxis* x_axis = freq_axes_[q];
    QAbstractAxis* y_axis = value_axes_[q];
    const auto& locations = result_.locations;
    const bool several = locations.size() > 1;
    const Range y_range =
        value_range(result_, quantity)
            .value_or(quantity == Quantity::Conductivity ? Range{-3, 0} : Range{0, 40});
    // Far enough above the bottom edge that a mark stands whole on a plot 100 pixels high.
    bottom_y_[q] = y_range.lo + 0.10 * (y_range.hi - y_range.lo);
    const double rug_y = y_range.lo + 0.045 * (y_range.hi - y_range.lo);

    std::vector<LocationSeries> series;
    series.reserve(locations.size());
    for (const auto& location : locations)
        series.push_back(location_series(location, quantity));

    auto attach = [&](QAbstractSeries* s) {
        chart->addSeries(s);
        s->attachAxis(x_axis);
        s->attachAxis(y_axis);
    };

    // Other solutions first, so that lines and marks are drawn over them.
    bool alternatives_named = false;
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (series[i].alternatives.empty())
            continue;
        auto* scatter = new QScatterSeries;
        scatter->setName(tr("Other solutions"));
        scatter->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        scatter->setMarkerSize(7);
        scatter->setColor(with_alpha(location_colour(i), 35));
        scatter->setBorderColor(with_alpha(location_colour(i), 150));
        scatter->replace(points_of(series[i].alternatives));
        attach(scatter);
        if (alternatives_named)
            hide_legend(chart, scatter);
        alternatives_named = true;
    }

    // The average under the locations' lines, so that each of them stays in sight where
    // it runs along the average.
    if (result_.average && !result_.average->empty())
        add_runs(chart, average_runs(*result_.average, quantity), Qt::black, 2.6, true, 45,
                 tr("Average"), tr("Spread (1 s.d.)"), x_axis, y_axis);

    // The classic search gives one ground per point and no uncertainty.
    const bool classic = result_.method == sweep::SolveMethod::Classic;
    const QString line_name = classic ? tr("Classic search") : tr("Tracked solution");
    // A location whose tracking may still change is drawn pale and named so (a dashed
    // pen would cost seconds on a long sweep).
    for (std::size_t i = 0; i < series.size(); ++i) {
        QString name = several ? base_name(locations[i].path) : line_name;
        if (series[i].provisional)
            name += tr(" (provisional)");
        const QColor colour =
            series[i].provisional ? with_alpha(location_colour(i), 120) : location_colour(i);
        add_runs(chart, series[i].runs, colour, several ? 1.6 : 2.2, !several && !classic, 55, name,
                 tr("Uncertainty (1 s.d.)"), x_axis, y_axis);
    }

    // Each location's model in a darker shade of its colour, named once in the legend so
    // that the other entries keep room for their names.
    bool model_named = false;
    for (std::size_t i = 0; i < series.size(); ++i)
        if (!series[i].model.empty()) {
            add_runs(chart, series[i].model, location_colour(i).darker(160), 1.2, !several, 30,
                     model_named ? QString() : tr("Soil model"), tr("Model uncertainty (1 s.d.)"),
                     x_axis, y_axis);
            model_named = true;
        }

    for (int m = 0; m < mark_count; ++m) {
        const Mark mark = static_cast<Mark>(m);
        QList<QPointF> points;
        for (const auto& s : series)
            for (const MarkedPoint& p : s.marks[m])
                points.append(QPointF(p.at.x, !p.at_bottom                     ? p.at.y
                                              : mark == Mark::ElectricallyLong ? rug_y
                                                                               : bottom_y_[q]));
        if (points.isEmpty())
            continue;
        const MarkStyle style = mark_style(mark);
        auto* scatter = new QScatterSeries;
        scatter->setName(mark_name(mark));
        scatter->setMarkerShape(style.shape);
        scatter->setMarkerSize(style.size);
        if (style.hollow) {
            scatter->setColor(with_alpha(style.colour, 1));
            QPen outline(style.colour, 2);
            scatter->setPen(outline);
        } else {
            scatter->setColor(style.colour);
            scatter->setBorderColor(style.colour.darker(150));
        }
        scatter->replace(points);
        attach(scatter);
        connect(scatter, &QScatterSeries::hovered, this,
                [this, mark](const QPointF& point, bool inside) {
                    emit mark_hovered(inside ? mark_tooltip(mark, point.x()) : QString());
                });
        connect(scatter, &QScatterSeries::doubleClicked, this,
                [this, mark] { emit guide_requested(mark_section(mark)); });
    }
}

namespace {

// The index of the point whose plotted frequency is nearest to x.
std::optional<std::size_t> nearest_point(const sweep::LocationResult& location, double x) {
    const auto& points = location.points;
    if (points.empty())
        return std::nullopt;
    const double freq_hz = unplotted_freq(x);
    auto it = std::lower_bound(points.begin(), points.end(), freq_hz,
                               [](const sweep::PointResult& p, double f) { return p.freq_hz < f; });
    std::size_t index = static_cast<std::size_t>(it - points.begin());
    if (index == points.size())
        return index - 1;
    if (index > 0 && std::fabs(plotted_freq(points[index - 1].freq_hz) - x) <
                         std::fabs(plotted_freq(points[index].freq_hz) - x))
        --index;
    return index;
}

QString with_u(double value, double u, const char* unit) {
    QString text = qstr(short_number(value));
    if (std::isfinite(u))
        text += QStringLiteral(" ± ") + qstr(short_number(u, 2));
    else if (std::isinf(u))
        text += QStringLiteral(" ± ∞"); // near a double root
    // NaN: not known (the classic search, the spread of one location)
    if (*unit)
        text += QLatin1Char(' ') + QString::fromUtf8(unit);
    return text;
}

} // namespace

QString SweepCharts::readout(double x) const {
    QStringList lines;
    const bool several = result_.locations.size() > 1;
    for (const auto& location : result_.locations) {
        const auto index = nearest_point(location, x);
        if (!index)
            continue;
        const auto& point = location.points[*index];
        QString line;
        if (several)
            line += base_name(location.path) + QStringLiteral(": ");
        line += qstr(short_number(point.freq_hz / 1e6, 7)) + QStringLiteral(" MHz  ");
        if (point.chosen && *point.chosen < point.solutions.size()) {
            const auto& s = point.solutions[*point.chosen];
            line += QStringLiteral("σ ") + with_u(s.sigma_s_per_m, s.u_sigma_s_per_m, "S/m") +
                    QStringLiteral("  εr ") + with_u(s.eps_r, s.u_eps_r, "");
        } else {
            line += tr("no tracked solution");
        }
        const auto n = point.solutions.size();
        line += n == 1 ? tr("  (1 solution)") : tr("  (%1 solutions)").arg(n);
        const QString flags = flag_text(point.flags);
        if (!flags.isEmpty())
            line += QStringLiteral("  ") + flags;
        if (point.model)
            line += tr("  model σ ") +
                    with_u(point.model->sigma_s_per_m, point.model->u_sigma_s_per_m, "S/m") +
                    QStringLiteral("  εr ") + with_u(point.model->eps_r, point.model->u_eps_r, "");
        lines << line;
    }
    if (result_.average && !result_.average->empty()) {
        const auto& average = *result_.average;
        const double freq_hz = unplotted_freq(x);
        const auto it =
            std::min_element(average.begin(), average.end(), [&](const auto& a, const auto& b) {
                return std::fabs(std::log(a.freq_hz / freq_hz)) <
                       std::fabs(std::log(b.freq_hz / freq_hz));
            });
        lines << tr("Average of %1: ").arg(it->locations) +
                     qstr(short_number(it->freq_hz / 1e6, 7)) + QStringLiteral(" MHz  σ ") +
                     with_u(it->sigma_mean_s_per_m, it->sigma_sd_s_per_m, "S/m") +
                     QStringLiteral("  εr ") + with_u(it->eps_r_mean, it->eps_r_sd, "") +
                     (it->interpolated ? tr("  (interpolated)") : QString());
    }
    return lines.join(QLatin1Char('\n'));
}

QString SweepCharts::mark_tooltip(Mark mark, double x) const {
    QString text = mark_explanation(mark);
    const QString values = readout(x);
    if (!values.isEmpty())
        text += QStringLiteral("\n") + values;
    return text + QStringLiteral("\n") + tr("Double-click the mark for more in the guide.");
}

void align_plot_areas(QChart* upper, QChart* lower) {
    if (!upper || !lower)
        return;
    // Widen the margin of the chart whose labels are narrower, on each side, so that
    // both plot areas span the same x. Margins, unlike a fixed plot area, keep working
    // when the charts are resized. Worked out from the areas as laid out now: where each
    // would stand with the plain margins, then the extra each needs.
    const QRectF a = upper->plotArea();
    const QRectF b = lower->plotArea();
    if (a.isEmpty() || b.isEmpty())
        return;
    const QMargins ma = upper->margins();
    const QMargins mb = lower->margins();
    const qreal left_a = a.left() - (ma.left() - chart_margins.left());
    const qreal left_b = b.left() - (mb.left() - chart_margins.left());
    const qreal right_a = a.right() + (ma.right() - chart_margins.right());
    const qreal right_b = b.right() + (mb.right() - chart_margins.right());
    const qreal left = std::max(left_a, left_b);
    const qreal right = std::min(right_a, right_b);
    QMargins na = chart_margins, nb = chart_margins;
    na.setLeft(chart_margins.left() + qRound(left - left_a));
    nb.setLeft(chart_margins.left() + qRound(left - left_b));
    na.setRight(chart_margins.right() + qRound(right_a - right));
    nb.setRight(chart_margins.right() + qRound(right_b - right));
    if (na != ma)
        upper->setMargins(na);
    if (nb != mb)
        lower->setMargins(nb);
}

} // namespace ardenca::charts
