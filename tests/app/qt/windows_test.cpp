// The main window as a user meets it: start-up behind the splash, controls, buttons and
// menus, typing and the option, a fault warning, and files through the Qt dialog; the
// keyboard, the status line, the fields' units, and the window at any size and scale; the
// marks a command leaves on the fields, the Solutions window with its notice, and the
// About window on its own: its text fits it, it stands centred, and a left click on the
// text, and only there, unloads it, as Esc, Enter and Space do.
// With ARDENCA_SCREENSHOT_DIR set, the failed search is saved there as a picture.
#include "about_ardenca.h"
#include "answer_edit.h"
#include "app/flag_help.h"
#include "app/number_text.h"
#include "ardenca_window.h"
#include "captioned_frame.h"
#include "help_window.h"
#include "solutions_window.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

using namespace ardenca;
using namespace ardenca::qt;

namespace {

void flush_deletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A window past its splash, as the user works with it, fitted to a screen that holds
// the design's size (the offscreen platform's is 800 x 600).
std::unique_ptr<ArdencaWindow> started_window() {
    auto window = std::make_unique<ArdencaWindow>();
    window->fit_to(QSize(1280, 994), 1.0);
    window->Timer1_Timer();
    flush_deletes();
    return window;
}

void click(ArdencaWindow& window, Command command) {
    QTest::mouseClick(window.command_button(command), Qt::LeftButton);
}

void type_into(ArdencaWindow& window, Field field, const QString& text) {
    QLineEdit* edit = window.field_edit(field);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Texts written into the model, as a file or another window would write them.
void set_texts(ArdencaWindow& window, std::initializer_list<std::pair<Field, const char*>> texts) {
    for (const auto& [field, text] : texts)
        window.model().set_text(field, text);
}

// How many of the scroll area's two bars show.
int bars_shown(ArdencaWindow& window) {
    return window.scroll_area()->horizontalScrollBar()->isVisible() +
           window.scroll_area()->verticalScrollBar()->isVisible();
}

// The numbers of the fields whose shown text a click on the command changes.
std::set<int> fields_changed_by(ArdencaWindow& window, Command command) {
    QStringList before;
    for (const auto& info : fields())
        before << window.field_edit(info.field)->text();
    click(window, command);
    std::set<int> changed;
    for (const auto& info : fields())
        if (window.field_edit(info.field)->text() != before[field_index(info.field)])
            changed.insert(static_cast<int>(info.field));
    return changed;
}

const QByteArray default_file =
    " 0 \r\n 1 \r\n75\r\n9.77\r\n65.1779\r\n-67.3409\r\n.1\r\n.007\r\n.55\r\n7\r\n";

// The file dialog answered with path, or cancelled; seen gets what it was shown with: its
// filters, the selected one, and the file it proposed.
void answer_dialog(ArdencaWindow& window, std::optional<QString> path,
                   QStringList* seen = nullptr) {
    window.file_dialog().set_runner([path, seen](QFileDialog& dialog) {
        if (seen)
            *seen = dialog.nameFilters()
                    << dialog.selectedNameFilter() << dialog.selectedFiles().value(0);
        if (path)
            dialog.selectFile(*path);
        return int(path ? QDialog::Accepted : QDialog::Rejected);
    });
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The default file with one text replaced, written in dir; its path.
QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& from,
                const QByteArray& to) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QByteArray(default_file).replace(from, to)) <= 0)
        qWarning("could not write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// 1 when the field is marked stale and looks it (tooltip, greyed text), 0 when neither,
// -1 when the mark and its look disagree.
int marked_stale(ArdencaWindow& window, Field field) {
    const QLineEdit* edit = window.field_edit(field);
    const bool stale = edit->property("stale").toBool();
    const bool tooltip = edit->toolTip().contains("not recalculated");
    // Greyed: the text in the colour of disabled text (the answers have their own colour).
    const bool grey = edit->palette().color(QPalette::Text) ==
                      edit->palette().color(QPalette::Disabled, QPalette::Text);
    return stale == tooltip && stale == grey ? int(stale) : -1;
}

// The window with the message box drawn over its lower right corner.
QImage window_with(ArdencaWindow& window, QWidget* box) {
    QImage image = window.grab().toImage();
    QPainter painter(&image);
    painter.drawPixmap(image.width() - box->width() - 8, image.height() - box->height() - 8,
                       box->grab());
    return image;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void the_tick_shows_the_window_and_opens_the_file_named_at_start() {
        QTemporaryDir dir;
        written(dir, "lossy.gnd", "65.1779\r\n-67.3409", "4.533605\r\n4.418232");
        ArdencaWindow window;
        QPointer<About_Ardenca> splash = window.about_window();
        QVERIFY(splash && splash->isVisible() && !window.isVisible() &&
                window.timer1()->isActive());
        answer_dialog(window, std::nullopt);
        // A name relative to the folder the program starts in, opened after the splash.
        const QString start_folder = QDir::currentPath();
        QDir::setCurrent(dir.path());
        window.open_at_start("lossy.gnd");
        QDir::setCurrent(start_folder);
        QCOMPARE(window.field_edit(Field::Text23)->text(), QString("65.1779"));
        // The tick, delivered through the timer's own signal.
        QVERIFY(QMetaObject::invokeMethod(window.timer1(), "timeout"));
        flush_deletes();
        QVERIFY(window.isVisible() && !window.timer1()->isActive());
        QVERIFY(splash.isNull() && window.about_window() == nullptr);
        QCOMPARE(window.field_edit(Field::Text23)->text(), QString("4.533605"));
        QCOMPARE(window.field_edit(Field::Text10)->text(), QString("80.000385"));
        QCOMPARE(window.windowTitle(), QString("Ardenca - lossy.gnd"));

        // Help, About while the window is open shows that same window.
        window.menu_action("about")->trigger();
        QPointer<About_Ardenca> about = window.about_window();
        QVERIFY(about && about->isVisible());
        window.menu_action("about")->trigger();
        QCOMPARE(window.about_window(), about.data());
    }

    void layout_at_any_size_and_scale_and_scrolled() {
        auto window = started_window();
        window->resize(window->design_window_size());
        QCoreApplication::processEvents();
        // The design's client area of 13935 x 6600 twips, without scroll bars; positions
        // worked out by hand.
        QWidget* client = window->container_widget(Container::Window);
        QCOMPARE(client->size(), QSize(929, 440));
        QCOMPARE(bars_shown(*window), 0);
        const std::pair<QWidget*, QRect> expected[] = {
            {window->field_edit(Field::Text1), {16, 160, 73, 19}},   // Frame1 (8,120) + (8,40)
            {window->field_edit(Field::Text31), {208, 488, 49, 19}}, // below the client area
            {window->field_label(Field::Text2), {104, 144, 65, 17}}, // "Radius m", 975 wide
            {window->command_button(Command::CalculateB), {632, 480, 161, 25}},
            {window->option_button(MatchingOption::UseMatchingSection), {16, 56, 65, 49}},
        };
        for (const auto& [widget, rect] : expected)
            QCOMPARE(QRect(widget->mapTo(client, QPoint()), widget->size()), rect);

        // Every caption in a frame stands clear of the frame's top line ("Zo" once crossed it).
        for (auto* frame : client->findChildren<CaptionedFrame*>())
            for (auto* label : frame->findChildren<QLabel*>())
                QVERIFY2(label->y() > frame->top_line_y() + 1, qPrintable(label->text()));

        // The picture grows with the window in proportion.
        QWidget* picture = window->container_widget(Container::Picture1);
        window->resize(1260, 900);
        QCoreApplication::processEvents();
        QVERIFY(window->picture_scale() > 1.5);
        QCOMPARE(picture->size(), QSize(545, 417) * window->picture_scale());
        // The fields on the picture keep their size and stay on it, at their place scaled.
        for (Field field : {Field::Text27, Field::Text28, Field::Text29, Field::Text30}) {
            QLineEdit* edit = window->field_edit(field);
            QVERIFY(edit->size() == QSize(73, 19) && picture->rect().contains(edit->geometry()));
            QVERIFY(qAbs(edit->x() -
                         field_info(field).rect.left / 15.0 * window->picture_scale()) <= 1);
        }
        // The controls below the design's area stay below the picture, and in view.
        for (Command command : {Command::CalcMedium, Command::CalculateA, Command::CalculateB}) {
            QPushButton* button = window->command_button(command);
            QVERIFY(button->y() > picture->geometry().bottom() &&
                    client->rect().contains(button->geometry()));
        }
        window->resize(window->design_window_size());
        QCoreApplication::processEvents();
        QCOMPARE(picture->size(), QSize(545, 417));

        // Larger text scales the form, and the captions fit.
        const auto captions_fit = [&] {
            for (QLabel* label : client->findChildren<QLabel*>())
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width() &&
                             label->fontMetrics().height() <= label->height() + 2,
                         qPrintable(label->text()));
            for (QPushButton* button : client->findChildren<QPushButton*>())
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                         qPrintable(button->text()));
        };
        captions_fit();
        const int small_text = window->field_edit(Field::Text1)->fontInfo().pixelSize();
        // A window whose design size does not fit the screen shrinks the whole form; at
        // QT_SCALE_FACTOR 2 on 1280 x 1024 the screen holds 640 x 497 logical pixels.
        window->fit_to(QSize(640, 497), 2.0);
        QCoreApplication::processEvents();
        QCOMPARE(window->text_scale(), 0.67);
        QVERIFY(window->width() <= 640 - 16 && window->height() <= 497 - 48);
        QCOMPARE(bars_shown(*window), 0);
        captions_fit();
        // Not below 9 pixels of text on the screen: a small screen of ordinary pixels scrolls.
        QCOMPARE(ArdencaWindow::fitted_scale(QSize(929, 440), QSize(600, 400), 1.0), 0.9);
        QCOMPARE(ArdencaWindow::fitted_scale(QSize(929, 440), QSize(1000, 800), 1.0), 1.0);
        window->fit_to(QSize(1280, 994), 1.0);

        window->menu_action("larger_text")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(window->text_scale(), 1.25);
        QCOMPARE(client->minimumSize(), QSize(1161, 550));
        QCOMPARE(window->field_edit(Field::Text1)->geometry(), QRect(10, 50, 91, 24));
        QVERIFY(window->field_edit(Field::Text1)->fontInfo().pixelSize() > small_text);
        captions_fit();
        window->menu_action("larger_text")->trigger();
        QCOMPARE(client->minimumSize(), QSize(929, 440));
        QCOMPARE(window->field_edit(Field::Text1)->fontInfo().pixelSize(), small_text);

        // A 1280 x 1024 screen less a 30-pixel panel, in logical pixels at scales 1, 1.5 (a
        // bar across) and 2 (both bars); a short screen (a bar down) and a tiny one. The
        // design's window is 929 x 481, a scroll bar 16 pixels.
        for (const auto& [available, fitted] : {std::pair{QSize(1280, 994), QSize(929, 481)},
                                                {QSize(853, 662), QSize(837, 497)},
                                                {QSize(640, 497), QSize(624, 449)},
                                                {QSize(1280, 500), QSize(945, 452)},
                                                {QSize(300, 200), QSize(320, 240)}})
            QCOMPARE(ArdencaWindow::fitted_size(QSize(929, 481), available, 16), fitted);

        // A smaller window scrolls to every control; 200 x 120 is held at the least size.
        QScrollArea* scroll = window->scroll_area();
        QWidget* viewport = scroll->viewport();
        std::vector<QWidget*> reachable{window->command_button(Command::CalcLine),
                                        window->command_button(Command::Calculate)};
        for (const auto& info : fields())
            if (info.rect.top < client_height_twips || info.container != Container::Window)
                reachable.push_back(window->field_edit(info.field));
        for (const auto& [asked, got] :
             {std::pair{QSize(600, 350), QSize(600, 350)}, {QSize(200, 120), QSize(320, 240)}}) {
            window->resize(asked);
            QCoreApplication::processEvents();
            QCOMPARE(window->size(), got);
            QCOMPARE(bars_shown(*window), 2);
            for (QWidget* widget : reachable) {
                // Scrolled so that the control stands at the top left, as far as the bars go.
                const QPoint at = widget->mapTo(client, QPoint());
                scroll->horizontalScrollBar()->setValue(at.x());
                scroll->verticalScrollBar()->setValue(at.y());
                const QRect seen(widget->mapTo(viewport, QPoint()), widget->size());
                QVERIFY2(viewport->rect().contains(seen), qPrintable(widget->objectName()));
            }
        }
    }

    void commands_write_their_fields_and_tell_what_ran() {
        const QString z_in = "Calculate from Known  Z in",
                      zero = "division by zero \u2014 check Length m (0)";
        // A Calc Line stopped by a length of 0 has written the electrical length and the line
        // impedance before the reactance of the open line divides by tan(0).
        const QList<int> air{4, 5, 6, 7, 19, 20, 21, 22}, z{32, 33}, stop{4, 19, 20};
        const QList<int> medium = air + QList<int>{11, 12, 13, 14, 15, 16, 17, 18, 27, 28};
        const QList<int> search = medium + QList<int>{9, 10};
        const struct {
            Command command;
            QString start;
            QList<int> written;
            const char *x_in = "-67.3409", *length = ".55";
        } cases[] = {
            {Command::CalcLine, "Calc Line:", air},
            {Command::CalcMedium, "Calc From Medium:", medium},
            {Command::Calculate, z_in + ": ground found by the first stage;", search + z},
            {Command::CalculateA, "Calculate a: ground found by the first stage;", search + z},
            {Command::CalculateB, "Calculate b: ground found by the second stage;", search},
            {Command::Calculate, z_in + ": no ground found (arithmetic fault);", air + z, "67"},
            {Command::CalcLine, "Calc Line stopped: " + zero + ".", stop, "-67.3409", "0"},
            {Command::Calculate,
             z_in + " stopped in Calc Line: " + zero + ". No ground found (arithmetic fault);",
             stop, "-67.3409", "0"}};
        for (const auto& c : cases) {
            auto window = started_window();
            set_texts(*window, {{Field::Text24, c.x_in}, {Field::Text3, c.length}});
            const auto before = window->model().evaluations();
            const std::set<int> changed = fields_changed_by(*window, c.command);
            const auto count = window->model().evaluations() - before;
            const QString text = window->status_line()->text();
            const QString counted =
                QString(" %1 model evaluation%2 in ").arg(count).arg(count == 1 ? "" : "s");
            QVERIFY2(text.startsWith(c.start + counted) && text.endsWith(" ms."), qPrintable(text));
            QVERIFY(count > 100 || !c.start.contains("ground found by"));
            QCOMPARE(changed, std::set<int>(c.written.begin(), c.written.end()));
            for (const auto& info : fields())
                QCOMPARE(window->field_edit(info.field)->text().toStdString(),
                         window->model().text(info.field));
            QCOMPARE(window->fault_box() != nullptr, c.start.contains("stopped"));
        }
    }

    void typed_fault_warns_without_blocking() {
        auto window = started_window();
        // Typing a length of 0: each edit reaches the model, whose echo leaves the cursor be.
        type_into(*window, Field::Text3, "10");
        QLineEdit* length = window->field_edit(Field::Text3);
        QTest::keyClick(length, Qt::Key_Left);
        QTest::keyClick(length, Qt::Key_Backspace);
        QCOMPARE(length->cursorPosition(), 0);
        click(*window, Command::CalcLine);
        // Reaching this line means the warning did not block.
        QTRY_VERIFY(window->fault_box() && window->fault_box()->isVisible());
        QCOMPARE(window->fault_box()->text(),
                 QString("Calc Line stopped: division by zero \u2014 check Length m (0)"));
    }

    void file_save_open_and_failure_through_the_dialog() {
        QTemporaryDir dir;
        const QString path = dir.filePath("site.gnd");
        auto window = started_window();
        QStringList seen;
        // A name without a suffix gets the ground file's.
        answer_dialog(*window, dir.filePath("site"), &seen);
        window->menu_action("save")->trigger();
        const QString gnd = "Ground Data Files (*.gnd)";
        QCOMPARE(seen,
                 (QStringList{gnd, "All Files (*)", gnd, QDir::current().filePath("new.gnd")}));
        QCOMPARE(file_bytes(path), default_file);
        QVERIFY(!QFile::exists(dir.filePath("site")));
        QCOMPARE(window->windowTitle(), QString("Ardenca - site.gnd"));
        QCOMPARE(window->status_line()->text(), QString("Saved site.gnd."));
        // A name with a suffix of its own keeps it.
        answer_dialog(*window, dir.filePath("site.txt"));
        window->menu_action("save")->trigger();
        QCOMPARE(file_bytes(dir.filePath("site.txt")), default_file);

        // Open brings back the text and the option of the file.
        window->model().set_text(Field::Text8, "14");
        QTest::mouseClick(window->option_button(MatchingOption::UseMatchingSection), Qt::LeftButton,
                          {}, QPoint(40, 30)); // on the caption's second line
        QCOMPARE(window->model().option(), MatchingOption::UseMatchingSection);
        answer_dialog(*window, path, &seen);
        window->menu_action("open")->trigger();
        QCOMPARE(seen.last(), dir.filePath("site.txt")); // the file chosen last
        QCOMPARE(window->field_edit(Field::Text8)->text(), QString("7"));
        QVERIFY(window->option_button(MatchingOption::None)->isChecked());
        QCOMPARE(window->field_edit(Field::Text10)->text(), QString("29.999988")); // recalculated
        QVERIFY(window->status_line()->text().startsWith("Open site.gnd: "));

        // A cancelled Save writes nothing and says nothing.
        window->model().set_text(Field::Text8, "21");
        answer_dialog(*window, std::nullopt);
        window->menu_action("save")->trigger();
        QCOMPARE(file_bytes(path), default_file);
        QVERIFY(window->file_box() == nullptr);

        // A file with LF line ends opens.
        QByteArray lf = QByteArray(default_file).replace("\r\n", "\n");
        answer_dialog(*window,
                      written(dir, "linux.gnd", default_file, lf.replace(".55\n7\n", ".55\n14\n")));
        window->menu_action("open")->trigger();
        QCOMPARE(window->field_edit(Field::Text8)->text(), QString("14"));
        QCOMPARE(window->field_edit(Field::Text26)->text(), QString("9.77"));
        QVERIFY(window->status_line()->text().startsWith("Open linux.gnd: ground found"));

        // A failed Open warns without blocking.
        answer_dialog(*window, dir.filePath("missing.gnd"));
        window->menu_action("open")->trigger();
        QTRY_VERIFY(window->file_box() && window->file_box()->isVisible());
        QCOMPARE(window->status_line()->text(), QString("Open failed: nothing changed."));
        QCOMPARE(window->file_box()->text(),
                 "Could not open " + dir.filePath("missing.gnd") + ": No such file or directory.");
        QCOMPARE(window->windowTitle(), QString("Ardenca - linux.gnd"));
    }

    void enter_in_an_input_field_calculates() {
        const struct {
            Field field;
            Qt::Key key;
            bool calculates;
        } cases[] = {{Field::Text1, Qt::Key_Return, true},
                     {Field::Text25, Qt::Key_Enter, true},
                     {Field::Text24, Qt::Key_Return, true},
                     {Field::Text31, Qt::Key_Return, true},
                     // Enter after typing a conductivity must not overwrite it with a search.
                     {Field::Text9, Qt::Key_Return, false},
                     {Field::Text17, Qt::Key_Return, false}};
        for (const auto& c : cases) {
            auto window = started_window();
            QTest::keyClick(window->field_edit(c.field), c.key);
            // Every command tells in the status line that it ran.
            const QString text = window->status_line()->text();
            QVERIFY2(c.calculates ? text.startsWith("Calculate from Known  Z in:") : text.isEmpty(),
                     qPrintable(text));
        }
    }

    void keyboard_menus_shortcuts_and_tab() {
        // Shown and active, so that shortcuts and Tab work.
        auto window = started_window();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
        QLineEdit* field = window->field_edit(Field::Text1);
        field->setFocus();
        for (const auto& [key, menu] :
             {std::pair{Qt::Key_F, "file"}, {Qt::Key_V, "view"}, {Qt::Key_H, "help"}}) {
            QTest::keyClick(field, key, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget());
            QCOMPARE(QApplication::activePopupWidget()->objectName(), QString(menu));
            QApplication::activePopupWidget()->close();
        }
        QCOMPARE(field->text(), QString(".1")); // Alt+F typed nothing

        QList<QFileDialog::AcceptMode> shown;
        window->file_dialog().set_runner([&shown](QFileDialog& dialog) {
            shown << dialog.acceptMode();
            return int(QDialog::Rejected);
        });
        QTest::keyClick(field, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(shown, (QList{QFileDialog::AcceptOpen, QFileDialog::AcceptSave}));
        QCOMPARE(window->status_line()->text(), QString("Save cancelled."));

        // Tab visits the inputs, then the buttons.
        QWidget* first = window->option_button(MatchingOption::None);
        first->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), first);
        QStringList visited;
        for (int i = 0; i < 40; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
        }
        QCOMPARE(visited, (QStringList{"Option1", "Text25", "Text26", "Text1", "Text2", "Text3",
                                       "Text8", "Text23", "Text24", "Line_Param", "Command2"}));
        // Enter presses the button that has the focus.
        QTest::keyClick(window->command_button(Command::CalcLine), Qt::Key_Return);
        QVERIFY(window->status_line()->text().startsWith("Calc Line:"));
        // Fields left out of the chain still take the focus from a click.
        QTest::mouseClick(window->field_edit(Field::Text9), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), window->field_edit(Field::Text9));

        // Ctrl+Q, File Close, ends the event loop.
        QEventLoop loop;
        QTimer::singleShot(0, [field] { QTest::keyClick(field, Qt::Key_Q, Qt::ControlModifier); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
        QCOMPARE(loop.exec(), 0);
    }

    void every_field_names_its_unit() {
        auto window = started_window();
        using enum Field;
        // The answer and the quantities whose unit is easy to get wrong.
        const std::pair<Field, QString> spot_checks[] = {
            {Text9, "Ground conductivity, S/m"},
            {Text10, "dielectric constant of the ground, relative"},
            {Text11, ", F/m"},
            {Text6, ", F"},
            {Text15, ", Np/m"},
            {Text20, ", radians"}};
        for (const auto& [field, part] : spot_checks)
            QVERIFY2(window->field_edit(field)->toolTip().contains(part), qPrintable(part));

        const QRegularExpression unit_at_end(
            ", (m|MHz|\u03a9|F|H|F/m|H/m|S/m|Np/m|rad/m|degrees|radians|relative, no unit)$");
        const QColor input_base = window->field_edit(Text1)->palette().color(QPalette::Base);
        for (const auto& info : fields()) {
            QLineEdit* edit = window->field_edit(info.field);
            const QString first_line = edit->toolTip().section('\n', 0, 0);
            QVERIFY2(unit_at_end.match(first_line).hasMatch(), qPrintable(first_line));
            QVERIFY(!edit->isReadOnly());
            const bool answer = info.field == Text9 || info.field == Text10;
            QCOMPARE(qobject_cast<AnswerEdit*>(edit) != nullptr, answer);
            QCOMPARE(edit->font().bold(), answer);
        }
        // Computed values look read-mostly: another background than the inputs'.
        for (Field output : {Text4, Text11, Text17, Text27, Text32})
            QVERIFY(window->field_edit(output)->palette().color(QPalette::Base) != input_base);
        for (Field input : {Text23, Text25, Text31})
            QCOMPARE(window->field_edit(input)->palette().color(QPalette::Base), input_base);
    }

    void field_marks_after_a_command() {
        // A search without a ground writes only R and X at the meter, warns, and greys the rest.
        auto window = started_window();
        click(*window, Command::Calculate);
        type_into(*window, Field::Text23, "65");
        type_into(*window, Field::Text24, "67");
        QCOMPARE(fields_changed_by(*window, Command::Calculate), (std::set<int>{32, 33}));
        // Reaching this line means the warning did not block.
        QTRY_VERIFY(window->field_marks().no_ground_box() &&
                    window->field_marks().no_ground_box()->isVisible());
        QCOMPARE(window->field_marks().no_ground_box()->text(),
                 QString("No ground found that reproduces R in 65 + j67 \u03a9 with this probe; "
                         "the Cond and Diel C shown are from an earlier calculation. The search "
                         "ended on an arithmetic fault."));
        const std::set<int> ground{9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 27, 28};
        for (const auto& info : fields())
            QCOMPARE(marked_stale(*window, info.field),
                     int(ground.count(static_cast<int>(info.field))));

        if (const QString dir = qEnvironmentVariable("ARDENCA_SCREENSHOT_DIR"); !dir.isEmpty())
            QVERIFY(window_with(*window, window->field_marks().no_ground_box())
                        .save(dir + "/failed-search.png"));

        // Typing into a stale field is writing it.
        type_into(*window, Field::Text9, ".02");
        QCOMPARE(marked_stale(*window, Field::Text9), 0);
        QCOMPARE(marked_stale(*window, Field::Text10), 1);
        // A search that finds a ground writes them all again.
        type_into(*window, Field::Text24, "-67.3409");
        click(*window, Command::Calculate);
        for (const auto& info : fields())
            QCOMPARE(marked_stale(*window, info.field), 0);

        // An input read in part is tinted and noticed.
        QLineEdit* frequency = window->field_edit(Field::Text8);
        const QColor base = frequency->palette().color(QPalette::Base);
        type_into(*window, Field::Text8, "14,2");
        click(*window, Command::CalcLine);
        QVERIFY(frequency->property("partly_read").toBool());
        QVERIFY(frequency->toolTip().contains("read as 14"));
        QVERIFY(frequency->palette().color(QPalette::Base) != base);
        QVERIFY(!window->field_edit(Field::Text1)->property("partly_read").toBool());
        QTRY_VERIFY(window->field_marks().partly_read_box() &&
                    window->field_marks().partly_read_box()->isVisible());
        QCOMPARE(window->field_marks().partly_read_box()->text(),
                 QString("A field is not wholly a number and was read in part: Frequency Mhz "
                         "\"14,2\" was read as 14. The results use these values."));
        type_into(*window, Field::Text8, "14.2");
        QVERIFY(!frequency->property("partly_read").toBool());
        QVERIFY(!frequency->toolTip().contains("read as"));
        QCOMPARE(frequency->palette().color(QPalette::Base), base);
    }
};

class AboutWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void about_text_fits_and_the_window_stands_centred() {
        About_Ardenca about;
        about.show();
        QLabel* label = about.label1();
        const QStringList lines = label->text().split('\n');
        QCOMPARE(label->text(), About_Ardenca::about_text());
        QVERIFY(lines.size() > 5);
        QCOMPARE(lines[2], QStringLiteral("Version " ARDENCA_PROJECT_VERSION));
        QVERIFY(label->fontMetrics().lineSpacing() * lines.size() <= label->height());
        for (const QString& line : lines)
            QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= about.width(),
                     qPrintable(line));

        // Centred with the outer size known at load; a frame that the window system adds
        // only when the window appears may shift it by its own width.
        const QRect screen = about.screen()->geometry(), frame = about.frameGeometry();
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <=
                (frame.width() - about.width()) / 2 + 1);
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <=
                (frame.height() - about.height()) / 2 + 1);

        // The hint: smaller, inside the window, whole, and under the last line of the text.
        QLabel* hint = about.close_hint();
        QVERIFY(hint->isVisible() && hint->font().pixelSize() < label->font().pixelSize());
        QVERIFY(about.rect().contains(hint->geometry()));
        QVERIFY(hint->fontMetrics().horizontalAdvance(hint->text()) <= hint->width());
        QVERIFY(hint->y() >= label->y() + lines.size() * label->fontMetrics().lineSpacing());
        // A click on the hint reaches the text beneath it.
        QCOMPARE(about.childAt(hint->geometry().center()), label);
    }

    void about_unloads_on_a_left_click_on_the_text_and_on_closing_keys() {
        // Key 0 stands for a click: at y 60 on the text, at y 5 on the strip above it, which
        // is the window's.
        const struct {
            Qt::Key key;
            Qt::MouseButton button;
            int y;
            bool closes;
        } cases[] = {{Qt::Key(0), Qt::LeftButton, 5, false},
                     {Qt::Key(0), Qt::RightButton, 60, false},
                     {Qt::Key(0), Qt::LeftButton, 60, true},
                     {Qt::Key_Escape, {}, 0, true},
                     {Qt::Key_Return, {}, 0, true},
                     {Qt::Key_Enter, {}, 0, true},
                     {Qt::Key_Space, {}, 0, true},
                     {Qt::Key_A, {}, 0, false},
                     {Qt::Key_Tab, {}, 0, false}};
        for (const auto& c : cases) {
            QPointer<About_Ardenca> about = new About_Ardenca;
            about->show();
            QWidget* text = about->label1();
            if (c.key)
                QTest::keyClick(about, c.key);
            else
                QTest::mouseClick(c.y > 5 ? text : about.data(), c.button, {}, QPoint(150, c.y));
            flush_deletes();
            QVERIFY2(
                about.isNull() == c.closes,
                qPrintable(QString("key %1, button %2, y %3").arg(c.key).arg(c.button).arg(c.y)));
            delete about.data();
        }
    }

    void closing_the_splash_early_does_not_end_the_program() {
        // In the running program the splash is the only visible window: a click closes it
        // before the tick, which must not count as closing the last window.
        ArdencaWindow window;
        QPointer<About_Ardenca> splash = window.about_window();
        bool closed_before_tick = false;
        QTimer::singleShot(0, &window,
                           [&] { QTest::mouseClick(splash->label1(), Qt::LeftButton); });
        QTimer::singleShot(100, &window, [&] {
            closed_before_tick = splash.isNull() && window.timer1()->isActive();
            window.Timer1_Timer();
        });
        QTimer::singleShot(150, &window, [] { QCoreApplication::exit(3); });
        QCOMPARE(QApplication::exec(), 3);
        QVERIFY(closed_before_tick);
        QVERIFY(window.isVisible() && !window.timer1()->isActive());
    }
};

class SolutionsWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void solutions_from_the_tools_entry_and_the_notice() {
        auto w = started_window();
        auto* hook = w->findChild<SolutionsHook*>("solutions_hook");
        QVERIFY(hook);
        click(*w, Command::Calculate);
        QVERIFY(!hook->notice()); // one ground, and the search found it
        QAction* action = w->menu_action("solutions");
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
        click(*w, Command::Calculate);
        QVERIFY(!hook->notice());
        w->fault_box()->close();
        s->hide();

        // A 1.2 m probe at 30 MHz reading 20 - j10 ohm: four grounds fit. The notice opens
        // the list, and Show writes a ground back.
        set_texts(*w, {{Field::Text3, "1.2"},
                       {Field::Text8, "30"},
                       {Field::Text23, "20"},
                       {Field::Text24, "-10"}});
        click(*w, Command::Calculate);
        QMessageBox* notice = hook->notice();
        QVERIFY(notice && notice->isVisible());
        QVERIFY2(notice->text().contains("fits 4 grounds"), qPrintable(notice->text()));
        // It does not hold up the main window; Calc From Medium leaves it alone.
        QCOMPARE(notice->windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());
        click(*w, Command::CalcMedium);
        QCOMPARE(hook->notice(), notice);
        notice->findChild<QPushButton*>("open_solutions")->click();
        QVERIFY(hook->solutions_window() == s && s->isVisible());
        QCOMPARE(s->table()->rowCount(), 4);
        QVERIFY2(s->summary()->text().contains("proved complete"),
                 qPrintable(s->summary()->text()));

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
        set_texts(*w, {{Field::Text3, ".55"},
                       {Field::Text8, "7"},
                       {Field::Text23, "65.1779"},
                       {Field::Text24, "-67.3409"}});
        click(*w, Command::Calculate);
        QCOMPARE(s->table()->rowCount(), 1);
        QVERIFY(s->near_note()->isHidden());

