#include "sweep_window.h"

#include "about_ardenca.h"
#include "app/ardenca.h"
#include "app/commands.h"
#include "app/sweep/number_format.h"
#include "ardenca_window.h"
#include "calc/arithmetic_fault.h"
#include "files/file_error.h"
#include "sweep_chart_file.h"
#include "sweep_chart_view.h"
#include "sweep_table_model.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace ardenca::qt {

namespace {

constexpr int refresh_ms = 200;

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString shown_path(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool is_ground_file(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("gnd"), Qt::CaseInsensitive) == 0;
}

// The local files a drag carries.
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

const QString sweep_filter =
    QStringLiteral("VNA sweeps (*.s1p *.s2p *.ts *.csv *.S1P *.S2P *.TS *.CSV);;All files (*)");

} // namespace

bool is_sweep_file(const QString& path) {
    static const QStringList suffixes{QStringLiteral("s1p"), QStringLiteral("s2p"),
                                      QStringLiteral("ts"), QStringLiteral("csv")};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

SweepWindow::SweepWindow(ArdencaWindow* main, QWidget* parent)
    : QMainWindow(parent), main_(main), work_maker_(&make_sweep_work) {
    setObjectName(QStringLiteral("SweepWindow"));
    setWindowTitle(tr("Ardenca - Sweep"));
    setAcceptDrops(true);
    build_menu();
    build_controls();
    resize(1200, 960);

    resolve_timer_.setSingleShot(true);
    resolve_timer_.setInterval(resolve_delay_ms);
    connect(&resolve_timer_, &QTimer::timeout, this, &SweepWindow::resolve_if_changed);
    refresh_timer_.setInterval(refresh_ms);
    connect(&refresh_timer_, &QTimer::timeout, this, &SweepWindow::refresh);

    if (main_) {
        using enum Field;
        for (Field field : {Text1, Text2, Text3, Text8, Text31, Text25, Text26})
            if (QLineEdit* edit = main_->field_edit(field))
                connect(edit, &QLineEdit::textChanged, this, [this] {
                    if (setup_file_.isEmpty())
                        setup_changed();
                });
        for (auto option : {MatchingOption::None, MatchingOption::UseMatchingSection})
            if (QRadioButton* button = main_->option_button(option))
                connect(button, &QRadioButton::toggled, this, [this] {
                    if (setup_file_.isEmpty())
                        setup_changed();
                });
    }
    show_setup();
}

SweepWindow::~SweepWindow() {
    stop_worker();
    // The worker posts to this window: it must be gone before the window is.
    for (QThread* thread : findChildren<QThread*>())
        thread->wait();
}

void SweepWindow::build_menu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("sweep_file"));
    auto add = [&](const char* name, const QString& caption, auto handler,
                   QList<QKeySequence> keys = {}) {
        QAction* action = file->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("open_sweep", tr("Open Sweep…"), &SweepWindow::open_dialog,
        {QKeySequence::Open, QKeySequence(QStringLiteral("Ctrl+Shift+O"))});
    add("setup_file", tr("Set-up from Ground Data File…"), &SweepWindow::setup_file_dialog);
    add("setup_window", tr("Set-up from Main Window"), [this] { use_setup_file(QString()); });
    file->addSeparator();
    add("export_csv", tr("Export CSV…"), [this] { export_dialog(Export::Csv); });
    add("export_json", tr("Export JSON…"), [this] { export_dialog(Export::Json); });
    add("export_nec", tr("Export NEC Ground Card…"), [this] { export_dialog(Export::Nec); });
    add("export_chart", tr("Save Chart as PNG or SVG…"), [this] { export_dialog(Export::Chart); });
    file->addSeparator();
    add("close_sweep", tr("Close"), &QWidget::close, {QKeySequence::Close});
}

