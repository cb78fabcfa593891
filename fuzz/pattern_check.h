// What a text written with a display pattern may look like, checked independently of
// the formatter: the fuzz targets hold every text the program writes against it.
#pragma once

#include <string_view>

namespace ardenca::fuzz {

struct PatternShape {
    int int_zeros = 0;    // "0"s before the point: the minimum integer digits
    int min_decimals = 0; // up to the last "0" after the point
    int max_decimals = 0; // every placeholder after the point
    bool scientific = false;
};

inline PatternShape shape_of(std::string_view pattern) {
    PatternShape s;
    std::size_t i = 0;
    for (; i < pattern.size() && pattern[i] != '.'; ++i)
        s.int_zeros += pattern[i] == '0';
    for (++i; i < pattern.size() && (pattern[i] == '0' || pattern[i] == '#'); ++i) {
        ++s.max_decimals;
        if (pattern[i] == '0')
            s.min_decimals = s.max_decimals;
    }
    s.scientific = i < pattern.size() && pattern[i] == 'e';
    return s;
}

inline bool digit(char c) {
    return c >= '0' && c <= '9';
}

// True when text is a number as the pattern writes it: an optional "-" (never on a
// text whose digits are all zero), the integer digits (at least the pattern's minimum,
// no padding zero beyond it), ".", the decimals (trailing zeros only down to the
// minimum); the scientific pattern has one mantissa digit, 1 to 9 (0 only for zero),
// and "e", a sign and the exponent without padding.
inline bool matches_pattern(std::string_view text, std::string_view pattern) {
    const PatternShape s = shape_of(pattern);
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    i += negative;
    const std::size_t int_start = i;
    while (i < text.size() && digit(text[i]))
        ++i;
    const std::string_view int_part = text.substr(int_start, i - int_start);
    if (i == text.size() || text[i] != '.')
        return false;
    const std::size_t dec_start = ++i;
    while (i < text.size() && digit(text[i]))
        ++i;
    const std::string_view decimals = text.substr(dec_start, i - dec_start);

    const int n_dec = static_cast<int>(decimals.size());
    if (n_dec < s.min_decimals || n_dec > s.max_decimals)
        return false;
    if (n_dec > s.min_decimals && decimals.back() == '0')
        return false;
    const bool all_zero = int_part.find_first_not_of('0') == std::string_view::npos &&
                          decimals.find_first_not_of('0') == std::string_view::npos;
    if (negative && all_zero)
        return false;

    if (!s.scientific) {
        if (i != text.size())
            return false;
        const int n_int = static_cast<int>(int_part.size());
        return n_int >= s.int_zeros && !(n_int > s.int_zeros && int_part[0] == '0');
    }

    if (int_part.size() != 1 || (int_part[0] == '0' && !all_zero))
        return false;
    if (i == text.size() || text[i] != 'e')
        return false;
    ++i;
    if (i == text.size() || (text[i] != '+' && text[i] != '-'))
        return false;
    const std::string_view exponent = text.substr(i + 1);
    if (exponent.empty() || exponent.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    return exponent.size() == 1 || exponent[0] != '0';
}

} // namespace ardenca::fuzz
