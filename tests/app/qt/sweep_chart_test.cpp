// The sweep charts: axis ticks, what is drawn from a result, and the picture files.
#include "log_ticks.h"
#include "sweep_chart.h"
#include "sweep_chart_file.h"
#include "sweep_chart_view.h"
#include "sweep_fixture.h"
#include "sweep_series.h"

#include <QtTest>
#include <QtWidgets>

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>

#include "../../files/temp_dir.h"

using namespace ardenca;
using namespace ardenca::charts;

namespace {

// A location whose points 4 and 6 are left out: point 4 with a ground 5 % below point 3's
// and one three times it, point 6 with nothing the axis can show.
sweep::LocationResult with_left_out() {
    auto location = testing::made_location("a.s1p", 30, 1);
    auto& four = location.points[4];
    const auto& three = location.points[3].solutions[0];
    four.solutions = {three, three};
    four.solutions[0].eps_r = 3 * three.eps_r;
    four.solutions[1].eps_r = 0.95 * three.eps_r;
    four.chosen.reset();
    four.flags = sweep::Outlier;
    location.points[6].solutions.clear();
    location.points[6].chosen.reset();
    location.points[6].flags = sweep::Outlier;
    return location;
}

} // namespace

class SweepChartTest : public QObject {
    Q_OBJECT
  private slots:
    void ticks_and_short_numbers();
    void runs_marks_and_alternatives();
    void long_runs_are_thinned_keeping_extremes();
    void ranges_follow_the_tracked_values();
    void charts_hold_a_series_and_readout_per_run();
    void view_zooms_pans_and_resets_in_step();
    void left_out_readings_are_marked_and_lead_to_the_guide();
    void lines_marks_and_labels_stay_in_sight();
    void pictures();
};

void SweepChartTest::ticks_and_short_numbers() {
    // Log axes at 1-2-5 or 1..9 steps a decade; the linear εr axis at round steps, at most
    // as many ticks as asked for.
    const struct {
        bool log;
        double lo, hi;
        int max;
        QStringList labels;
    } cases[] = {
        {true, 1.5, 31, 12, {"2", "3", "4", "5", "6", "7", "8", "9", "10", "20", "30"}}, // HF
        {true, 1.5, 31, 6, {"2", "5", "10", "20"}},                                      // coarse
        {true, 1e-5, 20, 8, {"1e-05", "0.0001", "0.001", "0.01", "0.1", "1", "10"}},
        {true, 1e-12, 1e3, 8, {"1e-12", "1e-10", "1e-08", "1e-06", "0.0001", "0.01", "1", "100"}},
        {true, 7.02, 7.48, 10, {"7.1", "7.2", "7.3", "7.4"}}, // inside one digit
        {true, 3, 3, 10, {}},
        {false, 7.8, 38.4, 7, {"10", "15", "20", "25", "30", "35"}},
        {false, -0.5, 2.1, 4, {"0", "1", "2"}},
        {false, 11.02, 11.09, 5, {"11.02", "11.04", "11.06", "11.08"}}};
    for (const auto& c : cases) {
        const double lo = c.log ? std::log10(c.lo) : c.lo, hi = c.log ? std::log10(c.hi) : c.hi;
        QStringList got;
        double previous = -1e300;
        for (const Tick& tick : c.log ? log_ticks(lo, hi, c.max) : linear_ticks(lo, hi, c.max)) {
            got << QString::fromStdString(tick.label);
            QVERIFY(tick.log10_value >= lo - 1e-9 && tick.log10_value <= hi + 1e-9);
            QVERIFY(tick.log10_value > previous);
            previous = tick.log10_value;
            // The label is the value at the tick's place.
            const double value = std::stod(tick.label);
            QVERIFY(std::fabs((c.log ? std::log10(value) : value) - tick.log10_value) < 1e-9);
        }
        QCOMPARE(got, c.labels);
    }
    // Numbers for the labels and the read-outs.
    const struct {
        double value;
        int digits;
        const char* text;
    } numbers[] = {{0.0123456, 4, "0.01235"}, {12.5, 4, "12.5"},     {1e-5, 4, "1e-05"},
                   {2e7, 4, "2e+07"},         {-0.0, 4, "0"},        {7.0, 7, "7"},
                   {0.00012, 2, "0.00012"},   {123456, 4, "123456"}, {1.0 / 0.0, 4, "inf"}};
    for (const auto& c : numbers)
        QCOMPARE(QString::fromStdString(short_number(c.value, c.digits)), QString(c.text));
}

