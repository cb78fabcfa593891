#include "touchstone_reader.h"

#include "freq_unit.h"
#include "network_math.h"
#include "sweep_builder.h"
#include "sweep_file_error.h"
#include "text_scan.h"

#include "files/decimal_text.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace ardenca::sweep {

namespace {

const char* parameter_name(Parameter p) {
    switch (p) {
    case Parameter::S:
        return "S";
    case Parameter::Y:
        return "Y";
    case Parameter::Z:
        return "Z";
    case Parameter::H:
        return "H";
    case Parameter::G:
        return "G";
    }
    return "";
}

const char* format_name(PairFormat f) {
    switch (f) {
    case PairFormat::RI:
        return "RI";
    case PairFormat::MA:
        return "MA";
    case PairFormat::DB:
        return "DB";
    }
    return "";
}

// The option line's fields, with their defaults.
struct OptionLine {
    FreqUnit unit = FreqUnit::GHz;
    Parameter parameter = Parameter::S;
    PairFormat format = PairFormat::MA;
    double r_ohm = 50;
};

enum class Section { Header, Network, Information, Noise, Ended };
enum class MatrixFormat { Full, Lower, Upper };

// A keyword line "[Name] argument": the name in lower case with single blanks.
struct Keyword {
    std::string name;
    std::string_view argument;
};

std::optional<Keyword> split_keyword(std::string_view line) {
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    Keyword k;
    std::string_view inside = line.substr(1, close - 1);
    for (std::string_view w = next_word(inside); !w.empty(); w = next_word(inside)) {
        if (!k.name.empty())
            k.name += ' ';
        k.name += ascii_lower(w);
    }
    k.argument = trim_blanks(line.substr(close + 1));
    return k;
}

class Reader {
  public:
    Reader(std::string_view text, const std::string& path) : text_(text), builder_(sweep_) {
        sweep_.path = path;
        sweep_.format = FileFormat::Touchstone;
    }

    Sweep run();

  private:
    [[noreturn]] void fail(std::size_t line, const std::string& reason) const {
        throw SweepFileError(sweep_.path, line, reason);
    }

    void on_option_line(std::string_view body, std::size_t line);
    void on_keyword(std::string_view text, std::size_t line);
    void on_data(std::string_view text, std::size_t line);
    void on_reference_numbers(std::string_view text, std::size_t line);

    std::size_t whole_number(std::string_view argument, const std::string& keyword,
                             std::size_t line) const;
    void check_parameter_fits_ports(std::size_t line) const;
    void infer_ports(std::size_t count, std::size_t line);
    void settle_references();
    void start_network(std::size_t line);
    void end_network();
    void emit_point();
    Complex pair(std::size_t index);

    std::string_view text_;
    Sweep sweep_;
    SweepBuilder builder_;

    int version_ = 1;
    Section section_ = Section::Network; // version 1 files are all network data
    Section after_information_ = Section::Header;
    bool data_seen_ = false;

    std::optional<OptionLine> options_;
    double hz_per_unit_ = 1e9;

    int ports_ = 0; // 0 until [Number of Ports] or a version 1 file's first point
    std::size_t ports_line_ = 0;
    bool ports_from_keyword_ = false;
    std::optional<std::size_t> frequencies_;
    std::size_t frequencies_line_ = 0;
    std::vector<double> reference_;
    std::size_t reference_line_ = 0;
    bool reference_pending_ = false;
    MatrixFormat matrix_ = MatrixFormat::Full;
    bool order_12_21_ = false;
    bool order_given_ = false;
    bool network_started_ = false;
    bool references_settled_ = false;
    double r1_ohm_ = 50, r2_ohm_ = 50;

