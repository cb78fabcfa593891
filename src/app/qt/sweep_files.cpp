#include "sweep_files.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace ardenca::qt {

bool is_sweep_file(const QString& path) {
    static const QStringList suffixes{QStringLiteral("s1p"), QStringLiteral("s2p"),
                                      QStringLiteral("ts"), QStringLiteral("csv")};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

bool is_session_file(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0;
}

bool is_ground_file(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("gnd"), Qt::CaseInsensitive) == 0;
}

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString shown_path(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QStringList dropped_files(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

QStringList sweep_files_in(const QStringList& files) {
    QStringList sweeps;
    for (const QString& file : files)
        if (is_sweep_file(file))
            sweeps << file;
    return sweeps;
}

QString sweep_filter() {
    return QStringLiteral(
        "VNA sweeps (*.s1p *.s2p *.ts *.csv *.S1P *.S2P *.TS *.CSV);;All files (*)");
}

} // namespace ardenca::qt