void SweepChartTest::runs_marks_and_alternatives() {
    const auto location = testing::made_location("a.s1p", 30, 1);
    const auto series = location_series(location, Quantity::Conductivity);
    // Point 10 has no solution: two runs, 10 and 19 points, every value on its log.
    QCOMPARE(series.runs.size(), std::size_t(2));
    QCOMPARE(series.runs[0].line.size(), std::size_t(10));
    QCOMPARE(series.runs[1].line.size(), std::size_t(19));
    for (const Run& run : series.runs)
        for (std::size_t i = 0; i < run.line.size(); ++i) {
            const double sigma = std::pow(10.0, run.line[i].y);
            QVERIFY(std::fabs(std::pow(10.0, run.upper[i].y) - 1.04 * sigma) < 1e-12);
            QVERIFY(std::fabs(std::pow(10.0, run.lower[i].y) - 0.96 * sigma) < 1e-12);
        }
    QCOMPARE(series.runs[0].line[0].x, 0.0); // 1 MHz

    // The classic search gives no uncertainty: no band, not an endless one.
    auto classic = location;
    classic.points[3].solutions[0].u_sigma_s_per_m = std::nan("");
    const auto plain = location_series(classic, Quantity::Conductivity);
    QVERIFY(plain.runs[0].upper[3].y == plain.runs[0].line[3].y &&
            plain.runs[0].lower[3].y == plain.runs[0].line[3].y);

    // The flags and the alternatives, on the εr chart.
    const auto eps = location_series(location, Quantity::DielectricConstant);
    const auto& no_solution = eps.marks[int(Mark::NoSolution)];
    QCOMPARE(no_solution.size(), std::size_t(1));
    QCOMPARE(no_solution[0].index, std::size_t(10));
    QVERIFY(no_solution[0].at_bottom);
    const auto& ambiguous = eps.marks[int(Mark::Ambiguous)];
    QCOMPARE(ambiguous.size(), std::size_t(1));
    QCOMPARE(ambiguous[0].at.y, location.points[15].solutions[0].eps_r);
    // Points past 70 % of the sweep have one other solution each and are long.
    QCOMPARE(eps.alternatives.size(), eps.marks[int(Mark::ElectricallyLong)].size());
    QCOMPARE(eps.alternatives.size(), std::size_t(9));
    // With the second solution chosen, the first is the alternative.
    auto second = location;
    second.points.back().chosen = 1;
    QCOMPARE(location_series(second, Quantity::DielectricConstant).alternatives.back().y,
             location.points.back().solutions[0].eps_r);

    // A soil model: one line with its band over the points that have it, and the points
    // off it marked where their ground is.
    QVERIFY(eps.model.empty());
    auto modelled = location;
    for (std::size_t i = 2; i < modelled.points.size(); ++i) {
        auto& p = modelled.points[i];
        p.model = calc::ModelGround{.freq_hz = p.freq_hz,
                                    .sigma_s_per_m = 0.01,
                                    .eps_r = 20,
                                    .u_sigma_s_per_m = 0.001,
                                    .u_eps_r = 2};
    }
    modelled.points[5].flags |= sweep::OffModel;
    const auto with_model = location_series(modelled, Quantity::DielectricConstant);
    QCOMPARE(with_model.model.size(), std::size_t(1));
    const Run& m = with_model.model[0];
    QCOMPARE(m.line.size(), modelled.points.size() - 2);
    QCOMPARE(m.line[0].x, plotted_freq(modelled.points[2].freq_hz));
    QVERIFY(m.line[0].y == 20 && m.upper[0].y == 22 && m.lower[0].y == 18);
    const auto& off = with_model.marks[int(Mark::OffModel)];
    QCOMPARE(off.size(), std::size_t(1));
    QCOMPARE(off[0].index, std::size_t(5));

    // Readings left out: marked at the ground nearest the line, or nearest the model where
    // one runs; with no ground to show, at the bottom.
    auto skipped = with_left_out();
    const double three_eps = skipped.points[3].solutions[0].eps_r;
    const auto left = location_series(skipped, Quantity::DielectricConstant);
    const auto& out = left.marks[int(Mark::Outlier)];
    QCOMPARE(out.size(), std::size_t(2));
    QCOMPARE(out[0].index, std::size_t(4));
    QCOMPARE(out[0].at.y, 0.95 * three_eps);
    QCOMPARE(out[0].at.x, plotted_freq(skipped.points[4].freq_hz));
    QVERIFY(!out[0].at_bottom && out[1].at_bottom);
    skipped.points[4].model = calc::ModelGround{.eps_r = 2.8 * three_eps};
    QCOMPARE(
        location_series(skipped, Quantity::DielectricConstant).marks[int(Mark::Outlier)][0].at.y,
        3 * three_eps);
}