void SweepWindow::build_controls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);

    auto* setup_box = new QGroupBox(tr("Probe set-up"), central);
    auto* setup_layout = new QVBoxLayout(setup_box);
    auto* source_row = new QHBoxLayout;
    setup_label_ = new QLabel(setup_box);
    setup_label_->setObjectName(QStringLiteral("setup_label"));
    setup_label_->setWordWrap(true);
    setup_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    use_window_ = new QPushButton(tr("Main Window Fields"), setup_box);
    use_window_->setObjectName(QStringLiteral("use_window"));
    use_window_->setToolTip(tr("Take spacing, radius, length, frequency, ur and the matching "
                               "section from the main window, and follow its changes."));
    connect(use_window_, &QPushButton::clicked, this, [this] { use_setup_file(QString()); });
    auto* from_file = new QPushButton(tr("Ground Data File…"), setup_box);
    from_file->setObjectName(QStringLiteral("use_file"));
    connect(from_file, &QPushButton::clicked, this, &SweepWindow::setup_file_dialog);
    source_row->addWidget(setup_label_, 1);
    source_row->addWidget(use_window_);
    source_row->addWidget(from_file);
    setup_layout->addLayout(source_row);

    auto* fixture_row = new QHBoxLayout;
    auto spin = [&](const char* name, const QString& label, const QString& tip, double max,
                    int decimals) {
        auto* caption = new QLabel(label, setup_box);
        auto* box = new QDoubleSpinBox(setup_box);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, max);
        box->setDecimals(decimals);
        box->setSingleStep(std::pow(10.0, -decimals + 1));
        box->setToolTip(tip);
        box->setKeyboardTracking(false);
        caption->setBuddy(box);
        fixture_row->addWidget(caption);
        fixture_row->addWidget(box);
        connect(box, &QDoubleSpinBox::valueChanged, this, &SweepWindow::setup_changed);
        return box;
    };
    lead_nh_ = spin("lead_nh", tr("&Leads (nH)"),
                    tr("Series inductance of the leads from the meter to the rods"), 10000, 2);
    top_pf_ = spin("top_pf", tr("&Tops (pF)"),
                   tr("Shunt capacitance across the rod tops, e.g. a spacer block"), 10000, 2);
    air_m_ = spin("air_m", tr("In &air (m)"),
                  tr("Length of the rods left in the air above the ground"), 100, 3);
    fixture_row->addSpacing(12);
    method_ = new QComboBox(setup_box);
    method_->setObjectName(QStringLiteral("method"));
    method_->addItem(tr("All solutions, tracked"));
    method_->addItem(tr("Classic search"));
    connect(method_, &QComboBox::currentIndexChanged, this, &SweepWindow::setup_changed);
    fixture_row->addWidget(method_);
    average_ = new QCheckBox(tr("A&verage locations"), setup_box);
    average_->setObjectName(QStringLiteral("average"));
    average_->setChecked(true);
    connect(average_, &QCheckBox::toggled, this, &SweepWindow::setup_changed);
    fixture_row->addWidget(average_);
    fixture_row->addStretch(1);
    auto* reset = new QPushButton(tr("&Reset View"), setup_box);
    reset->setObjectName(QStringLiteral("reset_view"));
    reset->setToolTip(tr("Fit both charts to the data again (0 or Home in a chart)"));
    fixture_row->addWidget(reset);
    setup_layout->addLayout(fixture_row);
    layout->addWidget(setup_box);

    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->setObjectName(QStringLiteral("sweep_splitter"));
    charts_ = new charts::SweepChartView(splitter);
    connect(reset, &QPushButton::clicked, charts_, &charts::SweepChartView::reset_view);

    table_model_ = new SweepTableModel(model_, this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(table_model_);
    proxy_->setSortRole(SweepTableModel::SortRole);
    table_ = new QTableView(splitter);
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
    auto* copy = new QAction(tr("Copy"), table_);
    copy->setObjectName(QStringLiteral("copy_rows"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &SweepWindow::copy_rows);
    table_->addAction(copy);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);

    messages_ = new QListWidget(splitter);
    messages_->setObjectName(QStringLiteral("messages"));
    messages_->setWordWrap(true);
    messages_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    splitter->addWidget(charts_);
    splitter->addWidget(table_);
    splitter->addWidget(messages_);
    splitter->setStretchFactor(0, 6);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 1);
    splitter->setSizes({640, 170, 60});
    layout->addWidget(splitter, 1);
    setCentralWidget(central);

    status_ = new QLabel(tr("Open a sweep: File, Open Sweep…, or drop VNA files here."), this);
    status_->setObjectName(QStringLiteral("status"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setMaximumWidth(260);
    progress_->setVisible(false);
    cancel_button_ = new QPushButton(tr("Cancel"), this);
    cancel_button_->setObjectName(QStringLiteral("cancel"));
    cancel_button_->setVisible(false);
    connect(cancel_button_, &QPushButton::clicked, this, &SweepWindow::cancel);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancel_button_);
}

