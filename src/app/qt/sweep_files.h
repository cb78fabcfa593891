// The files the sweep window deals in: VNA sweeps and ground data files, named by path
// as Qt shows them and as the core opens them, and the files a drag carries.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

class QMimeData;

namespace ardenca::qt {

// The file types the sweep window opens, as lower-case suffixes: s1p, s2p, ts, csv.
bool is_sweep_file(const QString& path);
// Given a path, whether it names a sweep session (.json, any case).
bool is_session_file(const QString& path);
// Given a path, whether it names a ground data file (.gnd, any case).
bool is_ground_file(const QString& path);
// Given a path as Qt holds it, the bytes the core opens.
std::string local_path(const QString& path);
// Given a path as the core holds it, the text shown to the user.
QString shown_path(const std::string& path);
// Given a drag's data, the local files it carries.
QStringList dropped_files(const QMimeData* mime);
// Given some files, those that are sweeps.
QStringList sweep_files_in(const QStringList& files);
// The file dialog filter for sweeps.
QString sweep_filter();

} // namespace ardenca::qt