    // The point being read: its numbers so far, where it started.
    std::size_t point_size_ = 0; // numbers per point; 0 until known
    std::array<double, 9> point_{};
    std::size_t have_ = 0;
    std::size_t point_line_ = 0;
    std::string_view point_freq_word_;
    bool check_first_continuation_ = false;
    std::vector<double> numbers_;
    std::size_t ignored_option_lines_ = 0;
    std::size_t first_ignored_option_line_ = 0;
};

void Reader::on_option_line(std::string_view body, std::size_t line) {
    if (options_) {
        if (ignored_option_lines_++ == 0)
            first_ignored_option_line_ = line;
        return;
    }
    OptionLine o;
    bool unit = false, parameter = false, format = false, r = false;
    auto once = [&](bool& seen, std::string_view word, const char* what) {
        if (seen)
            fail(line,
                 "the option line gives " + std::string(what) + " twice (" + quoted(word) + ")");
        seen = true;
    };
    for (std::string_view w = next_word(body); !w.empty(); w = next_word(body)) {
        if (const auto u = freq_unit_from_name(w)) {
            once(unit, w, "the frequency unit");
            o.unit = *u;
            continue;
        }
        const std::string lower = ascii_lower(w);
        static constexpr std::array<std::pair<const char*, Parameter>, 5> parameters{
            {{"s", Parameter::S},
             {"y", Parameter::Y},
             {"z", Parameter::Z},
             {"h", Parameter::H},
             {"g", Parameter::G}}};
        static constexpr std::array<std::pair<const char*, PairFormat>, 3> formats{
            {{"ri", PairFormat::RI}, {"ma", PairFormat::MA}, {"db", PairFormat::DB}}};
        bool known = false;
        for (const auto& [name, p] : parameters)
            if (lower == name) {
                once(parameter, w, "the parameter");
                o.parameter = p;
                known = true;
            }
        for (const auto& [name, f] : formats)
            if (lower == name) {
                once(format, w, "the format");
                o.format = f;
                known = true;
            }
        if (known)
            continue;
        if (lower == "r" || (lower[0] == 'r' && text::is_decimal(w.substr(1)))) {
            once(r, w, "the reference resistance R");
            const std::string_view value_word = lower == "r" ? next_word(body) : w.substr(1);
            if (value_word.empty())
                fail(line, "R on the option line has no resistance after it");
            double value = 0;
            if (!read_number(value_word, value))
                fail(line, "R on the option line: " + why_not_a_number(value_word));
            if (!(value > 0))
                fail(line,
                     "the reference resistance R " + quoted(value_word) + " must be positive");
            o.r_ohm = value;
            continue;
        }
        fail(line, quoted(w) +
                       " on the option line: expected a frequency unit (Hz, kHz, MHz, GHz), a "
                       "parameter (S, Y, Z, H, G), a format (RI, MA, DB) or R and the reference "
                       "resistance");
    }
    options_ = o;
    hz_per_unit_ = hz_per_unit(o.unit);
    sweep_.parameter = std::string(parameter_name(o.parameter));
    sweep_.data_format = std::string(format_name(o.format));
    sweep_.r_ohm = o.r_ohm;
    if (ports_from_keyword_)
        check_parameter_fits_ports(line);
}

void Reader::check_parameter_fits_ports(std::size_t line) const {
    if (ports_ == 1 && options_ &&
        (options_->parameter == Parameter::H || options_->parameter == Parameter::G))
        fail(line, std::string(parameter_name(options_->parameter)) +
                       " parameters describe a two-port, but this file is a one-port");
}

std::size_t Reader::whole_number(std::string_view argument, const std::string& keyword,
                                 std::size_t line) const {
    std::string_view rest = argument;
    const std::string_view word = next_word(rest);
    double value = 0;
    if (word.empty() || !trim_blanks(rest).empty() || !read_number(word, value) ||
        value != std::floor(value) || value < 0 || value > 1e15)
        fail(line, "[" + keyword + "] needs one whole number, not " + quoted(argument));
    return static_cast<std::size_t>(value);
}

void Reader::on_keyword(std::string_view text, std::size_t line) {
    const auto keyword = split_keyword(text);
    if (!keyword)
        fail(line, "a keyword without its closing ']': " + quoted(text));
    const std::string& name = keyword->name;
    const std::string_view arg = keyword->argument;

    if (name == "version") {
        if (version_ == 2)
            fail(line, "a second [Version]");
        if (data_seen_)
            fail(line, "[Version] must come before the data");
        double v = 0;
        if (!read_number(arg, v) || (v != 2.0 && v != 2.1))
            fail(line, "[Version] " + quoted(arg) + ": the versions read are 2.0 and 2.1");
        version_ = 2;
        sweep_.version = std::string(v == 2.0 ? "2.0" : "2.1");
        section_ = Section::Header;
        return;
    }
    if (version_ == 1)
        fail(line, "the keyword [" + printable(text.substr(1, text.find(']') - 1)) +
                       "] belongs to version 2 files, which start with [Version] 2.0");

    if (section_ == Section::Network)
        end_network();
    const bool in_header = section_ == Section::Header;
    auto header_only = [&] {
        if (!in_header)
            fail(line, "[" + printable(name) + "] after the network data");
    };

    if (name == "number of ports") {
        header_only();
        if (ports_from_keyword_)
            fail(line, "a second [Number of Ports]");
        const std::size_t n = whole_number(arg, "Number of Ports", line);
        if (n == 0)
            fail(line, "[Number of Ports] must be at least 1");
        if (n > 2)
            fail(line, std::to_string(n) +
                           " ports: more ports than two; only one- and two-port files are read");
        ports_ = static_cast<int>(n);
        ports_line_ = line;
        ports_from_keyword_ = true;
        check_parameter_fits_ports(line);
    } else if (name == "two-port data order") {
        header_only();
        if (equals_ignoring_case(arg, "12_21"))
            order_12_21_ = true;
        else if (equals_ignoring_case(arg, "21_12"))
            order_12_21_ = false;
        else
            fail(line, "[Two-Port Data Order] must be 12_21 or 21_12, not " + quoted(arg));
        order_given_ = true;
    } else if (name == "number of frequencies") {
        header_only();
        if (frequencies_)
            fail(line, "a second [Number of Frequencies]");
        const std::size_t n = whole_number(arg, "Number of Frequencies", line);
        if (n == 0)
            fail(line, "[Number of Frequencies] must be at least 1");
        if (n > max_points)
            fail(line, "[Number of Frequencies] " + std::to_string(n) +
                           ": a sweep may have at most 1000000 points");
        frequencies_ = n;
        frequencies_line_ = line;
    } else if (name == "number of noise frequencies") {
        header_only();
    } else if (name == "reference") {
        header_only();
        if (reference_line_ != 0)
            fail(line, "a second [Reference]");
        reference_line_ = line;
        on_reference_numbers(arg, line);
        reference_pending_ = ports_ > 0 && reference_.size() < static_cast<std::size_t>(ports_);
    } else if (name == "matrix format") {
        header_only();
        if (equals_ignoring_case(arg, "full"))
            matrix_ = MatrixFormat::Full;
        else if (equals_ignoring_case(arg, "lower"))
            matrix_ = MatrixFormat::Lower;
        else if (equals_ignoring_case(arg, "upper"))
            matrix_ = MatrixFormat::Upper;
        else
            fail(line, "[Matrix Format] must be Full, Lower or Upper, not " + quoted(arg));
    } else if (name == "mixed-mode order") {
        fail(line, "mixed-mode data are not read");
    } else if (name == "begin information") {
        after_information_ = section_;
        section_ = Section::Information;
    } else if (name == "end information") {
        // An end without its beginning closes nothing.
    } else if (name == "network data") {
        if (network_started_)
            fail(line, "a second [Network Data]");
        header_only();
        start_network(line);
    } else if (name == "noise data") {
        section_ = Section::Noise;
    } else if (name == "end") {
        section_ = Section::Ended;
    } else {
        sweep_.warnings.push_back("the keyword [" + printable(name) + "] on line " +
                                  std::to_string(line) + " is not known and was ignored");
    }
}

void Reader::on_reference_numbers(std::string_view text, std::size_t line) {
    for (std::string_view w = next_word(text); !w.empty(); w = next_word(text)) {
        double r = 0;
        if (!read_number(w, r))
            fail(line, "[Reference]: " + why_not_a_number(w));
        if (!(r > 0))
            fail(line, "[Reference]: the resistance " + quoted(w) + " must be positive");
        reference_.push_back(r);
        if (reference_.size() > 2)
            fail(line, "[Reference] gives more resistances than the file has ports");
    }
}

void Reader::start_network(std::size_t line) {
    if (!ports_from_keyword_)
        fail(line, "[Network Data] before [Number of Ports]");
    network_started_ = true;
    section_ = Section::Network;
    point_size_ = ports_ == 1 ? 3 : matrix_ == MatrixFormat::Full ? 9 : 7;
    if (!reference_.empty() && reference_.size() != static_cast<std::size_t>(ports_))
        fail(reference_line_, "[Reference] gives " + std::to_string(reference_.size()) +
                                  " resistance(s) for " + std::to_string(ports_) + " port(s)");
    if (ports_ == 2 && matrix_ == MatrixFormat::Full && !order_given_)
        sweep_.warnings.push_back("a two-port file without [Two-Port Data Order]: read as 21_12 "
                                  "(S11 S21 S12 S22), the order of version 1 files");
}

void Reader::end_network() {
    if (have_ > 0)
        fail(point_line_, "this point has " + std::to_string(have_) + " numbers, but a point of " +
                              "this file has " + std::to_string(point_size_) +
                              ": the count of numbers is not a whole number of points");
    if (frequencies_ && builder_.size() < *frequencies_)
        fail(frequencies_line_, "[Number of Frequencies] says " + std::to_string(*frequencies_) +
                                    ", but the network data hold " +
                                    std::to_string(builder_.size()) + " point(s)");
    if (section_ == Section::Network)
        section_ = Section::Header;
}

void Reader::infer_ports(std::size_t count, std::size_t line) {
    if (count == 3) {
        ports_ = 1;
    } else if (count == 9) {
        ports_ = 2;
        check_first_continuation_ = true;
    } else if (count == 5) {
        ports_ = 2; // a two-port written two pairs to a line
    } else if (count == 7) {
        fail(line, "7 numbers on the first data line: this is a three-port file; only one- "
                   "and two-port files are read");
    } else {
        fail(line, std::to_string(count) +
                       " numbers on the first data line: a one-port point is 3 numbers "
                       "(frequency and one pair), a two-port point 9 (frequency and four pairs)");
    }
    ports_line_ = line;
    point_size_ = ports_ == 1 ? 3 : 9;
    check_parameter_fits_ports(line);
}

void Reader::settle_references() {
    references_settled_ = true;
    const double r = options_->r_ohm;
    if (reference_.empty())
        reference_.assign(static_cast<std::size_t>(ports_), r);
    r1_ohm_ = reference_[0];
    r2_ohm_ = reference_.size() > 1 ? reference_[1] : reference_[0];
    sweep_.r_ohm = r1_ohm_;
    sweep_.port_r_ohm = reference_;
    sweep_.ports = ports_;
}

void Reader::on_data(std::string_view text, std::size_t line) {
    data_seen_ = true;
    if (!options_)
        fail(line, "data before the option line ('# <unit> <parameter> <format> R <n>'), which "
                   "must come first");
    if (section_ != Section::Network && section_ != Section::Noise)
        fail(line, version_ == 2 && !network_started_ ? "numbers before [Network Data]"
                                                      : "numbers outside the network data");

    numbers_.clear();
    std::string_view rest = text;
    std::string_view first_word;
    for (std::string_view w = next_word(rest); !w.empty(); w = next_word(rest)) {
        double v = 0;
        if (!read_number(w, v))
            fail(line, why_not_a_number(w));
        if (numbers_.empty())
            first_word = w;
        numbers_.push_back(v);
    }
    if (section_ == Section::Noise)
        return;
    const std::size_t count = numbers_.size();

    if (check_first_continuation_) {
        check_first_continuation_ = false;
        if (count % 2 == 0)
            fail(ports_line_, "the first point continues on the next line: this file has more "
                              "ports than two; only one- and two-port files are read");
    }

    if (count % 2 == 1) { // a frequency and pairs: a new point
        if (have_ > 0)
            fail(point_line_, "this point has " + std::to_string(have_) +
                                  " numbers, but a point of this file has " +
                                  std::to_string(point_size_) +
                                  ": the count of numbers is not a whole number of points");
        if (point_size_ == 0)
            infer_ports(count, line);
        if (!references_settled_)
            settle_references();
        if (ports_ == 2 && builder_.size() > 0) {
            // Noise parameters, five numbers to a line, follow a two-port's network data,
            // starting at a lower frequency or the last one again. A network point there
            // is out of order.
            const double f = numbers_[0] * hz_per_unit_;
            const double last = builder_.last_freq_hz();
            if (count == 5 && f <= last) {
                end_network();
                section_ = Section::Noise;
                return;
            }
        }
        if (count > point_size_)
            fail(line, std::to_string(count) + " numbers on one line, but a point of this " +
                           (ports_ == 1 ? "one" : "two") + "-port file has " +
                           std::to_string(point_size_));
        if (frequencies_ && builder_.size() == *frequencies_)
            fail(line, "more points than [Number of Frequencies] says (" +
                           std::to_string(*frequencies_) + ")");
        std::copy(numbers_.begin(), numbers_.end(), point_.begin());
        have_ = count;
        point_line_ = line;
        point_freq_word_ = first_word;
    } else { // pairs continuing a point
        if (have_ == 0)
            fail(line, std::to_string(count) +
                           " numbers on this line: a point starts with its frequency, followed "
                           "by pairs of numbers" +
                           (point_size_ == 0 ? std::string()
                                             : ", " + std::to_string(point_size_) +
                                                   " numbers in all in this file"));
        if (have_ + count > point_size_)
            fail(line, "more numbers than a point of this file has (" +
                           std::to_string(point_size_) + ")");
        std::copy(numbers_.begin(), numbers_.end(), point_.begin() + have_);
        have_ += count;
    }
    if (have_ == point_size_)
        emit_point();
}

Complex Reader::pair(std::size_t index) {
    const double first = point_[1 + 2 * index], second = point_[2 + 2 * index];
    if (options_->format != PairFormat::RI)
        builder_.check_polar(first, options_->format == PairFormat::MA, second, point_line_);
    return pair_value(options_->format, first, second);
}

void Reader::emit_point() {
    have_ = 0;
    const double f = point_[0] * hz_per_unit_;
    builder_.check_frequency(f, point_freq_word_, point_line_);
    const Parameter parameter = options_->parameter;
    const bool normalised = version_ == 1;
    const double r = options_->r_ohm;
    auto too_large = [&] {
        fail(point_line_, "a value at this frequency is too large to be read");
    };
    if (ports_ == 1) {
        Complex v = pair(0);
        if (!std::isfinite(v.real()) || !std::isfinite(v.imag()))
            too_large();
        if (normalised && parameter == Parameter::Z)
            v *= r;
        else if (normalised && parameter == Parameter::Y)
            v /= r;
        builder_.add(f, one_port_impedance(parameter, v, r1_ohm_), point_line_);
        return;
    }
    SMatrix2 m;
    const Complex p0 = pair(0), p1 = pair(1), p2 = pair(2);
    switch (matrix_) {
    case MatrixFormat::Full: {
        const Complex p3 = pair(3);
        // Version 1 and 21_12 put N21 before N12.
        m = order_12_21_ ? SMatrix2{p0, p1, p2, p3} : SMatrix2{p0, p2, p1, p3};
        break;
    }
    case MatrixFormat::Lower: // N11 N21 N22
        m = {p0, p1, p1, p2};
        break;
    case MatrixFormat::Upper: // N11 N12 N22
        m = {p0, p1, p1, p2};
        break;
    }
    for (const Complex& c : m)
        if (!std::isfinite(c.real()) || !std::isfinite(c.imag()))
            too_large();
    if (normalised) {
        // Version 1 gives impedances in units of R and admittances in units of 1/R.
        const auto scale = [&](Complex& c, bool impedance) { c = impedance ? c * r : c / r; };
        switch (parameter) {
        case Parameter::Z:
        case Parameter::Y:
            for (Complex& c : m)
                scale(c, parameter == Parameter::Z);
            break;
        case Parameter::H: // h11 an impedance, h22 an admittance
            scale(m[0], true);
            scale(m[3], false);
            break;
        case Parameter::G: // g11 an admittance, g22 an impedance
            scale(m[0], false);
            scale(m[3], true);
            break;
        case Parameter::S:
            break;
        }
    }
    const SMatrix2 s = to_s_matrix(parameter, m, r1_ohm_, r2_ohm_);
    for (const Complex& c : s)
        if (!std::isfinite(c.real()) || !std::isfinite(c.imag()))
            fail(point_line_, std::string("the ") + parameter_name(parameter) +
                                  " matrix at this frequency has no scattering matrix for the "
                                  "reference resistances");
    builder_.add(f, series_impedance(s, r1_ohm_, r2_ohm_), s, point_line_);
}

Sweep Reader::run() {
    sweep_.version = std::string("1.1");
    LineSplitter lines(text_);
    std::string_view raw;
    while (lines.next(raw)) {
        const std::size_t line = lines.number();
        const std::string_view t = trim_blanks(before_comment(raw));
        if (t.empty())
            continue;
        if (section_ == Section::Information) {
            if (t.front() == '[') {
                const auto k = split_keyword(t);
                if (k && k->name == "end information")
                    section_ = after_information_;
            }
            continue;
        }
        if (section_ == Section::Ended)
            continue;
        if (reference_pending_ && t.front() != '[' && t.front() != '#') {
            on_reference_numbers(t, line);
            reference_pending_ = reference_.size() < static_cast<std::size_t>(ports_);
            continue;
        }
        reference_pending_ = false;
        if (t.front() == '#')
            on_option_line(t.substr(1), line);
        else if (t.front() == '[')
            on_keyword(t, line);
        else
            on_data(t, line);
    }
    if (section_ == Section::Network)
        end_network();
    if (section_ == Section::Information)
        fail(lines.number(), "[Begin Information] without [End Information]");
    builder_.finish();
    if (ignored_option_lines_ > 0)
        sweep_.warnings.push_back(
            std::to_string(ignored_option_lines_) + " further option line(s), the first on line " +
            std::to_string(first_ignored_option_line_) + ", ignored: the first option line holds");
    return std::move(sweep_);
}

} // namespace

Sweep read_touchstone(std::string_view text, const std::string& path) {
    if (text.size() > max_file_bytes)
        throw SweepFileError(path, 0, "the file is larger than 64 MiB");
    return Reader(text, path).run();
}

} // namespace ardenca::sweep