FixtureOptions SweepWindow::fixture() const {
    FixtureOptions fixture;
    fixture.lead_nh = lead_nh_->value();
    fixture.top_pf = top_pf_->value();
    fixture.air_m = air_m_->value();
    fixture.method = method_->currentIndex() == 1 ? sweep::SolveMethod::Classic
                                                  : sweep::SolveMethod::AllSolutions;
    fixture.average = average_->isChecked();
    return fixture;
}

bool SweepWindow::current_setup(SweepSetup& setup, std::string& error) const {
    try {
        if (!setup_file_.isEmpty()) {
            setup = setup_from_ground_file(local_path(setup_file_), fixture());
        } else if (main_) {
            setup = setup_from_window(main_->model(), fixture());
        } else {
            const Ardenca defaults;
            setup = setup_from_window(defaults, fixture());
        }
        return true;
    } catch (const ArithmeticFault& fault) {
        error = "The set-up cannot be read: " + std::string(fault.what()) + ".";
    } catch (const std::exception& failure) {
        error = failure.what(); // a ground data file that cannot be read
    }
    return false;
}

void SweepWindow::show_setup() {
    SweepSetup setup;
    std::string error;
    if (model_.state() != SweepModel::State::Empty) {
        setup = model_.setup();
    } else if (!current_setup(setup, error)) {
        setup_label_->setText(QString::fromStdString(error));
        return;
    }
    const QString source = setup.source.empty() ? tr("Main window: ")
                                                : QFileInfo(shown_path(setup.source)).fileName() +
                                                      QStringLiteral(": ");
    setup_label_->setText(source + QString::fromStdString(describe(setup)));
    use_window_->setEnabled(!setup_file_.isEmpty());
}

void SweepWindow::show_readout_at_setup_frequency() {
    const double freq_hz = model_.setup().engine.setup_freq_hz;
    if (freq_hz > 0)
        charts_->show_readout_at(charts::plotted_freq(freq_hz));
}

void SweepWindow::open_files(const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(local_path(QFileInfo(path).absoluteFilePath()));
    SweepSetup setup;
    std::string error;
    if (!current_setup(setup, error)) {
        stop_worker();
        table_model_->clear();
        model_.start(files, SweepSetup{});
        model_.fail(error);
        end_run();
        return;
    }
    launch(std::move(files), std::move(setup));
}

void SweepWindow::use_setup_file(const QString& path) {
    const QString previous = setup_file_;
    setup_file_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    SweepSetup setup;
    try {
        if (!setup_file_.isEmpty())
            setup = setup_from_ground_file(local_path(setup_file_), fixture());
    } catch (const std::exception& error) {
        setup_file_ = previous;
        warn(QString::fromStdString(error.what()));
        return;
    }
    setup_changed();
    resolve_timer_.stop();
    resolve_if_changed();
    show_setup();
}

void SweepWindow::setup_changed() {
    if (!model_.paths().empty())
        resolve_timer_.start();
    else
        show_setup();
}

void SweepWindow::resolve_if_changed() {
    if (model_.paths().empty())
        return;
    SweepSetup setup;
    std::string error;
    if (!current_setup(setup, error)) {
        // The files stay; the set-up has to be put right first.
        stop_worker();
        table_model_->clear();
        model_.start(model_.paths(), model_.setup());
        model_.fail(error);
        end_run();
        return;
    }
    if (model_.state() == SweepModel::State::Running ||
        model_.state() == SweepModel::State::Finished)
        if (same_setup(setup, model_.setup()))
            return;
    launch(model_.paths(), std::move(setup));
}

