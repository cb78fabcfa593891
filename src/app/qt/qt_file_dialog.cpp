#include "qt_file_dialog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace ardenca::qt {

namespace {

// File names travel through the model as the bytes the system uses for them.
std::string to_path(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString from_path(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The suffix of the name filter's first pattern, "gnd" for "Ground Data Files (*.gnd)";
// empty for a filter that takes any name.
QString filter_suffix(const QString& name_filter) {
    const qsizetype open = name_filter.lastIndexOf(QStringLiteral("(*."));
    if (open < 0)
        return {};
    const qsizetype start = open + 3;
    qsizetype end = start;
    while (end < name_filter.size() && name_filter[end].isLetterOrNumber())
        ++end;
    return name_filter.mid(start, end - start);
}

} // namespace

QtFileDialog::QtFileDialog(QWidget* parent, std::function<void(const QString&)> tell)
    : parent_(parent), tell_(std::move(tell)), runner_([](QFileDialog& d) { return d.exec(); }) {}

void QtFileDialog::tell_failure(const std::string& message) {
    if (tell_)
        tell_(QString::fromStdString(message));
}

std::optional<std::string> QtFileDialog::ask(DialogKind kind) {
    if (next_answer_) {
        const QString path = *next_answer_;
        next_answer_.reset();
        return to_path(path);
    }

    const bool open = kind == DialogKind::Open;
    QFileDialog dialog(parent_, open ? QStringLiteral("Open") : QStringLiteral("Save As"),
                       from_path(initial_dir()));
    dialog.setObjectName(QStringLiteral("CD1"));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);

    QStringList filters;
    for (const std::string& f : name_filters(filter()))
        filters << QString::fromStdString(f);
    dialog.setNameFilters(filters);
    if (filter_index() >= 1 && filter_index() <= filters.size())
        dialog.selectNameFilter(filters[filter_index() - 1]);
    // A name typed without a suffix in the Save dialog gets the selected filter's, so
    // that "mysite" becomes "mysite.gnd" and shows in the Open dialog later. The dialog
    // checks for an existing file under the completed name.
    if (!open) {
        dialog.setDefaultSuffix(filter_suffix(dialog.selectedNameFilter()));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& chosen) { dialog.setDefaultSuffix(filter_suffix(chosen)); });
    }
    // The proposed name: the file chosen last, or "new.gnd" on the first Save.
    if (!file_name().empty())
        dialog.selectFile(from_path(file_name()));

    QElapsedTimer in_dialog;
    in_dialog.start();
    const int answer = runner_(dialog);
    dialog_ns_ += in_dialog.nsecsElapsed();
    if (answer != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    set_filter_index(static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
    QString chosen = dialog.selectedFiles().first();
    if (!open && !dialog.defaultSuffix().isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += '.' + dialog.defaultSuffix();
    return to_path(chosen);
}

} // namespace ardenca::qt
