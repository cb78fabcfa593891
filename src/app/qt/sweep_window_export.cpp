// The sweep window's exports: CSV, JSON, the NEC ground card, the chart picture and the
// printable report, each through a file dialog or straight to a path, and the table's
// rows copied as text.
#include "app/sweep/sweep_table.h"
#include "ardenca_version.h"
#include "dialog_title.h"
#include "export/nec_export.h"
#include "recent_files_menu.h"
#include "report_pdf.h"
#include "sweep_chart_file.h"
#include "sweep_table_model.h"
#include "sweep_window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <chrono>
#include <set>
#include <stdexcept>

namespace ardenca::qt {

void SweepWindow::copy_rows() {
    std::vector<int> proxy_rows;
    if (const auto* selection = table_->selectionModel()) {
        std::set<int> unique;
        for (const QModelIndex& index : selection->selectedIndexes())
            unique.insert(index.row());
        proxy_rows.assign(unique.begin(), unique.end());
    }
    if (proxy_rows.empty())
        for (int r = 0; r < proxy_->rowCount(); ++r)
            proxy_rows.push_back(r);
    std::vector<SweepRow> rows;
    rows.reserve(proxy_rows.size());
    for (int r : proxy_rows) {
        const QModelIndex source = proxy_->mapToSource(proxy_->index(r, 0));
        rows.push_back(table_model_->rows().at(static_cast<std::size_t>(source.row())));
    }
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(tab_separated(model_.result(), rows)));
}

bool SweepWindow::export_to(Export kind, const QString& path, double nec_mhz) {
    const std::string file = local_path(path);
    try {
        switch (kind) {
        case Export::Csv:
            model_.export_csv(file);
            break;
        case Export::Json:
            model_.export_json(file);
            break;
        case Export::Nec:
            model_.export_nec(file, nec_mhz * 1e6);
            break;
        case Export::Chart: {
            std::string error;
            if (!charts::render_sweep_chart(model_.result(), file, error))
                throw std::runtime_error(error);
            break;
        }
        case Export::Report: {
            const SweepSetup& setup = model_.setup();
            const exports::ReportInfo info{
                program_version, exports::local_date_text(std::chrono::system_clock::now()),
                setup.source, setup.fixture_name};
            std::string error;
            if (!report::write_sweep_report(model_.result(), info, file, error))
                throw std::runtime_error(error);
            break;
        }
        }
    } catch (const std::exception& error) {
        warn(QString::fromStdString(error.what()));
        return false;
    }
    status_->setText(tr("Saved %1.").arg(QFileInfo(path).fileName()));
    return true;
}

bool SweepWindow::export_nec_bands(const QString& path, const std::vector<double>& band_mhz) {
    std::vector<double> band_hz;
    for (double mhz : band_mhz)
        band_hz.push_back(mhz * 1e6);
    try {
        model_.export_nec_bands(local_path(path), band_hz);
    } catch (const std::exception& error) {
        warn(QString::fromStdString(error.what()));
        return false;
    }
    status_->setText(tr("Saved %1.").arg(QFileInfo(path).fileName()));
    return true;
}

void SweepWindow::nec_bands_dialog() {
    QInputDialog input(this);
    input.setObjectName(QStringLiteral("nec_bands"));
    input.setWindowTitle(tr("NEC Fragment by Bands"));
    input.setLabelText(tr("Frequencies (MHz), separated by commas:"));
    input.setTextValue(QStringLiteral("1.8, 3.5, 7, 14, 21, 28"));
    fit_title(input);
    if (input.exec() != QDialog::Accepted)
        return;
    const QString text = input.textValue();
    std::vector<double> band_mhz;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool number = false;
        const double mhz = item.trimmed().toDouble(&number);
        if (!number || !(mhz > 0)) {
            warn(tr("'%1' is not a frequency in MHz.").arg(item.trimmed()));
            return;
        }
        band_mhz.push_back(mhz);
    }
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export"), last_folder_.isEmpty() ? last_folder(FolderKind::Export) : last_folder_,
        tr("NEC decks (*.nec)"));
    if (path.isEmpty())
        return;
    last_folder_ = QFileInfo(path).absolutePath();
    remember_folder(FolderKind::Export, path);
    export_nec_bands(path, band_mhz);
}

void SweepWindow::warn(const QString& message) {
    if (!export_box_) {
        export_box_ =
            new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
        export_box_->setObjectName(QStringLiteral("export_box"));
        export_box_->setAttribute(Qt::WA_DeleteOnClose);
    }
    export_box_->setText(message);
    // Not exec(): the warning must not hold up the solve or the event loop.
    export_box_->open();
}

void SweepWindow::export_dialog(Export kind) {
    double mhz = 0;
    QString filter, title;
    switch (kind) {
    case Export::Csv:
        filter = tr("CSV files (*.csv)");
        title = tr("Export CSV");
        break;
    case Export::Json:
        filter = tr("JSON files (*.json)");
        title = tr("Export JSON");
        break;
    case Export::Nec: {
        QInputDialog input(this);
        input.setObjectName(QStringLiteral("nec_frequency"));
        input.setWindowTitle(tr("NEC Ground Card"));
        input.setLabelText(tr("Frequency (MHz):"));
        input.setInputMode(QInputDialog::DoubleInput);
        input.setDoubleRange(0.001, 1e6);
        input.setDoubleDecimals(4);
        input.setDoubleValue(model_.setup().engine.setup_freq_hz / 1e6);
        fit_title(input);
        if (input.exec() != QDialog::Accepted)
            return;
        mhz = input.doubleValue();
        // A frequency without a ground is told now, before a file is chosen.
        try {
            exports::nec_ground_at(model_.result(), mhz * 1e6);
        } catch (const std::exception& error) {
            warn(QString::fromStdString(error.what()));
            return;
        }
        filter = tr("NEC decks (*.nec)");
        title = tr("Export NEC Ground Card");
        break;
    }
    case Export::Chart:
        filter = tr("PNG pictures (*.png);;SVG drawings (*.svg)");
        title = tr("Save Chart as PNG or SVG");
        break;
    case Export::Report:
        filter = tr("PDF documents (*.pdf)");
        title = tr("Export Report");
        break;
    }
    QFileDialog dialog(this, title,
                       last_folder_.isEmpty() ? last_folder(FolderKind::Export) : last_folder_,
                       filter);
    dialog.setObjectName(QStringLiteral("export_dialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without a suffix gets the chosen filter's, as File, Save does for .gnd.
    const auto suffix_of = [](const QString& chosen) {
        const qsizetype star = chosen.indexOf(QStringLiteral("*."));
        return star < 0 ? QString() : chosen.mid(star + 2).section(QLatin1Char(')'), 0, 0);
    };
    dialog.setDefaultSuffix(suffix_of(dialog.selectedNameFilter()));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, suffix_of](const QString& chosen) {
                dialog.setDefaultSuffix(suffix_of(chosen));
            });
    if (dialog_runner_(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString path = dialog.selectedFiles().constFirst();
    if (QFileInfo(path).suffix().isEmpty() && !dialog.defaultSuffix().isEmpty())
        path += QLatin1Char('.') + dialog.defaultSuffix();
    last_folder_ = QFileInfo(path).absolutePath();
    remember_folder(FolderKind::Export, path);
    export_to(kind, path, mhz);
}

} // namespace ardenca::qt
