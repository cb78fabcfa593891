#include "recent_files_menu.h"

#include "about_ardenca.h"
#include "ardenca_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

#include <string>
#include <vector>

namespace ardenca::qt {

namespace {

// The program's settings, the same ones main() keeps View, Larger Text in.
std::unique_ptr<QSettings> settings() {
    return std::make_unique<QSettings>(QStringLiteral("Ardenca"), QStringLiteral("Ardenca"));
}

bool keep = false;

std::string to_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString from_path(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

RecentFiles read_list(const char* key) {
    if (!keep)
        return {};
    std::vector<std::string> paths;
    for (const QString& path : settings()->value(QLatin1String(key)).toStringList())
        paths.push_back(to_path(path));
    return RecentFiles(paths);
}

void write_list(const char* key, const RecentFiles& list) {
    if (!keep)
        return;
    QStringList paths;
    for (const std::string& path : list.paths())
        paths << from_path(path);
    settings()->setValue(QLatin1String(key), paths);
}

} // namespace

QStringList recent_files(const char* key) {
    const RecentFiles list = read_list(key);
    QStringList paths;
    for (const std::string& path : list.paths())
        paths << from_path(path);
    return paths;
}

void keep_recent_files(bool on) {
    keep = on;
}

void add_recent_file(const char* key, const QString& path) {
    RecentFiles list = read_list(key);
    list.add(to_path(path));
    write_list(key, list);
}

QString last_folder(FolderKind kind) {
    if (!keep)
        return {};
    const QString folder = settings()->value(QString::fromStdString(folder_key(kind))).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void remember_folder(FolderKind kind, const QString& path) {
    if (!keep || path.isEmpty())
        return;
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    settings()->setValue(QString::fromStdString(folder_key(kind)), folder);
}

RecentFilesMenu::RecentFilesMenu(const char* key, std::function<void(const QString&)> open,
                                 QWidget* parent)
    : QMenu(tr("Open &Recent"), parent), key_(key), open_(std::move(open)) {
    connect(this, &QMenu::aboutToShow, this, &RecentFilesMenu::rebuild);
    rebuild();
}

void RecentFilesMenu::rebuild() {
    clear();
    const QStringList paths = recent_files(key_);
    int number = 0;
    for (const QString& path : paths) {
        ++number;
        // &1 … &9, then &0 for the tenth: each entry has its key.
        const QString text =
            QStringLiteral("&%1 %2")
                .arg(number % 10)
                .arg(QFileInfo(path).fileName().replace(QLatin1Char('&'), QStringLiteral("&&")));
        QAction* action = addAction(text);
        action->setObjectName(QStringLiteral("recent_%1").arg(number));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { choose(path); });
    }
    if (paths.isEmpty()) {
        QAction* none = addAction(tr("No recent files"));
        none->setEnabled(false);
    }
    addSeparator();
    QAction* clear_list = addAction(tr("&Clear Menu"));
    clear_list->setObjectName(QStringLiteral("recent_clear"));
    clear_list->setEnabled(!paths.isEmpty());
    connect(clear_list, &QAction::triggered, this, [this] {
        write_list(key_, RecentFiles());
        rebuild();
    });
    setEnabled(true);
}

void RecentFilesMenu::choose(const QString& path) {
    if (QFileInfo(path).isFile()) {
        if (open_)
            open_(path);
        return;
    }
    RecentFiles list = read_list(key_);
    list.remove(to_path(path));
    write_list(key_, list);
    rebuild();
    if (!missing_box_) {
        missing_box_ = new QMessageBox(QMessageBox::Warning, tr("Open Recent"), QString(),
                                       QMessageBox::Ok, parentWidget());
        missing_box_->setObjectName(QStringLiteral("recent_missing_box"));
        missing_box_->setAttribute(Qt::WA_DeleteOnClose);
    }
    missing_box_->setText(tr("%1 is missing: it was moved, renamed or deleted. It has been "
                             "taken off the list.")
                              .arg(QDir::toNativeSeparators(path)));
    // Not exec(): a solve running in a sweep window goes on.
    missing_box_->open();
}

void install_recent_files(ArdencaWindow& main) {
    const QString folder = last_folder(FolderKind::Ground);
    if (!folder.isEmpty())
        main.file_dialog().set_initial_dir(to_path(folder));
    auto* menu = new RecentFilesMenu(
        recent_ground_key,
        [&main](const QString& path) {
            main.file_dialog().answer_next(path);
            main.open_Click();
        },
        &main);
    menu->setObjectName(QStringLiteral("recent_ground"));
    if (auto* file = main.findChild<QMenu*>(QStringLiteral("file"))) {
        const QList<QAction*> actions = file->actions();
        const qsizetype open = actions.indexOf(main.menu_action("open"));
        QAction* before = open >= 0 && open + 1 < actions.size() ? actions[open + 1] : nullptr;
        file->insertMenu(before, menu);
    }
    // A file opened (from the dialog, the command line or this menu) or saved joins
    // the list, and its folder is where the next dialog starts.
    const auto note = [&main] {
        const QString path = from_path(main.file_dialog().file_name());
        if (path.isEmpty())
            return;
        add_recent_file(recent_ground_key, path);
        remember_folder(FolderKind::Ground, path);
    };
    QObject::connect(&main, &ArdencaWindow::file_opened, menu, note);
    QObject::connect(&main, &ArdencaWindow::file_saved, menu, note);
}

} // namespace ardenca::qt
