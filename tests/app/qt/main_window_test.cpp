// The main window as a user meets it: start-up with the splash, the controls where the
// window's tables put them, every button and menu item, edits flowing to the model and
// back, and a command that ends in an arithmetic fault.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "matching_option.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <map>
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

std::map<Field, QString> field_texts(const ArdencaWindow& window) {
    std::map<Field, QString> texts;
    for (const auto& info : fields())
        texts[info.field] = window.field_edit(info.field)->text();
    return texts;
}

std::set<int> changed_fields(const std::map<Field, QString>& before, const ArdencaWindow& window) {
    std::set<int> changed;
    for (const auto& [field, text] : before)
        if (window.field_edit(field)->text() != text)
            changed.insert(static_cast<int>(field));
    return changed;
}

QPoint pos_in_client(QWidget* widget, const ArdencaWindow& window) {
    return widget->mapTo(window.centralWidget(), QPoint(0, 0));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startup_shows_splash_then_main_window();
    void click_on_splash_before_tick_closes_it();
    void closing_the_splash_does_not_end_the_program();
    void help_about_shows_one_window();
    void controls_stand_where_the_tables_put_them();
    void captions_fit_their_controls();
    void buttons_write_their_commands_fields_data();
    void buttons_write_their_commands_fields();
    void edits_options_and_caption_follow_the_model();
    void fault_warns_without_blocking_and_keeps_earlier_writes();
    void menus_and_file_close();
    void file_save_and_open_through_the_dialog();
    void failed_file_commands_warn_without_blocking();
    void file_named_at_start_opens_after_the_splash();
};

void MainWindowTest::startup_shows_splash_then_main_window() {
    ArdencaWindow window;
    QTimer* timer = window.timer1();

    // Between load and tick: splash up, main window hidden, timer armed once.
    QVERIFY(!window.isVisible());
    QVERIFY(window.about_window());
    QVERIFY(window.about_window()->isVisible());
    QVERIFY(window.about_window()->parentWidget() == nullptr);
    QCOMPARE(window.about_window()->windowModality(), Qt::NonModal);
    QVERIFY(timer->isActive());
    QVERIFY(timer->isSingleShot());
    QCOMPARE(timer->interval(), 1500);
    QCOMPARE(window.file_dialog_folder(), QDir::currentPath());
    QVERIFY(window.option_button(MatchingOption::None)->isChecked());
    QVERIFY(!window.option_button(MatchingOption::UseMatchingSection)->isChecked());
    QCOMPARE(window.windowTitle(), QString("Ardenca"));
    for (const auto& info : fields())
        QCOMPARE(window.field_edit(info.field)->text(),
                 QString::fromUtf8(info.default_text.data()));

    // The tick, delivered through the timer's own signal.
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    flush_deletes();
    QVERIFY(window.isVisible());
    QVERIFY(window.about_window() == nullptr);
    QVERIFY(!timer->isActive());
    QVERIFY(QApplication::topLevelWidgets().count() >= 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(qobject_cast<About_Ardenca*>(w) == nullptr);
}

void MainWindowTest::click_on_splash_before_tick_closes_it() {
    ArdencaWindow window;
    QPointer<About_Ardenca> splash = window.about_window();
    QVERIFY(splash);
    QTest::mouseClick(splash->label1(), Qt::LeftButton);
    flush_deletes();
    QVERIFY(splash.isNull());
    QVERIFY(window.about_window() == nullptr);
    QVERIFY(window.timer1()->isActive());

    window.Timer1_Timer();
    flush_deletes();
    QVERIFY(window.isVisible());
    QVERIFY(window.about_window() == nullptr);
    QVERIFY(!window.timer1()->isActive());
}

void MainWindowTest::closing_the_splash_does_not_end_the_program() {
    // In the running program the splash is the only visible window: closing it must not
    // count as closing the last window.
    ArdencaWindow window;
    QTimer::singleShot(0, &window, [&window] {
        QTest::mouseClick(window.about_window()->label1(), Qt::LeftButton);
    });
    QTimer::singleShot(100, &window, [&window] { window.Timer1_Timer(); });
    QTimer::singleShot(150, &window, [] { QCoreApplication::exit(3); });
    QCOMPARE(QApplication::exec(), 3);
    QVERIFY(window.isVisible());
    QVERIFY(window.about_window() == nullptr);
}

void MainWindowTest::help_about_shows_one_window() {
    auto window = started_window();
    QAction* about = window->menu_action("about");
    QVERIFY(about);

    about->trigger();
    QPointer<About_Ardenca> first = window->about_window();
    QVERIFY(first && first->isVisible());
    about->trigger();
    QCOMPARE(window->about_window(), first.data());
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<About_Ardenca*>(w) && w->isVisible())
            ++open;
    QCOMPARE(open, 1);
    QVERIFY(window->isVisible());

    // Closed by a click on its text, then shown afresh.
    QTest::mouseClick(first->label1(), Qt::LeftButton);
    flush_deletes();
    QVERIFY(first.isNull());
    about->trigger();
    QVERIFY(window->about_window() && window->about_window()->isVisible());
    QCOMPARE(window->about_window()->label1()->text(), About_Ardenca::about_text());
}

