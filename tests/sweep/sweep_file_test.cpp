// Reading from disk: the bounds, files that are no regular files, and telling Touchstone
// from CSV.
#include "sweep/sweep_file.h"
#include "sweep/text_scan.h"
#include "sweep/touchstone_reader.h"
#include "sweep_test_util.h"

#include "../files/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace ardenca::sweep {
namespace {

using testing::refusal_of;

struct SweepFiles : ::testing::Test {
    ardenca::testing::TempDir dir_;
    std::string write(const std::string& name, const std::string& bytes) {
        ardenca::testing::write_bytes(dir_ / name, bytes);
        return dir_ / name;
    }
};

TEST_F(SweepFiles, ContentThenNameDecidesTheReader) {
    const std::string touchstone = "! c\n# Hz Z RI R 50\n1 0.5 0\n";
    const std::string csv = "# exported\nFrequency(Hz),R,X\n1,2,3\n";
    const struct {
        const char* name;
        std::string bytes;
        FileFormat format;
    } cases[] = {
        {"a.s1p", touchstone, FileFormat::Touchstone},
        {"b.csv", touchstone, FileFormat::Touchstone}, // the option line wins
        {"c.CSV", csv, FileFormat::Csv},
        {"d.txt", csv, FileFormat::Csv},               // a header with separators
        {"e.s2p", touchstone, FileFormat::Touchstone}, // the data say one port
        {"f.ts", "[Version] 2.0\n# Hz S RI\n[Number of Ports] 1\n[Network Data]\n1 0 0\n",
         FileFormat::Touchstone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Sweep s = read_sweep_file(write(c.name, c.bytes), {});
        EXPECT_EQ(s.format, c.format);
        EXPECT_EQ(s.ports, 1);
    }
    const Sweep s =
        read_sweep_file(write("g.csv", "F,Re S11,Im S11\n2,0.5,0\n"), {FreqUnit::kHz, 75});
    EXPECT_EQ(s.points[0].freq_hz, 2000);
    EXPECT_EQ(s.points[0].z_ohm, Complex(225, 0));
}

TEST_F(SweepFiles, RefusedWithoutReadingOrWaiting) {
    const std::string big = dir_ / "big.s1p";
    std::ofstream(big) << "# Hz S RI\n";
    std::filesystem::resize_file(big, max_file_bytes + 1);
    const std::string at_bound = write("bound.s1p", "# Hz S RI\n1 0 0\n");
    std::filesystem::resize_file(at_bound, max_file_bytes); // padded with NUL bytes
    const std::string fifo = dir_ / "fifo.s1p";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {big, "larger than 64 MiB"},
        {fifo, "not a regular file"},
        {dir_.path().string(), "folder"},
        {dir_ / "missing.s1p", "No such file"},
    };
    for (const auto& c : cases) {
        const auto r = refusal_of([&] { read_sweep_file(c.path, {}); });
        EXPECT_EQ(r.line, 0);
        EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
    }
    // The file at the bound is read: its fault is the NUL byte on line 3.
    EXPECT_EQ(refusal_of([&] { read_sweep_file(at_bound, {}); }).line, 3);
}

TEST(SweepBounds, AMillionPointsAndNoMore) {
    std::string text = "# Hz Z RI\n";
    text.reserve(20'000'000);
    for (std::size_t i = 1; i <= max_points; ++i) {
        text += std::to_string(i);
        text += " 1 0\n";
    }
    EXPECT_EQ(read_touchstone(text, "m.s1p").points.size(), max_points);
    text += "1000001 1 0\n";
    const auto r = refusal_of([&] { read_touchstone(text, "m.s1p"); });
    EXPECT_EQ(r.line, static_cast<long>(max_points) + 2);
    EXPECT_NE(r.reason.find("at most 1000000"), std::string::npos);
}

} // namespace
} // namespace ardenca::sweep
