// The sweep window's probe fixture: "Calibrate Probe…", a fixture file, or none.
#include "calibration_dialog.h"
#include "recent_files_menu.h"
#include "sweep_setup_panel.h"
#include "sweep_window.h"

#include <QFileInfo>

namespace ardenca::qt {

void SweepWindow::use_fixture_file(const std::optional<files::FixtureFile>& fixture,
                                   const QString& name) {
    fixture_file_ = name.isEmpty() ? std::nullopt : fixture;
    fixture_name_ = fixture_file_ ? name : QString();
    fixture_path_.clear();
    setup_panel_->show_fixture(fixture_name_);
    setup_changed();
}

void SweepWindow::open_fixture_file(const QString& path) {
    try {
        use_fixture_file(files::read_fixture_file(path.toStdString()), QFileInfo(path).fileName());
        fixture_path_ = QFileInfo(path).absoluteFilePath();
        remember_folder(FolderKind::Fixture, path);
    } catch (const files::FixtureFileError& e) {
        warn(QString::fromStdString(e.what()));
    }
}

CalibrationDialog* SweepWindow::open_calibration() {
    SweepSetup setup;
    std::string error;
    if (!current_setup(setup, error)) {
        warn(QString::fromStdString(error));
        return nullptr;
    }
    auto* dialog = new CalibrationDialog(setup, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &CalibrationDialog::applied, this,
            [this](const files::FixtureFile& fixture, const QString& name) {
                use_fixture_file(fixture, name);
            });
    dialog->show();
    return dialog;
}

} // namespace ardenca::qt