void MainWindowTest::controls_stand_where_the_tables_put_them() {
    auto window = started_window();
    // Design size: 13935 x 6600 twips of client area, i.e. 929 x 440 pixels.
    QCOMPARE(window->centralWidget()->size(), QSize(929, 440));
    QVERIFY(window->minimumWidth() < 929 && window->minimumHeight() < 440);
    QVERIFY(window->maximumHeight() > 600);

    // Positions in pixels, worked out by hand from the twips of the window's design.
    struct Expect {
        QWidget* widget;
        QRect rect; // in the client area
    };
    const Expect expected[] = {
        {window->field_edit(Field::Text1), {16, 160, 73, 19}},   // Frame1 (8,120) + (8,40)
        {window->field_edit(Field::Text16), {288, 320, 73, 19}}, // Frame4 (200,208) + (88,112)
        {window->field_edit(Field::Text25), {104, 40, 73, 19}},  // Frame5 (8,8) + (96,32)
        {window->field_edit(Field::Text29), {720, 120, 73, 19}}, // Picture1 (376,16) + (344,104)
        {window->field_edit(Field::Text31), {208, 488, 49, 19}}, // below the client area
        {window->field_label(Field::Text2), {104, 144, 65, 17}}, // "Radius m", 975 wide
        {window->container_widget(Container::Frame3), {8, 240, 185, 193}},
        {window->container_widget(Container::Picture1), {376, 16, 545, 417}},
        {window->command_button(Command::CalcLine), {16, 328, 161, 41}},
        {window->command_button(Command::CalculateB), {632, 480, 161, 25}},
        {window->option_button(MatchingOption::UseMatchingSection), {16, 56, 65, 49}},
    };
    for (const Expect& e : expected)
        QCOMPARE(QRect(pos_in_client(e.widget, *window), e.widget->size()), e.rect);

    auto* label33 = window->findChild<QLabel*>("Label33");
    QVERIFY(label33);
    QCOMPARE(label33->text(), QString("Z_in if Matching Section Used"));
    QCOMPARE(QRect(pos_in_client(label33, *window), label33->size()), QRect(288, 456, 161, 17));

    // The propagation constant reads α and jβ; "j" stands just left of β.
    QCOMPARE(window->field_label(Field::Text15)->text(), QString::fromUtf8("\u03b1"));
    QCOMPARE(window->field_label(Field::Text16)->text(), QString::fromUtf8("\u03b2"));
    auto* j = window->findChild<QLabel*>("Label24");
    QVERIFY(j && j->text() == "j");
    QCOMPARE(j->geometry(), QRect(96, 96, 41, 17));

    // The controls below the design's client area are outside it until enlarged.
    const QRect client = window->centralWidget()->rect();
    QVERIFY(!client.intersects(window->command_button(Command::CalcMedium)->geometry()));
    window->resize(929, 560);
    QTRY_VERIFY(window->centralWidget()->rect().contains(
        window->command_button(Command::CalculateA)->geometry()));
}

