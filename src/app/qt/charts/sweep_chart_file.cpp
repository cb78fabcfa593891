#include "sweep_chart_file.h"

#include "files/atomic_writer.h"
#include "files/file_error.h"
#include "sweep_chart.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <memory>

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

// The charts in a scene of their own, laid out at the picture's size.
void draw(const sweep::SweepResult& result, QPainter& painter) {
    const QRectF area(0, 0, picture_width, sigma_height + eps_r_height);
    painter.fillRect(area, Qt::white);
    draw_sweep_charts(result, painter, area, area.size());
}

} // namespace

void draw_sweep_charts(const sweep::SweepResult& result, QPainter& painter, const QRectF& target,
                       QSizeF layout) {
    QGraphicsScene scene;
    SweepCharts charts;
    QChart* sigma = charts.chart(Quantity::Conductivity);
    QChart* eps_r = charts.chart(Quantity::DielectricConstant);
    scene.addItem(sigma);
    scene.addItem(eps_r);
    // σ takes the share of the height it has in the picture file; εr has the legend too.
    const qreal sigma_share = qreal(sigma_height) / (sigma_height + eps_r_height);
    sigma->setGeometry(QRectF(0, 0, layout.width(), layout.height() * sigma_share));
    eps_r->setGeometry(QRectF(0, layout.height() * sigma_share, layout.width(),
                              layout.height() * (1 - sigma_share)));
    charts.set_result(result);
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents();
        align_plot_areas(sigma, eps_r);
    }
    QCoreApplication::processEvents();
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
