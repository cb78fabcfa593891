// The ground data file's numbers and lines, and the bounded reader.
#include "files/file_error.h"
#include "files/ground_file.h"
#include "files/ground_reader.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ardenca::files {
namespace {

TEST(FileNumbers, WrittenShortestToFifteenDigitsThenWithAnExponent) {
    std::string written;
    for (double v : {0.0, -0.0, -0.007, 100.0, 0.1 + 0.2, 2.0 / 3, 1.0 / 7, 1e14, 1e-15, 1e15,
                     -1.5e-15, 1e-300})
        written += format_file_number(v) + "|";
    EXPECT_EQ(written, " 0 | 0 |-.007 | 100 | .3 | .666666666666667 | .142857142857143 | "
                       "100000000000000 | .000000000000001 | 1E+15 |-1.5E-15 | 1E-300 |");
}

TEST(FileNumbers, OnlyAWholeLineNumberCounts) {
    using S = FileNumber::Status;
    EXPECT_EQ(read_file_number("\t-2.5e3  ").value, -2500);
    EXPECT_EQ(read_file_number(".5").value, 0.5);
    EXPECT_EQ(read_file_number("5.").value, 5);
    EXPECT_EQ(read_file_number("1e999").status, S::TooLarge);
    for (const char* text : {"", "abc", "1 2", "1,000", ".", "-", "e5", "1e", "0x10", "inf"})
        EXPECT_EQ(read_file_number(text).status, S::NotANumber) << '"' << text << '"';
}

TEST(FileLines, CrEndsALineAndALoneLfBelongsToIt) {
    std::string_view text = "a\r\nb\rc\nd\r\r\nlast\r\n";
    std::vector<std::string> lines;
    while (auto line = next_line(text))
        lines.emplace_back(line->text);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c\nd", "", "last"}));

    // Without any CR, LF ends the lines; a single CR anywhere brings back the CR rule.
    EXPECT_EQ(line_ends_of("a\nb\n"), LineEnds::Lf);
    EXPECT_EQ(line_ends_of("a\nb\r"), LineEnds::Cr);
    std::string_view lf_text = "a\n\nb\nlast";
    lines.clear();
    while (auto line = next_line(lf_text, LineEnds::Lf))
        lines.emplace_back(line->text);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "last"}));

    const std::string bound(max_line_bytes, 'x'), over = bound + "x\r";
    std::string_view at_bound = bound, too_long = over;
    EXPECT_FALSE(next_line(at_bound)->too_long);
    EXPECT_TRUE(next_line(too_long)->too_long);
}

TEST(GroundFileReader, FailuresNameTheFileAndTheReason) {
    testing::TempDir dir;
    testing::write_bytes(dir / "big.gnd", std::string(max_file_bytes + 1, '1'));
    testing::write_bytes(dir / "long.gnd", " 0 \r\n" + std::string(max_line_bytes + 1, '7'));
    testing::write_bytes(dir / "short.gnd", " 0 \r\n 1 \r\n");
    testing::write_bytes(dir / "mixed.gnd", " 0 \n 1 \n75\r\n");
    ASSERT_EQ(::mkfifo((dir / "fifo.gnd").c_str(), 0600), 0);
    const std::tuple<std::string, FileErrorKind, std::string> cases[] = {
        {"missing.gnd", FileErrorKind::CannotOpen,
         "Could not open " + (dir / "missing.gnd") + ": No such file or directory."},
        {"", FileErrorKind::NotARegularFile, ": Is a directory."},
        // Refused at once: no writer ever comes.
        {"fifo.gnd", FileErrorKind::NotARegularFile,
         ": it is a named pipe (FIFO), not a regular file."},
        {"/dev/null", FileErrorKind::NotARegularFile, ": it is a character device, not a"},
        {"mixed.gnd", FileErrorKind::TooFewLines, ": the file ends after line 1, but"},
        {"big.gnd", FileErrorKind::TooLarge, ": the file is larger than 1 MiB"},
        {"long.gnd", FileErrorKind::LineTooLong, ": line 2 is longer than 64 KiB"},
        {"short.gnd", FileErrorKind::TooFewLines, ": the file ends after line 2, but"}};
    for (const auto& [name, kind, message] : cases) {
        try {
            GroundFileReader reader;
            reader.open(name.starts_with("/") ? name : dir / name);
            for (int line = 1; line <= 3; ++line)
                reader.read_line();
            ADD_FAILURE() << "no failure for " << name;
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), kind) << name;
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace ardenca::files
