// The sweep window's sessions (File, Save Session… and Open Session…) and its File,
// Open Recent: what is needed to show the same result again, in a session file.
#include "about_ardenca.h"
#include "app/sweep/session_file.h"
#include "ardenca_window.h"
#include "files/file_error.h"
#include "recent_files_menu.h"
#include "sweep_chart.h"
#include "sweep_chart_view.h"
#include "sweep_series.h"
#include "sweep_setup_panel.h"
#include "sweep_window.h"

#include <QAction>
#include <QCategoryAxis>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QValueAxis>

namespace ardenca::qt {

namespace {

// The main window's fields a session keeps, in the order of SessionFields::texts.
constexpr std::array<Field, 7> session_fields{Field::Text1, Field::Text2,  Field::Text3,
                                              Field::Text8, Field::Text31, Field::Text25,
                                              Field::Text26};

QString file_list(const std::vector<std::string>& paths) {
    QStringList names;
    for (const std::string& path : paths)
        names << QDir::toNativeSeparators(shown_path(path));
    return names.join(QStringLiteral(", "));
}

} // namespace

void SweepWindow::build_session_menu(QMenu* file) {
    recent_menu_ = new RecentFilesMenu(
        recent_sweep_key,
        [this](const QString& path) {
            if (is_session_file(path))
                open_session(path);
            else
                open_files({path});
        },
        this);
    recent_menu_->setObjectName(QStringLiteral("recent_sweeps"));
    file->addMenu(recent_menu_);
    file->addSeparator();
    QAction* open = file->addAction(tr("Open Session…"));
    open->setObjectName(QStringLiteral("open_session"));
    connect(open, &QAction::triggered, this, [this] { session_dialog(false); });
    QAction* save = file->addAction(tr("Save Session…"));
    save->setObjectName(QStringLiteral("save_session"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { session_dialog(true); });
}

void SweepWindow::session_dialog(bool save) {
    const QString filter = tr("Ardenca sessions (*.json);;All files (*)");
    QFileDialog dialog(this, save ? tr("Save Session") : tr("Open Session"),
                       last_folder(FolderKind::Session), filter);
    dialog.setObjectName(QStringLiteral("session_dialog"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog_runner_(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString path = dialog.selectedFiles().constFirst();
    if (save && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".json");
    if (save)
        save_session(path);
    else
        open_session(path);
}

std::optional<SessionZoom> SweepWindow::chart_zoom() const {
    using charts::Quantity;
    if (!charts_->user_moved_view())
        return std::nullopt;
    charts::SweepCharts& charts = charts_->charts();
    const auto range = [&charts](Quantity quantity) {
        const auto* axis = qobject_cast<const QValueAxis*>(charts.value_axis(quantity));
        return axis ? std::array{charts::unplotted(quantity, axis->min()),
                                 charts::unplotted(quantity, axis->max())}
                    : std::array{0.0, 0.0};
    };
    const QValueAxis* freq = charts.freq_axis(Quantity::Conductivity);
    return SessionZoom{{charts::unplotted_freq(freq->min()), charts::unplotted_freq(freq->max())},
                       range(Quantity::Conductivity),
                       range(Quantity::DielectricConstant)};
}

void SweepWindow::set_chart_zoom(const SessionZoom& zoom) {
    using charts::Quantity;
    charts::SweepCharts& charts = charts_->charts();
    const auto plotted = [](Quantity quantity, std::array<double, 2> range) {
        return std::array{charts::plotted(quantity, range[0]), charts::plotted(quantity, range[1])};
    };
    const auto sigma = plotted(Quantity::Conductivity, zoom.sigma_s_per_m);
    const auto eps_r = plotted(Quantity::DielectricConstant, zoom.eps_r);
    if (!(zoom.freq_hz[0] > 0) || !sigma[0] || !sigma[1] || !eps_r[0] || !eps_r[1])
        return; // ranges this window cannot show: the charts stay fitted to the data
    charts.freq_axis(Quantity::Conductivity)
        ->setRange(charts::plotted_freq(zoom.freq_hz[0]), charts::plotted_freq(zoom.freq_hz[1]));
    for (auto [quantity, range] :
         {std::pair{Quantity::Conductivity, sigma}, std::pair{Quantity::DielectricConstant, eps_r}})
        if (auto* axis = qobject_cast<QValueAxis*>(charts.value_axis(quantity)))
            axis->setRange(*range[0], *range[1]);
    // As a zoom by hand: the next result keeps this view.
    emit charts_->pane(Quantity::Conductivity)->view_changed();
}

bool SweepWindow::save_session(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Session session;
    session.sweep_paths = model_.paths();
    session.setup_file = local_path(setup_file_);
    if (setup_file_.isEmpty()) {
        const Ardenca defaults;
        const Ardenca& fields = main_ ? main_->model() : defaults;
        SessionFields kept;
        for (std::size_t i = 0; i < session_fields.size(); ++i)
            kept.texts[i] = fields.text(session_fields[i]);
        kept.matching_section = fields.option() == MatchingOption::UseMatchingSection;
        session.fields = kept;
    }
    session.options = fixture();
    if (fixture_file_)
        session.fixture =
            SessionFixture{fixture_name_.toStdString(), local_path(fixture_path_), *fixture_file_};
    session.sort_column = proxy_->sortColumn();
    session.sort_descending = proxy_->sortOrder() == Qt::DescendingOrder;
    session.zoom = chart_zoom();
    try {
        write_session_file(local_path(absolute), session);
    } catch (const std::exception& error) {
        warn(QString::fromStdString(error.what()));
        return false;
    }
    add_recent_file(recent_sweep_key, absolute);
    remember_folder(FolderKind::Session, absolute);
    status_->setText(tr("Saved session %1.").arg(QFileInfo(absolute).fileName()));
    return true;
}

bool SweepWindow::open_session(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Session session;
    try {
        session = read_session_file(local_path(absolute));
    } catch (const SessionError& error) {
        warn(tr("The session was not opened: %1").arg(QString::fromStdString(error.what())));
        return false;
    }
    add_recent_file(recent_sweep_key, absolute);
    remember_folder(FolderKind::Session, absolute);
    const std::vector<std::string> missing = missing_files(session);
    const auto gone = [&missing](const std::string& file) {
        return std::find(missing.begin(), missing.end(), file) != missing.end();
    };

    stop_worker();
    resolve_timer_.stop();
    // The set-up: the ground data file, or the main window's fields as they were.
    if (!session.setup_file.empty() && !gone(session.setup_file)) {
        setup_file_ = shown_path(session.setup_file);
    } else {
        setup_file_.clear();
        if (session.fields && main_) {
            Ardenca& fields = main_->model();
            for (std::size_t i = 0; i < session_fields.size(); ++i)
                if (fields.text(session_fields[i]) != session.fields->texts[i])
                    fields.set_text(session_fields[i], session.fields->texts[i]);
            fields.select_option(session.fields->matching_section
                                     ? MatchingOption::UseMatchingSection
                                     : MatchingOption::None);
        }
    }
    // The fixture and the options, without a solve for each box that changes.
    fixture_file_.reset();
    fixture_name_.clear();
    fixture_path_.clear();
    if (session.fixture) {
        fixture_file_ = session.fixture->data;
        fixture_name_ = session.fixture->name.empty()
                            ? tr("fixture of the session")
                            : QString::fromStdString(session.fixture->name);
        fixture_path_ = shown_path(session.fixture->path);
    }
    {
        const FixtureOptions& options = session.options;
        auto* fit = setup_panel_->findChild<QComboBox*>(QStringLiteral("fit"));
        auto* average = setup_panel_->findChild<QCheckBox*>(QStringLiteral("average"));
        const QSignalBlocker b1(setup_panel_->lead_nh_box()), b2(setup_panel_->top_pf_box()),
            b3(setup_panel_->air_m_box()), b4(setup_panel_->method_box()), b5(fit), b6(average);
        setup_panel_->lead_nh_box()->setValue(options.lead_nh);
        setup_panel_->top_pf_box()->setValue(options.top_pf);
        setup_panel_->air_m_box()->setValue(options.air_m);
        setup_panel_->method_box()->setCurrentIndex(
            options.method == sweep::SolveMethod::Classic ? 1 : 0);
        if (fit)
            fit->setCurrentIndex(static_cast<int>(options.fit));
        if (average)
            average->setChecked(options.average);
    }
    setup_panel_->show_fixture(fixture_name_);

    // The table's order.
    if (session.sort_column >= 0 && session.sort_column < proxy_->columnCount())
        table_->sortByColumn(session.sort_column,
                             session.sort_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    else {
        proxy_->sort(-1);
        table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    }

    QStringList sweeps;
    for (const std::string& file : session.sweep_paths)
        if (!gone(file))
            sweeps << shown_path(file);
    // The session's sweeps join Open Recent through the session, not one by one.
    in_session_ = true;
    open_files(sweeps);
    in_session_ = false;
    // A run fits the charts to the data: the session's zoom comes once it has ended.
    if (session.zoom) {
        if (running())
            connect(
                this, &SweepWindow::run_ended, this,
                [this, zoom = *session.zoom] { set_chart_zoom(zoom); }, Qt::SingleShotConnection);
        else
            set_chart_zoom(*session.zoom);
    }
    resolve_timer_.stop();
    show_setup();
    if (!missing.empty()) {
        const QString name = QFileInfo(absolute).fileName();
        QString message =
            missing.size() == 1
                ? tr("A file of the session %1 could not be found, so it was left out: %2.")
                      .arg(name, file_list(missing))
                : tr("%1 files of the session %2 could not be found, so they were left out: %3.")
                      .arg(missing.size())
                      .arg(name, file_list(missing));
        message += tr(" Put the files back where the session expects them, or open them with Open "
                      "Sweep… and save the session again.");
        if (!session.setup_file.empty() && gone(session.setup_file))
            message += tr(" The set-up is taken from the main window's fields instead.");
        warn(message);
    }
    status_->setText(tr("Opened session %1.").arg(QFileInfo(absolute).fileName()));
    return true;
}

} // namespace ardenca::qt
