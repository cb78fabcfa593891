// Whole files as instruments and programs write them (made by data/make_files.py), read
// from disk, against the impedances that script computed from the numbers it wrote.
#include "sweep/sweep_file.h"
#include "sweep_test_util.h"

#include <fstream>
#include <gtest/gtest.h>

namespace ardenca::sweep {
namespace {

TEST(GeneratedFiles, ReadAsTheirWriterComputed) {
    // File, format, ports, version.
    const std::tuple<const char*, FileFormat, int, const char*> files[] = {
        {"probe_v1.s1p", FileFormat::Touchstone, 1, "1.1"},
        {"probe_v2_db.s1p", FileFormat::Touchstone, 1, "2.0"},
        {"series_v1.s2p", FileFormat::Touchstone, 2, "1.1"},
        {"series_v2.s2p", FileFormat::Touchstone, 2, "2.1"},
        {"analyser.csv", FileFormat::Csv, 1, ""},
        {"vna.csv", FileFormat::Csv, 1, ""},
    };
    for (const auto& [name, format, ports, version] : files) {
        SCOPED_TRACE(name);
        const std::string path = std::string(ARDENCA_SWEEP_DATA_DIR) + "/" + name;
        const Sweep s = read_sweep_file(path, {});
        EXPECT_EQ(s.format, format);
        EXPECT_EQ(s.ports, ports);
        EXPECT_EQ(s.version, version);
        std::ifstream expected(path + ".expected");
        std::size_t i = 0;
        for (double f = 0, r = 0, x = 0; expected >> f >> r >> x; ++i) {
            ASSERT_LT(i, s.points.size());
            EXPECT_EQ(s.points[i].freq_hz, f) << i;
            EXPECT_TRUE(testing::near(s.points[i].z_ohm, {r, x}, 1e-9)) << i;
        }
        EXPECT_EQ(s.points.size(), i);
    }
}

} // namespace
} // namespace ardenca::sweep
