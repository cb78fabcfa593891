// The main window as a user meets it: start-up behind the splash, controls, buttons and
// menus, typing and the option, a fault warning, and files through the Qt dialog.
#include "about_ardenca.h"
#include "ardenca_window.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>
#include <set>

using namespace ardenca;
using ardenca::qt::About_Ardenca;
using ardenca::qt::ArdencaWindow;

namespace {

void flush_deletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A window past its splash, as the user works with it.
std::unique_ptr<ArdencaWindow> started_window() {
    auto window = std::make_unique<ArdencaWindow>();
    window->Timer1_Timer();
    flush_deletes();
    return window;
}

// The numbers of the fields whose shown text the action changes.
std::set<int> fields_changed_by(ArdencaWindow& window, const std::function<void()>& action) {
    QStringList before;
    for (const auto& info : fields())
        before << window.field_edit(info.field)->text();
    action();
    std::set<int> changed;
    for (const auto& info : fields())
        if (window.field_edit(info.field)->text() != before[field_index(info.field)])
            changed.insert(static_cast<int>(info.field));
    return changed;
}

const QByteArray default_file =
    " 0 \r\n 1 \r\n75\r\n9.77\r\n65.1779\r\n-67.3409\r\n.1\r\n.007\r\n.55\r\n7\r\n";

// What the file dialog was shown with; it is answered with path, or cancelled.
struct DialogSeen {
    QFileDialog::AcceptMode mode;
    QStringList filters;
    QString selected_filter, proposed;
};

void answer_dialog(ArdencaWindow& window, std::optional<QString> path, DialogSeen* seen = nullptr) {
    window.file_dialog().set_runner([path, seen](QFileDialog& dialog) {
        if (seen)
            *seen = {dialog.acceptMode(), dialog.nameFilters(), dialog.selectedNameFilter(),
                     dialog.selectedFiles().value(0)};
        if (path)
            dialog.selectFile(*path);
        return int(path ? QDialog::Accepted : QDialog::Rejected);
    });
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void the_tick_shows_the_main_window_then_help_about_shows_one();
    void closing_the_splash_early_does_not_end_the_program();
    void controls_stand_where_the_tables_put_them();
    void buttons_write_their_commands_fields_data();
    void buttons_write_their_commands_fields();
    void fault_warns_without_blocking_and_keeps_earlier_writes();
    void file_close_ends_the_event_loop();
    void file_save_open_and_failure_through_the_dialog();
    void file_named_at_start_opens_after_the_splash();
};

void MainWindowTest::the_tick_shows_the_main_window_then_help_about_shows_one() {
    ArdencaWindow window;
    QPointer<About_Ardenca> splash = window.about_window();
    QVERIFY(splash && splash->isVisible() && !window.isVisible() && window.timer1()->isActive());
    // The tick, delivered through the timer's own signal.
    QVERIFY(QMetaObject::invokeMethod(window.timer1(), "timeout"));
    flush_deletes();
    QVERIFY(window.isVisible() && !window.timer1()->isActive());
    QVERIFY(splash.isNull() && window.about_window() == nullptr);

    // Help, About while the window is open shows that same window.
    window.menu_action("about")->trigger();
    QPointer<About_Ardenca> about = window.about_window();
    QVERIFY(about && about->isVisible());
    window.menu_action("about")->trigger();
    QCOMPARE(window.about_window(), about.data());
}

void MainWindowTest::closing_the_splash_early_does_not_end_the_program() {
    // In the running program the splash is the only visible window: a click closes it
    // before the tick, which must not count as closing the last window.
    ArdencaWindow window;
    QPointer<About_Ardenca> splash = window.about_window();
    bool closed_before_tick = false;
    QTimer::singleShot(0, &window, [&] { QTest::mouseClick(splash->label1(), Qt::LeftButton); });
    QTimer::singleShot(100, &window, [&] {
        closed_before_tick = splash.isNull() && window.timer1()->isActive();
        window.Timer1_Timer();
    });
    QTimer::singleShot(150, &window, [] { QCoreApplication::exit(3); });
    QCOMPARE(QApplication::exec(), 3);
    QVERIFY(closed_before_tick);
    QVERIFY(window.isVisible() && !window.timer1()->isActive());
}

void MainWindowTest::controls_stand_where_the_tables_put_them() {
    auto window = started_window();
    // The design's client area of 13935 x 6600 twips; positions worked out by hand.
    QCOMPARE(window->centralWidget()->size(), QSize(929, 440));
    const std::pair<QWidget*, QRect> expected[] = {
        {window->field_edit(Field::Text1), {16, 160, 73, 19}},   // Frame1 (8,120) + (8,40)
        {window->field_edit(Field::Text31), {208, 488, 49, 19}}, // below the client area
        {window->field_label(Field::Text2), {104, 144, 65, 17}}, // "Radius m", 975 wide
        {window->command_button(Command::CalculateB), {632, 480, 161, 25}},
        {window->option_button(MatchingOption::UseMatchingSection), {16, 56, 65, 49}},
    };
    for (const auto& [widget, rect] : expected)
        QCOMPARE(QRect(widget->mapTo(window->centralWidget(), QPoint()), widget->size()), rect);
}

void MainWindowTest::buttons_write_their_commands_fields_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<QList<int>>("written");
    const QList<int> air{4, 5, 6, 7, 19, 20, 21, 22};
    const QList<int> medium{11, 12, 13, 14, 15, 16, 17, 18, 27, 28};
    const QList<int> search = air + QList<int>{9, 10} + medium;
    QTest::newRow("Calc Line") << Command::CalcLine << air;
    QTest::newRow("Calc From Medium") << Command::CalcMedium << air + medium;
    QTest::newRow("Calculate") << Command::Calculate << search + QList<int>{32, 33};
    QTest::newRow("Calculate a") << Command::CalculateA << search + QList<int>{32, 33};
    QTest::newRow("Calculate b") << Command::CalculateB << search;
}

