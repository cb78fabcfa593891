#include "csv_reader.h"

#include "csv_columns.h"
#include "network_math.h"
#include "sweep_builder.h"
#include "sweep_file_error.h"
#include "text_scan.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ardenca::sweep {

namespace {

constexpr double pi = 3.141592653589793;

char separator_of(std::string_view line) {
    if (line.find('\t') != std::string_view::npos)
        return '\t';
    if (line.find(';') != std::string_view::npos)
        return ';';
    return ',';
}

// A cell without blanks around it and without the double quotes some programs add.
std::string_view clean_cell(std::string_view cell) {
    cell = trim_blanks(cell);
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
        cell = trim_blanks(cell.substr(1, cell.size() - 2));
    return cell;
}

// A header, a title or a setting with more fields than this is no sweep's header; the
// bound keeps a line of separators from taking many times its size in memory.
constexpr std::size_t max_header_fields = 4096;

// The number of the line's fields, one empty field after a trailing separator not
// counted.
std::size_t count_fields(std::string_view line, char separator) {
    const std::size_t n =
        1 + static_cast<std::size_t>(std::count(line.begin(), line.end(), separator));
    const std::size_t last = line.rfind(separator);
    if (n > 1 && clean_cell(line.substr(last + 1)).empty())
        return n - 1;
    return n;
}

// The line's cells, at most max_cells of them; one empty cell after a trailing
// separator is dropped. False when the line has more.
bool split_cells(std::string_view line, char separator, std::vector<std::string_view>& cells,
                 std::size_t max_cells) {
    cells.clear();
    if (count_fields(line, separator) > max_cells)
        return false;
    while (true) {
        const std::size_t at = line.find(separator);
        cells.push_back(clean_cell(line.substr(0, at)));
        if (at == std::string_view::npos)
            break;
        line.remove_prefix(at + 1);
    }
    if (cells.size() > 1 && cells.back().empty())
        cells.pop_back();
    return true;
}

// Comment lines, and the BEGIN ... / END lines some programs put around their data.
bool is_skipped(std::string_view t) {
    if (t.empty() || t.front() == '!' || t.front() == '#')
        return true;
    std::size_t letters = 0;
    while (letters < t.size() &&
           ((t[letters] >= 'a' && t[letters] <= 'z') || (t[letters] >= 'A' && t[letters] <= 'Z')))
        ++letters;
    const std::string_view first = t.substr(0, letters);
    return equals_ignoring_case(first, "begin") || equals_ignoring_case(first, "end");
}

bool all_numbers(const std::vector<std::string_view>& cells, char separator) {
    for (std::string_view cell : cells) {
        double v = 0;
        std::string copy(cell);
        if (separator != ',')
            std::replace(copy.begin(), copy.end(), ',', '.');
        if (!read_number(copy, v))
            return false;
    }
    return true;
}

std::string no_columns_reason(const CsvColumns& c) {
    if (c.swr || c.return_loss)
        return "the file gives SWR or return loss but neither the reactance nor the phase: SWR "
               "and return loss carry no sign of the reactance, so no impedance follows from "
               "them";
    return "no impedance columns: expected the frequency with R and X, the real and imaginary "
           "parts of S11, or |S11| (dB or linear) and its phase";
}

bool usable(const CsvColumns& c) {
    return c.freq >= 0 &&
           ((c.r >= 0 && c.x >= 0) || (c.re >= 0 && c.im >= 0) || (c.mag >= 0 && c.phase >= 0));
}

class CsvReader {
  public:
    CsvReader(std::string_view text, const std::string& path, const CsvOptions& options)
        : text_(text), options_(options), builder_(sweep_) {
        sweep_.path = path;
        sweep_.format = FileFormat::Csv;
        sweep_.ports = 1;
    }

    Sweep run();

  private:
    [[noreturn]] void fail(std::size_t line, const std::string& reason) const {
        throw SweepFileError(sweep_.path, line, reason);
    }
    void take_header(const CsvColumns& columns, std::size_t line);
    double number(std::size_t column, std::size_t line);
    void on_data(std::size_t line);

