#include "sweep_window.h"

#include "about_ardenca.h"
#include "app/ardenca.h"
#include "app/sweep/probe_calibration.h"
#include "ardenca_window.h"
#include "calc/arithmetic_fault.h"
#include "recent_files_menu.h"
#include "sweep_chart_view.h"
#include "sweep_setup_panel.h"
#include "sweep_table_model.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QThread>

namespace ardenca::qt {

SweepWindow::SweepWindow(ArdencaWindow* main, QWidget* parent)
    : QMainWindow(parent), main_(main), work_maker_(&make_sweep_work) {
    setObjectName(QStringLiteral("SweepWindow"));
    setWindowTitle(tr("Ardenca - Sweep"));
    setAcceptDrops(true);
    build_menu();
    build_controls();
    if (const QScreen* screen = this->screen())
        fit_to(screen->availableGeometry());
    else
        resize(1200, 960);

    resolve_timer_.setSingleShot(true);
    resolve_timer_.setInterval(resolve_delay_ms);
    connect(&resolve_timer_, &QTimer::timeout, this, &SweepWindow::resolve_if_changed);
    refresh_timer_.setInterval(refresh_ms);
    connect(&refresh_timer_, &QTimer::timeout, this, &SweepWindow::refresh);

    if (main_) {
        using enum Field;
        for (Field field : {Text1, Text2, Text3, Text8, Text31, Text25, Text26})
            if (QLineEdit* edit = main_->field_edit(field))
                connect(edit, &QLineEdit::textChanged, this, [this] {
                    if (setup_file_.isEmpty())
                        setup_changed();
                });
        for (auto option : {MatchingOption::None, MatchingOption::UseMatchingSection})
            if (QRadioButton* button = main_->option_button(option))
                connect(button, &QRadioButton::toggled, this, [this] {
                    if (setup_file_.isEmpty())
                        setup_changed();
                });
    }
    show_setup();
}

SweepWindow::~SweepWindow() {
    stop_worker();
    // The worker posts to this window: it must be gone before the window is.
    for (QThread* thread : findChildren<QThread*>())
        thread->wait();
}

FixtureOptions SweepWindow::fixture() const {
    return setup_panel_->fixture();
}

QDoubleSpinBox* SweepWindow::lead_nh_box() const {
    return setup_panel_->lead_nh_box();
}

bool SweepWindow::current_setup(SweepSetup& setup, std::string& error) const {
    try {
        if (!setup_file_.isEmpty()) {
            setup = setup_from_ground_file(local_path(setup_file_), fixture());
        } else if (main_) {
            setup = setup_from_window(main_->model(), fixture());
        } else {
            const Ardenca defaults;
            setup = setup_from_window(defaults, fixture());
        }
        if (fixture_file_)
            use_fixture(setup, *fixture_file_, fixture_name_.toStdString());
        return true;
    } catch (const ArithmeticFault& fault) {
        error = "The set-up cannot be read: " + std::string(fault.what()) + ".";
    } catch (const std::exception& failure) {
        error = failure.what(); // a ground data file that cannot be read
    }
    return false;
}

void SweepWindow::show_setup() {
    SweepSetup setup;
    std::string error;
    if (model_.state() != SweepModel::State::Empty) {
        setup = model_.setup();
    } else if (!current_setup(setup, error)) {
        setup_panel_->show_setup_text(QString::fromStdString(error));
        return;
    }
    const QString source = setup.source.empty() ? tr("Main window: ")
                                                : QFileInfo(shown_path(setup.source)).fileName() +
                                                      QStringLiteral(": ");
    setup_panel_->show_setup_text(source + QString::fromStdString(describe(setup)));
    setup_panel_->set_window_button_enabled(!setup_file_.isEmpty());
}

void SweepWindow::show_readout_at_setup_frequency() {
    const double freq_hz = model_.setup().engine.setup_freq_hz;
    if (freq_hz > 0)
        charts_->show_readout_at(charts::plotted_freq(freq_hz));
}

void SweepWindow::open_files(const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& path : paths) {
        files.push_back(local_path(QFileInfo(path).absoluteFilePath()));
        if (!in_session_)
            add_recent_file(recent_sweep_key, path);
    }
    if (!paths.isEmpty() && !in_session_)
        remember_folder(FolderKind::Sweep, paths.constLast());
    SweepSetup setup;
    std::string error;
    if (!current_setup(setup, error)) {
        stop_worker();
        table_model_->clear();
        model_.start(files, SweepSetup{});
        // A new run: the list starts again, whatever the last run left in it.
        messages_shown_ = 0;
        messages_->clear();
        model_.fail(error);
        end_run();
        return;
    }
    launch(std::move(files), std::move(setup));
}

void SweepWindow::use_setup_file(const QString& path) {
    const QString previous = setup_file_;
    setup_file_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    SweepSetup setup;
    try {
        if (!setup_file_.isEmpty())
            setup = setup_from_ground_file(local_path(setup_file_), fixture());
    } catch (const std::exception& error) {
        setup_file_ = previous;
        warn(QString::fromStdString(error.what()));
        return;
    }
    if (!setup_file_.isEmpty())
        remember_folder(FolderKind::Ground, setup_file_);
    setup_changed();
    resolve_timer_.stop();
    resolve_if_changed();
    show_setup();
}

void SweepWindow::setup_changed() {
    if (!model_.paths().empty())
        resolve_timer_.start();
    else
        show_setup();
}

void SweepWindow::resolve_if_changed() {
    if (model_.paths().empty())
        return;
    SweepSetup setup;
    std::string error;
    if (!current_setup(setup, error)) {
        // The files stay; the set-up has to be put right first.
        stop_worker();
        table_model_->clear();
        model_.start(model_.paths(), model_.setup());
        messages_shown_ = 0;
        messages_->clear();
        model_.fail(error);
        end_run();
        return;
    }
    if (model_.state() == SweepModel::State::Running ||
        model_.state() == SweepModel::State::Finished)
        if (same_setup(setup, model_.setup()))
            return;
    launch(model_.paths(), std::move(setup));
}

void SweepWindow::closeEvent(QCloseEvent* event) {
    cancel();
    QMainWindow::closeEvent(event);
}

} // namespace ardenca::qt
