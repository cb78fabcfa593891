#include "sweep_setup_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace ardenca::qt {

namespace {

// The set-up line wraps, but does not ask its height for each width: a scroll area
// would otherwise give the whole window the height it prefers, not the room it has.
class SetupLine : public QLabel {
  public:
    using QLabel::QLabel;
    bool hasHeightForWidth() const override { return false; }
};

} // namespace

SweepSetupPanel::SweepSetupPanel(QWidget* parent) : QGroupBox(tr("Probe set-up"), parent) {
    setObjectName(QStringLiteral("setup_panel"));
    rows_ = new QVBoxLayout(this);

    QHBoxLayout* source_row = add_row();
    setup_label_ = new SetupLine(this);
    setup_label_->setObjectName(QStringLiteral("setup_label"));
    setup_label_->setWordWrap(true);
    setup_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the line to wrap once in a narrow window.
    setup_label_->setMinimumHeight(2 * setup_label_->fontMetrics().lineSpacing());
    use_window_ = new QPushButton(tr("Main Window Fields"), this);
    use_window_->setObjectName(QStringLiteral("use_window"));
    use_window_->setToolTip(tr("Take spacing, radius, length, frequency, ur and the matching "
                               "section from the main window, and follow its changes."));
    connect(use_window_, &QPushButton::clicked, this, &SweepSetupPanel::window_fields_requested);
    auto* from_file = new QPushButton(tr("Ground Data File…"), this);
    from_file->setObjectName(QStringLiteral("use_file"));
    connect(from_file, &QPushButton::clicked, this, &SweepSetupPanel::ground_file_requested);
    source_row->addWidget(setup_label_, 1);
    source_row->addWidget(use_window_);
    source_row->addWidget(from_file);

    QHBoxLayout* fixture_row = add_row();
    auto spin = [&](const char* name, const QString& label, const QString& tip, double max,
                    int decimals) {
        auto* caption = new QLabel(label, this);
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, max);
        box->setDecimals(decimals);
        box->setSingleStep(std::pow(10.0, -decimals + 1));
        box->setToolTip(tip);
        box->setProperty("fixture_tip", tip);
        box->setKeyboardTracking(false);
        caption->setBuddy(box);
        fixture_row->addWidget(caption);
        fixture_row->addWidget(box);
        connect(box, &QDoubleSpinBox::valueChanged, this, &SweepSetupPanel::options_changed);
        return box;
    };
    lead_nh_ = spin("lead_nh", tr("&Leads (nH)"),
                    tr("Series inductance of the leads from the meter to the rods"), 10000, 2);
    top_pf_ = spin("top_pf", tr("&Tops (pF)"),
                   tr("Shunt capacitance across the rod tops, e.g. a spacer block"), 10000, 2);
    air_m_ = spin("air_m", tr("In &air (m)"),
                  tr("Length of the rods left in the air above the ground"), 100, 3);
    fixture_row->addStretch(1);
    // How the points are solved, on a row of its own so that the panel stays narrow.
    QHBoxLayout* method_row = add_row();
    method_ = new QComboBox(this);
    method_->setObjectName(QStringLiteral("method"));
    method_->addItem(tr("All solutions, tracked"));
    method_->addItem(tr("Classic search"));
    connect(method_, &QComboBox::currentIndexChanged, this, [this] {
        enable_fixture();
        emit options_changed();
    });
    method_row->addWidget(method_);
    fit_ = new QComboBox(this);
    fit_->setObjectName(QStringLiteral("fit"));
    // In the order of sweep::FitChoice.
    fit_->addItem(tr("No soil model"));
    fit_->addItem(tr("Soil model: best fit"));
    fit_->addItem(tr("Soil model: constant"));
    fit_->addItem(tr("Soil model: Messier"));
    fit_->addItem(tr("Soil model: constant phase"));
    fit_->setCurrentIndex(static_cast<int>(FixtureOptions{}.fit));
    fit_->setToolTip(tr("A causal soil model fitted to the readings: each point then takes "
                        "the ground nearest the model, flagged off-model when that lies more "
                        "than 3 u from it"));
    connect(fit_, &QComboBox::currentIndexChanged, this, &SweepSetupPanel::options_changed);
    method_row->addWidget(fit_);
    average_ = new QCheckBox(tr("A&verage locations"), this);
    average_->setObjectName(QStringLiteral("average"));
    average_->setChecked(true);
    connect(average_, &QCheckBox::toggled, this, &SweepSetupPanel::options_changed);
    method_row->addWidget(average_);
    method_row->addStretch(1);
    auto* reset = new QPushButton(tr("&Reset View"), this);
    reset->setObjectName(QStringLiteral("reset_view"));
    reset->setToolTip(tr("Fit both charts to the data again (0 or Home in a chart)"));
    connect(reset, &QPushButton::clicked, this, &SweepSetupPanel::reset_view_requested);
    method_row->addWidget(reset);

    QHBoxLayout* fit_row = add_row();
    fit_label_ = new SetupLine(this);
    fit_label_->setObjectName(QStringLiteral("fit_label"));
    fit_label_->setWordWrap(true);
    fit_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fit_label_->setVisible(false);
    fit_row->addWidget(fit_label_, 1);

    QHBoxLayout* ground_row = add_row();
    auto* ground_caption = new QLabel(tr("&Ground at (MHz)"), this);
    ground_at_ = new QDoubleSpinBox(this);
    ground_at_->setObjectName(QStringLiteral("ground_at_mhz"));
    ground_at_->setRange(0.001, 100000);
    ground_at_->setDecimals(3);
    ground_at_->setValue(7);
    ground_at_->setKeyboardTracking(false);
    ground_at_->setToolTip(tr("The ground at this frequency: the soil model's, with its "
                              "uncertainty (extrapolated outside the band measured), or the "
                              "chosen grounds' around it when no model fits"));
    ground_caption->setBuddy(ground_at_);
    connect(ground_at_, &QDoubleSpinBox::valueChanged, this, &SweepSetupPanel::ground_at_changed);
    ground_at_label_ = new SetupLine(this);
    ground_at_label_->setObjectName(QStringLiteral("ground_at_label"));
    ground_at_label_->setWordWrap(true);
    ground_at_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ground_row->addWidget(ground_caption);
    ground_row->addWidget(ground_at_);
    ground_row->addWidget(ground_at_label_, 1);
    all_soil_ = new QToolButton(this);
    all_soil_->setObjectName(QStringLiteral("all_soil"));
    all_soil_->setText(tr("All &Locations"));
    all_soil_->setCheckable(true);
    all_soil_->setToolTip(tr("Show the soil model and the ground of every location, not only "
                             "the area's"));
    all_soil_->setVisible(false);
    connect(all_soil_, &QToolButton::toggled, this, &SweepSetupPanel::show_soil_lines);
    ground_row->addWidget(all_soil_, 0, Qt::AlignTop);

    QHBoxLayout* calibration_row = add_row();
    fixture_label_ = new QLabel(this);
    fixture_label_->setObjectName(QStringLiteral("fixture_label"));
    auto* calibrate = new QPushButton(tr("&Calibrate Probe…"), this);
    calibrate->setObjectName(QStringLiteral("calibrate_probe"));
    calibrate->setToolTip(tr("Measure the leads, the top capacitance and the feed line from "
                             "an air sweep and a short sweep"));
    connect(calibrate, &QPushButton::clicked, this, &SweepSetupPanel::calibrate_requested);
    auto* from_fixture = new QPushButton(tr("&Fixture File…"), this);
    from_fixture->setObjectName(QStringLiteral("fixture_file"));
    connect(from_fixture, &QPushButton::clicked, this, &SweepSetupPanel::fixture_file_requested);
    no_fixture_ = new QPushButton(tr("&No Fixture"), this);
    no_fixture_->setObjectName(QStringLiteral("no_fixture"));
    connect(no_fixture_, &QPushButton::clicked, this, &SweepSetupPanel::fixture_clear_requested);
    calibration_row->addWidget(fixture_label_, 1);
    calibration_row->addWidget(calibrate);
    calibration_row->addWidget(from_fixture);
    calibration_row->addWidget(no_fixture_);
    show_fixture(QString());
}

