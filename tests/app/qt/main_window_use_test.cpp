// The main window under real use: a failed File, Open after Show changes no field and
// calculates nothing, the status line stops describing a command once Show replaced
// its answer, and the time it reports leaves out the time spent in the file dialog.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "help_window.h"
#include "solutions_window.h"

#include <QtTest>
#include <QtWidgets>

#include <thread>

using namespace ardenca;
using ardenca::qt::ArdencaWindow;

namespace {

// Answers the next file dialog with path after keeping the user there for wait_ms.
void answer_dialog(ArdencaWindow& window, const QString& path, int wait_ms = 0) {
    window.file_dialog().set_runner([path, wait_ms](QFileDialog& dialog) {
        std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
        dialog.selectFile(path);
        return int(QDialog::Accepted);
    });
}

QStringList all_fields(ArdencaWindow& window) {
    QStringList texts;
    for (const auto& info : fields())
        texts << window.field_edit(info.field)->text();
    texts << window.windowTitle();
    texts << QString::number(window.option_button(MatchingOption::UseMatchingSection)->isChecked());
    return texts;
}

// The milliseconds the status line reports: "... model evaluations in 4.1 ms."
double reported_ms(const QString& status) {
    static const QRegularExpression ms(QStringLiteral(" in ([0-9.]+) ms\\.$"));
    const auto match = ms.match(status);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

} // namespace

class MainWindowUseTest : public QObject {
    Q_OBJECT
  private slots:
    void a_failed_open_after_show_changes_nothing();
    void open_reports_the_calculation_time_only();
    void f1_opens_the_guide_that_explains_every_flag();
};

void MainWindowUseTest::a_failed_open_after_show_changes_nothing() {
    ArdencaWindow window;
    window.Timer1_Timer();
    // A 1.2 m probe at 30 MHz: four grounds fit the reading.
    answer_dialog(window, QStringLiteral(ARDENCA_EXAMPLES_DIR "/long-probe.gnd"));
    window.menu_action("open")->trigger();
    QVERIFY(window.status_line()->text().startsWith("Open long-probe.gnd:"));
    const QString first_cond = window.field_edit(Field::Text9)->text();
    // Open says that the reading fits several grounds, as Calculate does.
    auto* hook = window.findChild<qt::SolutionsHook*>();
    QVERIFY(hook);
    QVERIFY(hook->notice() && hook->notice()->isVisible());
    hook->notice()->close();

    hook->open_solutions();
    qt::SolutionsWindow* solutions = hook->solutions_window();
    QVERIFY(solutions && solutions->table()->rowCount() == 4);
    solutions->table()->setCurrentCell(2, 0);
    QTest::mouseClick(solutions->show_button(), Qt::LeftButton);
    QVERIFY(window.field_edit(Field::Text9)->text() != first_cond);
    // The status line no longer speaks of the Open's search.
    QCOMPARE(window.status_line()->text(),
             QString("Show: the chosen ground written to Cond and Diel C, then Calc From "
                     "Medium."));

    const QStringList before = all_fields(window);
    const auto evaluations = window.model().evaluations();
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.gnd");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\r\nnot a number\r\n50\r\n9\r\n1\r\n2\r\n.1\r\n.007\r\n.55\r\n7\r\n");
    file.close();
    answer_dialog(window, broken);
    window.menu_action("open")->trigger();
    QTRY_VERIFY(window.file_box() && window.file_box()->isVisible());
    QCOMPARE(all_fields(window), before);
    QCOMPARE(window.model().evaluations(), evaluations);
    QCOMPARE(window.status_line()->text(), QString("Open failed: nothing changed."));
}

void MainWindowUseTest::open_reports_the_calculation_time_only() {
    ArdencaWindow window;
    window.Timer1_Timer();
    QElapsedTimer clock;
    clock.start();
    answer_dialog(window, QStringLiteral(ARDENCA_EXAMPLES_DIR "/lossy-ground.gnd"), 700);
    window.menu_action("open")->trigger();
    const qint64 whole_ms = clock.elapsed();
    const double ms = reported_ms(window.status_line()->text());
    QVERIFY2(ms >= 0, qPrintable(window.status_line()->text()));
    QVERIFY(whole_ms >= 700);
    // What is left once the user's 700 ms are taken out, give or take the clocks.
    QVERIFY2(ms <= double(whole_ms - 700) + 5, qPrintable(window.status_line()->text()));
}

void MainWindowUseTest::f1_opens_the_guide_that_explains_every_flag() {
    ArdencaWindow window;
    window.Timer1_Timer();
    QAction* guide = window.menu_action("guide");
    QVERIFY(guide && guide->shortcut() == QKeySequence(QKeySequence::HelpContents));
    guide->trigger();
    auto* browser = qobject_cast<QTextBrowser*>(QApplication::activeWindow());
    if (!browser)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "guide" && w->isVisible())
                browser = qobject_cast<QTextBrowser*>(w);
    QVERIFY(browser);
    const QString text = browser->toPlainText();
    QVERIFY(text.contains("Which solution to trust"));
    // Every flag the table shows has its section.
    const QString html = browser->toHtml();
    for (const char* flag : {"ambiguous", "no-solution", "electrically-long", "open-circuit",
                             "count-not-proved", "provisional"})
        QVERIFY2(html.contains(QStringLiteral("flag-%1").arg(flag)), flag);
    QTest::keyClick(browser, Qt::Key_Escape);
    QTRY_VERIFY(!browser || !browser->isVisible());
}

QTEST_MAIN(MainWindowUseTest)
#include "main_window_use_test.moc"
