// The desktop program. Without arguments it starts as the user knows it: the About
// window as a splash, then the main window. --screenshot and --screenshot-about render
// a window to a PNG file and exit, for the documentation and for checks without a
// display (QT_QPA_PLATFORM=offscreen); --screenshot-sweep does the same for the sweep
// window once its files are solved. Sweep files or a sweep session (.json) on the
// command line open the sweep window.
#include "about_ardenca.h"
#include "ardenca_version.h"
#include "ardenca_window.h"
#include "recent_files_menu.h"
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

#include <algorithm>
#include <csignal>
#include <cstring>

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
    // A session brings its own sweeps, set-up and options.
    const auto session = std::find_if(files.begin(), files.end(), ardenca::qt::is_session_file);
    if (session != files.end() && !window.open_session(*session)) {
        QTextStream(stderr) << "ardenca: " << window.export_box()->text() << "\n";
        return 4;
    }
    if (session == files.end())
        window.open_files(files);
    if (window.running())
        loop.exec();
    // The read-out under the charts shows the values at the set-up's frequency.
    window.show_readout_at_setup_frequency();
    const int rc = save_picture(&window, picture);
    // A session that was refused, or whose files are missing, says why.
    if (session != files.end() && window.export_box() && window.export_box()->isVisible()) {
        QTextStream(stderr) << "ardenca: " << window.export_box()->text() << "\n";
        if (rc == 0)
            return 4;
    }
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

// The command line's options, in the order --help lists them.
struct Options {
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Displays version information.")};
    QCommandLineOption main_shot{QStringLiteral("screenshot"),
                                 QStringLiteral("Render the main window to FILE and exit."),
                                 QStringLiteral("FILE")};
    QCommandLineOption about_shot{QStringLiteral("screenshot-about"),
                                  QStringLiteral("Render the About window to FILE and exit."),
                                  QStringLiteral("FILE")};
    QCommandLineOption solutions_shot{
        QStringLiteral("screenshot-solutions"),
        QStringLiteral("Render the Solutions window for the reading to FILE and exit."),
        QStringLiteral("FILE")};
    QCommandLineOption sweep_shot{
        QStringLiteral("screenshot-sweep"),
        QStringLiteral("Render the sweep window with the sweep files solved to FILE and exit; "
                       "the exit status is not 0 when a file is refused."),
        QStringLiteral("FILE")};
    QCommandLineOption window_size{
        QStringLiteral("window-size"),
        QStringLiteral("With --screenshot: the main window's size, e.g. 1200x800."),
        QStringLiteral("WxH")};
    QCommandLineOption larger_text{
        QStringLiteral("larger-text"),
        QStringLiteral("Start with View, Larger Text on (otherwise as the last run left it).")};
};

// Given the application, parses its arguments into parser: --help prints and exits, a
// bad option is told and exits; --version is left to the caller.
void parse_arguments(const QCoreApplication& app, QCommandLineParser& parser,
                     const Options& options) {
    parser.setApplicationDescription(
        QStringLiteral("Ground conductivity and dielectric constant from a two-rod probe"));
    parser.addHelpOption();
    parser.addOption(options.version);
    for (const QCommandLineOption* option :
         {&options.main_shot, &options.about_shot, &options.solutions_shot, &options.sweep_shot,
          &options.window_size, &options.larger_text})
        parser.addOption(*option);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A ground data file to open once the main window shows, as File, Open "
                       "would; or VNA sweeps (.s1p, .s2p, .ts, .csv), one per probe location, "
                       "to open in the sweep window; or a sweep session (.json) saved there."),
        QStringLiteral("[FILE.gnd | SWEEP... | SESSION.json]"));
    parser.process(app);
}

