// The sweep window's File menu, its open dialogs, and the files dropped on it.
#include "help_window.h"
#include "recent_files_menu.h"
#include "sweep_window.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenuBar>

namespace ardenca::qt {

void SweepWindow::build_menu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("sweep_file"));
    auto add = [&](const char* name, const QString& caption, auto handler,
                   QList<QKeySequence> keys = {}) {
        QAction* action = file->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("open_sweep", tr("Open Sweep…"), &SweepWindow::open_dialog,
        {QKeySequence::Open, QKeySequence(QStringLiteral("Ctrl+Shift+O"))});
    build_session_menu(file);
    file->addSeparator();
    add("setup_file", tr("Set-up from Ground Data File…"), &SweepWindow::setup_file_dialog);
    add("setup_window", tr("Set-up from Main Window"), [this] { use_setup_file(QString()); });
    file->addSeparator();
    add("export_csv", tr("Export CSV…"), [this] { export_dialog(Export::Csv); });
    add("export_json", tr("Export JSON…"), [this] { export_dialog(Export::Json); });
    add("export_nec", tr("Export NEC Ground Card…"), [this] { export_dialog(Export::Nec); });
    add("export_nec_bands", tr("Export NEC Fragment by Bands…"), &SweepWindow::nec_bands_dialog);
    add("export_chart", tr("Save Chart as PNG or SVG…"), [this] { export_dialog(Export::Chart); });
    add("export_report", tr("Export Report…"), [this] { export_dialog(Export::Report); });
    file->addSeparator();
    add("close_sweep", tr("Close"), &QWidget::close, {QKeySequence::Close});

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("sweep_help"));
    QAction* guide = help->addAction(tr("&User Guide…"));
    guide->setObjectName(QStringLiteral("sweep_guide"));
    guide->setShortcut(QKeySequence::HelpContents);
    connect(guide, &QAction::triggered, this, [] { show_guide(); });
}

void SweepWindow::open_dialog() {
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, tr("Open Sweep"), last_folder(FolderKind::Sweep), sweep_filter());
    if (!paths.isEmpty())
        open_files(paths);
}

void SweepWindow::setup_file_dialog() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Set-up from Ground Data File"), last_folder(FolderKind::Ground),
        tr("Ground Data Files (*.gnd);;All files (*)"));
    if (!path.isEmpty())
        use_setup_file(path);
}

void SweepWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QString& file : dropped_files(event->mimeData()))
        if (is_sweep_file(file) || is_ground_file(file) || is_session_file(file)) {
            event->acceptProposedAction();
            return;
        }
}

void SweepWindow::dropEvent(QDropEvent* event) {
    const QStringList files = dropped_files(event->mimeData());
    // A session brings its own set-up and sweeps: it opens alone.
    for (const QString& file : files)
        if (is_session_file(file)) {
            open_session(file);
            event->acceptProposedAction();
            return;
        }
    for (const QString& file : files)
        if (is_ground_file(file))
            use_setup_file(file);
    const QStringList sweeps = sweep_files_in(files);
    if (!sweeps.isEmpty())
        open_files(sweeps);
    event->acceptProposedAction();
}

} // namespace ardenca::qt