void MainWindowTest::captions_fit_their_controls() {
    auto window = started_window();
    for (const auto& info : fields()) {
        QLabel* label = window->field_label(info.field);
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->text()));
    }
    for (auto* button : window->findChildren<QPushButton*>())
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
                 qPrintable(button->text()));
    for (auto* frame : window->findChildren<QGroupBox*>())
        QVERIFY2(frame->fontMetrics().horizontalAdvance(frame->title()) + 16 <= frame->width(),
                 qPrintable(frame->title()));
    for (auto* option : window->findChildren<qt::WrappingOption*>()) {
        const QRect room = option->caption_rect();
        const QRect needed = option->fontMetrics().boundingRect(
            room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, option->text());
        QVERIFY2(room.contains(needed), qPrintable(option->text()));
    }
}

void MainWindowTest::buttons_write_their_commands_fields_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QList<int>>("written");
    const QList<int> air{4, 5, 6, 7, 19, 20, 21, 22};
    const QList<int> medium{11, 12, 13, 14, 15, 16, 17, 18, 27, 28};
    const QList<int> search = QList<int>{9, 10} + medium;
    QTest::newRow("Calc Line") << int(Command::CalcLine) << air;
    QTest::newRow("Calc From Medium") << int(Command::CalcMedium) << air + medium;
    QTest::newRow("Calculate from Known  Z in")
        << int(Command::Calculate) << air + search + QList<int>{32, 33};
    QTest::newRow("Calculate a") << int(Command::CalculateA) << air + search + QList<int>{32, 33};
    QTest::newRow("Calculate b") << int(Command::CalculateB) << air + search;
}

void MainWindowTest::buttons_write_their_commands_fields() {
    QFETCH(int, command);
    QFETCH(QList<int>, written);
    auto window = started_window();
    window->resize(929, 560); // bring the lower buttons into reach

    QPushButton* button = window->command_button(static_cast<Command>(command));
    QVERIFY(button);
    QCOMPARE(button->text(), QString::fromUtf8(QTest::currentDataTag()));
    const auto before = field_texts(*window);
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(changed_fields(before, *window), std::set<int>(written.begin(), written.end()));
    for (const auto& info : fields())
        QCOMPARE(window->field_edit(info.field)->text().toStdString(),
                 window->model().text(info.field));
    QVERIFY(window->fault_box() == nullptr);
}

void MainWindowTest::edits_options_and_caption_follow_the_model() {
    auto window = started_window();
    QLineEdit* freq = window->field_edit(Field::Text8);

    // Typing goes to the model, and the cursor stays where the typing left it.
    freq->setFocus();
    freq->selectAll();
    QTest::keyClicks(freq, "14.2");
    QCOMPARE(window->model().text(Field::Text8), std::string("14.2"));
    QTest::keyClick(freq, Qt::Key_Left);
    QTest::keyClicks(freq, "0");
    QCOMPARE(window->model().text(Field::Text8), std::string("14.02"));
    QCOMPARE(freq->cursorPosition(), 4);

    // The model's writes show in the field.
    window->model().set_text(Field::Text32, "12.5");
    QCOMPARE(window->field_edit(Field::Text32)->text(), QString("12.5"));

    QTest::mouseClick(window->option_button(MatchingOption::UseMatchingSection), Qt::LeftButton, {},
                      QPoint(40, 30)); // on the caption's second line
    QCOMPARE(window->model().option(), MatchingOption::UseMatchingSection);
    window->model().select_option(MatchingOption::None);
    QVERIFY(window->option_button(MatchingOption::None)->isChecked());
    QVERIFY(!window->option_button(MatchingOption::UseMatchingSection)->isChecked());

    window->model().set_caption("Ardenca - site.gnd");
    QCOMPARE(window->windowTitle(), QString("Ardenca - site.gnd"));
}

