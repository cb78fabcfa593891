// Sessions and recent files in the windows: a saved session reopens to the same table in
// a fresh window, files that moved are named and the rest open, a broken session changes
// nothing, and Open Recent and the dialogs' folders outlive the window. The settings live
// in a folder of the test's own.
#include "about_ardenca.h"
#include "app/ardenca.h"
#include "ardenca_window.h"
#include "recent_files_menu.h"
#include "sweep_chart.h"
#include "sweep_chart_view.h"
#include "sweep_fixture.h"
#include "sweep_setup_panel.h"
#include "sweep_window.h"

#include <QtTest>
#include <QtWidgets>

#include <QCategoryAxis>
#include <QValueAxis>

#include "../../files/temp_dir.h"

#include <filesystem>
#include <fstream>

using namespace ardenca;
using ardenca::qt::ArdencaWindow;
using ardenca::qt::SweepWindow;

namespace {

bool wait_for_run(SweepWindow& window) {
    if (!window.running())
        return true;
    QSignalSpy ended(&window, &SweepWindow::run_ended);
    return ended.wait(60000);
}

QString text_of(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The charts' ranges: frequency, σ, εr.
QList<double> chart_ranges(const SweepWindow& window) {
    auto& charts = window.chart_view()->charts();
    QList<double> ranges;
    for (QAbstractAxis* axis :
         {static_cast<QAbstractAxis*>(charts.freq_axis(charts::Quantity::Conductivity)),
          charts.value_axis(charts::Quantity::Conductivity),
          charts.value_axis(charts::Quantity::DielectricConstant)}) {
        const auto* values = qobject_cast<const QValueAxis*>(axis);
        ranges << (values ? values->min() : 0) << (values ? values->max() : 0);
    }
    return ranges;
}

// Every cell of the table as shown, row by row in the shown order.
QStringList shown_table(const SweepWindow& window) {
    QStringList rows;
    const QAbstractItemModel* model = window.table()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join('\t');
    }
    return rows;
}

QString q(const std::string& path) {
    return QString::fromStdString(path);
}

} // namespace

class SweepSessionTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void a_saved_session_reopens_to_the_same_table();
    void moved_files_are_named_and_a_broken_session_changes_nothing();
    void recent_files_and_folders_outlive_the_window();

  private:
    testing::TempDir settings_;
    testing::TempDir dir_;
};

void SweepSessionTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, q(settings_.path().string()));
    qt::keep_recent_files(true);
    std::filesystem::create_directory(dir_.path() / "site");
    testing::write_synthetic(dir_ / "site/north.s1p", 50, 1, 0.002);
    testing::write_synthetic(dir_ / "site/south.s1p", 50, 1.08, 0.003);
}

void SweepSessionTest::a_saved_session_reopens_to_the_same_table() {
    const std::string session = dir_ / "field day.json";
    QString csv, setup_line;
    QStringList table;
    QList<double> zoomed;
    {
        ArdencaWindow main;
        main.Timer1_Timer();
        main.model().set_text(Field::Text8, "10");
        SweepWindow window(&main);
        window.lead_nh_box()->setValue(120);
        window.setup_panel()->top_pf_box()->setValue(4.5);
        window.setup_panel()->findChild<QComboBox*>("fit")->setCurrentIndex(2);
        window.setup_panel()->findChild<QCheckBox*>("average")->setChecked(false);
        window.open_files({q(dir_ / "site/north.s1p"), q(dir_ / "site/south.s1p")});
        QVERIFY(wait_for_run(window));
        window.table()->sortByColumn(3, Qt::DescendingOrder);
        auto* pane = window.chart_view()->pane(charts::Quantity::Conductivity);
        const QList<double> fitted = chart_ranges(window);
        pane->zoom_at({(fitted[0] + fitted[1]) / 2, (fitted[2] + fitted[3]) / 2}, 2.5, true);
        zoomed = chart_ranges(window);
        QVERIFY(zoomed != fitted);
        QVERIFY(window.save_session(q(session)));
        QVERIFY(window.export_to(SweepWindow::Export::Csv, q(dir_ / "before.csv")));
        csv = text_of(dir_ / "before.csv");
        table = shown_table(window);
        setup_line = window.setup_panel()->setup_label()->text();
    }
    QVERIFY(csv.count('\n') > 100);
    // The paths are kept relative to the session's folder.
    QVERIFY(text_of(session).contains("\"site/north.s1p\""));

    ArdencaWindow main;
    main.Timer1_Timer();
    SweepWindow window(&main);
    QCOMPARE(main.model().text(Field::Text8), std::string("7"));
    QVERIFY(window.open_session(q(session)));
    QVERIFY(wait_for_run(window));
    QCOMPARE(main.model().text(Field::Text8), std::string("10"));
    QCOMPARE(window.lead_nh_box()->value(), 120.0);
    QVERIFY(window.export_to(SweepWindow::Export::Csv, q(dir_ / "after.csv")));
    QCOMPARE(text_of(dir_ / "after.csv"), csv);
    QCOMPARE(shown_table(window), table);
    QCOMPARE(window.setup_panel()->setup_label()->text(), setup_line);
    const QList<double> restored = chart_ranges(window);
    for (qsizetype i = 0; i < zoomed.size(); ++i)
        QVERIFY(std::abs(restored[i] - zoomed[i]) < 1e-9);
    QVERIFY(!window.export_box());
}

