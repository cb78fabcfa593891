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
    QGraphicsScene scene;
    SweepCharts charts;
    QChart* sigma = charts.chart(Quantity::Conductivity);
    QChart* eps_r = charts.chart(Quantity::DielectricConstant);
    scene.addItem(sigma);
    scene.addItem(eps_r);
    sigma->setGeometry(QRectF(0, 0, picture_width, sigma_height));
    eps_r->setGeometry(QRectF(0, sigma_height, picture_width, eps_r_height));
    charts.set_result(result);
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents();
        align_plot_areas(sigma, eps_r);
    }
    QCoreApplication::processEvents();
    const QRectF area(0, 0, picture_width, sigma_height + eps_r_height);
    scene.setSceneRect(area);
    painter.fillRect(area, Qt::white);
    scene.render(&painter, area, area);
}

} // namespace

bool render_sweep_chart(const sweep::SweepResult& result, const std::string& path,
                        std::string& error) {
    const bool svg = ends_with(path, ".svg");
    if (!svg && !ends_with(path, ".png")) {
        error = "The chart was not saved: " + path + ": the name must end in .png or .svg.";
        return false;
    }

    // Charts are graphics widgets: they need a QApplication. A program without one (the
    // command-line program) gets one that draws offscreen and never opens a window.
    std::unique_ptr<QApplication> own_application;
    int argc = 1;
    char name[] = "ardenca";
    char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        own_application = std::make_unique<QApplication>(argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        error = "The chart was not saved: " + path + ": charts need a graphical application.";
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
