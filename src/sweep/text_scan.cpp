#include "text_scan.h"

#include "files/decimal_text.h"

#include <charconv>

namespace ardenca::sweep {

LineSplitter::LineSplitter(std::string_view text) : rest_(text) {
    if (rest_.starts_with("\xEF\xBB\xBF"))
        rest_.remove_prefix(3);
}

bool LineSplitter::next(std::string_view& line) {
    if (rest_.empty())
        return false;
    const char* p = rest_.data();
    const std::size_t n = rest_.size();
    std::size_t i = 0;
    while (i < n && p[i] != '\n' && p[i] != '\r')
        ++i;
    line = rest_.substr(0, i);
    if (i < n && p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
        ++i;
    rest_.remove_prefix(i < n ? i + 1 : n);
    ++number_;
    return true;
}

std::string_view before_comment(std::string_view line, char mark) {
    const std::size_t at = line.find(mark);
    return at == std::string_view::npos ? line : line.substr(0, at);
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && text::is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && text::is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view next_word(std::string_view& rest) {
    std::size_t i = 0;
    while (i < rest.size() && text::is_blank(rest[i]))
        ++i;
    std::size_t j = i;
    while (j < rest.size() && !text::is_blank(rest[j]))
        ++j;
    const std::string_view word = rest.substr(i, j - i);
    rest.remove_prefix(j);
    return word;
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ascii_lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = ascii_lower(c);
    return lower;
}

bool equals_ignoring_case(std::string_view text, std::string_view lower_case) {
    if (text.size() != lower_case.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (ascii_lower(text[i]) != lower_case[i])
            return false;
    return true;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view lower_case) {
    return text.size() >= lower_case.size() &&
           equals_ignoring_case(text.substr(0, lower_case.size()), lower_case);
}

bool read_number(std::string_view word, double& value) {
    const text::DecimalValue d = text::parse_decimal(word);
    if (d.status != text::DecimalValue::Status::Number)
        return false;
    value = d.value;
    return true;
}

std::string printable(std::string_view text) {
    constexpr std::size_t longest = 40;
    std::string p;
    // Control bytes, NUL among them, shown as \xNN so that messages stay one line of text.
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char c : text.substr(0, longest)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            p += "\\x";
            p += hex[byte >> 4];
            p += hex[byte & 15];
        } else {
            p += c;
        }
    }
    if (text.size() > longest)
        p += "...";
    return p;
}

std::string quoted(std::string_view word) {
    std::string q = "'";
    q += printable(word);
    q += '\'';
    return q;
}

std::string why_not_a_number(std::string_view word) {
    if (text::parse_decimal(word).status == text::DecimalValue::Status::Overflow)
        return quoted(word) + " is too large a number";
    std::string_view body = word;
    if (!body.empty() && (body.front() == '+' || body.front() == '-'))
        body.remove_prefix(1);
    const std::string lower = ascii_lower(body);
    if (lower == "nan" || lower == "inf" || lower == "infinity" || lower.starts_with("nan(") ||
        lower == "1.#inf" || lower == "1.#qnan" || lower == "1.#ind")
        return quoted(word) + " is not a finite number";
    if (word.find(',') != std::string_view::npos && !text::leading_decimal(word).empty())
        return "a decimal comma in " + quoted(word) + ": numbers are written with a decimal point";
    return quoted(word) + " where a number belongs";
}

std::string shortest_text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace ardenca::sweep
