// The sweep charts as a picture file, for reports and for ardenca-cli sweep --plot:
// σ and εr against frequency, drawn offscreen (no display needed) and written through
// the atomic writer.
#pragma once

#include "sweep/sweep_result.h"

#include <QRectF>
#include <QSizeF>

#include <memory>
#include <string>

QT_BEGIN_NAMESPACE
class QApplication;
class QByteArray;
class QPainter;
QT_END_NAMESPACE

namespace ardenca::charts {

// Given a sweep result, writes its charts to path as PNG or SVG, chosen by the name's
// ending (.png, .svg, any case). Returns false with a sentence for the user in error
// when the name has another ending or the file cannot be written; an existing file is
// replaced only by a complete new one. Must run on the program's main thread; starts
// an offscreen Qt application when the program has none.
bool render_sweep_chart(const sweep::SweepResult& result, const std::string& path,
                        std::string& error);

// Given a sweep result, draws its charts (σ above εr) into target on the painter: laid out
// at the layout size (its fonts keep their pixel size there) and scaled to the target.
// With wrapped_legend the legend's entries wrap onto as many rows as they need instead of
// being cut short on one. Needs a QApplication (gui_application).
void draw_sweep_charts(const sweep::SweepResult& result, QPainter& painter, const QRectF& target,
                       QSizeF layout, bool wrapped_legend = false);

// Given the bytes of a finished picture or document, writes them to path through the
// atomic writer: false with the writer's sentence in error when it cannot.
bool save_bytes(const std::string& path, const QByteArray& bytes, std::string& error);

// Charts are graphics widgets and need a QApplication. When the program has none (the
// command-line program), starts one in `own` that draws offscreen and never opens a
// window; false with a reason in error when another kind of application runs.
bool gui_application(std::unique_ptr<QApplication>& own, std::string& error);

} // namespace ardenca::charts
