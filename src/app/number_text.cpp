#include "number_text.h"

#include "calc/checked_math.h"
#include "files/decimal_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace ardenca {

namespace {

using text::is_digit;

// The decimal digits of a value to 15 significant digits: |value| = 0.d1 d2 ... d15
// times 10^point (so point is the number of digits before the decimal point).
struct Decimal {
    std::array<int, 15> digits{};
    int point = 0;
    bool negative = false;
    bool zero = true;
};

Decimal to_decimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0.0)
        return d;
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    // "d.dddddddddddddde+XX"
    const std::string_view s(buf, res.ptr);
    int n = 0;
    std::size_t i = 0;
    for (; i < s.size() && s[i] != 'e'; ++i)
        if (is_digit(s[i]))
            d.digits[n++] = s[i] - '0';
    d.point = std::atoi(std::string(s.substr(i + 1)).c_str()) + 1;
    d.zero = false;
    return d;
}

// Digits of |value| rounded half away from zero at `decimals` places after the
// point, from its 15 significant digits; returns the digit string (no point) and
// sets int_digits to how many of them stand before the point.
std::string round_fixed(const Decimal& d, int decimals, int& int_digits) {
    // Positions are counted from the decimal point: digit k of d (0-based) sits at
    // exponent point-1-k. Keep the digits with exponent >= -decimals.
    const int lowest = -decimals;
    const int highest = std::max(d.point - 1, 0);
    std::vector<int> out;
    for (int exp = highest; exp >= lowest; --exp) {
        const int k = d.point - 1 - exp;
        out.push_back(!d.zero && k >= 0 && k < 15 ? d.digits[k] : 0);
    }
    const int next_k = d.point - 1 - (lowest - 1);
    const bool round_up = !d.zero && next_k >= 0 && next_k < 15 && d.digits[next_k] >= 5;
    int_digits = highest + 1;
    if (round_up) {
        int i = static_cast<int>(out.size()) - 1;
        while (i >= 0 && out[i] == 9) {
            out[i] = 0;
            --i;
        }
        if (i >= 0)
            ++out[i];
        else {
            out.insert(out.begin(), 1);
            ++int_digits;
        }
    }
    std::string s;
    for (int v : out)
        s.push_back(static_cast<char>('0' + v));
    return s;
}

struct Pattern {
    int int_zeros = 0;    // minimum integer digits
    int decimals = 0;     // placeholders after the point
    int min_decimals = 0; // up to and including the last "0" after the point
    bool scientific = false;
    int exp_zeros = 0;     // minimum exponent digits
    bool exp_plus = false; // "e+": the exponent's sign is always shown
};

Pattern parse_pattern(std::string_view p) {
    Pattern pat;
    std::size_t i = 0;
    for (; i < p.size() && p[i] != '.' && p[i] != 'e' && p[i] != 'E'; ++i)
        if (p[i] == '0')
            ++pat.int_zeros;
    if (i < p.size() && p[i] == '.') {
        ++i;
        int n = 0;
        for (; i < p.size() && (p[i] == '0' || p[i] == '#'); ++i) {
            ++n;
            if (p[i] == '0')
                pat.min_decimals = n;
        }
        pat.decimals = n;
    }
    if (i < p.size() && (p[i] == 'e' || p[i] == 'E')) {
        pat.scientific = true;
        ++i;
        if (i < p.size() && (p[i] == '+' || p[i] == '-')) {
            pat.exp_plus = p[i] == '+';
            ++i;
        }
        for (; i < p.size(); ++i)
            if (p[i] == '0')
                ++pat.exp_zeros;
    }
    return pat;
}

// Digits after the point, with trailing zeros dropped down to the pattern's minimum.
std::string trim_decimals(std::string decimals, int min_decimals) {
    while (static_cast<int>(decimals.size()) > min_decimals && decimals.back() == '0')
        decimals.pop_back();
    return decimals;
}

std::string format_fixed(const Decimal& d, const Pattern& pat) {
    int int_digits = 0;
    std::string digits = round_fixed(d, pat.decimals, int_digits);
    std::string int_part = digits.substr(0, int_digits);
    std::string dec_part = trim_decimals(digits.substr(int_digits), pat.min_decimals);
    // Drop leading zeros of the integer part down to the pattern's minimum.
    std::size_t lead = 0;
    while (lead < int_part.size() && int_part[lead] == '0' &&
           static_cast<int>(int_part.size() - lead) > pat.int_zeros)
        ++lead;
    int_part.erase(0, lead);
    while (static_cast<int>(int_part.size()) < pat.int_zeros)
        int_part.insert(int_part.begin(), '0');
    const bool all_zero = digits.find_first_not_of('0') == std::string::npos;
    return (d.negative && !all_zero ? "-" : "") + int_part + "." + dec_part;
}

std::string format_scientific(const Decimal& d, const Pattern& pat) {
    // Mantissa d1.d2d3... times 10^(point-1), rounded to pat.decimals places.
    Decimal m = d;
    int exponent = d.zero ? 0 : d.point - 1;
    m.point = 1;
    int int_digits = 0;
    std::string digits = round_fixed(m, pat.decimals, int_digits);
    if (int_digits > 1) { // carried to 10
        digits.pop_back();
        ++exponent;
    }
    std::string dec_part = trim_decimals(digits.substr(1), pat.min_decimals);
    const std::string exp_digits = std::to_string(std::abs(exponent));

    std::string text;
    if (d.negative && !d.zero)
        text += '-';
    text += digits.front();
    text += '.';
    text += dec_part;
    text += 'e';
    if (exponent < 0)
        text += '-';
    else if (pat.exp_plus)
        text += '+';
    text.append(std::max(0, pat.exp_zeros - static_cast<int>(exp_digits.size())), '0');
    text += exp_digits;
    return text;
}

} // namespace

namespace {

// The text without the blanks, tabs and line feeds the field rule skips.
std::string compacted(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            compact.push_back(c);
    return compact;
}

} // namespace

bool text_is_whole_number(std::string_view text) {
    const std::string compact = compacted(text);
    return !compact.empty() && text::leading_decimal(compact).size() == compact.size();
}

double text_to_number(std::string_view text) {
    const std::string compact = compacted(text);
    const std::string_view number = text::leading_decimal(compact);
    if (number.empty())
        return 0.0;
    const text::DecimalValue value = text::parse_decimal(number);
    if (value.status == text::DecimalValue::Status::Overflow)
        ck::raise(FaultKind::Overflow, FaultOperation::NumberReading);
    return value.value;
}

std::string format_number(double value, std::string_view pattern) {
    if (!std::isfinite(value))
        throw std::invalid_argument("format_number: the value is not finite");
    const Pattern pat = parse_pattern(pattern);
    const Decimal d = to_decimal(value);
    return pat.scientific ? format_scientific(d, pat) : format_fixed(d, pat);
}

} // namespace ardenca
