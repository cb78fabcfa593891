#include "decimal_text.h"

#include <charconv>
#include <system_error>

namespace ardenca::text {

namespace {

std::size_t skip_digits(std::string_view text, std::size_t i) {
    while (i < text.size() && is_digit(text[i]))
        ++i;
    return i;
}

// Given a number's text with no leading sign, whether it lies above 1 in magnitude:
// from_chars reports overflow and underflow alike as out of range, and only the
// position of the first significant digit tells them apart.
bool is_large(std::string_view text) {
    long first_digit_exp = 0; // decimal exponent of the first non-zero digit, plus one
    std::size_t i = 0;
    bool seen_nonzero = false;
    long int_digits = 0, leading_frac_zeros = 0;
    for (; i < text.size() && is_digit(text[i]); ++i)
        if (seen_nonzero || text[i] != '0') {
            seen_nonzero = true;
            ++int_digits;
        }
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && is_digit(text[i]); ++i) {
            if (seen_nonzero)
                break;
            if (text[i] != '0')
                seen_nonzero = true;
            else
                ++leading_frac_zeros;
        }
    first_digit_exp = int_digits > 0 ? int_digits : -leading_frac_zeros;
    const std::size_t e = text.find_first_of("eE");
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::size_t j = e + 1;
        const bool negative = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        for (; j < text.size() && exponent < 100000; ++j)
            exponent = exponent * 10 + (text[j] - '0');
        if (negative)
            exponent = -exponent;
    }
    return first_digit_exp + exponent > 0;
}

} // namespace

std::string_view leading_decimal(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t int_start = i;
    i = skip_digits(text, i);
    std::size_t digits = i - int_start;
    if (i < text.size() && text[i] == '.') {
        const std::size_t frac_start = i + 1;
        i = skip_digits(text, frac_start);
        digits += i - frac_start;
    }
    if (digits == 0)
        return {};
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t exp_end = skip_digits(text, j);
        if (exp_end > j)
            end = exp_end;
    }
    return text.substr(0, end);
}

bool is_decimal(std::string_view text) {
    return !text.empty() && leading_decimal(text).size() == text.size();
}

DecimalValue parse_decimal(std::string_view text) {
    if (!is_decimal(text))
        return {};
    // from_chars takes no '+' and reads the sign itself.
    const bool negative = text.front() == '-';
    if (text.front() == '+' || text.front() == '-')
        text.remove_prefix(1);
    double value = 0;
    const auto [ptr, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (is_large(text))
            return {DecimalValue::Status::Overflow, 0};
        value = 0; // below the smallest subnormal
    } else if (ec != std::errc() || ptr != text.data() + text.size()) {
        return {};
    }
    return {DecimalValue::Status::Number, negative ? -value : value};
}

} // namespace ardenca::text
