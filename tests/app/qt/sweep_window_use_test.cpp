// The sweep window under real use: a cancel or a quit while slow readings are being
// solved ends the run's thread at once, a cancelled location is drawn and listed as
// provisional, a cancel after the last point gives the complete sweep, read-outs never
// show what no longer is, the classic method disables the fixture, and the window fits
// the screen.
#include "app/sweep/sweep_work.h"
#include "sweep_chart_view.h"
#include "sweep_fixture.h"
#include "sweep_setup_panel.h"
#include "sweep_window.h"

#include <QtTest>
#include <QtWidgets>

#include "../../files/temp_dir.h"

#include <QChart>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace ardenca;
using ardenca::qt::SweepWindow;

namespace {

// The names of this process's threads, as the system lists them.
QStringList thread_names() {
    QStringList names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names << QString::fromStdString(name);
    }
    return names;
}

// The names of the εr chart's series, as its legend shows them.
QStringList legend_names(SweepWindow& window) {
    QStringList names;
    QChart* chart = window.chart_view()->charts().chart(charts::Quantity::DielectricConstant);
    for (QAbstractSeries* series : chart->series())
        names << series->name();
    return names;
}

// The real work, holding back everything after the last point until it is stopped.
class HeldWork : public SweepWork {
  public:
    explicit HeldWork(std::unique_ptr<SweepWork> work) : work_(std::move(work)) {}
    SweepStep next() override {
        SweepStep step = work_->next();
        if (step.kind == SweepStep::Kind::Tracked) {
            while (!stop_requested())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return step;
    }

  private:
    std::unique_ptr<SweepWork> work_;
};

} // namespace

class SweepWindowUseTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cancel_and_quit_do_not_wait_for_slow_readings();
    void a_cancelled_location_is_provisional_and_a_late_cancel_complete();
    void the_read_out_follows_the_result_it_describes();
    void the_classic_search_says_it_has_no_fixture();
    void the_window_fits_the_screen_with_every_control_in_reach();
    void exports_add_their_suffix_and_check_the_nec_frequency_first();

  private:
    testing::TempDir dir_;
    std::string w_band_, long_, short_;
};

void SweepWindowUseTest::initTestCase() {
    w_band_ = testing::write_slow_band(dir_ / "w-band.s1p");
    long_ = dir_ / "long.s1p";
    testing::write_synthetic(long_, 4000, 1, 0.003, 60e6);
    short_ = dir_ / "short.s1p";
    testing::write_synthetic(short_, 60, 1, 0.003, 20e6);
}

bool wait_for_run(SweepWindow& window) {
    if (!window.running())
        return true;
    QSignalSpy ended(&window, &SweepWindow::run_ended);
    return ended.wait(60000);
}

