// The sweep window: VNA files (one per probe location) solved against frequency, shown
// as σ and εr charts, a table of every point and a panel of the readers' errors and
// warnings. Its parts live in files of their own: the panels (sweep_window_panels.cpp,
// sweep_setup_panel.h), the menu and drops (sweep_window_menu.cpp), the exports
// (sweep_window_export.cpp), the worker glue (sweep_window_run.cpp) and the main
// window's opener (sweep_opener.cpp). The probe set-up comes from the main window's fields or from
// a ground data file, plus fixture options set here; changing any of them solves again after a
// short pause. Solving runs on a thread of its own, a chunk of points at a time: each chunk comes
// back to this window by value in a queued call, the charts and the table fill in as chunks arrive,
// and Cancel stops the run at once.
#pragma once

#include "app/sweep/session_file.h"
#include "app/sweep/sweep_model.h"
#include "files/fixture_file.h"
#include "sweep_files.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSortFilterProxyModel;
class QTableView;
class QThread;

namespace ardenca::charts {
class SweepChartView;
}

namespace ardenca::qt {

class ArdencaWindow;
class CalibrationDialog;
class RecentFilesMenu;
class SweepSetupPanel;
class SweepTableModel;

class SweepWindow : public QMainWindow {
    Q_OBJECT
  public:
    // The set-up follows main's fields while "Main window" is chosen; without a main
    // window the set-up starts from the fields' default texts.
    explicit SweepWindow(ArdencaWindow* main = nullptr, QWidget* parent = nullptr);
    ~SweepWindow() override;

    // Opens these files as the locations of a new sweep and starts solving.
    void open_files(const QStringList& paths);
    // Takes the set-up from a ground data file, or from the main window again (empty
    // path), and solves again. A file that cannot be read is reported and changes
    // nothing.
    void use_setup_file(const QString& path);

    // Saves the files, the set-up, the fixture, the method and options and the table's
    // order as a session file (sweep_window_session.cpp); false after a warning.
    bool save_session(const QString& path);
    // Opens a session: what it names is restored and its sweeps solved. Files that have
    // gone are named in one message and the others open; a file that is no session, or
    // one of a newer version, is refused with the reason and changes nothing.
    bool open_session(const QString& path);
    // File, Open Recent: sweeps and sessions.
    RecentFilesMenu* recent_menu() const { return recent_menu_; }

    enum class Export { Csv, Json, Nec, Chart, Report };
    // Writes an export to path; nec_mhz is the ground card's frequency. Returns false
    // after showing the failure in a warning, as File, Save does.
    bool export_to(Export kind, const QString& path, double nec_mhz = 0);
    // Writes the NEC-2 fragment by bands (the one location's soil model at each of
    // band_mhz) to path; false after a warning, as export_to.
    bool export_nec_bands(const QString& path, const std::vector<double>& band_mhz);

    // Shows under the charts the values at the set-up's frequency, as hovering there
    // would.
    void show_readout_at_setup_frequency();

    // Solves with this fixture (a calibration's, or a file's) over the panel's lead and
    // top from now on; an empty name goes back to none.
    void use_fixture_file(const std::optional<files::FixtureFile>& fixture, const QString& name);
    // Reads a fixture file and uses it; a file that cannot be read is reported and
    // changes nothing.
    void open_fixture_file(const QString& path);
    // Opens "Calibrate Probe…" for the current set-up.
    CalibrationDialog* open_calibration();

    // Stops the running solve; what arrived so far stays.
    void cancel();
    bool running() const;

    const SweepModel& model() const { return model_; }
    charts::SweepChartView* chart_view() const { return charts_; }
    QTableView* table() const { return table_; }
    SweepTableModel* table_model() const { return table_model_; }
    QListWidget* message_list() const { return messages_; }
    QProgressBar* progress_bar() const { return progress_; }
    QPushButton* cancel_button() const { return cancel_button_; }
    QDoubleSpinBox* lead_nh_box() const;
    SweepSetupPanel* setup_panel() const { return setup_panel_; }
    QMessageBox* export_box() const { return export_box_; }
    // Copies the selected rows of the table (every row when none is selected) as
    // tab-separated text, with the column titles first.
    void copy_rows();