void SweepChartTest::long_runs_are_thinned_keeping_extremes() {
    auto location = testing::made_location("a.s1p", 20001, 1);
    for (auto& p : location.points) // one long run
        if (!p.chosen) {
            p.solutions.push_back(location.points[0].solutions[0]);
            p.chosen = 0;
        }
    location.points[12345].solutions[0].eps_r = 500; // a spike
    const auto series =
        location_series(location, Quantity::DielectricConstant, {1000, 100, 50, 60});
    QCOMPARE(series.runs.size(), std::size_t(1));
    const auto& line = series.runs[0].line;
    QVERIFY(line.size() <= 1000 && line.size() >= 500);
    double highest = 0;
    for (std::size_t i = 1; i < line.size(); ++i) {
        QVERIFY(line[i].x >= line[i - 1].x);
        highest = std::max(highest, line[i].y);
    }
    QCOMPARE(highest, 500.0);
    QCOMPARE(series.alternatives.size(), std::size_t(100));
}

void SweepChartTest::ranges_follow_the_tracked_values() {
    auto result = testing::made_result(1, 40);
    // An alternative far away does not stretch the axis.
    result.locations[0].points[35].solutions[1].eps_r = 190;
    const auto eps = value_range(result, Quantity::DielectricConstant);
    QVERIFY(eps && eps->lo < testing::true_eps_r(30e6, 1) * 0.96);
    QVERIFY(eps->hi > testing::true_eps_r(1e6, 1) * 1.04 && eps->hi < 60);
    const auto sigma = value_range(result, Quantity::Conductivity);
    QVERIFY(sigma && sigma->lo < std::log10(0.96 * testing::true_sigma(1e6, 1)));
    QVERIFY(sigma->hi > std::log10(1.04 * testing::true_sigma(30e6, 1)));
    QVERIFY(!value_range(sweep::SweepResult{}, Quantity::Conductivity));
    const auto x = freq_range(result);
    QVERIFY(x && x->lo < 0 && x->hi > std::log10(30.0));
}