void SweepWindowUseTest::cancel_and_quit_do_not_wait_for_slow_readings() {
    {
        SweepWindow window;
        window.show();
        window.open_files({QString::fromStdString(w_band_)});
        QTRY_COMPARE_WITH_TIMEOUT(window.model().files_read(), 1u, 5000);
        QTest::qWait(300); // well inside the first readings
        QVERIFY(window.running());
        QVERIFY(thread_names().contains("sweep_worker"));
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(window.cancel_button(), Qt::LeftButton);
        QCOMPARE(window.model().state(), SweepModel::State::Cancelled);
        QTRY_VERIFY_WITH_TIMEOUT(!thread_names().contains("sweep_worker"), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(window.findChildren<QThread*>().isEmpty(), 1000);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }
    // Closing the program mid-reading: the window goes at once.
    auto* window = new SweepWindow;
    window->open_files({QString::fromStdString(w_band_)});
    QTRY_COMPARE_WITH_TIMEOUT(window->model().files_read(), 1u, 5000);
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    delete window;
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    // The system lists a thread a moment after it has finished.
    QTRY_VERIFY_WITH_TIMEOUT(!thread_names().contains("sweep_worker"), 1000);
    QTRY_VERIFY_WITH_TIMEOUT(!thread_names().contains("sweep_point"), 1000);
}

void SweepWindowUseTest::a_cancelled_location_is_provisional_and_a_late_cancel_complete() {
    SweepWindow window;
    window.show();
    window.open_files({QString::fromStdString(long_)});
    // Provisional while the location is solving, in the legend and the table.
    QTRY_VERIFY_WITH_TIMEOUT(window.model().points_done() > 0, 30000);
    window.cancel();
    QCOMPARE(window.model().state(), SweepModel::State::Cancelled);
    QVERIFY(window.model().points_done() < 4000);
    QVERIFY2(legend_names(window).contains("Tracked solution (provisional)"),
             qPrintable(legend_names(window).join(", ")));
    QAbstractItemModel* table = window.table()->model();
    const int flags = int(SweepColumn::Flags);
    QVERIFY(table->index(0, flags).data().toString().contains("provisional"));
    QVERIFY(window.findChild<QLabel*>("status")->text().startsWith("Cancelled"));

    // Every point in, the last tracking held back: a cancel then completes the sweep.
    window.set_work_maker([](std::vector<std::string> paths, SweepSetup setup) {
        return std::make_unique<HeldWork>(make_sweep_work(std::move(paths), std::move(setup)));
    });
    window.open_files({QString::fromStdString(long_)});
    QTRY_COMPARE_WITH_TIMEOUT(window.model().points_done(), std::size_t{4000}, 120000);
    QVERIFY(window.running());
    window.cancel();
    QCOMPARE(window.model().state(), SweepModel::State::Finished);
    QVERIFY(!legend_names(window).join(" ").contains("provisional"));
    QVERIFY(!table->index(0, flags).data().toString().contains("provisional"));
    const QString status = window.findChild<QLabel*>("status")->text();
    QVERIFY2(status.startsWith("4000 points in 1 location"), qPrintable(status));
    QCOMPARE(QString::fromStdString(window.model().messages().back().text),
             QString("The cancel came after the last point: the sweep is complete."));
}

void SweepWindowUseTest::the_read_out_follows_the_result_it_describes() {
    SweepWindow window;
    window.show();
    QLabel* readout = window.chart_view()->readout_label();
    const QString hint = readout->text();
    window.open_files({QString::fromStdString(short_)});
    QVERIFY(wait_for_run(window));
    window.show_readout_at_setup_frequency();
    const QString first = readout->text();
    QVERIFY2(first.contains("MHz") && first.contains("σ"), qPrintable(first));
    const int height = readout->height();

    // Solved again with leads: the values under the mouse are read again.
    window.lead_nh_box()->setValue(300);
    QTRY_VERIFY_WITH_TIMEOUT(window.model().setup().engine.probe.lead_nh == 300, 5000);
    QVERIFY(wait_for_run(window));
    const double x = charts::plotted_freq(window.model().setup().engine.setup_freq_hz);
    QVERIFY(readout->text() != first);
    QCOMPARE(readout->text(), window.chart_view()->charts().readout(x));
    QCOMPARE(readout->height(), height); // the charts do not move

    // A refused file: nothing to read, the hint again.
    const std::string bad = dir_ / "bad.s1p";
    testing::write_bytes(bad, "# MHZ Z RI R 50\n1 2\n");
    window.open_files({QString::fromStdString(bad)});
    QVERIFY(wait_for_run(window));
    QCOMPARE(readout->text(), hint);
}

void SweepWindowUseTest::the_classic_search_says_it_has_no_fixture() {
    SweepWindow window;
    qt::SweepSetupPanel* panel = window.setup_panel();
    QDoubleSpinBox* boxes[] = {panel->lead_nh_box(), panel->top_pf_box(), panel->air_m_box()};
    panel->lead_nh_box()->setValue(250);
    window.open_files({QString::fromStdString(short_)});
    QVERIFY(wait_for_run(window));
    QVERIFY(panel->setup_label()->text().contains("leads 250 nH"));

    panel->method_box()->setCurrentIndex(1);
    for (QDoubleSpinBox* box : boxes) {
        QVERIFY(!box->isEnabled());
        QVERIFY(box->toolTip().startsWith("Not used by the classic search"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(window.model().setup().method, sweep::SolveMethod::Classic, 5000);
    QVERIFY(wait_for_run(window));
    const QString line = panel->setup_label()->text();
    QVERIFY2(!line.contains("leads 250") && line.contains("classic search, without the fixture"),
             qPrintable(line));
    // What the table calls the probe's impedance is the meter's own reading.
    for (const auto& point : window.model().result().locations.front().points)
        QCOMPARE(point.z_probe_ohm, point.z_measured_ohm);

    // Back to all solutions: the leads count again, with the value kept.
    panel->method_box()->setCurrentIndex(0);
    QVERIFY(boxes[0]->isEnabled());
    QVERIFY(boxes[0]->toolTip().startsWith("Series inductance"));
    QTRY_COMPARE_WITH_TIMEOUT(window.model().setup().engine.probe.lead_nh, 250.0, 5000);
}

void SweepWindowUseTest::the_window_fits_the_screen_with_every_control_in_reach() {
    // 1280 × 1024 at scale factors 1, 1.5 and 2, in the window's own pixels, less a
    // panel of the desktop.
    const struct {
        QSize screen;
        bool scrolls;
    } cases[] = {{{1280, 1000}, false}, {{853, 666}, true}, {{640, 500}, true}};
    for (const auto& [screen, scrolls] : cases) {
        SweepWindow window;
        window.fit_to(QRect(QPoint(0, 24), screen));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(100); // the scroll area lays its panels out
        const QString at = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        QVERIFY2(window.width() <= screen.width() - 16 && window.height() <= screen.height() - 48,
                 qPrintable(at));
        QVERIFY2(window.minimumSizeHint().boundedTo(screen) == window.minimumSizeHint(),
                 qPrintable(at));
        const QSize content = window.scroll_area()->widget()->size();
        const QSize viewport = window.scroll_area()->viewport()->size();
        QCOMPARE(content.height() > viewport.height() || content.width() > viewport.width(),
                 scrolls);
        // Every control is in reach: scrolled to, it shows.
        for (const char* name : {"reset_view", "use_file", "use_window", "method", "lead_nh"}) {
            auto* control = window.findChild<QWidget*>(name);
            window.scroll_area()->ensureWidgetVisible(control);
            QVERIFY2(!control->visibleRegion().isEmpty(), name);
        }
        QVERIFY(window.statusBar()->geometry().bottom() < window.height());
        QVERIFY(window.statusBar()->width() <= window.width());
    }
}

void SweepWindowUseTest::exports_add_their_suffix_and_check_the_nec_frequency_first() {
    SweepWindow window;
    window.open_files({QString::fromStdString(short_)});
    QVERIFY(wait_for_run(window));
    QStringList titles;
    window.set_dialog_runner([this, &titles](QFileDialog& dialog) {
        titles << dialog.windowTitle();
        dialog.selectFile(QString::fromStdString(dir_ / "field-day"));
        return int(QDialog::Accepted);
    });
    window.export_dialog(SweepWindow::Export::Csv);
    window.export_dialog(SweepWindow::Export::Json);
    auto* report = window.findChild<QAction*>(QStringLiteral("export_report"));
    QVERIFY(report);
    report->trigger(); // File, Export Report…
    QVERIFY(QFileInfo::exists(QString::fromStdString(dir_ / "field-day.csv")));
    QVERIFY(QFileInfo::exists(QString::fromStdString(dir_ / "field-day.json")));
    QVERIFY(testing::read_bytes(dir_ / "field-day.pdf").starts_with("%PDF-"));
    QCOMPARE(titles, QStringList({"Export CSV", "Export JSON", "Export Report"}));

    // 0.5 MHz lies below the sweep: told before any file is chosen.
    int title_room_px = 0;
    QTimer::singleShot(0, [&title_room_px] {
        auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        QVERIFY(input);
        QFont bold = QApplication::font();
        bold.setBold(true);
        title_room_px = input->width() - QFontMetrics(bold).horizontalAdvance(input->windowTitle());
        input->setDoubleValue(0.5);
        input->accept();
    });
    window.export_dialog(SweepWindow::Export::Nec);
    // The dialog is wide enough for its title in a bold title-bar font beside an icon and
    // three buttons (some 90 pixels of them under openbox).
    QVERIFY2(title_room_px >= 90, qPrintable(QString::number(title_room_px)));
    QCOMPARE(titles.size(), 3);
    QTRY_VERIFY(window.export_box() && window.export_box()->isVisible());
    QVERIFY(!QFileInfo::exists(QString::fromStdString(dir_ / "field-day.nec")));
}

QTEST_MAIN(SweepWindowUseTest)
#include "sweep_window_use_test.moc"
