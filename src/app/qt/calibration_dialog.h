// "Calibrate probe…": the air sweep and the short sweep chosen, the fixture fitted
// (lead, top and, when asked, the feed line), measured and fitted reactance drawn
// against frequency, and the fixture applied to the sweep window or saved as a file.
#pragma once

#include "app/sweep/probe_calibration.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QChartView;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ardenca::qt {

class CalibrationDialog : public QDialog {
    Q_OBJECT
  public:
    // setup: the probe the sweeps were made with (its air_m and feed line's Zo).
    CalibrationDialog(SweepSetup setup, QWidget* parent = nullptr);

    // Fits the fixture to the chosen files; false with the reason shown when it cannot.
    bool calibrate();
    const std::optional<ProbeCalibration>& calibration() const { return calibration_; }

    QLineEdit* air_edit() const { return air_; }
    QLineEdit* short_edit() const { return short_; }
    QCheckBox* fit_line_box() const { return fit_line_; }
    QLabel* result_label() const { return result_; }
    QChartView* chart_view() const { return chart_; }

  signals:
    // "Apply" pressed after a calibration: the fixture and the name it goes by.
    void applied(const files::FixtureFile& fixture, const QString& name);

  private:
    void browse(QLineEdit* edit);
    void save();
    void draw();

    SweepSetup setup_;
    std::optional<ProbeCalibration> calibration_;
    QString saved_path_;
    QLineEdit* air_ = nullptr;
    QLineEdit* short_ = nullptr;
    QCheckBox* fit_line_ = nullptr;
    QLabel* result_ = nullptr;
    QChartView* chart_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* save_ = nullptr;
};

} // namespace ardenca::qt