void SweepSessionTest::moved_files_are_named_and_a_broken_session_changes_nothing() {
    testing::TempDir dir;
    std::filesystem::copy_file(dir_ / "site/north.s1p", dir / "a.s1p");
    std::filesystem::copy_file(dir_ / "site/south.s1p", dir / "b.s1p");
    ArdencaWindow main;
    main.Timer1_Timer();
    {
        SweepWindow window(&main);
        window.open_files({q(dir / "a.s1p"), q(dir / "b.s1p")});
        QVERIFY(wait_for_run(window));
        QVERIFY(window.save_session(q(dir / "s.json")));
    }
    std::filesystem::rename(dir / "b.s1p", dir / "moved.s1p");
    SweepWindow window(&main);
    QVERIFY(window.open_session(q(dir / "s.json")));
    QVERIFY(wait_for_run(window));
    QCOMPARE(window.model().paths(), std::vector<std::string>{dir / "a.s1p"});
    QVERIFY(window.export_box() && window.export_box()->isVisible());
    QVERIFY(window.export_box()->text().contains(q(dir / "b.s1p")));
    QVERIFY(!window.export_box()->text().contains("a.s1p,"));
    window.export_box()->close();
    QApplication::processEvents();

    // A broken session and one from a newer version: refused, nothing changes.
    window.lead_nh_box()->setValue(33);
    QVERIFY(wait_for_run(window));
    const auto rows = window.model().row_count();
    std::string text = text_of(dir / "s.json").toStdString();
    const auto at = text.find("\"sweeps\"");
    text.insert(at, "\"oops\" ");
    std::ofstream(dir / "broken.json") << text;
    const auto line = std::count(text.begin(), text.begin() + at, '\n') + 1;
    QVERIFY(!window.open_session(q(dir / "broken.json")));
    QVERIFY(window.export_box()->text().contains(QStringLiteral("line %1").arg(line)));
    std::string newer = text_of(dir / "s.json").toStdString();
    newer.replace(newer.find("\"1.0\""), 5, "\"2.1\"");
    std::ofstream(dir / "newer.json") << newer;
    QVERIFY(!window.open_session(q(dir / "newer.json")));
    QVERIFY(window.export_box()->text().contains("newer"));
    QCOMPARE(window.lead_nh_box()->value(), 33.0);
    QCOMPARE(window.model().paths(), std::vector<std::string>{dir / "a.s1p"});
    QCOMPARE(window.model().row_count(), rows);
    QVERIFY(!window.running());
}

void SweepSessionTest::recent_files_and_folders_outlive_the_window() {
    testing::TempDir dir;
    const std::string ground = dir / "lossy.gnd";
    std::filesystem::copy_file(ARDENCA_EXAMPLES_DIR "/lossy-ground.gnd", ground);
    {
        ArdencaWindow main;
        qt::install_recent_files(main);
        main.Timer1_Timer();
        main.file_dialog().answer_next(q(ground));
        main.open_Click();
    }
    QCOMPARE(qt::recent_files(qt::recent_ground_key).value(0), q(ground));
    // A new window's File, Open starts where the last file came from, and lists it.
    ArdencaWindow main;
    qt::install_recent_files(main);
    main.Timer1_Timer();
    QCOMPARE(main.file_dialog_folder(), q(dir.path().string()));
    auto* menu = main.findChild<qt::RecentFilesMenu*>("recent_ground");
    QVERIFY(menu);
    menu->rebuild();
    QVERIFY(menu->findChild<QAction*>("recent_1"));
    menu->findChild<QAction*>("recent_1")->trigger();
    QVERIFY(main.windowTitle().endsWith("lossy.gnd"));

    // The sweep window's list: newest first; a file that has gone is told and dropped.
    std::filesystem::copy_file(dir_ / "site/north.s1p", dir / "gone.s1p");
    SweepWindow window(&main);
    window.open_files({q(dir / "gone.s1p")});
    QVERIFY(wait_for_run(window));
    window.open_files({q(dir_ / "site/north.s1p")});
    QVERIFY(wait_for_run(window));
    QStringList sweeps = qt::recent_files(qt::recent_sweep_key);
    QCOMPARE(sweeps.value(0), q(dir_ / "site/north.s1p"));
    QCOMPARE(sweeps.value(1), q(dir / "gone.s1p"));
    QCOMPARE(qt::last_folder(FolderKind::Sweep), q((dir_.path() / "site").string()));
    std::filesystem::remove(dir / "gone.s1p");
    window.recent_menu()->choose(q(dir / "gone.s1p"));
    QVERIFY(window.recent_menu()->missing_box() &&
            window.recent_menu()->missing_box()->isVisible());
    QVERIFY(window.recent_menu()->missing_box()->text().contains("gone.s1p"));
    QVERIFY(!qt::recent_files(qt::recent_sweep_key).contains(q(dir / "gone.s1p")));
    QCOMPARE(window.model().paths(), std::vector<std::string>{dir_ / "site/north.s1p"});
    window.recent_menu()->findChild<QAction*>("recent_clear")->trigger();
    QVERIFY(qt::recent_files(qt::recent_sweep_key).isEmpty());
    QCOMPARE(qt::recent_files(qt::recent_ground_key).value(0), q(ground));
}

QTEST_MAIN(SweepSessionTest)
#include "sweep_session_test.moc"