void SweepWindow::launch(std::vector<std::string> paths, SweepSetup setup) {
    stop_worker();
    table_model_->clear();
    const int run = model_.start(paths, setup);
    messages_shown_ = 0;
    messages_->clear();
    charts_->set_result(model_.result());
    charts_->reset_view();
    chart_clock_.invalidate();
    show_setup();
    if (model_.state() != SweepModel::State::Running) {
        end_run();
        return;
    }

    clock_.start();
    control_ = std::make_shared<RunControl>();
    std::shared_ptr<SweepWork> work = work_maker_(std::move(paths), std::move(setup));
    auto control = control_;
    worker_ = QThread::create([this, work, control, run] {
        for (;;) {
            SweepStep step = work->next();
            if (control->stop)
                return;
            const bool last =
                step.kind == SweepStep::Kind::Finished || step.kind == SweepStep::Kind::Failed;
            // The step moves into the call: this thread keeps nothing of it.
            QMetaObject::invokeMethod(
                this,
                [this, run, step = std::move(step)]() mutable { take_step(run, std::move(step)); },
                Qt::QueuedConnection);
            if (last)
                return;
        }
    });
    worker_->setParent(this);
    worker_->setObjectName(QStringLiteral("sweep_worker"));
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    worker_->start(QThread::LowPriority);

    progress_->setRange(0, 0);
    progress_->setVisible(true);
    cancel_button_->setVisible(true);
    cancel_button_->setEnabled(true);
    status_->setText(
        tr("Reading %1…")
            .arg(QString::fromStdString(counted(model_.paths().size(), "file", "files"))));
    refresh_timer_.start();
}

void SweepWindow::stop_worker() {
    if (control_)
        control_->stop = true;
    control_.reset();
    worker_ = nullptr; // it ends after its current step and deletes itself
}

bool SweepWindow::running() const {
    return model_.state() == SweepModel::State::Running;
}

void SweepWindow::cancel() {
    if (!running())
        return;
    stop_worker();
    model_.cancel();
    end_run();
}

void SweepWindow::take_step(int run, SweepStep step) {
    const SweepStep::Kind kind = step.kind;
    if (!model_.apply(run, std::move(step)))
        return;
    dirty_ = true;
    if (kind == SweepStep::Kind::Finished || kind == SweepStep::Kind::Failed) {
        control_.reset();
        worker_ = nullptr;
        end_run();
    } else if (kind == SweepStep::Kind::Read || kind == SweepStep::Kind::Refused) {
        show_messages();
    }
}

void SweepWindow::refresh() {
    if (!dirty_ && !dirty_charts_)
        return;
    dirty_charts_ = false;
    dirty_ = false;
    table_model_->update();
    show_messages();
    // Redrawing the charts of a long sweep takes a while: while solving, redraw them at
    // most every four times as long as the last redraw took, so that the window spends
    // most of its time answering the user.
    if (!running() || !chart_clock_.isValid() || chart_clock_.elapsed() >= chart_interval_ms_) {
        QElapsedTimer cost;
        cost.start();
        charts_->set_result(model_.result());
        chart_interval_ms_ = std::max<qint64>(refresh_ms, 4 * cost.elapsed());
        chart_clock_.start();
    } else {
        dirty_charts_ = true;
    }
    if (running()) {
        if (model_.files_read() == model_.paths().size() && model_.points_total() > 0) {
            progress_->setRange(0, static_cast<int>(model_.points_total()));
            progress_->setValue(static_cast<int>(model_.points_done()));
            status_->setText(tr("Solving: %1 of %2 points…")
                                 .arg(model_.points_done())
                                 .arg(model_.points_total()));
        }
    }
}

