// The marks of the main window after a command: a search without a ground warns and
// greys the results it did not recalculate; inputs read in part are tinted and noticed.
// With ARDENCA_SCREENSHOT_DIR set, the failed search is saved there as a picture.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "started_window.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <set>

using namespace ardenca;
using ardenca::qt::ArdencaWindow;

namespace {

void type_into(ArdencaWindow& window, Field field, const QString& text) {
    QLineEdit* edit = window.field_edit(field);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void click(ArdencaWindow& window, Command command) {
    QTest::mouseClick(window.command_button(command), Qt::LeftButton);
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

class FieldMarksTest : public QObject {
    Q_OBJECT
  private slots:
    void marks_after_a_command();
};

void FieldMarksTest::marks_after_a_command() {
    // A search without a ground warns and greys what it left.
    auto window = started_window();
    click(*window, Command::Calculate);
    type_into(*window, Field::Text23, "65");
    type_into(*window, Field::Text24, "67");
    QStringList before;
    for (const auto& info : fields())
        before << window->field_edit(info.field)->text();

    click(*window, Command::Calculate);
    // Reaching this line means the warning did not block.
    QTRY_VERIFY(window->field_marks().no_ground_box() &&
                window->field_marks().no_ground_box()->isVisible());
    QCOMPARE(window->field_marks().no_ground_box()->text(),
             QString("No ground found that reproduces R in 65 + j67 \u03a9 with this probe; the "
                     "Cond and Diel C shown are from an earlier calculation. The search ended on "
                     "an arithmetic fault."));
    QVERIFY(window->fault_box() == nullptr);

    const std::set<int> ground{9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 27, 28};
    for (const auto& info : fields()) {
        const int n = static_cast<int>(info.field);
        QCOMPARE(marked_stale(*window, info.field), int(ground.count(n)));
        if (ground.count(n)) // the marks change no text
            QCOMPARE(window->field_edit(info.field)->text(), before[field_index(info.field)]);
    }

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

QTEST_MAIN(FieldMarksTest)
#include "field_marks_test.moc"