    std::string_view text_;
    CsvOptions options_;
    Sweep sweep_;
    SweepBuilder builder_;

    char separator_ = ',';
    CsvColumns columns_;
    std::size_t header_line_ = 0;
    std::size_t header_fields_ = 0;
    std::vector<std::string_view> cells_;
    std::string buffer_;
    double hz_per_unit_ = 1;
    enum class Kind { Impedance, ReIm, MagPhase } kind_ = Kind::Impedance;
    std::size_t first_ = 0, second_ = 0; // the two value columns
};

void CsvReader::take_header(const CsvColumns& c, std::size_t line) {
    columns_ = c;
    header_line_ = line;
    if (c.r >= 0 && c.x >= 0) {
        kind_ = Kind::Impedance;
        first_ = static_cast<std::size_t>(c.r);
        second_ = static_cast<std::size_t>(c.x);
        sweep_.parameter = std::string("Z");
        sweep_.data_format = std::string("RI");
    } else if (c.re >= 0 && c.im >= 0) {
        kind_ = Kind::ReIm;
        first_ = static_cast<std::size_t>(c.re);
        second_ = static_cast<std::size_t>(c.im);
        sweep_.parameter = std::string("S");
        sweep_.data_format = std::string("RI");
    } else {
        kind_ = Kind::MagPhase;
        first_ = static_cast<std::size_t>(c.mag);
        second_ = static_cast<std::size_t>(c.phase);
        sweep_.parameter = std::string("S");
        sweep_.data_format = std::string(c.mag_db ? "DB" : "MA");
    }
    std::optional<FreqUnit> unit = c.unit;
    if (unit && options_.freq_unit && *unit != *options_.freq_unit)
        sweep_.warnings.push_back("the frequency unit in the header is used, not the one given");
    if (!unit)
        unit = options_.freq_unit;
    if (!unit)
        fail(line, "the frequency column's name gives no unit (Hz, kHz, MHz or GHz), and no "
                   "unit was given for this file");
    hz_per_unit_ = hz_per_unit(*unit);
}

double CsvReader::number(std::size_t column, std::size_t line) {
    if (column >= cells_.size())
        fail(line, std::to_string(cells_.size()) + " field(s), but column " +
                       std::to_string(column + 1) + " of the header (line " +
                       std::to_string(header_line_) + ") is needed");
    std::string_view cell = cells_[column];
    if (cell.empty())
        fail(line, "field " + std::to_string(column + 1) + " is empty where a number belongs");
    if (separator_ != ',' && cell.find(',') != std::string_view::npos) {
        // A decimal comma, allowed when the comma does not separate fields.
        buffer_.assign(cell);
        if (std::count(buffer_.begin(), buffer_.end(), ',') == 1 &&
            buffer_.find('.') == std::string::npos)
            std::replace(buffer_.begin(), buffer_.end(), ',', '.');
        cell = buffer_;
    }
    double value = 0;
    if (!read_number(cell, value))
        fail(line, why_not_a_number(cells_[column]));
    return value;
}

void CsvReader::on_data(std::size_t line) {
    const double f = number(static_cast<std::size_t>(columns_.freq), line) * hz_per_unit_;
    builder_.check_frequency(f, cells_[static_cast<std::size_t>(columns_.freq)], line);
    const double a = number(first_, line), b = number(second_, line);
    Impedance z;
    const double z0 = options_.z0_ohm;
    switch (kind_) {
    case Kind::Impedance:
        z = {{a, b}, false};
        break;
    case Kind::ReIm:
        z = one_port_impedance(Parameter::S, {a, b}, z0);
        break;
    case Kind::MagPhase: {
        const double magnitude = columns_.mag_db ? std::pow(10.0, a / 20) : a;
        const double phase_deg = columns_.phase_rad ? b * (180 / pi) : b;
        builder_.check_polar(a, !columns_.mag_db, phase_deg, line);
        const Complex s = polar_deg(magnitude, phase_deg);
        if (!std::isfinite(s.real()) || !std::isfinite(s.imag()))
            fail(line, "the magnitude " + quoted(cells_[first_]) + " is too large");
        z = one_port_impedance(Parameter::S, s, z0);
        break;
    }
    }
    builder_.add(f, z, line);
}

Sweep CsvReader::run() {
    if (!(options_.z0_ohm > 0) || !std::isfinite(options_.z0_ohm))
        fail(0, "the reference resistance must be a positive number of ohms");
    sweep_.r_ohm = options_.z0_ohm;
    sweep_.port_r_ohm = {options_.z0_ohm};

    LineSplitter lines(text_);
    std::string_view raw;
    bool have_header = false;
    std::optional<std::pair<CsvColumns, std::size_t>> unusable_header;
    struct CommentedHeader {
        CsvColumns columns;
        char separator;
        std::size_t line;
        std::size_t fields;
    };
    std::optional<CommentedHeader> commented_header;
    while (lines.next(raw)) {
        const std::size_t line = lines.number();
        const std::string_view t = trim_blanks(raw);
        if (is_skipped(t)) {
            // Some programs comment their header out: kept in case no other comes.
            if (!have_header && !commented_header && !t.empty() &&
                (t.front() == '#' || t.front() == '!')) {
                const std::string_view body = trim_blanks(t.substr(1));
                const char separator = separator_of(body);
                const bool fits = split_cells(body, separator, cells_, max_header_fields);
                const CsvColumns c = classify_columns(cells_);
                if (fits && cells_.size() >= 2 && usable(c))
                    commented_header.emplace(CommentedHeader{c, separator, line, cells_.size()});
            }
            continue;
        }
        if (!have_header) {
            const char separator = separator_of(t);
            if (!split_cells(t, separator, cells_, max_header_fields))
                fail(line, std::to_string(count_fields(t, separator)) +
                               " fields before any header: no sweep has that many columns");
            const bool numbers = all_numbers(cells_, separator);
            if (numbers && commented_header) {
                separator_ = commented_header->separator;
                take_header(commented_header->columns, commented_header->line);
                header_fields_ = commented_header->fields;
                have_header = true; // and this line is its first point
            } else if (numbers) {
                if (unusable_header)
                    fail(unusable_header->second, no_columns_reason(unusable_header->first));
                fail(line, "data before a header line naming the columns (frequency, R, X or "
                           "S11)");
            } else {
                const CsvColumns c = classify_columns(cells_);
                if (cells_.size() < 2 || c.freq < 0)
                    continue; // a title or a setting
                if (!usable(c)) {
                    if (!unusable_header)
                        unusable_header.emplace(c, line);
                    continue;
                }
                separator_ = separator;
                take_header(c, line);
                header_fields_ = cells_.size();
                have_header = true;
                continue;
            }
        }
        if (!split_cells(t, separator_, cells_, header_fields_)) {
            // More fields than the header names: with commas between the fields, most
            // likely numbers written with a decimal comma.
            fail(line,
                 std::to_string(count_fields(t, separator_)) + " fields where the header names " +
                     std::to_string(header_fields_) +
                     (separator_ == ',' ? " (a decimal comma in a comma-separated file?)" : ""));
        }
        if (std::all_of(cells_.begin(), cells_.end(), [](std::string_view c) { return c.empty(); }))
            continue;
        on_data(line);
    }
    if (!have_header) {
        if (unusable_header)
            fail(unusable_header->second, no_columns_reason(unusable_header->first));
        fail(0, "no header line naming the columns (frequency, R, X or S11)");
    }
    builder_.finish();
    return std::move(sweep_);
}

} // namespace

Sweep read_csv(std::string_view text, const std::string& path, const CsvOptions& options) {
    if (text.size() > max_file_bytes)
        throw SweepFileError(path, 0, "the file is larger than 64 MiB");
    return CsvReader(text, path, options).run();
}

} // namespace ardenca::sweep
