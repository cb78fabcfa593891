// The VNA readers against small hand-made files, one rule per row: Touchstone, and the
// analyser CSV reader (columns found by their names, separators, units, refusals).
#include "sweep/csv_reader.h"
#include "sweep/touchstone_reader.h"
#include "sweep_test_util.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ardenca::sweep {
namespace {

using testing::from_s;
using testing::near;
using testing::refused;

Sweep read(const std::string& text) {
    return read_touchstone(text, "t.s1p");
}

// A version 2 one-port file: its header lines after [Number of Ports], its network data.
std::string version2(const std::string& header, const std::string& data) {
    return "[Version] 2.0\n[Number of Ports] 1\n" + header + "[Network Data]\n" + data + "[End]\n";
}

TEST(Touchstone, OnePortRulesOfTextAndOptions) {
    const double deg = 3.141592653589793 / 180;
    // Name, text, the count of points, the first point's frequency and impedance.
    const std::tuple<const char*, std::string, double, Complex, std::size_t> cases[] = {
        {"defaults GHz S MA R 50", "#\n1 0.5 0\n", 1e9, 150, 1},
        {"no blank after #, lower case", "#mhz s ri r 50\n2 0.5 0\n", 2e6, 150, 1},
        {"fields in any order", "# R 75 RI s KHZ\n3 0.5 0\n", 3e3, 225, 1},
        {"R glued to its number", "# Hz S RI R75\n3 0.5 0\n", 3, 225, 1},
        {"BOM, CR LF, lone CR, tabs, blanks",
         "\xEF\xBB\xBF! caf\xC3\xA9 \xFF\r\n  \t# Hz S RI R 50  \r\r\n\t1\t0.5\t0 \r2 0 0\n", 1,
         150, 2},
        {"comments anywhere", "! head\n# Hz S RI ! units\n1 0.5 0 ! a point\n! end", 1, 150, 1},
        {"MA angle in degrees", "# Hz S MA\n1 0.5 90\n", 1, from_s({0, 0.5}, 50), 1},
        {"MA half turn exact", "# Hz S MA\n1 0.5 -180\n", 1, from_s(-0.5, 50), 1},
        {"MA any angle", "# Hz S MA\n1 0.5 33\n", 1,
         from_s({0.5 * std::cos(33 * deg), 0.5 * std::sin(33 * deg)}, 50), 1},
        {"DB", "# Hz S DB\n1 -20 0\n", 1, from_s(0.1, 50), 1},
        {"version 1 Z normalised to R", "# Hz Z RI R 75\n1 0.5 -2\n", 1, Complex(37.5, -150), 1},
        {"version 1 Y normalised to 1/R", "# Hz Y RI R 50\n1 2 0\n", 1, 25, 1},
        {"version 2 Z as is",
         version2("# Hz Z RI R 75\n[Reference] 20\n[Number of Frequencies] 1\n", "1 0.5 -2\n"), 1,
         Complex(0.5, -2), 1},
        {"version 2 Y as is", version2("# Hz Y RI\n", "1 0.04 0\n"), 1, 25, 1},
        {"[Reference] overrides R for S",
         version2("# Hz S RI R 50\n[Reference] 75\n", "1 0.5 0\n2 0 0\n"), 1, 225, 2},
        {"information block skipped",
         version2(
             "# Hz S RI\n[Begin Information]\n[Number of Ports] 7\n1 2 3 4\n[End Information]\n",
             "1 0.5 0\n") +
             "after end\n",
         1, 150, 1},
        {"frequency zero", "# Hz Z RI\n0 1 0\n1 1 0\n", 0, 50, 2},
    };
    for (const auto& [name, text, freq_hz, z_ohm, points] : cases) {
        SCOPED_TRACE(name);
        const Sweep s = read(text);
        ASSERT_EQ(s.points.size(), points);
        EXPECT_EQ(s.ports, 1);
        EXPECT_TRUE(s.s_matrices.empty());
        EXPECT_EQ(s.points[0].freq_hz, freq_hz);
        EXPECT_TRUE(near(s.points[0].z_ohm, z_ohm));
    }
}

TEST(Touchstone, WhatTheFileSaysIsKept) {
    const Sweep v1 = read("# MHz Y DB R 60\n1 0 0\n# Hz S RI\n");
    EXPECT_EQ(std::tie(v1.version, v1.parameter, v1.data_format, v1.r_ohm),
              std::tuple("1.1", "Y", "DB", 60.0));
    EXPECT_EQ(v1.warnings.size(), 1u); // the second option line
}

TEST(Touchstone, OpenCircuitsAndNegativeResistanceAreKeptAndFlagged) {
    const Sweep s = read("# Hz S RI\n1 1 0\n2 1.5 0\n3 0.5 0\n4 -1.2 0.1\n");
    ASSERT_EQ(s.points.size(), 4u);
    EXPECT_TRUE(s.points[0].infinite);
    EXPECT_LT(s.points[1].z_ohm.real(), 0);
    ASSERT_EQ(s.warnings.size(), 2u); // one for both negative points, one for the open
    EXPECT_NE(s.warnings[0].find("2 point(s), the first at 2 Hz"), std::string::npos);
    EXPECT_NE(s.warnings[0].find("|S11| > 1"), std::string::npos);
    for (const char* open : {"# Hz Y RI\n1 0 0\n", "# Hz S MA\n1 1 360\n", "# Hz S DB\n1 0 0\n"})
        EXPECT_TRUE(read(open).points[0].infinite) << open;
}

// A negative magnitude (in MA; in dB it is merely small) and an angle past any
// direction are read, and warned about once each, at their first line.
TEST(Touchstone, MeaninglessPairsAreWarnedAboutOnce) {
    const Sweep s = read("# Hz S MA\n1 -0.5 10\n2 0.5 1e300\n3 -0.2 -2e6\n4 0.5 999999\n");
    ASSERT_EQ(s.points.size(), 4u);
    ASSERT_EQ(s.warnings.size(), 2u);
    EXPECT_NE(s.warnings[0].find("2 pair(s), the first on line 2, have a negative magnitude"),
              std::string::npos)
        << s.warnings[0];
    EXPECT_NE(s.warnings[1].find("2 pair(s), the first on line 3, have an angle beyond 1e+06"),
              std::string::npos)
        << s.warnings[1];
    // -0.5 at 10 degrees is 0.5 at -170 degrees.
    EXPECT_TRUE(near(s.points[0].z_ohm, read("# Hz S MA\n1 0.5 -170\n").points[0].z_ohm));
    EXPECT_TRUE(read("# Hz S DB\n1 -3 10\n2 -0.5 -720\n").warnings.empty());
}

TEST(Touchstone, RefusalsNameTheLine) {
    const std::string v2 = "[Version] 2.0\n# Hz S RI\n[Number of Ports] 1\n";
    // Name, text, the line refused and a part of the reason.
    const std::tuple<const char*, std::string, long, const char*> cases[] = {
        {"data before the option line", "! c\n1 0.5 0\n# Hz S RI\n", 2, "before the option line"},
        {"decimal comma", "# Hz S RI\n1 0,5 0\n", 2, "decimal comma"},
        {"word for a number", "# Hz S RI\n1 0.5 0\n2 x 0\n", 3, "'x' where a number belongs"},
        {"nan", "# Hz S RI\n1 nan 0\n", 2, "not a finite number"},
        {"inf", "# Hz S RI\n1 0 -inf\n", 2, "not a finite number"},
        {"overflow", "# Hz S RI\n1 1e999 0\n", 2, "too large"},
        {"DB past the largest double", "# Hz S DB\n1 7000 0\n", 2, "too large"},
        {"three-port", "# Hz S RI\n1 1 2 3 4 5 6\n", 2, "three-port"},
        {"four-port", "# Hz S RI\n1 1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8\n", 2, "more ports than two"},
        {"five numbers first, no more", "# Hz S RI\n1 1 2 3 4\n", 2,
         "has 5 numbers, but a point of this file has 9"},
        {"eleven numbers first", "# Hz S RI\n1 1 2 3 4 5 6 7 8 9 10\n", 2,
         "11 numbers on the first"},
        {"even count one-port", "# Hz S RI\n1 0.5 0\n2 0.5 0 0\n", 3,
         "a point starts with its frequency"},
        {"short two-port point", "# Hz S RI\n1 1 0 0 0 0 0 0 0\n2 1 0 0 0\n3 0 0 0 0 0 0 0 0\n", 3,
         "not a whole number of points"},
        {"short last point", "# Hz S RI\n1 1 0 0 0 0 0 0 0\n2 1 0 0 0\n", 3,
         "not a whole number of points"},
        {"long two-port line", "# Hz S RI\n1 1 0 0 0 0 0 0 0\n2 1 0 0 0 0 0 0 0 0 0\n", 3,
         "11 numbers on one line"},
        {"repeated frequency", "# Hz S RI\n1 0 0\n2 0 0\n2 0 0\n", 4, "segmented sweep"},
        {"decreasing frequency", "# Hz S RI\n1 0 0\n3 0 0\n2 0 0\n", 4, "lower than"},
        {"two-port point out of order, not noise",
         "# Hz S RI\n2 1 0 0 0 0 0 0 0\n1 1 0 0 0 0 0 0 0\n", 3, "lower than"},
        {"negative frequency", "# Hz S RI\n-1 0 0\n", 2, "negative"},
        {"H one-port, version 1", "# Hz H RI\n\n1 0 0\n", 3, "two-port"},
        {"G one-port, version 2", "[Version] 2.0\n# Hz G RI\n[Number of Ports] 1\n", 3, "two-port"},
        {"G one-port, option line last",
         "[Version] 2.0\n[Number of Ports] 1\n# Hz G RI\n[Network Data]\n", 3, "two-port"},
        {"R zero", "# Hz S RI R 0\n", 1, "must be positive"},
        {"R negative", "# Hz S RI R -50\n", 1, "must be positive"},
        {"R without a number", "# Hz S RI R\n", 1, "no resistance"},
        {"unknown option", "# Hz S RI R 50 ohm\n", 1, "'ohm' on the option line"},
        {"two units", "# Hz MHz\n", 1, "twice"},
        {"keyword in version 1", "# Hz S RI\n[Number of Ports] 1\n", 2, "version 2"},
        {"unknown version", "[Version] 3.0\n", 1, "2.0 and 2.1"},
        {"version after data", "# Hz S RI\n1 0 0\n[Version] 2.0\n", 3, "before the data"},
        {"more ports than two", "[Version] 2.0\n# Hz S RI\n[Number of Ports] 3\n", 3,
         "more ports than two"},
        {"ports not a number", "[Version] 2.0\n[Number of Ports] one\n", 2, "whole number"},
        {"numbers before [Network Data]", v2 + "1 0 0\n", 4, "before [Network Data]"},
        {"[Network Data] without ports", "[Version] 2.0\n# Hz S RI\n[Network Data]\n", 3,
         "before [Number of Ports]"},
        {"too many frequencies", v2 + "[Number of Frequencies] 1\n[Network Data]\n1 0 0\n2 0 0\n",
         7, "more points than [Number of Frequencies]"},
        {"too few frequencies",
         v2 + "[Number of Frequencies] 3\n[Network Data]\n1 0 0\n2 0 0\n[End]\n", 4,
         "says 3, but the network data hold 2"},
        {"one-port data in a two-port file",
         "[Version] 2.0\n# Hz S RI\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
         "[Network Data]\n1 0 0\n2 0 0\n",
         6, "not a whole number of points"},
        {"two-port data in a one-port file", v2 + "[Network Data]\n1 0 0 0 0 0 0 0 0\n", 5,
         "9 numbers on one line"},
        {"[Reference] count",
         "[Version] 2.0\n# Hz S RI\n[Number of Ports] 2\n[Reference] 50\n"
         "[Two-Port Data Order] 21_12\n[Network Data]\n",
         4, "1 resistance(s) for 2 port(s)"},
        {"[Reference] zero", v2 + "[Reference] 0\n", 4, "must be positive"},
        {"bad data order", v2 + "[Two-Port Data Order] 11_22\n", 4, "12_21 or 21_12"},
        {"mixed mode", v2 + "[Mixed-Mode Order] D2,1 C2,1\n", 4, "mixed-mode"},
        {"unclosed keyword", v2 + "[Network Data\n", 4, "closing ']'"},
        {"no points", "# Hz S RI\n! nothing\n", 0, "no data points"},
        {"[Number of Frequencies] past the bound", v2 + "[Number of Frequencies] 1000001\n", 4,
         "at most 1000000"},
    };
    for (const auto& [name, text, line, reason] : cases)
        EXPECT_TRUE(refused([&] { read(text); }, line, reason)) << name;
}

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