void MainWindowTest::fault_warns_without_blocking_and_keeps_earlier_writes() {
    auto window = started_window();
    QLineEdit* length = window->field_edit(Field::Text3);
    length->selectAll();
    QTest::keyClicks(length, "0");
    QCOMPARE(window->model().text(Field::Text3), std::string("0"));

    const auto before = field_texts(*window);
    QTest::mouseClick(window->command_button(Command::CalcLine), Qt::LeftButton);

    // Reaching this line means the warning did not block.
    QMessageBox* box = window->fault_box();
    QVERIFY(box);
    QTRY_VERIFY(box->isVisible());
    QCOMPARE(box->text(), QString("Calc Line stopped: division by zero."));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    // Electrical length in radians and degrees and the line impedance were written
    // before the reactance of the open line divided by tan(0).
    QCOMPARE(changed_fields(before, *window), (std::set<int>{4, 19, 20}));
    QVERIFY(window->field_edit(Field::Text5)->text().isEmpty());

    // The program goes on: dismiss the warning and calculate with a proper length.
    box->accept();
    flush_deletes();
    QVERIFY(window->fault_box() == nullptr);
    length->selectAll();
    QTest::keyClicks(length, ".55");
    QTest::mouseClick(window->command_button(Command::CalcLine), Qt::LeftButton);
    QVERIFY(window->fault_box() == nullptr);
    QVERIFY(!window->field_edit(Field::Text5)->text().isEmpty());
}

