// The sweep window as a user meets it: files opened, dropped or refused, the table
// against the sweep engine's own result, sorting and copying, exports written, a long
// solve cancelled, and solving again when the main window's set-up changes.
#include "about_ardenca.h"
#include "app/sweep/number_format.h"
#include "app/sweep/sweep_table.h"
#include "ardenca_window.h"
#include "export/csv_export.h"
#include "sweep/sweep_engine.h"
#include "sweep/sweep_file.h"
#include "sweep_fixture.h"
#include "sweep_window.h"

#include "../../fixture/fixture_chain.h"
#include "calibration_dialog.h"
#include "files/fixture_file.h"
#include "sweep/touchstone_writer.h"
#include "sweep_setup_panel.h"

#include <QChartView>
#include <QtTest>
#include <QtWidgets>

#include "../../files/temp_dir.h"

#include <algorithm>

using namespace ardenca;
using ardenca::qt::SweepWindow;

namespace {

bool wait_for_run(SweepWindow& window, int timeout_ms = 60000) {
    if (!window.running())
        return true;
    QSignalSpy ended(&window, &SweepWindow::run_ended);
    return ended.wait(timeout_ms);
}

// What the engine gives for these files in one call, as the command-line program runs it.
sweep::SweepResult engine_result(const SweepSetup& setup, const std::vector<std::string>& paths,
                                 std::vector<double> at_hz = {}) {
    std::vector<sweep::Sweep> sweeps;
    for (const auto& path : paths) {
        sweeps.push_back(sweep::read_sweep_file(path, {}));
        sweeps.back().path = path;
    }
    sweep::EngineOptions options;
    options.method = setup.method;
    options.average = setup.average && paths.size() > 1;
    options.fit = setup.fit;
    options.at_hz = std::move(at_hz);
    return sweep::solve_sweeps(setup.engine, sweeps, options);
}

// Drags the files onto target and drops them; true when the target took them.
bool drop_on(QWidget* target, const QStringList& paths) {
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class SweepWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void table_average_and_exports_match_the_engine();
    void dropped_files_are_refused_told_sorted_and_copied();
    void long_solve_shows_progress_and_cancels_at_once();
    void main_window_opens_dropped_files_and_setup_changes_solve_again();
    void calibrating_the_probe_applies_a_fixture_and_names_it();
    void table_shows_a_dozen_rows_and_whole_flags();

  private:
    testing::TempDir dir_;
    std::string small_a_, small_b_;
};

void SweepWindowTest::table_shows_a_dozen_rows_and_whole_flags() {
    // At the size it opens at on a 1280 x 1024 screen, with flags only past the first
    // few hundred rows.
    SweepWindow window;
    window.fit_to(QRect(0, 0, 1280, 1024));
    window.show();
    window.open_files({QString::fromStdString(small_a_)});
    QVERIFY(wait_for_run(window));
    QApplication::processEvents();
    QTableView* table = window.table();
    const int row_px = table->verticalHeader()->defaultSectionSize();
    QVERIFY2(
        table->viewport()->height() >= 12 * row_px,
        qPrintable(QString("%1 px for rows of %2").arg(table->viewport()->height()).arg(row_px)));
    const int flags = static_cast<int>(SweepColumn::Flags);
    QAbstractItemModel* rows = table->model();
    int flagged = 0;
    for (int r = 0; r < rows->rowCount(); ++r) {
        const QString text = rows->index(r, flags).data().toString();
        flagged += !text.isEmpty();
        QVERIFY2(table->fontMetrics().horizontalAdvance(text) + 6 <= table->columnWidth(flags),
                 qPrintable(text));
    }
    QVERIFY(flagged > 0);
}

void SweepWindowTest::initTestCase() {
    // 600 points span three chunks; above 25 MHz the probe is electrically long and the
    // readings fit several grounds, so a chunk tracked on its own can go astray.
    small_a_ = dir_ / "site-a.s1p";
    small_b_ = dir_ / "site-b.s1p";
    testing::write_synthetic(small_a_, 600, 1, 0.002, 100e6);
    testing::write_synthetic(small_b_, 333, 1.2, 0.004);
}

void SweepWindowTest::table_average_and_exports_match_the_engine() {
    SweepWindow window;
    window.open_files({QString::fromStdString(small_a_), QString::fromStdString(small_b_)});
    QVERIFY(wait_for_run(window));
    const SweepModel& model = window.model();
    QCOMPARE(model.state(), SweepModel::State::Finished);

    // The window fits a soil model as the command line does unless told otherwise.
    QCOMPARE(model.setup().fit, sweep::FitChoice::Auto);
    const sweep::SweepResult expected = engine_result(model.setup(), {small_a_, small_b_});
    // Chunked, tracked again as a whole: the same numbers, bit for bit, as one call.
    QVERIFY(model.result().average);
    QCOMPARE(exports::sweep_csv(model.result()), exports::sweep_csv(expected));
    // The area's model over both locations, as the engine fits it with the average.
    QVERIFY(expected.area_fit);
    QVERIFY(model.result().area_fit);
    QCOMPARE(model.result().area_fit->value, expected.area_fit->value);
    QCOMPARE(model.result().area_fit->u, expected.area_fit->u);
    // The panel shows the area's line alone until every location is asked for.
    qt::SweepSetupPanel* panel = window.setup_panel();
    const QString folded = panel->ground_at_label()->text();
    QVERIFY2(folded.startsWith("Area at ") && !folded.contains("site-a"), qPrintable(folded));
    panel->all_soil_button()->click();
    const QStringList all = panel->ground_at_label()->text().split('\n');
    QCOMPARE(all.size(), 3);
    QVERIFY(all[0].startsWith("site-a.s1p") && all[1].startsWith("site-b.s1p"));
    QCOMPARE(all[2], folded);

    // Every row of the table shows the engine's numbers, in file order.
    QAbstractItemModel* table = window.table()->model();
    QCOMPARE(table->rowCount(), 933);
    const std::vector<std::pair<int, SweepRow>> rows{
        {0, {0, 0}}, {599, {0, 599}}, {600, {1, 0}}, {932, {1, 332}}};
    for (const auto& [row, where] : rows)
        for (int c = 0; c < sweep_column_count; ++c)
            QCOMPARE(table->index(row, c).data().toString().toStdString(),
                     cell_text(expected, where, static_cast<SweepColumn>(c)));

    // Saved files hold the data; failures warn without blocking, as File, Save does, and
    // leave nothing behind.
    const struct {
        SweepWindow::Export kind;
        std::string name;
        double mhz;
        bool saved;
        QString holds; // in the file, or at the start of the warning
    } cases[] = {
        {SweepWindow::Export::Csv, "out.csv", 0, true, "location,f_hz,sigma_s_per_m,"},
        {SweepWindow::Export::Json, "out.json", 0, true, "site-a.s1p"},
        {SweepWindow::Export::Chart, "out.svg", 0, true, "<svg"},
        {SweepWindow::Export::Nec, "g.nec", 7, true, "GN 2 0 0 0 "},
        {SweepWindow::Export::Report, "out.pdf", 0, true, "%PDF-"},
        {SweepWindow::Export::Csv, "no/such/out.csv", 0, false, "The file was not saved: "},
        {SweepWindow::Export::Chart, "chart.gif", 0, false, "The chart was not saved: "},
        {SweepWindow::Export::Report, "no/such/report.pdf", 0, false, "The file was not saved: "},
        {SweepWindow::Export::Nec, "far.nec", 500, false, ""},
    };
    // Two locations: by bands from the area's model, when the engine finds that it fits.
    const std::string bands = dir_ / "bands.nec";
    const bool area_fits = expected.area_fit->acceptable;
    QCOMPARE(window.export_nec_bands(QString::fromStdString(bands), {7, 14}), area_fits);
    if (area_fits) {
        QVERIFY(testing::read_bytes(bands).find("area fit of 2 locations") != std::string::npos);
    } else {
        QVERIFY(window.export_box() &&
                window.export_box()->text().startsWith("No ground for the NEC"));
        window.export_box()->close();
    }
    for (const auto& c : cases) {
        const std::string path = dir_ / c.name;
        QCOMPARE(window.export_to(c.kind, QString::fromStdString(path), c.mhz), c.saved);
        if (c.saved) {
            QVERIFY2(testing::read_bytes(path).find(c.holds.toStdString()) != std::string::npos,
                     path.c_str());
            continue;
        }
        QMessageBox* box = window.export_box();
        QVERIFY(box && box->isVisible() && box->text().startsWith(c.holds));
        QVERIFY(!box->text().isEmpty() && !std::filesystem::exists(path));
        box->close();
    }
    QCOMPARE(testing::read_bytes(dir_ / "out.csv"), exports::sweep_csv(model.result()));
    QVERIFY(testing::read_bytes(dir_ / "out.svg").size() > 1000);
}

void SweepWindowTest::dropped_files_are_refused_told_sorted_and_copied() {
    const std::string bad = dir_ / "bad.s1p";
    testing::write_bytes(bad, "# MHz Z RI R 50\n1 50 0\n2 5O 0\n");
    SweepWindow window;
    QVERIFY(!drop_on(&window, {QString::fromStdString(dir_ / "notes.txt")}));
    QVERIFY(drop_on(&window, {QString::fromStdString(bad), QString::fromStdString(small_b_)}));
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().state(), SweepModel::State::Finished);
    QCOMPARE(window.model().refused_count(), 1);
    QCOMPARE(window.model().result().locations.size(), std::size_t(1));
    QListWidget* panel = window.message_list();
    QVERIFY(panel->count() >= 1);
    QVERIFY2(panel->item(0)->text().startsWith(QString::fromStdString(bad) + ":3: "),
             qPrintable(panel->item(0)->text()));

