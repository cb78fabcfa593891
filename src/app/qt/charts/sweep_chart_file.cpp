#include "sweep_chart_file.h"

#include "files/atomic_writer.h"
#include "files/file_error.h"
#include "sweep_chart.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QPainter>
#include <QSvgGenerator>

#include <memory>
#include <vector>

namespace ardenca::charts {

namespace {

constexpr int picture_width = 1000;
constexpr int sigma_height = 400;
constexpr int eps_r_height = 460; // the legend stands under this one
constexpr int png_scale = 2;

bool ends_with(const std::string& text, std::string_view end) {
    if (text.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = text[text.size() - end.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != end[i])
            return false;
    }
    return true;
}

// The charts at the picture's size, every legend entry in full.
void draw(const sweep::SweepResult& result, QPainter& painter) {
    const QRectF area(0, 0, picture_width, sigma_height + eps_r_height);
    painter.fillRect(area, Qt::white);
    draw_sweep_charts(result, painter, area, area.size(), true);
}

} // namespace

namespace {

// A legend entry, taken from the chart's own legend.
struct LegendEntry {
    QString label;
    QPen pen;
    QBrush brush;
    QBrush label_brush;
};

std::vector<LegendEntry> legend_entries(QLegend* legend) {
    std::vector<LegendEntry> out;
    for (QLegendMarker* marker : legend->markers())
        if (marker->isVisible() && !marker->label().isEmpty())
            out.push_back({marker->label(), marker->pen(), marker->brush(), marker->labelBrush()});
    return out;
}

// The legend's entries in rows that wrap at the given width, added to the scene below
// the charts (when scene is given), instead of the chart's own one-line legend that cuts
// entries short on a narrow page. Returns the height it takes.
qreal add_wrapped_legend(QGraphicsScene* scene, const std::vector<LegendEntry>& entries,
                         const QFont& font, qreal top, qreal width) {
    const QFontMetricsF metrics(font);
    const qreal swatch = metrics.height() * 0.7;
    const qreal gap = metrics.height();
    const qreal row = metrics.height() * 1.35;
    qreal x = gap, y = top + row * 0.3;
    for (const LegendEntry& entry : entries) {
        const qreal size = swatch * 1.5 + metrics.horizontalAdvance(entry.label);
        if (x > gap && x + size > width - gap) {
            x = gap;
            y += row;
        }
        if (scene) {
            scene->addRect(QRectF(x, y + (row - swatch) / 2, swatch, swatch), entry.pen,
                           entry.brush);
            auto* label = scene->addSimpleText(entry.label, font);
            label->setBrush(entry.label_brush);
            label->setPos(x + swatch * 1.5, y + (row - metrics.height()) / 2);
        }
        x += size + gap;
    }
    return y + row - top + row * 0.3;
}

} // namespace

void draw_sweep_charts(const sweep::SweepResult& result, QPainter& painter, const QRectF& target,
                       QSizeF layout, bool wrapped_legend) {
    QGraphicsScene scene;
    SweepCharts charts;
    QChart* sigma = charts.chart(Quantity::Conductivity);
    QChart* eps_r = charts.chart(Quantity::DielectricConstant);
    scene.addItem(sigma);
    scene.addItem(eps_r);
    // σ takes the share of the height it has in the picture file; εr has the legend too.
    const auto place = [&](qreal charts_height) {
        const qreal sigma_share = qreal(sigma_height) / (sigma_height + eps_r_height);
        sigma->setGeometry(QRectF(0, 0, layout.width(), charts_height * sigma_share));
        eps_r->setGeometry(QRectF(0, charts_height * sigma_share, layout.width(),
                                  charts_height * (1 - sigma_share)));
    };
    place(layout.height());
    charts.set_result(result);
    qreal legend_height = 0;
    std::vector<LegendEntry> entries;
    const QFont legend_font = eps_r->legend()->font();
    if (wrapped_legend) {
        QCoreApplication::processEvents(); // the legend's markers follow the series
        entries = legend_entries(eps_r->legend());
        legend_height = add_wrapped_legend(nullptr, entries, legend_font, 0, layout.width());
        eps_r->legend()->setVisible(false);
        place(layout.height() - legend_height);
    }
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents();
        align_plot_areas(sigma, eps_r);
    }
    QCoreApplication::processEvents();
    if (wrapped_legend)
        add_wrapped_legend(&scene, entries, legend_font, layout.height() - legend_height,
                           layout.width());
    const QRectF area(QPointF(0, 0), layout);
    scene.setSceneRect(area);
    scene.render(&painter, target, area);
}

bool gui_application(std::unique_ptr<QApplication>& own, std::string& error) {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "ardenca";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        own = std::make_unique<QApplication>(argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        error = "charts need a graphical application";
        return false;
    }
    return true;
}

bool render_sweep_chart(const sweep::SweepResult& result, const std::string& path,
                        std::string& error) {
    const bool svg = ends_with(path, ".svg");
    if (!svg && !ends_with(path, ".png")) {
        error = "The chart was not saved: " + path + ": the name must end in .png or .svg.";
        return false;
    }

    std::unique_ptr<QApplication> own_application;
    if (!gui_application(own_application, error)) {
        error = "The chart was not saved: " + path + ": " + error + '.';
        return false;
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size(picture_width, sigma_height + eps_r_height);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QStringLiteral("Ground conductivity and dielectric constant"));
        QPainter painter(&generator);
        draw(result, painter);
    } else {
        QImage image(size * png_scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(png_scale);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            draw(result, painter);
        }
        if (!image.save(&buffer, "PNG")) {
            error = "The chart was not saved: " + path + ": the PNG could not be encoded.";
            return false;
        }
    }
    buffer.close();
    return save_bytes(path, bytes, error);
}

bool save_bytes(const std::string& path, const QByteArray& bytes, std::string& error) {
    try {
        files::AtomicFileWriter writer(path, files::real_save_system());
        writer.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        writer.commit();
    } catch (const files::FileError& failure) {
        error = failure.what();
        return false;
    }
    return true;
}

} // namespace ardenca::charts
