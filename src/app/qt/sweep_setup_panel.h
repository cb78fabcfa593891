// The sweep window's probe set-up panel: where the set-up comes from (the main window's
// fields or a ground data file), the fixture between the meter and the rods, the solving
// method, whether the locations are averaged, the soil model fitted and the ground it
// gives at a frequency. Each row is a horizontal layout; more
// rows (a soil model, a probe calibration) go below the others through add_row.
#pragma once

#include "app/sweep/sweep_setup.h"

#include <QGroupBox>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace ardenca::qt {

class SweepSetupPanel : public QGroupBox {
    Q_OBJECT
  public:
    explicit SweepSetupPanel(QWidget* parent = nullptr);

    // The fixture, method and averaging the panel shows.
    FixtureOptions fixture() const;
    // Shows where the set-up comes from and what it is.
    void show_setup_text(const QString& text);
    // "Main Window Fields" can be pressed only while a ground data file is used.
    void set_window_button_enabled(bool enabled);
    // Shows which fixture file is in use (empty: none); lead and top are then the file's.
    void show_fixture(const QString& name);

    QDoubleSpinBox* lead_nh_box() const { return lead_nh_; }
    QDoubleSpinBox* top_pf_box() const { return top_pf_; }
    QDoubleSpinBox* air_m_box() const { return air_m_; }
    QComboBox* method_box() const { return method_; }
    QLabel* setup_label() const { return setup_label_; }
    // A new row under the others, for further options.
    QHBoxLayout* add_row();

    // Shows the soil models fitted (one line each; none: the row hides) and the ground at
    // the frequency in the "Ground at" box. With several lines only the area's (or the
    // first location's) shows until "All Locations" is pressed, so the charts keep room.
    void show_soil(const QStringList& models, const QStringList& ground_at);
    QToolButton* all_soil_button() const { return all_soil_; }
    double ground_at_mhz() const;
    QDoubleSpinBox* ground_at_box() const { return ground_at_; }
    QLabel* fit_label() const { return fit_label_; }
    QLabel* ground_at_label() const { return ground_at_label_; }

  signals:
    // The fixture, the method or the averaging changed.
    void options_changed();
    // The frequency of the "Ground at" box changed (nothing to solve again).
    void ground_at_changed();
    void window_fields_requested();
    void ground_file_requested();
    void reset_view_requested();
    // The probe fixture: calibrate it, take it from a file, or go without.
    void calibrate_requested();
    void fixture_file_requested();
    void fixture_clear_requested();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void enable_fixture();
    void fit_soil_heights();
    void show_soil_lines();

    QVBoxLayout* rows_ = nullptr;
    QLabel* setup_label_ = nullptr;
    QPushButton* use_window_ = nullptr;
    QDoubleSpinBox* lead_nh_ = nullptr;
    QDoubleSpinBox* top_pf_ = nullptr;
    QDoubleSpinBox* air_m_ = nullptr;
    QComboBox* method_ = nullptr;
    QLabel* fixture_label_ = nullptr;
    QPushButton* no_fixture_ = nullptr;
    bool fixture_file_ = false; // a fixture file is in use
    QCheckBox* average_ = nullptr;
    QComboBox* fit_ = nullptr;
    QLabel* fit_label_ = nullptr;
    QDoubleSpinBox* ground_at_ = nullptr;
    QLabel* ground_at_label_ = nullptr;
    QToolButton* all_soil_ = nullptr;
    QStringList model_lines_;
    QStringList ground_at_lines_;
};

} // namespace ardenca::qt