    QTableView* table = window.table();
    // Sorted by σ, largest first: by the number, not by its text.
    table->sortByColumn(static_cast<int>(SweepColumn::Sigma), Qt::DescendingOrder);
    std::vector<double> sigmas;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        if (const QString text =
                table->model()->index(r, int(SweepColumn::Sigma)).data().toString();
            !text.isEmpty())
            sigmas.push_back(text.toDouble());
    QVERIFY(std::is_sorted(sigmas.rbegin(), sigmas.rend()));

    table->selectRow(0);
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->setFocus();
    QAction* copy = table->findChild<QAction*>("copy_rows");
    QVERIFY(copy && copy->shortcut() == QKeySequence(QKeySequence::Copy));
    copy->trigger();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith("Location\tf (MHz)\t"));
    const QStringList first = lines[1].split('\t');
    QCOMPARE(first.size(), sweep_column_count);
    QCOMPARE(first[0], QString("site-b.s1p"));
    QCOMPARE(first[int(SweepColumn::Sigma)],
             table->model()->index(0, int(SweepColumn::Sigma)).data().toString());
}

void SweepWindowTest::long_solve_shows_progress_and_cancels_at_once() {
    const std::string big = dir_ / "big.s1p";
    testing::write_synthetic(big, 100000, 1, 0.003);
    SweepWindow window;
    window.show();
    window.open_files({QString::fromStdString(big)});
    QVERIFY(window.running() && window.cancel_button()->isVisible());
    // The window keeps its event loop: progress moves while the worker solves.
    QTRY_VERIFY_WITH_TIMEOUT(window.progress_bar()->value() > 0, 60000);
    const int first = window.progress_bar()->value();
    QTRY_VERIFY_WITH_TIMEOUT(window.progress_bar()->value() > first, 60000);
    QVERIFY(window.model().points_done() < 100000);
    QVERIFY(window.table()->model()->rowCount() > 0);

    QPointer<QThread> worker = window.findChild<QThread*>("sweep_worker");
    QVERIFY(worker);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(window.cancel_button(), Qt::LeftButton);
    QCOMPARE(window.model().state(), SweepModel::State::Cancelled);
    QVERIFY(!window.progress_bar()->isVisible());
    const std::size_t kept = window.model().points_done();
    // The worker stops within a few points.
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 500);
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QTest::qWait(50);
    QCOMPARE(window.model().points_done(), kept);
}

