// The sweep window's panels: the probe set-up above, the charts, the table and the
// messages in a splitter below it, and the status bar with the run's progress.
#include "app/sweep/soil_text.h"
#include "app/sweep/sweep_table.h"
#include "help_window.h"
#include "recent_files_menu.h"
#include "sweep_chart.h"
#include "sweep_chart_view.h"
#include "sweep_setup_panel.h"
#include "sweep_table_model.h"
#include "sweep_window.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace ardenca::qt {

// The panels stand in a scroll area: on a small screen, or at a large scale factor, the
// window fits the screen and scrolls to whatever does not show.
void SweepWindow::build_controls() {
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("sweep_scroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    setCentralWidget(scroll_);
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("sweep_panels"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);

    setup_panel_ = new SweepSetupPanel(central);
    connect(setup_panel_, &SweepSetupPanel::options_changed, this, &SweepWindow::setup_changed);
    connect(setup_panel_, &SweepSetupPanel::window_fields_requested, this,
            [this] { use_setup_file(QString()); });
    connect(setup_panel_, &SweepSetupPanel::ground_file_requested, this,
            &SweepWindow::setup_file_dialog);
    connect(setup_panel_, &SweepSetupPanel::calibrate_requested, this,
            &SweepWindow::open_calibration);
    connect(setup_panel_, &SweepSetupPanel::fixture_file_requested, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, tr("Fixture File"), last_folder(FolderKind::Fixture),
                                         tr("Fixture Files (*.json);;All files (*)"));
        if (!path.isEmpty())
            open_fixture_file(path);
    });
    connect(setup_panel_, &SweepSetupPanel::fixture_clear_requested, this,
            [this] { use_fixture_file(std::nullopt, QString()); });
    connect(setup_panel_, &SweepSetupPanel::ground_at_changed, this, &SweepWindow::show_soil);
    layout->addWidget(setup_panel_);

    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->setObjectName(QStringLiteral("sweep_splitter"));
    charts_ = new charts::SweepChartView(splitter);
    connect(setup_panel_, &SweepSetupPanel::reset_view_requested, charts_,
            &charts::SweepChartView::reset_view);
    connect(&charts_->charts(), &charts::SweepCharts::guide_requested, this,
            [](const QString& section) { show_guide(section); });
    build_table(splitter);
    messages_ = new QListWidget(splitter);
    messages_->setObjectName(QStringLiteral("messages"));
    messages_->setWordWrap(true);
    messages_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    splitter->addWidget(charts_);
    splitter->addWidget(table_);
    splitter->addWidget(messages_);
    // The charts take what the table and the messages leave when the window is resized.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setStretchFactor(2, 0);
    splitter->setChildrenCollapsible(false);
    // Both charts keep room for their axis labels; the table shows a dozen rows.
    charts_->setMinimumWidth(480); // its height: what both charts and the read-out need
    const int table_rows = 12;
    // Below the rows: the bar that scrolls the columns across, which this many columns
    // need at any usual width.
    const int table_px = table_rows * table_->verticalHeader()->defaultSectionSize() +
                         table_->horizontalHeader()->sizeHint().height() +
                         2 * table_->frameWidth() +
                         table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_);
    // Never fewer: where the window is too low for the panel, the charts and a dozen rows,
    // the scroll area scrolls rather than the table shrinking to a few rows.
    table_->setMinimumHeight(table_px);
    // One message at least (the splitter gives it more where there is room), so that the
    // panel, the charts and a dozen rows fit a 1280 x 1024 screen at scale 1.
    messages_->setMinimumHeight(messages_->fontMetrics().lineSpacing() + 10);
    splitter->setSizes({520, table_px, 60});
    layout->addWidget(splitter, 1);
    scroll_->setWidget(central);

    build_status_bar();
}

void SweepWindow::show_soil() {
    const auto lines = [](const std::vector<std::string>& text) {
        QStringList list;
        for (const std::string& line : text)
            list << QString::fromStdString(line);
        return list;
    };
    const sweep::SweepResult& result = model_.result();
    setup_panel_->show_soil(lines(soil_model_lines(result, model_.setup().fit)),
                            lines(ground_at_lines(result, setup_panel_->ground_at_mhz() * 1e6)));
}

void SweepWindow::fit_to(QRect available) {
    const QSize room = available.size() - frame_allowance;
    const QSize size = QSize(1200, 960).boundedTo(room);
    resize(size);
    move(available.x() + (available.width() - size.width() - frame_allowance.width()) / 2,
         available.y() + (available.height() - size.height() - frame_allowance.height()) / 2);
}

void SweepWindow::build_table(QWidget* parent) {
    table_model_ = new SweepTableModel(model_, this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(table_model_);
    proxy_->setSortRole(SweepTableModel::SortRole);
    table_ = new QTableView(parent);
    table_->setObjectName(QStringLiteral("sweep_table"));
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder); // file order until a header is clicked
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setResizeContentsPrecision(200);
    widen_flags_column();
    auto* copy = new QAction(tr("Copy"), table_);
    copy->setObjectName(QStringLiteral("copy_rows"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &SweepWindow::copy_rows);
    table_->addAction(copy);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    // A double click on a point's flags opens the guide where the first is explained.
    connect(table_, &QTableView::doubleClicked, this, [](const QModelIndex& index) {
        if (index.column() != static_cast<int>(SweepColumn::Flags))
            return;
        const QString flags = index.data().toString();
        if (!flags.isEmpty())
            show_guide(QStringLiteral("flag-") +
                       flags.section(QLatin1Char(','), 0, 0).trimmed().replace(' ', '-'));
    });
}

// The columns are sized to the rows measured (the first two hundred), which may hold no
// flag at all: the Flags column holds the longest flags of the whole result, and at least
// the usual "ambiguous, electrically long, near ground fits too".
void SweepWindow::widen_flags_column() {
    std::set<unsigned> seen{sweep::Ambiguous | sweep::ElectricallyLong | sweep::NearAlternative};
    for (const auto& location : model_.result().locations)
        for (const auto& point : location.points)
            seen.insert(point.flags);
    int text_px = 0;
    for (unsigned flags : seen)
        text_px = std::max(text_px, table_->fontMetrics().horizontalAdvance(
                                        QString::fromStdString(point_flag_text(flags))));
    const int margin_px = 2 * (table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 8;
    const int flags = static_cast<int>(SweepColumn::Flags);
    if (table_->horizontalHeader()->sectionSize(flags) < text_px + margin_px)
        table_->horizontalHeader()->resizeSection(flags, text_px + margin_px);
}

void SweepWindow::build_status_bar() {
    status_ = new QLabel(tr("Open a sweep: File, Open Sweep…, or drop VNA files here."), this);
    status_->setObjectName(QStringLiteral("status"));
    // A long status gives way before Cancel does.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_->setMinimumWidth(40);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setMaximumWidth(260);
    progress_->setMinimumWidth(80);
    progress_->setVisible(false);
    cancel_button_ = new QPushButton(tr("Cancel"), this);
    cancel_button_->setObjectName(QStringLiteral("cancel"));
    cancel_button_->setVisible(false);
    connect(cancel_button_, &QPushButton::clicked, this, &SweepWindow::cancel);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancel_button_);
}

} // namespace ardenca::qt
