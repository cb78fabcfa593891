#include "report_pdf.h"

#include "sweep_chart_file.h"

#include <QApplication>
#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>
#include <memory>

namespace ardenca::report {

namespace {

constexpr int dpi = 300;
constexpr qreal mm = dpi / 25.4;          // device pixels per millimetre
constexpr qreal chart_layout_width = 820; // the charts' own pixels across the page
constexpr int most_rows = 12;             // per table, when the page has room
constexpr int fewest_rows = 5;            // before location tables are left out
const QColor ink(0x20, 0x20, 0x20);
const QColor faint(0x60, 0x60, 0x60);
const QColor rule(0xb0, 0xb0, 0xb0);
const QColor shade(0xf0, 0xf0, 0xf0);

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QFont font(qreal points, bool bold = false, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// Text set from the top of an area downwards, page after page; with no painter it only
// measures, so that the page can be fitted before anything is drawn.
class Flow {
  public:
    // ended_page(n) is called before a page of its own, the flow's n-th, is left for the
    // next one (the page's footer).
    Flow(QPdfWriter& writer, QPainter* painter, QRectF area,
         std::function<void(int)> ended_page = {})
        : writer_(writer), painter_(painter), area_(area), y_(area.top()),
          ended_page_(std::move(ended_page)) {}

    qreal y() const { return y_; }
    qreal bottom() const { return area_.bottom(); }
    int pages() const { return pages_; }
    void skip(qreal height) { y_ += height; }

    // The height text takes in a column of the given width.
    qreal height_of(const QString& text, const QFont& f, qreal width) const {
        return QFontMetricsF(f, &writer_)
            .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text)
            .height();
    }

    // Starts a new page unless height fits below y.
    void keep(qreal height) {
        if (y_ + height <= area_.bottom() || y_ == area_.top())
            return;
        if (painter_) {
            if (ended_page_)
                ended_page_(pages_);
            writer_.newPage();
        }
        ++pages_;
        y_ = area_.top();
    }

    // A paragraph across the area, indented from its left edge.
    void paragraph(const QString& text, const QFont& f, const QColor& colour = ink,
                   qreal indent = 0, qreal after = 1 * mm) {
        const qreal width = area_.width() - indent;
        const qreal h = height_of(text, f, width);
        keep(h);
        draw(QRectF(area_.left() + indent, y_, width, h), text, f, colour);
        y_ += h + after;
    }

    void heading(const QString& text) {
        const QFont f = font(11, true);
        // A heading does not stand alone at the foot of a page.
        keep(height_of(text, f, area_.width()) + 12 * mm);
        y_ += 2 * mm;
        paragraph(text, f, ink, 0, 1.5 * mm);
    }

    // Label and value side by side, the value wrapped in its column.
    void pair(const QString& label, const QString& value, qreal label_width) {
        const QFont f = font(8.5);
        const QFont bold = font(8.5, true);
        const qreal width = area_.width() - label_width;
        const qreal h = std::max(height_of(label, bold, label_width), height_of(value, f, width));
        keep(h);
        draw(QRectF(area_.left(), y_, label_width, h), label, bold, ink);
        draw(QRectF(area_.left() + label_width, y_, width, h), value, f, ink);
        y_ += h + 0.6 * mm;
    }

    // A table; its note too unless the notes are told once for all tables.
    void table(const exports::ReportTable& t, bool with_note) {
        static constexpr qreal share[] = {0.13, 0.27, 0.22, 0.38};
        const QFont f = font(8);
        const QFont bold = font(8, true);
        const qreal pad = 0.6 * mm;
        const auto row_height = [&](const std::vector<std::string>& cells, const QFont& cf) {
            qreal h = 0;
            for (std::size_t c = 0; c < cells.size() && c < 4; ++c)
                h = std::max(h, height_of(q(cells[c]), cf, share[c] * area_.width() - 2 * pad));
            return h + 2 * pad;
        };
        const auto draw_row = [&](const std::vector<std::string>& cells, const QFont& cf,
                                  bool shaded) {
            const qreal h = row_height(cells, cf);
            keep(h);
            if (painter_ && shaded)
                painter_->fillRect(QRectF(area_.left(), y_, area_.width(), h), shade);
            qreal x = area_.left();
            for (std::size_t c = 0; c < cells.size() && c < 4; ++c) {
                const qreal w = share[c] * area_.width();
                draw(QRectF(x + pad, y_ + pad, w - 2 * pad, h - 2 * pad), q(cells[c]), cf, ink);
                x += w;
            }
            y_ += h;
        };
        // The title, its note, the headings and a first row stay together.
        keep(height_of(q(t.title), font(9.5, true), area_.width()) +
             (with_note ? height_of(q(t.note), font(8, false, true), area_.width()) : 0) +
             row_height(t.headings, bold) + 3 * row_height({"1"}, f));
        paragraph(q(t.title), font(9.5, true), ink, 0, 0.5 * mm);
        if (with_note)
            paragraph(q(t.note), font(8, false, true), faint, 0, 0.8 * mm);
        draw_row(t.headings, bold, false);
        if (painter_) {
            painter_->setPen(QPen(rule, 0.25 * mm));
            painter_->drawLine(QPointF(area_.left(), y_), QPointF(area_.right(), y_));
        }
        for (std::size_t r = 0; r < t.rows.size(); ++r)
            draw_row(t.rows[r], f, r % 2 == 1);
        y_ += 3 * mm;
    }

    // The charts fill the rest of the page.
    void charts(const sweep::SweepResult& result) {
        const QRectF target(area_.left(), y_, area_.width(), area_.bottom() - y_);
        if (painter_ && target.height() > 20 * mm) {
            const QSizeF layout(chart_layout_width,
                                chart_layout_width * target.height() / target.width());
            painter_->save();
            charts::draw_sweep_charts(result, *painter_, target, layout, true);
            painter_->restore();
        }
        y_ = area_.bottom();
    }

  private:
    void draw(const QRectF& box, const QString& text, const QFont& f, const QColor& colour) {
        if (!painter_)
            return;
        painter_->setFont(f);
        painter_->setPen(colour);
        painter_->drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    }

    QPdfWriter& writer_;
    QPainter* painter_;
    QRectF area_;
    qreal y_;
    std::function<void(int)> ended_page_;
    int pages_ = 1;
};

void first_page(Flow& flow, const exports::ReportText& text, const sweep::SweepResult& result,
                QPdfWriter& writer) {
    flow.paragraph(q(text.title), font(15, true), ink, 0, 1 * mm);
    flow.paragraph(q(text.stamp), font(9), faint, 0, 3 * mm);
    flow.heading(QObject::tr("Set-up"));
    qreal label_width = 0;
    for (const auto& [label, value] : text.setup)
        label_width = std::max(label_width,
                               QFontMetricsF(font(8.5, true), &writer).horizontalAdvance(q(label)));
    for (const auto& [label, value] : text.setup)
        flow.pair(q(label), q(value), label_width + 4 * mm);
    flow.skip(2 * mm);
    flow.charts(result);
}

// The second page's text; says how many tables it left out for space.
void second_page(Flow& flow, const exports::ReportText& text, std::size_t left_out) {
    flow.heading(QObject::tr("Ground values"));
    // One note for all tables when they are at the same frequencies.
    const bool same_note =
        std::all_of(text.tables.begin(), text.tables.end(),
                    [&](const exports::ReportTable& t) { return t.note == text.tables[0].note; });
    if (text.tables.empty())
        flow.paragraph(QObject::tr("No sweep was read."), font(8.5));
    else if (same_note)
        flow.paragraph(q(text.tables[0].note), font(8, false, true), faint, 0, 1.5 * mm);
    for (const exports::ReportTable& table : text.tables)
        flow.table(table, !same_note);
    if (left_out > 0)
        flow.paragraph(QObject::tr("Tables of %n more location(s) are left out for space; the "
                                   "CSV and JSON exports hold every point.",
                                   nullptr, static_cast<int>(left_out)),
                       font(8, false, true), faint);
    flow.heading(QObject::tr("Soil model"));
    for (const std::string& fit : text.fits)
        flow.paragraph(q(fit), font(8.5));
    flow.heading(QObject::tr("Flags"));
    if (text.flags.empty())
        flow.paragraph(QObject::tr("No point is flagged."), font(8.5));
    for (const exports::ReportFlag& flag : text.flags) {
        flow.paragraph(q(flag.name), font(8.5, true), ink, 0, 0.3 * mm);
        flow.paragraph(q(flag.meaning + ' ' + flag.what_to_do), font(8.5), ink, 4 * mm, 0.3 * mm);
        flow.paragraph(QObject::tr("Where: ") + q(flag.where), font(8, false, true), faint, 4 * mm,
                       1.5 * mm);
    }
}

void footer(QPainter& painter, const QRectF& page, const exports::ReportText& text, int number,
            int count) {
    painter.setFont(font(7.5));
    painter.setPen(faint);
    painter.drawText(page, Qt::AlignLeft | Qt::AlignBottom, q(text.stamp));
    painter.drawText(page, Qt::AlignRight | Qt::AlignBottom,
                     QObject::tr("Page %1 of %2").arg(number).arg(count));
}

} // namespace

bool write_sweep_report(const sweep::SweepResult& result, const exports::ReportInfo& info,
                        const std::string& path, std::string& error) {
    std::unique_ptr<QApplication> own_application;
    if (!charts::gui_application(own_application, error)) {
        error = "The report was not saved: " + path + ": " + error + '.';
        return false;
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(dpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
        writer.setTitle(QObject::tr("Ground conductivity and dielectric constant"));
        writer.setCreator(QStringLiteral("Ardenca ") + q(info.program_version));
        const QRect paint = writer.pageLayout().paintRectPixels(dpi);
        const QRectF page(0, 0, paint.width(), paint.height());
        const QRectF area = page.adjusted(0, 0, 0, -7 * mm); // the footer below

        // The most rows per table, then the most location tables, that keep the second
        // page to one page.
        exports::ReportText text;
        std::size_t left_out = 0;
        for (int rows = most_rows; rows >= fewest_rows; --rows) {
            text = exports::report_text(result, info, rows);
            Flow measure(writer, nullptr, area);
            second_page(measure, text, 0);
            if (measure.pages() == 1)
                break;
        }
        const std::size_t locations = result.locations.size();
        while (left_out < locations) {
            Flow measure(writer, nullptr, area);
            second_page(measure, text, left_out);
            if (measure.pages() == 1)
                break;
            ++left_out;
            text.tables.erase(text.tables.begin() +
                              static_cast<std::ptrdiff_t>(locations - left_out));
        }
        Flow measure(writer, nullptr, area);
        second_page(measure, text, left_out);
        const int count = 1 + measure.pages();

        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "The report was not saved: " + path + ": the PDF could not be started.";
            return false;
        }
        Flow one(writer, &painter, area);
        first_page(one, text, result, writer);
        footer(painter, page, text, 1, count);
        writer.newPage();
        // The second page's text runs on only when even its fewest tables do not fit.
        Flow two(writer, &painter, area, [&](int n) { footer(painter, page, text, 1 + n, count); });
        second_page(two, text, left_out);
        footer(painter, page, text, count, count);
        painter.end();
    }
    buffer.close();
    return charts::save_bytes(path, bytes, error);
}

} // namespace ardenca::report
