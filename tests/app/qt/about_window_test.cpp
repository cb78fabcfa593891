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
    void closing_keys_unload_it();
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

    // The hint: smaller, inside the window, whole, and under the last line of the text.
    QLabel* hint = about.close_hint();
    QVERIFY(hint->isVisible() && hint->font().pixelSize() < label->font().pixelSize());
    QVERIFY(about.rect().contains(hint->geometry()));
    QVERIFY(hint->fontMetrics().horizontalAdvance(hint->text()) <= hint->width());
    QVERIFY(hint->y() >= label->y() + lines.size() * label->fontMetrics().lineSpacing());
    // A click on the hint reaches the text beneath it.
    QCOMPARE(about.childAt(hint->geometry().center()), label);
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

void AboutWindowTest::closing_keys_unload_it() {
    for (const auto& [key, closes] : {std::pair{Qt::Key_Escape, true},
                                      {Qt::Key_Return, true},
                                      {Qt::Key_Enter, true},
                                      {Qt::Key_Space, true},
                                      {Qt::Key_A, false},
                                      {Qt::Key_Tab, false}}) {
        QPointer<About_Ardenca> about = new About_Ardenca;
        about->show();
        QTest::keyClick(about, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(about.isNull() == closes, qPrintable(QKeySequence(key).toString()));
        delete about.data();
    }
}

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
