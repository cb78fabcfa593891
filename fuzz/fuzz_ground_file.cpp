// The ground data file reader on arbitrary bytes. Splitting into lines consumes the
// text exactly (line, then CR or CR LF; LF in a file without CR) and flags every line
// past the length bound; the reader hands out the same lines and fails only with a
// FileError, also for files past the size bound; lines 1 and 2 read as numbers agree with the field
// rule, and every number read is written back in the file's number form and read again to 15
// significant digits.
//
// The first byte of the input repeats the rest of it up to 2^11 times, so that inputs
// of a few hundred bytes reach the line and file size bounds.
#include "app/number_text.h"
#include "calc/arithmetic_fault.h"
#include "files/file_error.h"
#include "files/ground_file.h"
#include "files/ground_reader.h"
#include "scratch_dir.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace files = ardenca::files;
using files::FileNumber;

[[noreturn]] void fail(const char* what, std::string_view line) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what,
                 static_cast<int>(std::min<std::size_t>(line.size(), 80)), line.data());
    std::abort();
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Lines 1 and 2: a number in the file's sense is also one under the field rule, with
// the same value; written back in the number form it reads as a number again, the same
// to 15 significant digits.
void check_number_line(std::string_view line) {
    const FileNumber n = files::read_file_number(line);
    if (n.status == FileNumber::Status::NotANumber)
        return;
    double field_value = 0;
    try {
        field_value = ardenca::text_to_number(trim_blanks(line));
    } catch (const ardenca::ArithmeticFault&) {
        if (n.status != FileNumber::Status::TooLarge)
            fail("a number in the file overflows as field text", line);
        return;
    }
    if (n.status == FileNumber::Status::TooLarge)
        fail("too large in the file but not as field text", line);
    if (std::memcmp(&field_value, &n.value, sizeof(double)) != 0 &&
        !(n.value == 0 && field_value == 0))
        fail("the file and the field rule read different values", line);

    const std::string written = files::format_file_number(n.value);
    if (written.size() < 3 || (written.front() != ' ' && written.front() != '-') ||
        written.back() != ' ')
        fail("not in the number form", written);
    const FileNumber again = files::read_file_number(written);
    if (again.status == FileNumber::Status::NotANumber)
        fail("the number form does not read back", written);
    if (again.status == FileNumber::Status::TooLarge) {
        // Only a value next to the largest double can carry past it at 15 digits.
        if (std::fabs(n.value) < 1.797693134862315e308)
            fail("the number form reads back too large", written);
        return;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(n.value));
    const int e15 = std::atoi(std::strchr(buf, 'e') + 1);
    const long double bound =
        0.5L * std::pow(10.0L, e15 - 14) * (1.0L + 1e-12L) +
        (static_cast<long double>(std::nextafter(std::fabs(n.value), INFINITY)) -
         std::fabs(n.value));
    if (std::fabs(static_cast<long double>(again.value) - n.value) > bound)
        fail("the number form reads back too far from the value", written);
}

const std::string& scratch_file() {
    static const std::string path = ardenca::fuzz::scratch_dir() + "/input.gnd";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int repeats = 1 << (data[0] % 12);
    const std::string_view unit(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string content;
    for (int i = 0; i < repeats && !unit.empty(); ++i)
        content += unit;

    // Splitting: every line consumes its text and its end, nothing else. A file without
    // any CR has LF line ends.
    const files::LineEnds ends = files::line_ends_of(content);
    const bool lf = ends == files::LineEnds::Lf;
    std::vector<files::NextLine> lines;
    std::string_view rest = content;
    while (const auto line = files::next_line(rest, ends)) {
        const std::size_t consumed = content.size() - rest.size();
        const std::size_t start = line->text.data() - content.data();
        if (line->text.find(lf ? '\n' : '\r') != std::string_view::npos)
            fail("a line holds its line end", line->text);
        if (line->too_long != (line->text.size() > files::max_line_bytes))
            fail("wrong length flag", line->text);
        const std::string_view end = std::string_view(content).substr(
            start + line->text.size(), consumed - start - line->text.size());
        if (lf ? end != "" && end != "\n" : end != "" && end != "\r" && end != "\r\n")
            fail("a line end that is not CR, CR LF or, without CR, LF", end);
        if (end == "" && !rest.empty())
            fail("a line without an end before the end of the text", line->text);
        if (!lf && end == "\r" && !rest.empty() && rest.front() == '\n')
            fail("CR LF split in two", line->text);
        lines.push_back(*line);
        if (lines.size() > content.size())
            fail("more lines than bytes", line->text);
    }
    if (!rest.empty())
        fail("text left after the last line", rest);

    for (std::size_t i = 0; i < lines.size() && i < 2; ++i)
        if (!lines[i].too_long)
            check_number_line(lines[i].text);

    // The reader over the same bytes in a file.
    {
        std::ofstream out(scratch_file(), std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out)
            std::abort();
    }
    files::GroundFileReader reader;
    std::size_t read = 0;
    try {
        reader.open(scratch_file());
        if (content.size() > files::max_file_bytes)
            fail("a file past the size bound was read", {});
        for (; read < static_cast<std::size_t>(files::line_count); ++read) {
            const std::string line = reader.read_line();
            if (read >= lines.size() || lines[read].too_long || line != lines[read].text)
                fail("the reader and the splitting disagree", line);
        }
    } catch (const files::FileError& e) {
        using K = files::FileErrorKind;
        const bool expected =
            (e.kind() == K::TooLarge && content.size() > files::max_file_bytes) ||
            (e.kind() == K::TooFewLines && read == lines.size()) ||
            (e.kind() == K::LineTooLong && read < lines.size() && lines[read].too_long);
        if (!expected)
            fail("an unexpected file error", e.what());
    }
    reader.close();
    return 0;
}
