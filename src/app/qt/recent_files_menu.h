// File, Open Recent and the folders the file dialogs start in, kept in the program's
// settings from one run to the next. The list's rules (newest first, each file once,
// ten at most) are RecentFiles'; this keeps it in QSettings and shows it as a menu.
#pragma once

#include "app/recent_files.h"

#include <QMenu>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QMessageBox;

namespace ardenca::qt {

class ArdencaWindow;

// The settings keys of the two lists: the main window's ground data files, the sweep
// window's sweeps and sessions.
inline constexpr const char* recent_ground_key = "recent/ground_files";
inline constexpr const char* recent_sweep_key = "recent/sweep_files";

// Whether the lists and the dialogs' folders are read and kept in the settings at all.
// Off until the program turns it on (not for a run that only makes a picture), so that
// windows made by tests leave the user's settings alone.
void keep_recent_files(bool on);

// Given a key, the list as the settings hold it.
QStringList recent_files(const char* key);
// Puts path first in the list under key.
void add_recent_file(const char* key, const QString& path);

// Given a kind of file, the folder its dialogs start in: the one used last, while it
// still exists; else empty (the dialog's own choice).
QString last_folder(FolderKind kind);
// Remembers the folder of path (a file, or a folder) for the dialogs of this kind.
void remember_folder(FolderKind kind, const QString& path);

class RecentFilesMenu : public QMenu {
    Q_OBJECT
  public:
    // open is called with a chosen file that exists.
    RecentFilesMenu(const char* key, std::function<void(const QString&)> open, QWidget* parent);

    // Fills the menu from the settings, as it does each time before it shows.
    void rebuild();
    // Opens the entry as choosing it does: a file that has gone is told and leaves the list.
    void choose(const QString& path);
    // The message about a missing entry, while it shows.
    QMessageBox* missing_box() const { return missing_box_; }

  private:
    const char* key_;
    std::function<void(const QString&)> open_;
    QPointer<QMessageBox> missing_box_;
};

// Gives the main window File, Open Recent for ground data files: files it opens or saves
// join the list, and its file dialog starts in the folder used last.
void install_recent_files(ArdencaWindow& main);

} // namespace ardenca::qt