void MainWindowTest::buttons_write_their_commands_fields() {
    QFETCH(Command, command);
    QFETCH(QList<int>, written);
    auto window = started_window();
    const auto click = [&] { QTest::mouseClick(window->command_button(command), Qt::LeftButton); };
    QCOMPARE(fields_changed_by(*window, click), std::set<int>(written.begin(), written.end()));
    for (const auto& info : fields())
        QCOMPARE(window->field_edit(info.field)->text().toStdString(),
                 window->model().text(info.field));
    QVERIFY(window->fault_box() == nullptr);
}

void MainWindowTest::fault_warns_without_blocking_and_keeps_earlier_writes() {
    auto window = started_window();
    // Typing a length of 0: each edit reaches the model, whose echo leaves the cursor be.
    QLineEdit* length = window->field_edit(Field::Text3);
    length->selectAll();
    QTest::keyClicks(length, "10");
    QTest::keyClick(length, Qt::Key_Left);
    QTest::keyClick(length, Qt::Key_Backspace);
    QCOMPARE(length->cursorPosition(), 0);
    // The electrical length and the line impedance are written before the reactance of
    // the open line divides by tan(0).
    const auto click = [&] {
        QTest::mouseClick(window->command_button(Command::CalcLine), Qt::LeftButton);
    };
    QCOMPARE(fields_changed_by(*window, click), (std::set<int>{4, 19, 20}));
    // Reaching this line means the warning did not block.
    QTRY_VERIFY(window->fault_box() && window->fault_box()->isVisible());
    QCOMPARE(window->fault_box()->text(),
             QString("Calc Line stopped: division by zero \u2014 check Length m (0)"));
}

void MainWindowTest::file_close_ends_the_event_loop() {
    auto window = started_window();
    QEventLoop loop;
    QTimer::singleShot(0, window->menu_action("close"), &QAction::trigger);
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
    QCOMPARE(loop.exec(), 0);
}

void MainWindowTest::file_save_open_and_failure_through_the_dialog() {
    QTemporaryDir dir;
    const QString path = dir.filePath("site.gnd");
    auto window = started_window();
    DialogSeen seen;
    answer_dialog(*window, path, &seen);
    window->menu_action("save")->trigger();
    QCOMPARE(seen.mode, QFileDialog::AcceptSave);
    QCOMPARE(seen.filters, (QStringList{"Ground Data Files (*.gnd)", "All Files (*)"}));
    QCOMPARE(seen.selected_filter, seen.filters.front());
    QCOMPARE(seen.proposed, QDir::current().filePath("new.gnd"));
    QCOMPARE(file_bytes(path), default_file);
    QCOMPARE(window->windowTitle(), QString("Ardenca - site.gnd"));

    // Open brings back the text and the option of the file.
    window->model().set_text(Field::Text8, "14");
    QTest::mouseClick(window->option_button(MatchingOption::UseMatchingSection), Qt::LeftButton, {},
                      QPoint(40, 30)); // on the caption's second line
    QCOMPARE(window->model().option(), MatchingOption::UseMatchingSection);
    answer_dialog(*window, path, &seen);
    window->menu_action("open")->trigger();
    QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.proposed, path); // the file chosen last
    QCOMPARE(window->field_edit(Field::Text8)->text(), QString("7"));
    QVERIFY(window->option_button(MatchingOption::None)->isChecked());
    QCOMPARE(window->field_edit(Field::Text10)->text(), QString("29.999988")); // recalculated

    // A cancelled Save writes nothing and says nothing.
    window->model().set_text(Field::Text8, "14");
    answer_dialog(*window, std::nullopt);
    window->menu_action("save")->trigger();
    QCOMPARE(file_bytes(path), default_file);
    QVERIFY(window->file_box() == nullptr);

    // A failed Open warns without blocking.
    answer_dialog(*window, dir.filePath("missing.gnd"));
    window->menu_action("open")->trigger();
    QTRY_VERIFY(window->file_box() && window->file_box()->isVisible());
    QCOMPARE(window->file_box()->text(),
             "Could not open " + dir.filePath("missing.gnd") + ": No such file or directory.");
    QCOMPARE(window->windowTitle(), QString("Ardenca - site.gnd"));
}

void MainWindowTest::file_named_at_start_opens_after_the_splash() {
    QTemporaryDir dir;
    QFile file(dir.filePath("lossy.gnd"));
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.write(
                QByteArray(default_file).replace("65.1779\r\n-67.3409", "4.533605\r\n4.418232")) >
                0);
    file.close();

    ArdencaWindow window;
    DialogSeen seen{};
    answer_dialog(window, std::nullopt, &seen);
    // A name relative to the folder the program starts in.
    const QString start_folder = QDir::currentPath();
    QDir::setCurrent(dir.path());
    window.open_at_start("lossy.gnd");
    QDir::setCurrent(start_folder);
    QCOMPARE(window.field_edit(Field::Text23)->text(), QString("65.1779"));
    window.Timer1_Timer();
    QCOMPARE(window.field_edit(Field::Text23)->text(), QString("4.533605"));
    QCOMPARE(window.field_edit(Field::Text10)->text(), QString("80.000385"));
    QCOMPARE(window.windowTitle(), QString("Ardenca - lossy.gnd"));
    QVERIFY(seen.filters.isEmpty()); // no dialog was shown
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
