// The ground data file: ten text lines, the matching-section flag and the relative
// permeability as numbers, then the texts of eight input fields verbatim.
//
// Written: every line ends with CR LF. Read: a line ends at a CR, and a CR followed by
// an LF is one line end; an LF on its own belongs to the line's text. A file without
// any CR (one edited on Linux or macOS) has its lines ended by LF instead. The last
// line needs no end, and anything past line 10 is ignored.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ardenca::files {

inline constexpr int line_count = 10;
inline constexpr std::string_view line_end = "\r\n";

// Reading is bounded so that a huge or binary file cannot exhaust memory.
inline constexpr std::size_t max_file_bytes = 1024 * 1024;
inline constexpr std::size_t max_line_bytes = 64 * 1024;

// The number form of lines 1 and 2: a blank, or "-" for a negative number, then the
// number, then a blank. The number is rounded to 15 significant digits and written in
// its shortest plain decimal form: no leading zero before the point, no trailing
// zeros, no point for a whole number (1 -> " 1 ", 0.5 -> " .5 ", -2.25 -> "-2.25 ").
// When the plain form would need more than 15 digits (counting the zeros between the
// point and the first significant digit, or after the last significant digit of a
// whole number), the number is written as a mantissa of one digit, an optional point
// and the remaining significant digits, then "E", the exponent's sign and at least two
// exponent digits: 1e20 -> " 1E+20 ", -1.5e-17 -> "-1.5E-17 ". The value must be
// finite; -0 is written as " 0 ".
std::string format_file_number(double value);

// Reads line 1 or 2 as a number. The whole line, blanks and tabs before and after
// aside, must be one number: an optional sign, digits with at most one decimal point
// (".5" and "5." count), and an optional exponent ("e" or "E", optional sign, digits).
// Nothing else counts: no digit grouping, no currency sign, no parentheses.
struct FileNumber {
    enum class Status { Number, NotANumber, TooLarge };
    Status status = Status::NotANumber;
    double value = 0; // for Number; a number too small for a double reads as 0 or subnormal
};
FileNumber read_file_number(std::string_view line);

// What ends a line in a file: CR (CR LF counting as one end), or, in a file that holds
// no CR at all, LF.
enum class LineEnds { Cr, Lf };
LineEnds line_ends_of(std::string_view content);

// Splits the next line off the front of text, bounded by max_line_bytes; nullopt when
// text is empty (there is no further line). Throws nothing; a line longer than the
// bound comes back with too_long set.
struct NextLine {
    std::string_view text;
    bool too_long = false;
};
std::optional<NextLine> next_line(std::string_view& text, LineEnds ends = LineEnds::Cr);

} // namespace ardenca::files