void SweepChartTest::charts_hold_a_series_and_readout_per_run() {
    SweepCharts charts;
    std::unique_ptr<QChart> sigma(charts.chart(Quantity::Conductivity));
    std::unique_ptr<QChart> eps(charts.chart(Quantity::DielectricConstant));
    const auto result = testing::made_result(1, 30);
    charts.set_result(result);
    auto count = [&](auto type) {
        int n = 0;
        for (auto* s : sigma->series())
            n += s->type() == type;
        return n;
    };
    QCOMPARE(count(QAbstractSeries::SeriesTypeLine), 2);    // two runs
    QCOMPARE(count(QAbstractSeries::SeriesTypeArea), 2);    // their bands
    QCOMPARE(count(QAbstractSeries::SeriesTypeScatter), 4); // others + three kinds of flag
    // The readout names the nearest point.
    const auto& p = result.locations[0].points[15];
    const QString text = charts.readout(plotted_freq(p.freq_hz) + 1e-4);
    QVERIFY2(text.contains(QString::fromStdString(short_number(p.freq_hz / 1e6, 7)) + " MHz"),
             qPrintable(text));
    QVERIFY2(
        text.contains(QString::fromStdString(short_number(p.solutions[0].sigma_s_per_m)) + " ± "),
        qPrintable(text));
    QVERIFY(text.contains("ambiguous"));
    QVERIFY(charts.readout(plotted_freq(result.locations[0].points[10].freq_hz))
                .contains("no tracked solution"));
    // Several locations: no per-location band, the average with its spread instead.
    charts.set_result(testing::made_result(3, 30));
    QCOMPARE(count(QAbstractSeries::SeriesTypeLine), 7);
    QCOMPARE(count(QAbstractSeries::SeriesTypeArea), 1);
    // The frequency axis is labelled in MHz.
    QVERIFY(charts.freq_axis(Quantity::Conductivity)->categoriesLabels().contains("10"));
}

