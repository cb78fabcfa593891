// The analyser CSV reader: columns found by their names, separators, units, refusals.
#include "sweep/csv_reader.h"
#include "sweep_test_util.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ardenca::sweep {
namespace {

using testing::from_s;
using testing::near;
using testing::refused;

TEST(Csv, ColumnsByNameSeparatorsAndUnits) {
    const CsvOptions none;
    // Name, text, options, the last point's frequency and impedance, parameter and format.
    const std::tuple<const char*, std::string, CsvOptions, double, Complex, const char*> cases[] = {
        {"R and X, unit in parentheses", "Frequency(MHz),R,X\n1,50,0\n2.5,40,-12.5\n", none, 2.5e6,
         Complex(40, -12.5), "Z RI"},
        {"other columns between, unit in brackets",
         "freq[Hz],SWR,R(Ohm),|Z|,X(Ohm)\n7,1.2,30,33,4\n", none, 7, Complex(30, 4), "Z RI"},
        {"semicolons, decimal commas, trailing separator",
         "# analyser export\nBEGIN\nFrequency (kHz);Rs;Xs;\n1500,5;20,25;-3,5;\nEND\n", none,
         1500500, Complex(20.25, -3.5), "Z RI"},
        {"tabs and decimal commas", "Freq(MHz)\tR\tX\n3,5\t1e1\t2\n", none, 3.5e6, Complex(10, 2),
         "Z RI"},
        {"Re and Im of S11", "! c\nfreq[Hz],Re(S11),Im(S11)\n10,0.5,0\n", none, 10, 150, "S RI"},
        {"S11 in dB with phase, z0 given",
         "Frequency(GHz),S11 Magnitude (dB),S11 Phase (deg)\n1,-20,0\n",
         CsvOptions{std::nullopt, 75}, 1e9, from_s(0.1, 75), "S DB"},
        {"linear magnitude", "Frequency [MHz],|S11|,Phase\n1,0.5,90\n", none, 1e6,
         from_s({0, 0.5}, 50), "S MA"},
        {"unit given, not in the header", "Frequency,R,X\n2,50,1\n", CsvOptions{FreqUnit::MHz, 50},
         2e6, Complex(50, 1), "Z RI"},
        {"header commented out", "! Freq(Hz) R X\n# Frequency(Hz),R,X\n1,2,3\n4,5,6\n", none, 4,
         Complex(5, 6), "Z RI"},
        {"quoted cells, titles first",
         "Sweep\n\"Start\",\"1\"\n\"Freq (Hz)\",\"R\",\"X\"\n\"5\",\"6\",\"7\"\n", none, 5,
         Complex(6, 7), "Z RI"},
    };
    for (const auto& [name, text, options, freq_hz, z_ohm, kind] : cases) {
        SCOPED_TRACE(name);
        const Sweep s = read_csv(text, "a.csv", options);
        EXPECT_EQ(s.parameter + " " + s.data_format, kind);
        ASSERT_FALSE(s.points.empty());
        EXPECT_EQ(s.points.back().freq_hz, freq_hz);
        EXPECT_TRUE(near(s.points.back().z_ohm, z_ohm));
    }
}

TEST(Csv, OpenCircuitAndNegativeResistanceAsInTouchstone) {
    const Sweep s = read_csv("Freq(Hz),Re S11,Im S11\n1,1,0\n2,1.1,0\n3,-1.1,0\n", "b.csv", {});
    EXPECT_TRUE(s.points[0].infinite);
    EXPECT_LT(s.points[1].z_ohm.real(), 0);
    EXPECT_EQ(s.warnings.size(), 2u);
}

TEST(Csv, RefusalsNameTheLine) {
    // Name, text, the line refused and a part of the reason.
    const std::tuple<const char*, std::string, long, const char*> cases[] = {
        {"SWR only", "Frequency(MHz),SWR\n1,1.5\n", 1, "carry no sign of the reactance"},
        {"return loss only", "Frequency(MHz);Return Loss\n1;20\n", 1, "carry no sign"},
        {"magnitude without phase", "Frequency(MHz),S11 dB,Z0\n1,-10,50\n", 1,
         "no impedance columns"},
        {"no unit anywhere", "Frequency,R,X\n1,2,3\n", 1, "no unit"},
        {"data before the header", "1,2,3\nFrequency(Hz),R,X\n", 1, "before a header"},
        {"word in a number column", "Frequency(Hz),R,X\n1,2,3\n2,abc,3\n", 3, "'abc'"},
        {"missing field", "Frequency(Hz),R,X\n1,2\n", 2, "2 field(s)"},
        {"empty field", "Frequency(Hz),R,X\n1,,3\n", 2, "empty"},
        {"repeated frequency", "Frequency(Hz),R,X\n1,2,3\n1,2,3\n", 3, "segmented"},
        {"decreasing frequency", "Frequency(Hz),R,X\n2,2,3\n1,2,3\n", 3, "lower than"},
        {"no data", "Frequency(Hz),R,X\n", 0, "no data points"},
    };
    for (const auto& [name, text, line, reason] : cases)
        EXPECT_TRUE(refused([&] { read_csv(text, "c.csv", {}); }, line, reason)) << name;
    // More fields than the header names: with commas between the fields, likely decimal
    // commas; the whole message, as the user sees it.
    try {
        read_csv("Frequency(MHz),R,X\n7,100,5,-20\n", "c.csv", {});
        ADD_FAILURE() << "a row with a surplus field was read";
    } catch (const SweepFileError& e) {
        EXPECT_STREQ(e.what(), "c.csv:2: 4 fields where the header names 3 (a decimal comma in a "
                               "comma-separated file?)");
    }
    EXPECT_TRUE(refused([] { read_csv("F(Hz);R;X\n1;2;3\n2;3;4;5;6;\n", "c.csv", {}); }, 3,
                        "5 fields where the header names 3"));
    // A line of separators is counted, not split: no header has that many columns.
    EXPECT_TRUE(refused([] { read_csv(std::string(1 << 20, ',') + "\n", "c.csv", {}); }, 1,
                        "1048576 fields before any header"));
    EXPECT_TRUE(refused(
        [] {
            read_csv("F(Hz),R,X\n1,2,3\n", "", {std::nullopt, 0});
        },
        0, "must be a positive number of ohms"));
}

} // namespace
} // namespace ardenca::sweep
