// The two charts of a sweep result, σ (S/m, log scale) above εr (linear), both against
// frequency on a log axis in MHz: each location's tracked solution as a line with its
// uncertainty as a band (with several locations, their lines and the average with its
// spread), the other solutions as faint markers and flagged points marked. The window
// shows them in chart views; render_sweep_chart draws the same charts into a file.
#pragma once

#include "sweep/sweep_result.h"
#include "sweep_series.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>

QT_BEGIN_NAMESPACE
class QAbstractAxis;
class QCategoryAxis;
class QChart;
class QValueAxis;
QT_END_NAMESPACE

namespace ardenca::charts {

// What a mark on the chart means, for its tooltip and the legend.
QString mark_name(Mark mark);
QString mark_explanation(Mark mark);
// The guide's section that explains a mark, e.g. "flag-left-out".
QString mark_section(Mark mark);
// "ambiguous, electrically long" for a point's flags; empty when none.
QString flag_text(unsigned point_flags);

class SweepCharts : public QObject {
    Q_OBJECT
  public:
    // Makes the two charts, empty. They belong to whoever shows them (a chart view or a
    // graphics scene), not to this object.
    explicit SweepCharts(QObject* parent = nullptr);

    QChart* chart(Quantity quantity) const;
    QCategoryAxis* freq_axis(Quantity quantity) const;
    QAbstractAxis* value_axis(Quantity quantity) const;

    // Shows a result. The axes are fitted to it unless the user has zoomed or panned
    // since the last fit (keep_view), so that a chart filling in does not jump.
    void set_result(sweep::SweepResult result, bool keep_view = false);
    const sweep::SweepResult& result() const { return result_; }

    // Fits both charts' axes to the data.
    void fit();
    // The frequency range on the plotted axis (log10 MHz) that fit() shows.
    Range fitted_freq_range() const;

    // The values at the point nearest to the plotted frequency x, one line per location
    // and one for the average; empty when there are no points.
    QString readout(double x) const;
    // The explanation of the marks at the point nearest to x in the given mark series.
    QString mark_tooltip(Mark mark, double x) const;

  signals:
    // A flagged point is under the mouse (text empty when it left it).
    void mark_hovered(const QString& text);
    // A mark was clicked: the guide's section that explains it.
    void guide_requested(const QString& section);

  private:
    void rebuild(Quantity quantity);
    // Labels a log axis (log10 values plotted) or a linear one for the range shown.
    void relabel(QCategoryAxis* axis, double lo, double hi, int max_ticks, bool log);

    sweep::SweepResult result_;
    std::array<QPointer<QChart>, 2> charts_;
    std::array<QCategoryAxis*, 2> freq_axes_{};
    std::array<QAbstractAxis*, 2> value_axes_{};
    std::array<double, 2> bottom_y_{}; // where marks of unsolved points sit
    std::array<int, 2> value_ticks_{}; // the most value labels the plots' heights hold
    bool relabelling_ = false;
};

// Lines the two charts' plot areas up left and right (their value labels differ in
// width); call again after a resize.
void align_plot_areas(QChart* upper, QChart* lower);

} // namespace ardenca::charts