        // A long probe whose reading also fits a ground on the edge of the range: the
        // notice says so, and the list shows it greyed below the one ground.
        set_texts(*w, {{Field::Text1, "0.245"},
                       {Field::Text2, "0.0119"},
                       {Field::Text3, "1.095"},
                       {Field::Text8, "12.2"},
                       {Field::Text23, "11.65"},
                       {Field::Text24, "11.94"}});
        click(*w, Command::Calculate);
        QVERIFY(hook->notice() && hook->notice()->isVisible());
        QVERIFY2(hook->notice()->text().contains("within the meter's accuracy"),
                 qPrintable(hook->notice()->text()));
        QCOMPARE(s->table()->rowCount(), 2);
        QVERIFY(s->table()->item(0, 0)->flags() & Qt::ItemIsSelectable);
        QCOMPARE(s->table()->item(1, 0)->flags(), Qt::NoItemFlags);
        QCOMPARE(s->table()->item(1, 2)->text(), QString("1"));
        QVERIFY(!s->near_note()->isHidden());
        QVERIFY(s->near_note()->text().contains("Greyed"));
    }

    void solutions_explain_their_flags_close_on_esc_and_stand_beside() {
        auto w = started_window();
        auto* hook = w->findChild<SolutionsHook*>("solutions_hook");
        set_texts(*w, {{Field::Text3, "1.2"},
                       {Field::Text8, "30"},
                       {Field::Text23, "20"},
                       {Field::Text24, "-10"}}); // an electrically long probe, four grounds
        hook->open_solutions();
        QPointer<SolutionsWindow> s = hook->solutions_window();
        QTableWidget* table = s->table();
        QCOMPARE(table->rowCount(), 4);
        for (int c = 0; c < table->columnCount(); ++c) // every header says what it tells
            QVERIFY(
                table->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString().size() >
                40);

        // Each flag a row names has a line of its tooltip; electrically long says what to do.
        const int flags = table->columnCount() - 1;
        int flagged = -1;
        for (int r = table->rowCount() - 1; r >= 0; --r) {
            const QTableWidgetItem* item = table->item(r, flags);
            const auto names = item->text().split(", ", Qt::SkipEmptyParts).size();
            QCOMPARE(item->toolTip().split('\n', Qt::SkipEmptyParts).size(), names ? names + 1 : 0);
            QCOMPARE(item->toolTip().contains("Sweep the probe over frequency"),
                     item->text().contains("electrically-long"));
            flagged = names ? r : flagged;
        }
        QVERIFY(flagged >= 0);
        // Every section a flag links to is in the guide.
        const QString html = show_guide()->toHtml();
        for (const FlagHelp& h : solution_flag_help(~0u, 2))
            QVERIFY2(html.contains(QString("name=\"%1\"").arg(QString::fromUtf8(h.section.data()))),
                     h.section.data());
        show_guide()->close();
        flush_deletes();

        // A double click on a flag opens the guide, on a value it shows the ground.
        const QString cond_before = w->field_edit(Field::Text9)->text();
        for (int column : {flags, 0}) {
            table->scrollToItem(table->item(flagged, column));
            const QPoint at = table->visualItemRect(table->item(flagged, column)).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
            QWidget* guide = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                guide = top->objectName() == "guide" && top->isVisible() ? top : guide;
            QCOMPARE(guide != nullptr, column == flags);
            QCOMPARE(w->field_edit(Field::Text9)->text() != cond_before, column != flags);
            if (guide)
                guide->close();
        }

        // On a screen smaller than the main window: inside it, clear of the menu bar.
        const QRect bar(w->menuBar()->mapToGlobal(QPoint(0, 0)), w->menuBar()->size());
        QVERIFY(s->screen()->availableGeometry().contains(s->frameGeometry()));
        QVERIFY(!s->frameGeometry().intersects(bar));
        // Esc closes it, wherever the focus is.
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Escape);
        flush_deletes();
        QVERIFY(s.isNull());
    }

    void beside_the_main_window_on_any_screen() {
        const QRect screen(0, 0, 1280, 1024);
        const QSize wanted(1136, 348);
        const struct {
            QRect main;
            int side; // +1 right, -1 left, 2 below, 0 no room beside or below
        } cases[] = {{{0, 0, 640, 700}, +1},     {{640, 0, 640, 700}, -1},
                     {{100, 200, 900, 800}, 0},  {{0, 0, 1280, 1024}, 0},
                     {{-50, 300, 500, 400}, +1}, {{700, 900, 700, 400}, -1},
                     {{100, 100, 1000, 500}, 2}};
        for (const auto& c : cases) {
            const QRect r = beside_main_window(c.main, c.main.top() + 30, wanted, 576, screen);
            const QRect bar(c.main.topLeft(), QSize(c.main.width(), 31));
            QVERIFY(screen.contains(r) && r.height() == wanted.height() && r.width() >= 576);
            QVERIFY(!r.intersects(bar));
            if (c.side != 0)
                QVERIFY(!r.intersects(c.main) && (c.side == 2  ? r.top() == c.main.bottom() + 1
                                                  : c.side > 0 ? r.left() == c.main.right() + 1
                                                               : r.right() == c.main.left() - 1));
        }
    }
};

// Each window class is a ctest test of its own: the first argument names the one to run.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    MainWindowTest main_window;
    AboutWindowTest about_window;
    SolutionsWindowTest solutions_window;
    const std::map<std::string, QObject*> tests = {{"main_window", &main_window},
                                                   {"about_window", &about_window},
                                                   {"solutions_window", &solutions_window}};
    const auto test = argc > 1 ? tests.find(argv[1]) : tests.end();
    if (test == tests.end()) {
        std::fputs("usage: windows_test main_window|about_window|solutions_window [options]\n",
                   stderr);
        return 2;
    }
    argv[1] = argv[0];
    return QTest::qExec(test->second, argc - 1, argv + 1);
}

#include "windows_test.moc"