void SweepSetupPanel::show_fixture(const QString& name) {
    fixture_label_->setText(name.isEmpty() ? tr("No fixture file: leads and tops as set above.")
                                           : tr("Fixture: %1 (its leads, tops and feed line "
                                                "are used)")
                                                 .arg(name));
    no_fixture_->setEnabled(!name.isEmpty());
    fixture_file_ = !name.isEmpty();
    enable_fixture();
}

// The classic search reads the meter as the rods' own impedance: the fixture boxes keep
// their values for the other method but take no part.
void SweepSetupPanel::enable_fixture() {
    const bool classic = method_->currentIndex() == 1;
    for (QDoubleSpinBox* box : {lead_nh_, top_pf_, air_m_}) {
        // A fixture file gives the leads and the tops itself.
        box->setEnabled(!classic && !(fixture_file_ && box != air_m_));
        box->setToolTip(classic ? tr("Not used by the classic search, which takes the meter's "
                                     "reading as the rods' own impedance. Choose \"All "
                                     "solutions, tracked\" to correct for the fixture.")
                                : box->property("fixture_tip").toString());
    }
}

QHBoxLayout* SweepSetupPanel::add_row() {
    auto* row = new QHBoxLayout;
    rows_->addLayout(row);
    return row;
}

FixtureOptions SweepSetupPanel::fixture() const {
    FixtureOptions fixture;
    fixture.lead_nh = lead_nh_->value();
    fixture.top_pf = top_pf_->value();
    fixture.air_m = air_m_->value();
    fixture.method = method_->currentIndex() == 1 ? sweep::SolveMethod::Classic
                                                  : sweep::SolveMethod::AllSolutions;
    fixture.average = average_->isChecked();
    fixture.fit = static_cast<sweep::FitChoice>(fit_->currentIndex());
    return fixture;
}

