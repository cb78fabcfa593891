// ardenca-cli sweep --report end to end: the PDF it writes has one or two pages that
// poppler reads, renders with both charts drawn, and holds the tables' text.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// Runs a program; its standard output, after checking it ended with status 0.
QString run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        qWarning() << program << args << process.readAllStandardError();
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Given a page, the heights of the bands of rows holding coloured pixels (the charts'
// lines and bands; text and table shading are grey), small gaps bridged.
std::vector<int> coloured_bands(const QImage& page) {
    std::vector<int> bands;
    int start = -1, last = -1;
    for (int y = 0; y < page.height(); ++y) {
        int coloured = 0;
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            const int hi = std::max({c.red(), c.green(), c.blue()});
            const int lo = std::min({c.red(), c.green(), c.blue()});
            coloured += hi - lo > 60;
        }
        if (coloured == 0)
            continue;
        if (start < 0 || y - last > 4) {
            if (start >= 0)
                bands.push_back(last - start + 1);
            start = y;
        }
        last = y;
    }
    if (start >= 0)
        bands.push_back(last - start + 1);
    return bands;
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
  private slots:
    void cli_report_renders_both_charts_and_the_tables();
};

void ReportTest::cli_report_renders_both_charts_and_the_tables() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    const QString sweeps = QStringLiteral(ARDENCA_EXAMPLES_DIR "/sweeps/");
    run(QStringLiteral(ARDENCA_CLI_PATH),
        {"sweep", sweeps + "site-a.s1p", sweeps + "site-b.s1p", sweeps + "site-c.s1p", "--average",
         "--report", pdf, "--plot", dir.filePath("p.png"), "-o", dir.filePath("table.txt")});
    // The chart picture and the report each draw offscreen in the same run.
    QVERIFY(QFile::exists(pdf));
    QVERIFY(!QImage(dir.filePath("p.png")).isNull());

    const QString info = run(QStringLiteral(PDFINFO), {pdf});
    const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
    QVERIFY2(at >= 0, qPrintable(info));
    const int pages = info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    QVERIFY2(pages >= 1 && pages <= 2, qPrintable(info));

    const QString text = run(QStringLiteral(PDFTOTEXT), {pdf, "-"});
    for (const char* told :
         {"Conductivity σ (S/m)", "Relative dielectric constant εr", "Frequency (MHz)",
          "Ground values", "f (MHz)", "Flags", "site-b.s1p", "Average over 3 locations",
          "Soil model", "electrically long", "Meter noise"})
        QVERIFY2(text.contains(QString::fromUtf8(told)), told);

    run(QStringLiteral(PDFTOPPM), {"-r", "50", "-png", pdf, dir.filePath("page")});
    const QImage first(dir.filePath("page-1.png"));
    QVERIFY(!first.isNull());
    // σ above εr: two tall coloured bands, each over a sixth of the page.
    std::vector<int> bands = coloured_bands(first);
    const auto tall =
        std::count_if(bands.begin(), bands.end(), [&](int h) { return h > first.height() / 6; });
    QVERIFY2(tall == 2, qPrintable(QString::number(tall)));
    if (pages == 2) {
        const QImage second(dir.filePath("page-2.png"));
        QVERIFY(!second.isNull());
        bands = coloured_bands(second);
        QVERIFY(std::none_of(bands.begin(), bands.end(),
                             [&](int h) { return h > second.height() / 6; }));
    }
}

QTEST_MAIN(ReportTest)
#include "report_test.moc"
