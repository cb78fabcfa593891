#include "calibration_dialog.h"

#include "files/file_error.h"
#include "recent_files_menu.h"
#include "sweep/sweep_file_error.h"
#include "sweep_files.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ardenca::qt {

namespace {

QString number(double v, const char* fmt) {
    char buf[48];
    std::snprintf(buf, sizeof buf, fmt, v);
    return QString::fromLatin1(buf);
}

} // namespace

CalibrationDialog::CalibrationDialog(SweepSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)) {
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(tr("Calibrate Probe"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("Sweep the probe held in the air, away from people and metal, and again with the "
           "rod tops strapped together by a short wide strap. The fit gives the leads' "
           "inductance, the capacitance across the tops and, when asked, the feed line's "
           "length, for the probe of the set-up with %1 m above the ground.")
            .arg(setup_.engine.probe.air_m),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* files = new QGridLayout;
    auto row = [&](int r, const QString& caption, const char* name) {
        auto* label = new QLabel(caption, this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        label->setBuddy(edit);
        auto* browse_button = new QPushButton(tr("Browse…"), this);
        connect(browse_button, &QPushButton::clicked, this, [this, edit] { browse(edit); });
        files->addWidget(label, r, 0);
        files->addWidget(edit, r, 1);
        files->addWidget(browse_button, r, 2);
        return edit;
    };
    air_ = row(0, tr("&Air sweep:"), "air_sweep");
    short_ = row(1, tr("&Short sweep (optional):"), "short_sweep");
    layout->addLayout(files);
    fit_line_ = new QCheckBox(
        tr("Fit the &feed line's length (Zo %1 Ω)").arg(setup_.engine.probe.match_zo_ohm), this);
    fit_line_->setObjectName(QStringLiteral("fit_line"));
    layout->addWidget(fit_line_);

    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("calibration_result"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(result_);
    chart_ = new QChartView(this);
    chart_->setObjectName(QStringLiteral("calibration_chart"));
    chart_->setMinimumSize(560, 320);
    chart_->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(chart_, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* run = buttons->addButton(tr("&Calibrate"), QDialogButtonBox::ActionRole);
    run->setObjectName(QStringLiteral("calibrate"));
    save_ = buttons->addButton(tr("&Save Fixture…"), QDialogButtonBox::ActionRole);
    save_->setObjectName(QStringLiteral("save_fixture"));
    apply_ = buttons->addButton(tr("A&pply"), QDialogButtonBox::AcceptRole);
    apply_->setObjectName(QStringLiteral("apply_fixture"));
    buttons->addButton(QDialogButtonBox::Close);
    save_->setEnabled(false);
    apply_->setEnabled(false);
    connect(run, &QPushButton::clicked, this, &CalibrationDialog::calibrate);
    connect(save_, &QPushButton::clicked, this, &CalibrationDialog::save);
    connect(apply_, &QPushButton::clicked, this, [this] {
        const QString name = saved_path_.isEmpty() ? tr("calibrated now") : saved_path_;
        emit applied(calibration_->fixture, name);
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CalibrationDialog::browse(QLineEdit* edit) {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Calibration Sweep"), last_folder(FolderKind::Sweep), sweep_filter());
    if (path.isEmpty())
        return;
    remember_folder(FolderKind::Sweep, path);
    edit->setText(path);
}

bool CalibrationDialog::calibrate() {
    calibration_.reset();
    saved_path_.clear();
    save_->setEnabled(false);
    apply_->setEnabled(false);
    try {
        calibration_ = calibrate_probe(setup_, air_->text().toStdString(),
                                       short_->text().toStdString(), fit_line_->isChecked());
    } catch (const std::exception& e) {
        // A refused file or sweeps that cannot determine the fixture.
        result_->setText(tr("Not calibrated: %1").arg(QString::fromStdString(e.what())));
        draw();
        return false;
    }
    const calc::FixtureFit& fit = calibration_->fit;
    QString text = tr("Leads %1 ± %2 nH, tops %3 ± %4 pF")
                       .arg(number(fit.lead_nh.value, "%.2f"), number(fit.lead_nh.u, "%.2g"),
                            number(fit.top_pf.value, "%.3f"), number(fit.top_pf.u, "%.2g"));
    if (fit.line_deg)
        text += tr(", feed line %1 ± %2° at %3 MHz")
                    .arg(number(fit.line_deg->value, "%.2f"), number(fit.line_deg->u, "%.2g"),
                         number(setup_.engine.setup_freq_hz / 1e6, "%g"));
    text += tr(". χ²/dof %1: %2. Worst residual %3 σ at %4 MHz (%5 sweep).")
                .arg(number(fit.chi2_per_dof, "%.3g"), QString::fromStdString(fit.verdict),
                     number(fit.worst.sigmas, "%.1f"), number(fit.worst.freq_hz / 1e6, "%.4g"),
                     fit.worst.in_short ? tr("short") : tr("air"));
    result_->setText(text);
    save_->setEnabled(true);
    apply_->setEnabled(true);
    draw();
    return true;
}

// Reactance against frequency, on a log axis of |X|: measured as points, fitted as lines.
void CalibrationDialog::draw() {
    auto* chart = new QChart;
    chart->setTitle(tr("Reactance, measured (points) and fitted (lines)"));
    auto* x_axis = new QLogValueAxis;
    x_axis->setTitleText(tr("Frequency (MHz)"));
    x_axis->setLabelFormat(QStringLiteral("%g"));
    auto* y_axis = new QLogValueAxis;
    y_axis->setTitleText(tr("|X| (Ω)"));
    y_axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    double x_lo = 1e300, x_hi = 0, y_lo = 1e300, y_hi = 0;
    if (calibration_) {
        const std::pair<const CalibrationCurve*, QString> curves[] = {
            {&calibration_->air, tr("air")}, {&calibration_->shorted, tr("short")}};
        for (const auto& [c, name] : curves) {
            if (c->freq_hz.empty())
                continue;
            auto* measured = new QScatterSeries;
            measured->setName(tr("%1, measured").arg(name));
            measured->setMarkerSize(7);
            auto* fitted = new QLineSeries;
            fitted->setName(tr("%1, fitted").arg(name));
            for (std::size_t i = 0; i < c->freq_hz.size(); ++i) {
                const double f = c->freq_hz[i] / 1e6;
                const double xm = std::abs(c->measured_ohm[i].imag());
                const double xf = std::abs(c->fitted_ohm[i].imag());
                if (xm > 0)
                    measured->append(f, xm);
                if (xf > 0)
                    fitted->append(f, xf);
                x_lo = std::min(x_lo, f);
                x_hi = std::max(x_hi, f);
                for (double x : {xm, xf})
                    if (x > 0) {
                        y_lo = std::min(y_lo, x);
                        y_hi = std::max(y_hi, x);
                    }
            }
            // The lines first, so that the points stay visible on them.
            for (QAbstractSeries* s :
                 {static_cast<QAbstractSeries*>(fitted), static_cast<QAbstractSeries*>(measured)}) {
                chart->addSeries(s);
                s->attachAxis(x_axis);
                s->attachAxis(y_axis);
            }
        }
    }
    // Both sweeps on one pair of axes: the air's reactance is thousands of ohms, the
    // short's a few.
    if (x_hi > 0 && y_hi > 0) {
        x_axis->setRange(x_lo, x_hi);
        y_axis->setRange(y_lo / 1.5, y_hi * 1.5);
    }
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

void CalibrationDialog::save() {
    if (!calibration_)
        return;
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save Fixture"), last_folder(FolderKind::Fixture),
                                     tr("Fixture Files (*.json);;All files (*)"));
    if (path.isEmpty())
        return;
    remember_folder(FolderKind::Fixture, path);
    try {
        files::write_fixture_file(path.toStdString(), calibration_->fixture);
        saved_path_ = QFileInfo(path).fileName();
    } catch (const files::FileError& e) {
        QMessageBox::warning(this, tr("Save Fixture"), QString::fromStdString(e.what()));
    }
}

} // namespace ardenca::qt
