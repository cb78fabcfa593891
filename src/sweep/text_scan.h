// The text layer shared by the VNA file readers: lines (LF, CR LF or a lone CR end one),
// comments, blank-separated words, and words read as numbers with a reason when they
// are not one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ardenca::sweep {

// Files larger than this, or with more points, are refused.
inline constexpr std::size_t max_file_bytes = std::size_t{64} << 20;
inline constexpr std::size_t max_points = 1'000'000;

// Hands out the lines of a text one by one, after a UTF-8 byte-order mark if one starts it.
class LineSplitter {
  public:
    explicit LineSplitter(std::string_view text);

    // The next line without its end; false when the text is used up.
    bool next(std::string_view& line);
    // The 1-based number of the line next() gave last.
    std::size_t number() const { return number_; }

  private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

// The line up to its first `mark`.
std::string_view before_comment(std::string_view line, char mark = '!');
// The text without blanks and tabs at either end.
std::string_view trim_blanks(std::string_view text);
// The next word of rest, words being separated by blanks and tabs; consumes it. Empty
// when only blanks are left.
std::string_view next_word(std::string_view& rest);

char ascii_lower(char c);
std::string ascii_lower(std::string_view text);
bool equals_ignoring_case(std::string_view text, std::string_view lower_case);
bool starts_with_ignoring_case(std::string_view text, std::string_view lower_case);

// Reads a word that must be exactly one finite decimal number ("." the decimal point).
bool read_number(std::string_view word, double& value);
// Why read_number refused the word, as a sentence fragment for the user.
std::string why_not_a_number(std::string_view word);

// The text as the user wrote it, for messages: shortened when long, control bytes as \xNN.
std::string printable(std::string_view text);
// The same in single quotes.
std::string quoted(std::string_view word);

// Shortest text that reads back as exactly the same double.
std::string shortest_text(double value);

} // namespace ardenca::sweep