void SweepWindow::end_run() {
    refresh_timer_.stop();
    dirty_ = true;
    refresh();
    progress_->setVisible(false);
    cancel_button_->setVisible(false);
    table_->resizeColumnsToContents();
    const auto& result = model_.result();
    QString text;
    switch (model_.state()) {
    case SweepModel::State::Finished:
        text = QString::fromStdString(
            counted(model_.points_done(), "point", "points") + " in " +
            counted(result.locations.size(), "location", "locations") + ", solved in " +
            plain_number(static_cast<double>(clock_.elapsed()) / 1000, 3) + " s.");
        if (model_.refused_count() > 0)
            text += QString::fromStdString(
                " " + counted(static_cast<std::size_t>(model_.refused_count()), "file", "files") +
                " refused.");
        break;
    case SweepModel::State::Cancelled:
        text = tr("Cancelled: %1 of %2 points solved.")
                   .arg(model_.points_done())
                   .arg(model_.points_total());
        break;
    case SweepModel::State::Failed:
        text = tr("Not solved: see the messages below.");
        break;
    default:
        text = tr("Open a sweep: File, Open Sweep…, or drop VNA files here.");
        break;
    }
    status_->setText(text);
    emit run_ended();
}

void SweepWindow::show_messages() {
    const auto& messages = model_.messages();
    if (messages.size() < messages_shown_) {
        messages_->clear();
        messages_shown_ = 0;
    }
    for (; messages_shown_ < messages.size(); ++messages_shown_) {
        const SweepMessage& message = messages[messages_shown_];
        QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
        if (message.kind == SweepMessage::Kind::Error)
            icon = QStyle::SP_MessageBoxCritical;
        else if (message.kind == SweepMessage::Kind::Warning)
            icon = QStyle::SP_MessageBoxWarning;
        auto* item = new QListWidgetItem(style()->standardIcon(icon),
                                         QString::fromStdString(message.text), messages_);
        item->setToolTip(item->text());
    }
}

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
        }
    } catch (const std::exception& error) {
        warn(QString::fromStdString(error.what()));
        return false;
    }
    status_->setText(tr("Saved %1.").arg(QFileInfo(path).fileName()));
    return true;
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

void SweepWindow::open_dialog() {
    const QStringList paths =
        QFileDialog::getOpenFileNames(this, tr("Open Sweep"), QString(), sweep_filter);
    if (!paths.isEmpty())
        open_files(paths);
}

void SweepWindow::setup_file_dialog() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Set-up from Ground Data File"), QString(),
                                     tr("Ground Data Files (*.gnd);;All files (*)"));
    if (!path.isEmpty())
        use_setup_file(path);
}

void SweepWindow::export_dialog(Export kind) {
    double mhz = 0;
    QString filter;
    switch (kind) {
    case Export::Csv:
        filter = tr("CSV files (*.csv)");
        break;
    case Export::Json:
        filter = tr("JSON files (*.json)");
        break;
    case Export::Nec: {
        bool ok = false;
        mhz =
            QInputDialog::getDouble(this, tr("NEC Ground Card"), tr("Frequency (MHz):"),
                                    model_.setup().engine.setup_freq_hz / 1e6, 0.001, 1e6, 4, &ok);
        if (!ok)
            return;
        filter = tr("NEC decks (*.nec)");
        break;
    }
    case Export::Chart:
        filter = tr("PNG pictures (*.png);;SVG drawings (*.svg)");
        break;
    }
    const QString path = QFileDialog::getSaveFileName(this, tr("Export"), QString(), filter);
    if (!path.isEmpty())
        export_to(kind, path, mhz);
}

void SweepWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QString& file : dropped_files(event->mimeData()))
        if (is_sweep_file(file) || is_ground_file(file)) {
            event->acceptProposedAction();
            return;
        }
}

void SweepWindow::dropEvent(QDropEvent* event) {
    const QStringList files = dropped_files(event->mimeData());
    for (const QString& file : files)
        if (is_ground_file(file))
            use_setup_file(file);
    const QStringList sweeps = sweep_files_in(files);
    if (!sweeps.isEmpty())
        open_files(sweeps);
    event->acceptProposedAction();
}

void SweepWindow::closeEvent(QCloseEvent* event) {
    cancel();
    QMainWindow::closeEvent(event);
}

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
        if (!paths.isEmpty())
            window_->open_files(paths);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter) {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            if (!sweep_files_in(dropped_files(drag->mimeData())).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList sweeps = sweep_files_in(dropped_files(drop->mimeData()));
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
        const QStringList paths = QFileDialog::getOpenFileNames(&main, QObject::tr("Open Sweep"),
                                                                QString(), sweep_filter);
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
