// How field text becomes a number and how a number becomes field text. Both are
// independent of the user's locale: the decimal point is always ".".
#pragma once

#include <string>
#include <string_view>

namespace ardenca {

// Reads a field's text as a number: blanks, tabs and line feeds are removed wherever
// they stand, then the longest leading number (sign, digits with at most one point,
// optional exponent) is taken; text with no leading digit reads as 0. A number too
// large for a double raises ArithmeticFault (overflow); one too small reads as the
// nearest double (0 or a subnormal).
double text_to_number(std::string_view text);
// Whether text_to_number reads the whole text: one number, blanks, tabs and line feeds
// aside. An empty text is no number (it reads as 0).
bool text_is_whole_number(std::string_view text);

// The display patterns in use.
namespace pattern {
inline constexpr std::string_view permeability = "###.00##";
inline constexpr std::string_view conductance = "#0.00###";
inline constexpr std::string_view impedance = "#0.0000";
inline constexpr std::string_view two_digits = "##00.0000";
inline constexpr std::string_view zo_air = "###00.0000";
inline constexpr std::string_view ground = "##00.00####";
inline constexpr std::string_view scientific = "#.###e+#";
} // namespace pattern

// Writes a finite number with a display pattern of "0" and "#" placeholders around one
// ".", optionally followed by "e+" or "e-" and exponent placeholders. "0"s in the
// integer part set the minimum number of integer digits; after the point "0"s are
// always shown and "#"s only when not trailing zeros. The value is first taken to 15
// significant digits, then rounded half away from zero. A value that rounds to zero is
// shown without a sign.
std::string format_number(double value, std::string_view pattern);

} // namespace ardenca