void SweepWindowTest::main_window_opens_dropped_files_and_setup_changes_solve_again() {
    // On the main window: File, Open Sweep… is there, and a drop opens the sweep window.
    qt::ArdencaWindow main;
    main.Timer1_Timer();
    const auto open = qt::install_sweep_window(main);
    QAction* action = main.menu_action("open_sweep");
    QVERIFY(action && action->shortcut() == QKeySequence("Ctrl+Shift+O"));
    QVERIFY(drop_on(&main, {QString::fromStdString(small_b_)}));
    SweepWindow* opened = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<SweepWindow*>(w))
            opened = s;
    QVERIFY(opened && opened->isVisible());
    SweepWindow& window = *opened;
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().paths(), std::vector<std::string>{small_b_});
    const int run = window.model().run();

    // Typing in the main window: one new run once the typing pauses.
    QLineEdit* length = main.field_edit(Field::Text3);
    QTest::keyClick(length, Qt::Key_End);
    QTest::keyClick(length, Qt::Key_1); // ".551"
    QTest::keyClick(length, Qt::Key_2); // ".5512"
    QCOMPARE(window.model().run(), run);
    QTRY_COMPARE_WITH_TIMEOUT(window.model().run(), run + 1, 5 * SweepWindow::resolve_delay_ms);
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().setup().engine.probe.length_m, 0.5512);
    QTest::qWait(2 * SweepWindow::resolve_delay_ms);
    QCOMPARE(window.model().run(), run + 1);

    // A fixture option of the window itself, then a ground data file as the set-up.
    window.lead_nh_box()->setValue(12);
    QTRY_COMPARE_WITH_TIMEOUT(window.model().run(), run + 2, 5 * SweepWindow::resolve_delay_ms);
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().setup().engine.probe.lead_nh, 12.0);
    // The classic search at every point, chunk by chunk, as the engine gives it at once.
    window.findChild<QComboBox*>("method")->setCurrentIndex(1);
    QTRY_COMPARE_WITH_TIMEOUT(window.model().run(), run + 3, 5 * SweepWindow::resolve_delay_ms);
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().setup().method, sweep::SolveMethod::Classic);
    QCOMPARE(exports::sweep_csv(window.model().result()),
             exports::sweep_csv(engine_result(window.model().setup(), {small_b_})));
    window.findChild<QComboBox*>("method")->setCurrentIndex(0);

    window.use_setup_file(ARDENCA_EXAMPLES_DIR "/matching-section.gnd");
    QVERIFY(wait_for_run(window));
    QVERIFY(window.model().setup().engine.probe.matching);
    QCOMPARE(window.model().setup().engine.probe.lead_nh, 12.0);
    // Typing in the main window no longer changes it.
    QTest::keyClick(length, Qt::Key_3);
    QTest::qWait(2 * SweepWindow::resolve_delay_ms);
    QCOMPARE(window.model().run(), run + 4); // the method and the file: one run

    // A set-up file that has gone away: said in the panel, the window goes on.
    const std::string gone = dir_ / "gone.gnd";
    std::filesystem::copy_file(ARDENCA_EXAMPLES_DIR "/matching-section.gnd", gone);
    window.use_setup_file(QString::fromStdString(gone));
    QVERIFY(wait_for_run(window));
    std::filesystem::remove(gone);
    window.lead_nh_box()->setValue(13);
    QTRY_COMPARE_WITH_TIMEOUT(window.model().state(), SweepModel::State::Failed,
                              5 * SweepWindow::resolve_delay_ms);
    QVERIFY(window.message_list()->count() == 1);
    QVERIFY(window.message_list()->item(0)->text().contains("gone.gnd"));
    window.use_setup_file(QString());
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().state(), SweepModel::State::Finished);

    // The soil model by default: the location has one, or a warning says none fits.
    QCOMPARE(window.model().setup().fit, sweep::FitChoice::Auto);
    bool told = window.model().result().locations[0].fit.has_value();
    for (const SweepMessage& m : window.model().messages())
        told = told || m.text.find("No model") != std::string::npos;
    QVERIFY(told);
    // The panel names the model, and gives the ground at its frequency as the command
    // line's --at does, without solving again.
    qt::SweepSetupPanel* panel = window.setup_panel();
    const QString models = panel->fit_label()->text();
    QVERIFY(panel->fit_label()->isVisibleTo(panel));
    QVERIFY2(models.startsWith("site-b.s1p: "), qPrintable(models));
    const int solved = window.model().run();
    panel->ground_at_box()->setValue(14);
    const calc::ModelGround at =
        engine_result(window.model().setup(), {small_b_}, {14e6}).locations[0].at.at(0);
    const QString ground = panel->ground_at_label()->text();
    QVERIFY2(ground.startsWith("site-b.s1p at 14 MHz: σ " +
                               QString::fromStdString(plain_number(at.sigma_s_per_m, 4)) + " ± " +
                               QString::fromStdString(plain_number(at.u_sigma_s_per_m, 2)) +
                               " S/m, εr " + QString::fromStdString(plain_number(at.eps_r, 4))),
             qPrintable(ground));
    QCOMPARE(window.model().run(), solved);
    // "No soil model": the grounds chosen by continuity alone, as the engine gives them.
    const int before = window.model().run();
    window.findChild<QComboBox*>("fit")->setCurrentIndex(0);
    QTRY_COMPARE_WITH_TIMEOUT(window.model().run(), before + 1, 5 * SweepWindow::resolve_delay_ms);
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().setup().fit, sweep::FitChoice::None);
    QVERIFY(!window.model().result().locations[0].fit);
    QCOMPARE(exports::sweep_csv(window.model().result()),
             exports::sweep_csv(engine_result(window.model().setup(), {small_b_})));
    QVERIFY(!panel->fit_label()->isVisibleTo(panel));
    QVERIFY2(panel->ground_at_label()->text().contains("from the chosen grounds around it"),
             qPrintable(panel->ground_at_label()->text()));
}