void SweepChartTest::view_zooms_pans_and_resets_in_step() {
    SweepChartView view;
    view.resize(900, 700);
    view.show();
    view.set_result(testing::made_result(1, 50));
    auto* sigma_x = view.charts().freq_axis(Quantity::Conductivity);
    auto* eps_x = view.charts().freq_axis(Quantity::DielectricConstant);
    const double lo = sigma_x->min(), hi = sigma_x->max();
    ChartPane* pane = view.pane(Quantity::DielectricConstant);

    // The wheel zooms the frequency around the mouse, in both charts.
    const QPoint centre = pane->rect().center();
    QWheelEvent wheel(centre, pane->mapToGlobal(centre), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(pane->viewport(), &wheel);
    QVERIFY(sigma_x->max() - sigma_x->min() < 0.7 * (hi - lo));
    QCOMPARE(eps_x->min(), sigma_x->min());
    QCOMPARE(eps_x->max(), sigma_x->max());
    QVERIFY(view.user_moved_view());
    // A new result while zoomed keeps the view; keys pan it.
    const double zoomed_lo = sigma_x->min();
    view.set_result(testing::made_result(1, 60));
    QCOMPARE(sigma_x->min(), zoomed_lo);
    QTest::keyClick(pane, Qt::Key_Right);
    QVERIFY(sigma_x->min() > zoomed_lo && eps_x->min() == sigma_x->min());
    // Hovering reads out the nearest point.
    QTest::mouseMove(pane->viewport(), centre);
    QVERIFY(view.readout_label()->text().contains("MHz"));
    // Pointing at a flagged point explains the flag.
    QTest::keyClick(pane, Qt::Key_0);
    QChart* chart = pane->chart();
    QScatterSeries* ambiguous = nullptr;
    for (auto* series : chart->series())
        if (series->name() == mark_name(Mark::Ambiguous))
            ambiguous = qobject_cast<QScatterSeries*>(series);
    QVERIFY(ambiguous && ambiguous->count() == 1);
    const QPointF at = chart->mapToPosition(ambiguous->at(0), ambiguous);
    const QPoint pixel = pane->mapFromScene(chart->mapToScene(at));
    QTest::mouseMove(pane->viewport(), pixel + QPoint(5, 5));
    QTest::mouseMove(pane->viewport(), pixel);
    QTRY_VERIFY(QToolTip::text().startsWith("Ambiguous: "));
    QVERIFY(QToolTip::text().contains(" MHz"));
    // A mark's tooltip stays while the mouse rests there, past the view's own tooltip
    // request that comes after a pause (the scene knows of no tooltip and would take it
    // down), and goes when the mouse leaves the mark. (Away from the marks: the offscreen
    // platform tells the scene the mouse left when a tooltip window opens.)
    const QPoint rest_at =
        pane->mapFromScene(chart->mapToScene(chart->plotArea().topLeft())) + QPoint(20, 20);
    QTest::mouseMove(pane->viewport(), rest_at);
    pane->set_mark_tip(QStringLiteral("Ambiguous: resting"));
    QHelpEvent rest(QEvent::ToolTip, rest_at, pane->viewport()->mapToGlobal(rest_at));
    QApplication::sendEvent(pane->viewport(), &rest);
    QTest::qWait(1500);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Ambiguous: resting"));
    pane->set_mark_tip(QString());
    QTRY_VERIFY(!QToolTip::isVisible());
    // 0 fits the data again.
    pane->pan_by(0.2, 0);
    QTest::keyClick(pane, Qt::Key_0);
    QCOMPARE(sigma_x->min(), lo);
    QCOMPARE(eps_x->max(), hi);
    QVERIFY(!view.user_moved_view());
}

void SweepChartTest::lines_marks_and_labels_stay_in_sight() {
    // Two locations, the first equal to the average: its line is drawn over the
    // average's, so that it shows in its own colour.
    sweep::SweepResult result;
    result.locations = {testing::made_location("/data/a.s1p", 40, 1),
                        testing::made_location("/data/b.s1p", 40, 1.3)};
    result.average.emplace();
    for (const sweep::PointResult& p : result.locations[0].points)
        if (!p.solutions.empty())
            result.average->push_back({p.freq_hz,
                                       p.solutions[0].sigma_s_per_m,
                                       0,
                                       p.solutions[0].eps_r,
                                       0,
                                       2,
                                       false,
                                       {}});
    SweepChartView view;
    view.resize(900, 640);
    view.show();
    view.set_result(result);
    QApplication::processEvents();
    ChartPane* pane = view.pane(Quantity::DielectricConstant);
    const QImage image = pane->grab().toImage();
    int blue = 0; // pixels near the first location's colour, 0x0072b2
    for (int i : {3, 6, 8})
        for (int dy = -2; dy <= 2; ++dy) {
            const auto& p = result.locations[0].points[static_cast<std::size_t>(i)];
            const QPointF at =
                pane->chart()->mapToPosition({plotted_freq(p.freq_hz), p.solutions[0].eps_r});
            const QColor c =
                image.pixelColor(pane->mapFromScene(pane->chart()->mapToScene(at)) + QPoint(0, dy));
            blue +=
                c.red() < 50 && std::abs(c.green() - 0x72) < 50 && std::abs(c.blue() - 0xb2) < 50;
        }
    QVERIFY2(blue >= 3, qPrintable(QString::number(blue)));

    // A one-point sweep, electrically long and ambiguous, one without a solution, and two
    // long sweeps: at any height down to the charts' smallest, every flag's mark stands
    // whole inside the plot and no value label is cut to "...".
    sweep::SweepResult one;
    one.locations = {testing::made_location("/data/one.s1p", 3, 1)};
    one.locations[0].points.erase(one.locations[0].points.begin(),
                                  one.locations[0].points.begin() + 2);
    one.locations[0].points[0].flags |= sweep::ElectricallyLong | sweep::Ambiguous;
    sweep::SweepResult unsolved = one;
    unsolved.locations[0].points[0] = {7e6, {1, 1}, {1, 1}, {}, std::nullopt, sweep::NoSolution};
    sweep::SweepResult two = testing::made_result(2, 60);
    QStringList flag_marks;
    for (int m = 0; m < mark_count; ++m)
        flag_marks << mark_name(Mark(m));
    static const QRegularExpression cut(QStringLiteral("^[-+0-9.e]*(\\.\\.\\.|…)$"));
    for (int height = 400; height <= 900; height += 20)
        for (const sweep::SweepResult* r : {&one, &unsolved, &two}) {
            view.resize(640, height);
            view.set_result(*r);
            for (int settle = 0; settle < 3; ++settle)
                QTest::qWait(5);
            const QString where =
                QString("%1 points at height %2").arg(r->locations[0].points.size()).arg(height);
            for (Quantity quantity : {Quantity::Conductivity, Quantity::DielectricConstant}) {
                QChart* chart = view.pane(quantity)->chart();
                for (QAbstractSeries* series : chart->series())
                    if (auto* marks = qobject_cast<QScatterSeries*>(series);
                        marks && r != &two && flag_marks.contains(series->name()))
                        for (const QPointF& point : marks->points()) {
                            const qreal half = marks->markerSize() / 2;
                            QVERIFY2(chart->plotArea()
                                         .adjusted(half, half, -half, -half)
                                         .contains(chart->mapToPosition(point, marks)),
                                     qPrintable(series->name() + ", " + where));
                        }
                for (QGraphicsItem* item : view.pane(quantity)->scene()->items())
                    if (auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(item))
                        QVERIFY2(!text->isVisible() || !cut.match(text->toPlainText()).hasMatch(),
                                 qPrintable(where));
                auto* axis = qobject_cast<QCategoryAxis*>(view.charts().value_axis(quantity));
                QVERIFY2(axis->categoriesLabels().size() >= 2, qPrintable(where));
            }
        }
}

// The SVG form is drawn by the window's and the command line's chart exports.
void SweepChartTest::left_out_readings_are_marked_and_lead_to_the_guide() {
    SweepChartView view;
    view.resize(900, 700);
    view.show();
    sweep::SweepResult result;
    result.locations.push_back(with_left_out());
    view.set_result(result);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ChartPane* pane = view.pane(Quantity::DielectricConstant);
    QChart* chart = pane->chart();
    QScatterSeries* left = nullptr;
    for (auto* series : chart->series())
        if (series->name() == mark_name(Mark::Outlier))
            left = qobject_cast<QScatterSeries*>(series);
    QVERIFY(left && left->count() == 2);
    // In the legend, and an outline: the ground it marks shows through.
    QVERIFY(chart->legend()->markers(left).value(0) &&
            chart->legend()->markers(left)[0]->isVisible());
    QVERIFY(left->color().alpha() < 10);
    // Pointed at, it says what to do; double-clicked, it opens the guide where that is explained.
    // (The first hover brings up the read-out under the charts, which moves them.)
    QTest::mouseMove(pane->viewport(), pane->rect().center());
    QTRY_VERIFY(!view.readout_label()->text().isEmpty());
    QTest::qWait(50);
    const QPointF at = chart->mapToPosition(left->at(0), left);
    const QPoint pixel = pane->mapFromScene(chart->mapToScene(at));
    QTest::mouseMove(pane->viewport(), pixel + QPoint(5, 5));
    QTest::mouseMove(pane->viewport(), pixel);
    QTRY_VERIFY(QToolTip::text().startsWith("Left out: "));
    QVERIFY(QToolTip::text().contains("check this reading"));
    QSignalSpy guide(&view.charts(), &SweepCharts::guide_requested);
    QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, pixel);
    QCOMPARE(guide.count(), 1);
    QCOMPARE(guide[0][0].toString(), QString("flag-left-out"));
    // Every mark's section is in the guide.
    QFile file(ARDENCA_GUIDE);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString guide_text = QString::fromUtf8(file.readAll());
    for (int m = 0; m < mark_count; ++m)
        QVERIFY2(guide_text.contains("name=\"" + mark_section(Mark(m)) + "\""),
                 qPrintable(mark_section(Mark(m))));
}

void SweepChartTest::pictures() {
    testing::TempDir dir;
    std::string error;
    QVERIFY2(render_sweep_chart(testing::made_result(2, 60), dir / "chart.PNG", error),
             error.c_str());
    QImage image(QString::fromStdString(dir / "chart.PNG"));
    QCOMPARE(image.size(), QSize(2000, 1720));
    // Not blank: the tracked lines are drawn in their colour.
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            coloured += image.pixelColor(x, y).saturation() > 120;
    QVERIFY(coloured > 200);

    QVERIFY(!render_sweep_chart(testing::made_result(1, 5), dir / "chart.jpg", error));
    QVERIFY(error.find("must end in .png or .svg") != std::string::npos);
    const std::string missing = dir / "no/such/folder/chart.png";
    QVERIFY(!render_sweep_chart(testing::made_result(1, 5), missing, error));
    QVERIFY2(error.find("The file was not saved: " + missing) == 0, error.c_str());
}

QTEST_MAIN(SweepChartTest)
#include "sweep_chart_test.moc"
