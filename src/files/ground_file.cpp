#include "ground_file.h"

#include "decimal_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace ardenca::files {

using text::is_blank;
using text::is_digit;

std::string format_file_number(double value) {
    if (!std::isfinite(value))
        throw std::invalid_argument("format_file_number: the value is not finite");
    std::string out(1, value < 0 ? '-' : ' ');
    if (value == 0) {
        out += "0 ";
        return out;
    }

    // "d.dddddddddddddde+XX": the value to 15 significant digits.
    char buf[32];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view sci(buf, res.ptr);
    const std::size_t e_pos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e_pos))
        if (is_digit(c))
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(std::string(sci.substr(e_pos + 1)).c_str());
    const int n = static_cast<int>(digits.size());

    const bool plain = exponent >= 0 ? exponent + 1 <= 15 : -exponent - 1 + n <= 15;
    if (plain && exponent >= 0) {
        // Whole part, padded with zeros, then any fraction.
        const int whole = exponent + 1;
        if (n <= whole) {
            out += digits;
            out.append(whole - n, '0');
        } else {
            out += digits.substr(0, whole);
            out += '.';
            out += digits.substr(whole);
        }
    } else if (plain) {
        out += '.';
        out.append(-exponent - 1, '0');
        out += digits;
    } else {
        out += digits[0];
        if (n > 1) {
            out += '.';
            out += digits.substr(1);
        }
        const int magnitude = std::abs(exponent);
        out += exponent < 0 ? "E-" : "E+";
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
    }
    out += ' ';
    return out;
}

FileNumber read_file_number(std::string_view line) {
    while (!line.empty() && is_blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back()))
        line.remove_suffix(1);
    const text::DecimalValue number = text::parse_decimal(line);
    switch (number.status) {
    case text::DecimalValue::Status::Number:
        return {FileNumber::Status::Number, number.value};
    case text::DecimalValue::Status::Overflow:
        return {FileNumber::Status::TooLarge, 0};
    case text::DecimalValue::Status::NotNumber:
        break;
    }
    return {};
}

LineEnds line_ends_of(std::string_view content) {
    return content.find('\r') == std::string_view::npos ? LineEnds::Lf : LineEnds::Cr;
}

std::optional<NextLine> next_line(std::string_view& text, LineEnds ends) {
    if (text.empty())
        return std::nullopt;
    const std::size_t end = text.find(ends == LineEnds::Cr ? '\r' : '\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end;
    NextLine line{text.substr(0, length), length > max_line_bytes};
    std::size_t consumed = length;
    if (end != std::string_view::npos) {
        ++consumed;
        if (ends == LineEnds::Cr && consumed < text.size() && text[consumed] == '\n')
            ++consumed;
    }
    text.remove_prefix(consumed);
    return line;
}

} // namespace ardenca::files
