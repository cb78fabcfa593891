// The sweep charts on screen: σ above εr, their frequency axes kept in step. Zoom with
// the left mouse button (drag a rectangle; right click zooms out), the wheel
// (frequency; with Ctrl the value axis) or + and -; pan with the middle button or
// Shift and the left button, or the arrow keys; 0 or Home fits the data again. Moving
// the mouse over a chart reads out the values at the nearest point.
#pragma once

#include "sweep_chart.h"

#include <QChartView>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

namespace ardenca::charts {

class ChartPane : public QChartView {
    Q_OBJECT
  public:
    ChartPane(QChart* chart, QWidget* parent);

    // Zooms the frequency axis (and the value axis too when both) by factor around the
    // plotted x, y; factor > 1 zooms in.
    void zoom_at(QPointF value, double factor, bool value_axis_too);
    // Moves the view by the given fractions of the shown ranges.
    void pan_by(double x_fraction, double y_fraction);
    // The explanation of the mark under the mouse (empty when none): shown as the tooltip
    // while the mouse rests on the mark.
    void set_mark_tip(const QString& text);

  signals:
    void hovered(double x); // the plotted frequency under the mouse
    void left();
    void view_changed(); // the user zoomed or panned
    void reset_requested();
    void resized();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    QPointF value_at(QPointF view_pos) const;
    void show_mark_tip(QPoint global_pos);
    QString mark_tip_;
    bool panning_ = false;
    QPointF last_pos_;
};

class SweepChartView : public QWidget {
    Q_OBJECT
  public:
    explicit SweepChartView(QWidget* parent = nullptr);

    SweepCharts& charts() { return *charts_; }
    ChartPane* pane(Quantity quantity) const;
    QLabel* readout_label() const { return readout_; }

    // Shows a result; a view the user has zoomed or panned stays where it is.
    void set_result(sweep::SweepResult result);
    // Fits the data again and forgets the user's zoom.
    void reset_view();
    bool user_moved_view() const { return user_moved_; }
    // The read-out for the plotted frequency x, as hovering there shows it.
    void show_readout_at(double x);

  private:
    void sync_freq_axes(Quantity from);
    void align_soon();
    void fit_readout_height();
    static QString readout_hint();
    // Locations listed in a read-out before "… and N more".
    static constexpr qsizetype readout_shown = 4;

    SweepCharts* charts_;
    std::array<ChartPane*, 2> panes_{};
    QLabel* readout_;
    std::optional<double> readout_x_; // where the read-out was read, while it shows values
    bool user_moved_ = false;
    bool syncing_ = false;
    bool align_pending_ = false;
};

} // namespace ardenca::charts