// The probe of the window's default set-up with 20 nH and 5 pF, swept in the air and
// with its tops strapped.
void SweepWindowTest::calibrating_the_probe_applies_a_fixture_and_names_it() {
    using namespace ardenca::fixture_test;
    calc::ProbeSetup probe; // spacing .1, radius .007, length .55 as the default fields
    const TrueFixture fx{20, 5, 0};
    sweep::Sweep air, strapped;
    NoisyMeter meter(3);
    for (double f : band(1e6, 30e6, 59)) {
        air.points.push_back({f, meter.read(air_z(probe, fx, f)), false});
        strapped.points.push_back({f, meter.read(short_z(fx, f)), false});
    }
    const std::string air_path = dir_ / "air.s1p", short_path = dir_ / "short.s1p";
    testing::write_bytes(air_path, sweep::write_touchstone(air));
    testing::write_bytes(short_path, sweep::write_touchstone(strapped));

    SweepWindow window;
    qt::CalibrationDialog* dialog = window.open_calibration();
    QVERIFY(dialog && dialog->isVisible());
    dialog->air_edit()->setText(QString::fromStdString(dir_ / "missing.s1p"));
    QVERIFY(!dialog->calibrate());
    QVERIFY(dialog->result_label()->text().startsWith("Not calibrated: "));
    dialog->air_edit()->setText(QString::fromStdString(air_path));
    dialog->short_edit()->setText(QString::fromStdString(short_path));
    QVERIFY(dialog->calibrate());
    const calc::FixtureFit& fit = dialog->calibration()->fit;
    QVERIFY(std::abs(fit.lead_nh.value - 20) < 3 * fit.lead_nh.u);
    QVERIFY(std::abs(fit.top_pf.value - 5) < 3 * fit.top_pf.u);
    QVERIFY(dialog->result_label()->text().startsWith("Leads "));
    QCOMPARE(dialog->chart_view()->chart()->series().size(), 4); // air, short: measured, fitted
    files::FixtureFile longer = dialog->calibration()->fixture;  // the dialog closes on Apply
    dialog->findChild<QPushButton*>("apply_fixture")->click();
    QTRY_VERIFY(window.setup_panel()->setup_label()->text().contains("; fixture calibrated now"));
    QVERIFY(!window.lead_nh_box()->isEnabled());

    // A fixture file made for a longer probe: used, named, and warned about.
    longer.length_m = 0.9;
    const std::string fix_path = dir_ / "longer.json";
    files::write_fixture_file(fix_path, longer);
    window.open_fixture_file(QString::fromStdString(fix_path));
    const QString line = window.setup_panel()->setup_label()->text();
    QVERIFY2(line.contains("; fixture longer.json (warning: the fixture longer.json was made "
                           "for a probe of whole rod length"),
             qPrintable(line));
    // A file that is no fixture: told with its name, the fixture in use stays.
    const std::string bad = testing::write_bytes(dir_ / "bad.json", "{}");
    window.open_fixture_file(QString::fromStdString(bad));
    QVERIFY(window.export_box() && window.export_box()->text().startsWith(
                                       QString::fromStdString(bad + ": not a fixture file")));
    QVERIFY(window.setup_panel()->setup_label()->text().contains("longer.json"));
    window.findChild<QPushButton*>("no_fixture")->click();
    QVERIFY(!window.setup_panel()->setup_label()->text().contains("fixture"));
    QVERIFY(window.lead_nh_box()->isEnabled());
}

QTEST_MAIN(SweepWindowTest)
#include "sweep_window_test.moc"