    // Sizes the window for a screen with this free area: the design's 1200 × 960, or less
    // where the screen is smaller (the panels then scroll), centred in it.
    void fit_to(QRect available);
    QScrollArea* scroll_area() const { return scroll_; }

    // The delay between the last change of the set-up and solving again.
    static constexpr int resolve_delay_ms = 400;

    // Replaces the work a run does (tests make slow or failing work with it).
    using WorkMaker =
        std::function<std::unique_ptr<SweepWork>(std::vector<std::string>, SweepSetup)>;
    void set_work_maker(WorkMaker maker) { work_maker_ = std::move(maker); }
    // Runs the export file dialog; by default exec(). Tests answer it with this.
    using DialogRunner = std::function<int(QFileDialog&)>;
    void set_dialog_runner(DialogRunner runner) { dialog_runner_ = std::move(runner); }

  public slots:
    void export_dialog(Export kind);

  signals:
    // A run ended: solved, cancelled, or nothing to solve.
    void run_ended();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void open_dialog();
    void setup_file_dialog();
    void nec_bands_dialog();
    void refresh();

  private:
    // How often the charts and the table take in what the worker sent.
    static constexpr int refresh_ms = 200;

    struct RunControl {
        std::atomic<bool> stop{false};
        std::shared_ptr<SweepWork> work;
    };

    void build_menu();
    void build_session_menu(QMenu* file);
    void session_dialog(bool save);
    // The charts' zoom when the user moved them, else none; and setting it again.
    std::optional<SessionZoom> chart_zoom() const;
    void set_chart_zoom(const SessionZoom& zoom);
    void build_controls();
    void build_table(QWidget* parent);
    // Widens the Flags column to hold its longest usual text whole.
    void widen_flags_column();
    void build_status_bar();
    void setup_changed();
    void resolve_if_changed();
    FixtureOptions fixture() const;
    // The set-up the window would solve with now; false with a sentence in error when
    // it cannot be read.
    bool current_setup(SweepSetup& setup, std::string& error) const;
    void launch(std::vector<std::string> paths, SweepSetup setup);
    void stop_worker();
    void take_step(int run, SweepStep step);
    void show_progress();
    void end_run();
    void show_messages();
    void show_setup();
    // The soil models and the ground at the panel's frequency, for the result as it is.
    void show_soil();
    void warn(const QString& message);

    QPointer<ArdencaWindow> main_;
    SweepModel model_;
    QString setup_file_; // empty: the main window's fields
    std::optional<files::FixtureFile> fixture_file_;
    QString fixture_name_;
    QString fixture_path_; // the fixture file read, empty for a calibration not saved
    RecentFilesMenu* recent_menu_ = nullptr;
    bool in_session_ = false; // open_files is opening a session's sweeps
    WorkMaker work_maker_;
    DialogRunner dialog_runner_ = [](QFileDialog& dialog) { return dialog.exec(); };
    QString last_folder_; // where the last export went
    std::shared_ptr<RunControl> control_;
    QThread* worker_ = nullptr;

    charts::SweepChartView* charts_ = nullptr;
    QTableView* table_ = nullptr;
    SweepTableModel* table_model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QListWidget* messages_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
    QLabel* status_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    SweepSetupPanel* setup_panel_ = nullptr;
    // Room kept for the window system's frame and title bar.
    static constexpr QSize frame_allowance{16, 48};
    QPointer<QMessageBox> export_box_;

    QElapsedTimer clock_; // since the run started
    QTimer resolve_timer_;
    QTimer refresh_timer_;
    bool dirty_ = false;
    bool dirty_charts_ = false; // points arrived that the charts do not show yet
    QElapsedTimer chart_clock_; // since the charts were last redrawn
    qint64 chart_interval_ms_ = 0;
    std::size_t messages_shown_ = 0;
};

// Gives the main window File, Open Sweep… (Ctrl+Shift+O) and lets sweep files be
// dropped on it; both open the (one) sweep window. Returns that window's opener:
// call it with paths to open them as ardenca FILE.s1p does.
std::function<void(const QStringList&)> install_sweep_window(ArdencaWindow& main);

} // namespace ardenca::qt
