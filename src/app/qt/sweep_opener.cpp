// The main window's way into the sweep window: File, Open Sweep… and sweep files or a
// session dropped anywhere on the main window open the one sweep window.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "recent_files_menu.h"
#include "sweep_window.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>

namespace ardenca::qt {

namespace {

// Owns the sweep window of a main window and opens files in it.
class SweepOpener : public QObject {
  public:
    explicit SweepOpener(ArdencaWindow& main) : QObject(&main), main_(main) {}
    ~SweepOpener() override { delete window_.data(); }

    void open(const QStringList& paths) {
        if (!window_) {
            window_ = new SweepWindow(&main_);
            window_->setAttribute(Qt::WA_DeleteOnClose);
        }
        window_->show();
        window_->raise();
        window_->activateWindow();
        // A session opens alone: it brings its own sweeps.
        for (const QString& path : paths)
            if (is_session_file(path)) {
                window_->open_session(path);
                return;
            }
        if (!paths.isEmpty())
            window_->open_files(paths);
    }

    // The sweeps and sessions among files dragged in.
    static QStringList wanted(const QMimeData* mime) {
        QStringList files;
        for (const QString& file : dropped_files(mime))
            if (is_sweep_file(file) || is_session_file(file))
                files << file;
        return files;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter) {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            if (!wanted(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList sweeps = wanted(drop->mimeData());
            if (!sweeps.isEmpty()) {
                drop->acceptProposedAction();
                if (event->type() == QEvent::Drop)
                    open(sweeps);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    ArdencaWindow& main_;
    QPointer<SweepWindow> window_;
};

} // namespace

std::function<void(const QStringList&)> install_sweep_window(ArdencaWindow& main) {
    auto* opener = new SweepOpener(main);
    opener->setObjectName(QStringLiteral("sweep_opener"));
    auto* action = new QAction(QObject::tr("Open Sweep…"), &main);
    action->setObjectName(QStringLiteral("open_sweep"));
    action->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    QObject::connect(action, &QAction::triggered, opener, [opener, &main] {
        const QStringList paths = QFileDialog::getOpenFileNames(
            &main, QObject::tr("Open Sweep"), last_folder(FolderKind::Sweep), sweep_filter());
        if (!paths.isEmpty())
            opener->open(paths);
    });
    if (auto* file = main.findChild<QMenu*>(QStringLiteral("file")))
        file->insertAction(main.menu_action("save"), action);
    main.addAction(action);
    // Files dropped anywhere on the main window, its fields included.
    main.setAcceptDrops(true);
    main.installEventFilter(opener);
    for (QWidget* child : main.findChildren<QWidget*>())
        if (child->acceptDrops())
            child->installEventFilter(opener);
    QPointer<SweepOpener> guard(opener);
    return [guard](const QStringList& paths) {
        if (guard)
            guard->open(paths);
    };
}

} // namespace ardenca::qt
