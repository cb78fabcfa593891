// The About window on its own: its text, its look and where it stands, and that a
// click on the text, and only there, unloads it.
#include "about_ardenca.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using ardenca::qt::About_Ardenca;

class AboutWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void text_is_built_line_by_line();
    void window_and_label_layout();
    void stands_centred_on_the_screen();
    void click_on_text_unloads_it_and_elsewhere_does_not();
};

void AboutWindowTest::text_is_built_line_by_line() {
    const QString text = About_Ardenca::about_text();
    QVERIFY(!text.contains('\r'));
    // Every line follows a line feed, and one more ends the text.
    const QStringList parts = text.split('\n');
    QCOMPARE(parts.size(), 10);
    QCOMPARE(parts.front(), QString());
    QCOMPARE(parts.back(), QString());
    QCOMPARE(parts[1], QString("Ardenca"));
    QCOMPARE(parts[2], QString("Version 2.0 Beta"));
    QCOMPARE(parts[3], QString("Ground Conductivity Calculation Tool"));
    QCOMPARE(parts[4], QString(15, ' '));
    QCOMPARE(parts[5], QString("Source Code By"));
    for (int credit = 6; credit <= 8; ++credit)
        QVERIFY(!parts[credit].trimmed().isEmpty());

    About_Ardenca about;
    QCOMPARE(about.label1()->text(), text);
}

void AboutWindowTest::window_and_label_layout() {
    About_Ardenca about;
    about.show();
    QCOMPARE(about.windowTitle(), QString("About Ardenca"));
    QVERIFY(about.parentWidget() == nullptr);
    QCOMPARE(about.windowModality(), Qt::NonModal);
    QCOMPARE(about.size(), QSize(312, 206)); // 4680 x 3090 twips

    QLabel* label = about.label1();
    QCOMPARE(label->objectName(), QString("Label1"));
    QCOMPARE(label->geometry(), QRect(0, 16, 313, 185)); // one pixel past the right edge
    QVERIFY(label->font().bold());
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // The nine lines (and the empty first one) fit the label's height.
    QVERIFY(label->fontMetrics().lineSpacing() * 10 <= label->height());
    for (const QString& line : About_Ardenca::about_text().split('\n'))
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= about.width(), qPrintable(line));
    QCOMPARE(about.findChildren<QWidget*>().size(), 1);
}

void AboutWindowTest::stands_centred_on_the_screen() {
    About_Ardenca about;
    about.show();
    const QRect screen = about.screen()->geometry();
    // Centred with the outer size known at load; a frame that the window system adds
    // only when the window appears may shift it by its own width.
    const QRect frame = about.frameGeometry();
    const int slack_x = (frame.width() - about.width()) / 2 + 1;
    const int slack_y = (frame.height() - about.height()) / 2 + 1;
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= slack_x);
    QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= slack_y);
}

void AboutWindowTest::click_on_text_unloads_it_and_elsewhere_does_not() {
    QPointer<About_Ardenca> about = new About_Ardenca;
    about->show();

    // The strip above the label is the window's, not the text's.
    QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(150, 5));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about && about->isVisible());
    // A right click on the text is not a click either.
    QTest::mouseClick(about->label1(), Qt::RightButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about && about->isVisible());

    QTest::mouseClick(about->label1(), Qt::LeftButton, {}, QPoint(150, 60));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
}

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
