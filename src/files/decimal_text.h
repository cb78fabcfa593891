// Decimal numbers in text, read the same way everywhere: "." is the only decimal point
// whatever the user's locale, and the digits are converted by std::from_chars.
#pragma once

#include <string_view>

namespace ardenca::text {

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The longest prefix of text of the form [sign] digits [. [digits]] | [sign] . digits,
// followed by an exponent (e|E)[sign]digits when one with digits stands there; an empty
// view when the text starts with no such number.
std::string_view leading_decimal(std::string_view text);

// True when text is exactly one such number, nothing before or after it.
bool is_decimal(std::string_view text);

struct DecimalValue {
    enum class Status {
        Number,    // value holds the nearest double (0 or a subnormal when tiny)
        NotNumber, // the text is not exactly one decimal number
        Overflow,  // the magnitude is beyond the largest double; value is 0
    };
    Status status = Status::NotNumber;
    double value = 0;
};

// Converts text that is exactly one decimal number (as is_decimal accepts) to the
// nearest double. Blanks are not skipped.
DecimalValue parse_decimal(std::string_view text);

} // namespace ardenca::text
