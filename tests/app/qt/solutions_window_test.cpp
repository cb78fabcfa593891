// The Solutions window and its ties to the main window: the notice after "Calculate
// from Known  Z in", the Tools entry, and "Show" writing a ground back.
#include "about_ardenca.h"
#include "app/number_text.h"
#include "ardenca_window.h"
#include "solutions_window.h"
#include "started_window.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace ardenca;
using ardenca::qt::ArdencaWindow;
using ardenca::qt::SolutionsHook;
using ardenca::qt::SolutionsWindow;

namespace {

// A 1.2 m probe at 30 MHz reading 20 - j10 ohm: four grounds fit.
void long_probe(ArdencaWindow& w) {
    w.model().set_text(Field::Text3, "1.2");
    w.model().set_text(Field::Text8, "30");
    w.model().set_text(Field::Text23, "20");
    w.model().set_text(Field::Text24, "-10");
}

SolutionsHook* hook_of(ArdencaWindow& w) {
    return w.findChild<SolutionsHook*>("solutions_hook");
}

} // namespace

class SolutionsWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void tools_entry_then_the_notice_and_show();
};

void SolutionsWindowTest::tools_entry_then_the_notice_and_show() {
    auto w = started_window();
    SolutionsHook* hook = hook_of(*w);
    QVERIFY(hook);
    w->command_button(Command::Calculate)->click();
    QVERIFY(!hook->notice()); // one ground, and the search found it
    QAction* action = w->menu_action("solutions");
    QVERIFY(action);
    action->trigger();
    SolutionsWindow* s = hook->solutions_window();
    QVERIFY(s && s->isVisible());
    QCOMPARE(s->table()->rowCount(), 1);
    QCOMPARE(s->table()->item(0, 0)->text(), QString("0.01000001"));
    QCOMPARE(s->table()->item(0, 2)->text(), QString("29.99999"));
    QVERIFY(s->summary()->text().contains("short"));

    // A reading no ground makes: an empty list, nothing to show.
    w->model().set_text(Field::Text24, "900");
    action->trigger();
    QCOMPARE(s->table()->rowCount(), 0);
    QVERIFY(!s->show_button()->isEnabled());

    w->model().set_text(Field::Text8, "0"); // the air line faults: nothing to add
    w->command_button(Command::Calculate)->click();
    QVERIFY(!hook->notice());
    w->fault_box()->close();
    s->hide();

    // The notice opens the list, and Show writes a ground back.
    long_probe(*w);
    w->command_button(Command::Calculate)->click();
    QMessageBox* notice = hook->notice();
    QVERIFY(notice && notice->isVisible());
    QVERIFY2(notice->text().contains("fits 4 grounds"), qPrintable(notice->text()));
    // It does not hold up the main window; Calc From Medium leaves it alone.
    QCOMPARE(notice->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    w->command_button(Command::CalcMedium)->click();
    QCOMPARE(hook->notice(), notice);
    auto* open = notice->findChild<QPushButton*>("open_solutions");
    QVERIFY(open);
    open->click();
    QVERIFY(hook->solutions_window() == s && s->isVisible());
    QCOMPARE(s->table()->rowCount(), 4);
    QVERIFY2(s->summary()->text().contains("proved complete"), qPrintable(s->summary()->text()));

    // Choose the second ground (rows sorted by |gamma l|) and show it.
    s->table()->setCurrentCell(1, 0);
    const calc::GroundSolution& g = s->list().result().solutions[1];
    QCOMPARE(s->table()->item(1, 2)->text().toDouble(),
             QString::number(g.eps_r, 'g', 7).toDouble());
    QTest::mouseClick(s->show_button(), Qt::LeftButton);
    QCOMPARE(w->field_edit(Field::Text9)->text().toStdString(),
             format_number(g.sigma_s_per_m, pattern::ground));
    // Calc From Medium ran and the window shows its results.
    QVERIFY(qAbs(w->field_edit(Field::Text17)->text().toDouble() - 20) < 2e-3);

    // A new search refreshes an open list.
    w->model().set_text(Field::Text3, ".55");
    w->model().set_text(Field::Text8, "7");
    w->model().set_text(Field::Text23, "65.1779");
    w->model().set_text(Field::Text24, "-67.3409");
    w->command_button(Command::Calculate)->click();
    QCOMPARE(s->table()->rowCount(), 1);
}

QTEST_MAIN(SolutionsWindowTest)
#include "solutions_window_test.moc"
