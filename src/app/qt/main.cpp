// The desktop program. Without arguments it starts as the user knows it: the About
// window as a splash, then the main window. --screenshot and --screenshot-about render
// a window to a PNG file and exit, for the documentation and for checks without a
// display (QT_QPA_PLATFORM=offscreen); --screenshot-sweep does the same for the sweep
// window once its files are solved. Sweep files on the command line open the sweep
// window.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "solutions_window.h"
#include "sweep_window.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QIcon>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
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

// The sweep window with the files solved, as a picture; non-zero when a file was
// refused or nothing could be solved.
int save_sweep_picture(ardenca::qt::ArdencaWindow& main, const QStringList& files,
                       const QString& picture) {
    if (files.isEmpty()) {
        QTextStream(stderr) << "ardenca: --screenshot-sweep needs at least one sweep file\n";
        return 2;
    }
    ardenca::qt::SweepWindow window(&main);
    window.show();
    QEventLoop loop;
    QObject::connect(&window, &ardenca::qt::SweepWindow::run_ended, &loop, &QEventLoop::quit);
    window.open_files(files);
    if (window.running())
        loop.exec();
    // The read-out under the charts shows the values at the set-up's frequency.
    window.show_readout_at_setup_frequency();
    const int rc = save_picture(&window, picture);
    for (const auto& message : window.model().messages())
        if (message.kind == ardenca::SweepMessage::Kind::Error)
            QTextStream(stderr) << "ardenca: " << QString::fromStdString(message.text) << "\n";
    if (rc != 0)
        return rc;
    if (window.model().refused_count() > 0 ||
        window.model().state() != ardenca::SweepModel::State::Finished)
        return 4;
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
    const QCommandLineOption sweep_shot(
        QStringLiteral("screenshot-sweep"),
        QStringLiteral("Render the sweep window with the sweep files solved to FILE and exit; "
                       "the exit status is not 0 when a file is refused."),
        QStringLiteral("FILE"));
    const QCommandLineOption window_size(
        QStringLiteral("window-size"),
        QStringLiteral("With --screenshot: the main window's size, e.g. 1200x800."),
        QStringLiteral("WxH"));
    const QCommandLineOption larger_text(
        QStringLiteral("larger-text"),
        QStringLiteral("Start with View, Larger Text on (otherwise as the last run left it)."));
    parser.addOption(main_shot);
    parser.addOption(about_shot);
    parser.addOption(solutions_shot);
    parser.addOption(sweep_shot);
    parser.addOption(window_size);
    parser.addOption(larger_text);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A ground data file to open once the main window shows, as File, Open "
                       "would; or VNA sweeps (.s1p, .s2p, .ts, .csv), one per probe location, "
                       "to open in the sweep window."),
        QStringLiteral("[FILE.gnd | SWEEP...]"));
    parser.process(app);

    // VNA sweeps open together in the sweep window; ground data files one at a time.
    QStringList sweeps, files;
    for (const QString& file : parser.positionalArguments())
        (ardenca::qt::is_sweep_file(file) ? sweeps : files) << file;
    if (files.size() > 1) {
        QTextStream(stderr) << "ardenca: one ground data file at a time: " << files.size()
                            << " were given (" << files.join(QStringLiteral(", "))
                            << "); open the others with File, Open\n";
        return 2;
    }

    ardenca::qt::ArdencaWindow window;
    // View, Larger Text is remembered from one run to the next; the pictures of the
    // screenshot options neither read nor change it.
    const bool picture = parser.isSet(main_shot) || parser.isSet(about_shot) ||
                         parser.isSet(solutions_shot) || parser.isSet(sweep_shot);
    QSettings settings(QStringLiteral("Ardenca"), QStringLiteral("Ardenca"));
    const QString larger_key = QStringLiteral("view/larger_text");
    if (parser.isSet(larger_text) || (!picture && settings.value(larger_key, false).toBool()))
        window.set_larger_text(true);
    if (!picture)
        QObject::connect(window.menu_action("larger_text"), &QAction::toggled, &window,
                         [&settings, &larger_key](bool on) { settings.setValue(larger_key, on); });
    if (!files.isEmpty())
        window.open_at_start(files.constFirst());
    if (parser.isSet(sweep_shot)) {
        window.Timer1_Timer();
        window.hide();
        return save_sweep_picture(window, sweeps, parser.value(sweep_shot));
    }
    const auto open_sweeps = ardenca::qt::install_sweep_window(window);
    if (!sweeps.isEmpty())
        QObject::connect(
            window.timer1(), &QTimer::timeout, &window,
            [open_sweeps, sweeps] { open_sweeps(sweeps); }, Qt::SingleShotConnection);
    if (parser.isSet(about_shot))
        return save_picture(window.about_window(), parser.value(about_shot));
    if (parser.isSet(main_shot)) {
        // The window as it stands after the splash, without waiting for it.
        window.Timer1_Timer();
        if (parser.isSet(window_size)) {
            const QStringList wh = parser.value(window_size).split(QLatin1Char('x'));
            const int w = wh.value(0).toInt(), h = wh.value(1).toInt();
            if (wh.size() != 2 || w <= 0 || h <= 0) {
                QTextStream(stderr) << "ardenca: --window-size takes WxH, e.g. 1200x800\n";
                return 2;
            }
            window.resize(w, h);
        }
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
