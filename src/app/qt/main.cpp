// The desktop program. Without arguments it starts as the user knows it: the About
// window as a splash, then the main window. --screenshot and --screenshot-about render
// a window to a PNG file and exit, for the documentation and for checks without a
// display (QT_QPA_PLATFORM=offscreen).
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "solutions_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>
#include <QSvgRenderer>
#include <QTextStream>

#include <csignal>

namespace {

// The application icon, drawn from our SVG at the usual sizes without needing the SVG
// image plug-in.
QIcon application_icon() {
    QSvgRenderer renderer(QStringLiteral(":/icons/org.ardenca.Ardenca.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

int save_picture(QWidget* window, const QString& file) {
    if (!window) {
        QTextStream(stderr) << "ardenca: no window to render\n";
        return 1;
    }
    QApplication::processEvents();
    if (!window->grab().save(file, "PNG")) {
        QTextStream(stderr) << "ardenca: cannot write " << file << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // A save past the file size limit (ulimit -f) then fails with "File too large" and
    // is reported, instead of the signal ending the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    // The resources live in the window library, which the linker would otherwise drop.
    Q_INIT_RESOURCE(ardenca);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ardenca"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QApplication::setDesktopFileName(QStringLiteral("org.ardenca.Ardenca"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(application_icon());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ground conductivity and dielectric constant from a two-rod probe"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption main_shot(QStringLiteral("screenshot"),
                                       QStringLiteral("Render the main window to FILE and exit."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption about_shot(QStringLiteral("screenshot-about"),
                                        QStringLiteral("Render the About window to FILE and exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption solutions_shot(
        QStringLiteral("screenshot-solutions"),
        QStringLiteral("Render the Solutions window for the reading to FILE and exit."),
        QStringLiteral("FILE"));
    parser.addOption(main_shot);
    parser.addOption(about_shot);
    parser.addOption(solutions_shot);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A ground data file to open once the main window shows, as File, Open "
                       "would."),
        QStringLiteral("[FILE.gnd]"));
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        QTextStream(stderr) << "ardenca: one ground data file at a time: " << files.size()
                            << " were given (" << files.join(QStringLiteral(", "))
                            << "); open the others with File, Open\n";
        return 2;
    }

    ardenca::qt::ArdencaWindow window;
    if (!files.isEmpty())
        window.open_at_start(files.constFirst());
    if (parser.isSet(about_shot))
        return save_picture(window.about_window(), parser.value(about_shot));
    if (parser.isSet(main_shot)) {
        // The window as it stands after the splash, without waiting for it.
        window.Timer1_Timer();
        const int saved = save_picture(&window, parser.value(main_shot));
        // A file that did not open, or whose recalculation stopped on a fault, is told on
        // stderr and in the exit status; the picture is written all the same.
        for (const QMessageBox* box : {window.file_box(), window.fault_box()})
            if (box) {
                QTextStream(stderr) << "ardenca: " << box->text() << "\n";
                return 1;
            }
        return saved;
    }
    if (parser.isSet(solutions_shot)) {
        window.Timer1_Timer();
        auto* hook = window.findChild<ardenca::qt::SolutionsHook*>();
        if (hook)
            hook->open_solutions();
        return save_picture(hook ? hook->solutions_window() : nullptr,
                            parser.value(solutions_shot));
    }
    return app.exec();
}
