// The About window on its own: its text fits it, it stands centred on the screen, and a
// left click on the text, and only there, unloads it, as Esc, Enter and Space do.
#include "about_ardenca.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using ardenca::qt::About_Ardenca;

class AboutWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void text_fits_and_the_window_stands_centred();
    void only_a_left_click_on_the_text_unloads_it();
    void closing_keys_unload_it_data();
    void closing_keys_unload_it();
    void the_hint_stands_below_the_text();
};

void AboutWindowTest::text_fits_and_the_window_stands_centred() {
    About_Ardenca about;
    about.show();
    QLabel* label = about.label1();
    const QStringList lines = label->text().split('\n');
    QCOMPARE(label->text(), About_Ardenca::about_text());
    QVERIFY(lines.size() > 5);
    QVERIFY(label->fontMetrics().lineSpacing() * lines.size() <= label->height());
    for (const QString& line : lines)
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= about.width(), qPrintable(line));

    // Centred with the outer size known at load; a frame that the window system adds
    // only when the window appears may shift it by its own width.
    const QRect screen = about.screen()->geometry(), frame = about.frameGeometry();
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <=
            (frame.width() - about.width()) / 2 + 1);
    QVERIFY(qAbs(frame.center().y() - screen.center().y()) <=
            (frame.height() - about.height()) / 2 + 1);
}

void AboutWindowTest::only_a_left_click_on_the_text_unloads_it() {
    QPointer<About_Ardenca> about = new About_Ardenca;
    about->show();
    auto click = [](QWidget* on, Qt::MouseButton button, QPoint at) {
        QTest::mouseClick(on, button, {}, at);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    click(about, Qt::LeftButton, QPoint(150, 5)); // the strip above the text is the window's
    QVERIFY(about && about->isVisible());
    click(about->label1(), Qt::RightButton, QPoint(150, 60));
    QVERIFY(about && about->isVisible());
    click(about->label1(), Qt::LeftButton, QPoint(150, 60));
    QVERIFY(about.isNull());
}

void AboutWindowTest::closing_keys_unload_it_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("A") << int(Qt::Key_A) << false;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << false;
}

void AboutWindowTest::closing_keys_unload_it() {
    QFETCH(int, key);
    QFETCH(bool, closes);
    QPointer<About_Ardenca> about = new About_Ardenca;
    about->show();
    QTest::keyClick(about, Qt::Key(key));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(about.isNull(), closes);
    delete about.data();
}

void AboutWindowTest::the_hint_stands_below_the_text() {
    About_Ardenca about;
    about.show();
    QLabel* hint = about.close_hint();
    QCOMPARE(hint->text(), QString("Click or press Esc to close"));
    QVERIFY(hint->isVisible());
    QVERIFY(hint->font().pixelSize() < about.label1()->font().pixelSize());
    // Inside the window, whole, and under the last line of the text.
    QVERIFY(about.rect().contains(hint->geometry()));
    QVERIFY(hint->fontMetrics().horizontalAdvance(hint->text()) <= hint->width());
    const int lines = about.label1()->text().count('\n') + 1;
    QVERIFY(hint->y() >= about.label1()->y() + lines * about.label1()->fontMetrics().lineSpacing());
    // A click on the hint reaches the text beneath it.
    QCOMPARE(about.childAt(hint->geometry().center()), about.label1());
}

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