void MainWindowTest::menus_and_file_close() {
    auto window = started_window();
    QStringList bar;
    for (QAction* action : window->menuBar()->actions())
        bar << action->text();
    QCOMPARE(bar, (QStringList{"File", "Help"}));
    const std::pair<const char*, const char*> items[] = {
        {"open", "Open"}, {"save", "Save"}, {"close", "Close"}, {"about", "About"}};
    for (const auto& [name, caption] : items) {
        QAction* action = window->menu_action(name);
        QVERIFY2(action, name);
        QCOMPARE(action->text(), QString(caption));
        QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(window->menu_action("open")->parent(),
             static_cast<QObject*>(window->findChild<QMenu*>("file")));
    QCOMPARE(window->menu_action("about")->parent(),
             static_cast<QObject*>(window->findChild<QMenu*>("help")));

    // File, Close ends the event loop at once, without a question.
    QEventLoop loop;
    QTimer::singleShot(0, window->menu_action("close"), &QAction::trigger);
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
    QCOMPARE(loop.exec(), 0);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

namespace {

// What the file dialog was shown with, and an answer to it: a file name, or a cancel.
struct DialogSeen {
    QFileDialog::AcceptMode mode;
    QStringList filters;
    QString selected_filter, proposed, folder;
};

void answer_dialog(ArdencaWindow& window, std::optional<QString> path, DialogSeen* seen = nullptr) {
    window.file_dialog().set_runner([path, seen](QFileDialog& dialog) {
        if (seen)
            *seen = {dialog.acceptMode(), dialog.nameFilters(), dialog.selectedNameFilter(),
                     dialog.selectedFiles().value(0), dialog.directory().absolutePath()};
        if (!path)
            return int(QDialog::Rejected);
        dialog.selectFile(*path);
        return int(QDialog::Accepted);
    });
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void MainWindowTest::file_save_and_open_through_the_dialog() {
    QTemporaryDir dir;
    const QString path = dir.filePath("site.gnd");
    auto window = started_window();
    DialogSeen seen;
    answer_dialog(*window, path, &seen);
    window->menu_action("save")->trigger();
    QCOMPARE(seen.mode, QFileDialog::AcceptSave);
    QCOMPARE(seen.filters, (QStringList{"Ground Data Files (*.gnd)", "All Files (*)"}));
    QCOMPARE(seen.selected_filter, QString("Ground Data Files (*.gnd)"));
    QCOMPARE(seen.proposed, QDir::current().filePath("new.gnd"));
    QCOMPARE(file_bytes(path), QByteArray(" 0 \r\n 1 \r\n75\r\n9.77\r\n65.1779\r\n-67.3409\r\n"
                                          ".1\r\n.007\r\n.55\r\n7\r\n"));
    QCOMPARE(window->windowTitle(), QString("Ardenca - site.gnd"));
    QCOMPARE(window->file_dialog_folder(), dir.path());

    window->model().set_text(Field::Text8, "14");
    answer_dialog(*window, path, &seen);
    window->menu_action("open")->trigger();
    QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.proposed, path); // the file chosen last
    QCOMPARE(seen.folder, dir.path());
    QCOMPARE(window->field_edit(Field::Text8)->text(), QString("7"));
    QCOMPARE(window->field_edit(Field::Text31)->text(), QString("1.00"));
    QCOMPARE(window->field_edit(Field::Text10)->text(), QString("29.999988"));

    // A cancel changes nothing on disk and says nothing.
    window->model().set_text(Field::Text8, "14");
    answer_dialog(*window, std::nullopt);
    window->menu_action("save")->trigger();
    QCOMPARE(file_bytes(path).mid(file_bytes(path).size() - 3), QByteArray("7\r\n"));
    QVERIFY(window->file_box() == nullptr);
}

void MainWindowTest::failed_file_commands_warn_without_blocking() {
    QTemporaryDir dir;
    auto window = started_window();
    answer_dialog(*window, dir.filePath("missing.gnd"));
    window->menu_action("open")->trigger();
    QMessageBox* box = window->file_box();
    QVERIFY(box);
    QTRY_VERIFY(box->isVisible());
    QCOMPARE(box->text(),
             "Could not open " + dir.filePath("missing.gnd") + ": No such file or directory.");
    QCOMPARE(window->field_edit(Field::Text10)->text(), QString("29.999988")); // recalculated
    QCOMPARE(window->windowTitle(), QString("Ardenca"));

    answer_dialog(*window, dir.filePath("no-folder/site.gnd"));
    window->menu_action("save")->trigger();
    QVERIFY(window->file_box()->text().startsWith(
        "The file was not saved: " + dir.filePath("no-folder/site.gnd") + ": "));
    QVERIFY(window->fault_box() == nullptr);
}

void MainWindowTest::file_named_at_start_opens_after_the_splash() {
    QTemporaryDir dir;
    QFile file(dir.filePath("lossy.gnd"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(" 0 \r\n 1 \r\n75\r\n9.77\r\n4.533605\r\n4.418232\r\n.1\r\n.007\r\n.55\r\n7\r\n");
    file.close();

    ArdencaWindow window;
    int shown = 0;
    window.file_dialog().set_runner([&shown](QFileDialog&) {
        ++shown;
        return int(QDialog::Rejected);
    });
    const QString start_folder = QDir::currentPath();
    QDir::setCurrent(dir.path()); // a name relative to the folder the program starts in
    window.open_at_start("lossy.gnd");
    QDir::setCurrent(start_folder);
    QCOMPARE(window.field_edit(Field::Text23)->text(), QString("65.1779"));
    window.Timer1_Timer();
    QCOMPARE(window.field_edit(Field::Text23)->text(), QString("4.533605"));
    QCOMPARE(window.field_edit(Field::Text10)->text(), QString("80.000385"));
    QCOMPARE(window.windowTitle(), QString("Ardenca - lossy.gnd"));
    QCOMPARE(window.file_dialog().file_name(), dir.filePath("lossy.gnd").toStdString());
    QCOMPARE(shown, 0);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