// Given the arguments, whether they ask for the help or the version only, which need no
// display.
bool asks_for_text(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

int print_version() {
    QTextStream(stdout) << "ardenca " << ardenca::program_version << "\n";
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // A save past the file size limit (ulimit -f) then fails with "File too large" and
    // is reported, instead of the signal ending the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    const Options options;
    if (asks_for_text(argc, argv)) {
        QCoreApplication text_app(argc, argv);
        QCoreApplication::setApplicationVersion(QString::fromLatin1(ardenca::program_version));
        QCommandLineParser parser;
        parse_arguments(text_app, parser, options);
        if (parser.isSet(options.version))
            return print_version();
        // Otherwise "-v" or "-h" was the value of another option: the windows start.
    }
    // The resources live in the window library, which the linker would otherwise drop.
    Q_INIT_RESOURCE(ardenca);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ardenca"));
    QApplication::setApplicationVersion(QString::fromLatin1(ardenca::program_version));
    QApplication::setDesktopFileName(QStringLiteral("org.ardenca.Ardenca"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(application_icon());

    QCommandLineParser parser;
    parse_arguments(app, parser, options);
    if (parser.isSet(options.version))
        return print_version();

    // VNA sweeps open together in the sweep window; ground data files one at a time.
    QStringList sweeps, files;
    for (const QString& file : parser.positionalArguments())
        (ardenca::qt::is_sweep_file(file) || ardenca::qt::is_session_file(file) ? sweeps : files)
            << file;
    if (files.size() > 1) {
        QTextStream(stderr) << "ardenca: one ground data file at a time: " << files.size()
                            << " were given (" << files.join(QStringLiteral(", "))
                            << "); open the others with File, Open\n";
        return 2;
    }

    ardenca::qt::ArdencaWindow window;
    // View, Larger Text is remembered from one run to the next; the pictures of the
    // screenshot options neither read nor change it.
    const bool picture = parser.isSet(options.main_shot) || parser.isSet(options.about_shot) ||
                         parser.isSet(options.solutions_shot) || parser.isSet(options.sweep_shot);
    QSettings settings(QStringLiteral("Ardenca"), QStringLiteral("Ardenca"));
    const QString larger_key = QStringLiteral("view/larger_text");
    if (parser.isSet(options.larger_text) ||
        (!picture && settings.value(larger_key, false).toBool()))
        window.set_larger_text(true);
    if (!picture)
        QObject::connect(window.menu_action("larger_text"), &QAction::toggled, &window,
                         [&settings, &larger_key](bool on) { settings.setValue(larger_key, on); });
    // Open Recent and the dialogs' folders are kept from one run to the next; the
    // pictures neither read nor change them.
    ardenca::qt::keep_recent_files(!picture);
    if (!picture)
        ardenca::qt::install_recent_files(window);
    if (!files.isEmpty())
        window.open_at_start(files.constFirst());
    if (parser.isSet(options.sweep_shot)) {
        window.Timer1_Timer();
        window.hide();
        return save_sweep_picture(window, sweeps, parser.value(options.sweep_shot));
    }
    const auto open_sweeps = ardenca::qt::install_sweep_window(window);
    if (!sweeps.isEmpty())
        QObject::connect(
            window.timer1(), &QTimer::timeout, &window,
            [open_sweeps, sweeps] { open_sweeps(sweeps); }, Qt::SingleShotConnection);
    if (parser.isSet(options.about_shot))
        return save_picture(window.about_window(), parser.value(options.about_shot));
    if (parser.isSet(options.main_shot)) {
        // The window as it stands after the splash, without waiting for it.
        window.Timer1_Timer();
        if (parser.isSet(options.window_size)) {
            const QStringList wh = parser.value(options.window_size).split(QLatin1Char('x'));
            const int w = wh.value(0).toInt(), h = wh.value(1).toInt();
            if (wh.size() != 2 || w <= 0 || h <= 0) {
                QTextStream(stderr) << "ardenca: --window-size takes WxH, e.g. 1200x800\n";
                return 2;
            }
            window.resize(w, h);
        }
        const int saved = save_picture(&window, parser.value(options.main_shot));
        // A file that did not open, or whose recalculation stopped on a fault, is told on
        // stderr and in the exit status; the picture is written all the same.
        for (const QMessageBox* box : {window.file_box(), window.fault_box()})
            if (box) {
                QTextStream(stderr) << "ardenca: " << box->text() << "\n";
                return 1;
            }
        return saved;
    }
    if (parser.isSet(options.solutions_shot)) {
        window.Timer1_Timer();
        auto* hook = window.findChild<ardenca::qt::SolutionsHook*>();
        if (hook)
            hook->open_solutions();
        return save_picture(hook ? hook->solutions_window() : nullptr,
                            parser.value(options.solutions_shot));
    }
    return app.exec();
}