void SweepSetupPanel::show_setup_text(const QString& text) {
    setup_label_->setText(text);
}

void SweepSetupPanel::show_soil(const QStringList& models, const QStringList& ground_at) {
    model_lines_ = models;
    ground_at_lines_ = ground_at;
    show_soil_lines();
}

namespace {

// Given a location's lines and the area's last, the line a folded panel shows: the
// area's when there is one (it comes last and names itself), else the first location's.
QString folded(const QStringList& lines) {
    if (lines.isEmpty())
        return {};
    const QString& last = lines.last();
    const bool area =
        last.startsWith(QStringLiteral("Area (")) || last.startsWith(QStringLiteral("Area at "));
    return area ? last : lines.first();
}

} // namespace

void SweepSetupPanel::show_soil_lines() {
    const bool several = model_lines_.size() > 1 || ground_at_lines_.size() > 1;
    all_soil_->setVisible(several);
    const bool all = !several || all_soil_->isChecked();
    fit_label_->setText(all ? model_lines_.join(QLatin1Char('\n')) : folded(model_lines_));
    fit_label_->setVisible(!model_lines_.isEmpty());
    ground_at_label_->setText(all ? ground_at_lines_.join(QLatin1Char('\n'))
                                  : folded(ground_at_lines_));
    fit_soil_heights();
}

// The soil lines wrap without asking their height for each width (see SetupLine): each
// is given the rows its text takes at the width it has now.
void SweepSetupPanel::fit_soil_heights() {
    for (QLabel* label : {fit_label_, ground_at_label_}) {
        const QFontMetrics metrics = label->fontMetrics();
        const int width = std::max(label->width(), 300);
        int rows = 0;
        for (const QString& line : label->text().split(QLatin1Char('\n')))
            rows += std::max(1, (metrics.horizontalAdvance(line) + width - 1) / width);
        label->setMinimumHeight(rows * metrics.lineSpacing());
    }
}

void SweepSetupPanel::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    fit_soil_heights();
}

double SweepSetupPanel::ground_at_mhz() const {
    return ground_at_->value();
}

void SweepSetupPanel::set_window_button_enabled(bool enabled) {
    use_window_->setEnabled(enabled);
}

} // namespace ardenca::qt
