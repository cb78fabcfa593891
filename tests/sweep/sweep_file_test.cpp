// Reading from disk: the bounds, files that are no regular files, and telling Touchstone
// from CSV.
#include "sweep/sweep_file.h"
#include "sweep/text_scan.h"
#include "sweep/touchstone_reader.h"
#include "sweep_test_util.h"

#include "../files/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ardenca::sweep {
namespace {

using ardenca::testing::write_bytes;
using testing::refused;

TEST(SweepFiles, ContentThenNameDecidesTheReader) {
    const ardenca::testing::TempDir dir;
    const std::string touchstone = "! c\n# Hz Z RI R 50\n1 0.5 0\n";
    const std::string csv = "# exported\nFrequency(Hz),R,X\n1,2,3\n";
    const std::tuple<const char*, std::string, FileFormat> cases[] = {
        {"a.s1p", touchstone, FileFormat::Touchstone},
        {"b.csv", touchstone, FileFormat::Touchstone}, // the option line wins
        {"c.CSV", csv, FileFormat::Csv},
        {"d.txt", csv, FileFormat::Csv},               // a header with separators
        {"e.s2p", touchstone, FileFormat::Touchstone}, // the data say one port
        {"f.ts", "[Version] 2.0\n# Hz S RI\n[Number of Ports] 1\n[Network Data]\n1 0 0\n",
         FileFormat::Touchstone},
    };
    for (const auto& [name, bytes, format] : cases) {
        const Sweep s = read_sweep_file(write_bytes(dir / name, bytes), {});
        EXPECT_EQ(s.format, format) << name;
        EXPECT_EQ(s.ports, 1) << name;
    }
    const Sweep s = read_sweep_file(write_bytes(dir / "g.csv", "F,Re S11,Im S11\n2,0.5,0\n"),
                                    {FreqUnit::kHz, 75});
    EXPECT_EQ(s.points[0].freq_hz, 2000);
    EXPECT_EQ(s.points[0].z_ohm, Complex(225, 0));
}

TEST(SweepFiles, RefusedWithoutReadingOrWaiting) {
    const ardenca::testing::TempDir dir;
    const std::string big = write_bytes(dir / "big.s1p", "# Hz S RI\n");
    std::filesystem::resize_file(big, max_file_bytes + 1);
    const std::string at_bound = write_bytes(dir / "bound.s1p", "# Hz S RI\n1 0 0\n");
    std::filesystem::resize_file(at_bound, max_file_bytes); // padded with NUL bytes
    ASSERT_EQ(mkfifo((dir / "fifo.s1p").c_str(), 0600), 0);
    const std::pair<std::string, const char*> cases[] = {
        {big, "larger than 64 MiB"},
        {dir / "fifo.s1p", "it is a named pipe (FIFO), not a regular file"},
        {"/dev/zero", "it is a character device, not a regular file"},
        {dir.path().string(), "folder"},
        {dir / "missing.s1p", "No such file"},
    };
    for (const auto& [path, reason] : cases)
        EXPECT_TRUE(refused([&] { read_sweep_file(path, {}); }, 0, reason));
    // The file at the bound is read: its fault is the NUL byte on line 3.
    EXPECT_TRUE(refused([&] { read_sweep_file(at_bound, {}); }, 3, ""));
}

TEST(SweepBounds, AMillionPointsAndNoMore) {
    std::string text = "# Hz Z RI\n";
    for (std::size_t i = 1; i <= max_points; ++i) {
        text += std::to_string(i);
        text += " 1 0\n";
    }
    EXPECT_EQ(read_touchstone(text, "m.s1p").points.size(), max_points);
    text += "1000001 1 0\n";
    EXPECT_TRUE(refused([&] { read_touchstone(text, "m.s1p"); }, static_cast<long>(max_points) + 2,
                        "at most 1000000"));
}

} // namespace
} // namespace ardenca::sweep
