#include "files/file_error.h"
#include "files/ground_file.h"
#include "files/ground_reader.h"
#include "temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace ardenca::files {
namespace {

TEST(FileNumbers, WrittenShortestToFifteenDigitsThenWithAnExponent) {
    const std::pair<double, const char*> cases[] = {
        {1, " 1 "},
        {0, " 0 "},
        {-0.0, " 0 "},
        {0.5, " .5 "},
        {-2.25, "-2.25 "},
        {100, " 100 "},
        {-0.007, "-.007 "},
        {0.1 + 0.2, " .3 "},
        {2.0 / 3, " .666666666666667 "},
        {1e14, " 100000000000000 "},
        {1e-15, " .000000000000001 "},
        {1e15, " 1E+15 "},
        {-1.5e-15, "-1.5E-15 "},
        {1234567890123456789.0, " 1.23456789012346E+18 "},
        {1e300, " 1E+300 "}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(format_file_number(value), text);
    // Every form reads back as the value to 15 significant digits.
    for (double v : {1e15, -1.5e-15, 6.02214076e23, 1e-300, 299792458.0, 1.0 / 7}) {
        char at_15[40];
        std::snprintf(at_15, sizeof at_15, "%.14e", v);
        EXPECT_EQ(read_file_number(format_file_number(v)).value, std::stod(at_15)) << v;
    }
}

TEST(FileNumbers, OnlyAWholeLineNumberCounts) {
    using S = FileNumber::Status;
    EXPECT_EQ(read_file_number("\t-2.5e3  ").value, -2500);
    EXPECT_EQ(read_file_number(".5").value, 0.5);
    EXPECT_EQ(read_file_number("5.").value, 5);
    EXPECT_EQ(read_file_number("+1E-2").value, 0.01);
    EXPECT_EQ(read_file_number("1e-400").status, S::Number); // nearest double: 0
    EXPECT_EQ(read_file_number("1e999").status, S::TooLarge);
    for (const char* text : {"", " ", "abc", "1 2", "1,000", "$1", "(1)", ".", "-", "e5", "1e",
                             "0x10", "1\n", "1.2.3", "inf", "nan"})
        EXPECT_EQ(read_file_number(text).status, S::NotANumber) << '"' << text << '"';
}

TEST(FileLines, CrEndsALineAndALoneLfBelongsToIt) {
    std::string_view text = "a\r\nb\rc\nd\r\r\nlast";
    std::vector<std::string> lines;
    while (auto line = next_line(text))
        lines.emplace_back(line->text);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c\nd", "", "last"}));

    std::string_view ended = "x\r\n";
    next_line(ended);
    EXPECT_FALSE(next_line(ended)); // no empty line after the last end

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
    const std::tuple<std::string, FileErrorKind, std::string> cases[] = {
        {"missing.gnd", FileErrorKind::CannotOpen,
         "Could not open " + (dir / "missing.gnd") + ": No such file or directory."},
        {"", FileErrorKind::CannotRead, ": Is a directory."},
        {"big.gnd", FileErrorKind::TooLarge, ": the file is larger than 1 MiB"},
        {"long.gnd", FileErrorKind::LineTooLong, ": line 2 is longer than 64 KiB"},
        {"short.gnd", FileErrorKind::TooFewLines, ": the file ends after line 2, but"}};
    for (const auto& [name, kind, message] : cases) {
        try {
            GroundFileReader reader;
            reader.open(dir / name);
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
