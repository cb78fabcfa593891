// The Touchstone writer: what it writes reads back to the same doubles.
#include "sweep/csv_reader.h"
#include "sweep/touchstone_reader.h"
#include "sweep/touchstone_writer.h"
#include "sweep_test_util.h"

#include <cstring>
#include <gtest/gtest.h>

namespace ardenca::sweep {
namespace {

template <class T> bool same_bits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expect_same(const Sweep& a, const Sweep& b, bool exact_z) {
    ASSERT_EQ(a.points.size(), b.points.size());
    EXPECT_EQ(a.port_r_ohm, b.port_r_ohm);
    for (std::size_t i = 0; i < a.points.size(); ++i) {
        EXPECT_TRUE(same_bits(a.points[i].freq_hz, b.points[i].freq_hz)) << i;
        EXPECT_EQ(a.points[i].infinite, b.points[i].infinite) << i;
        if (exact_z)
            EXPECT_TRUE(same_bits(a.points[i].z_ohm, b.points[i].z_ohm)) << i;
        else
            EXPECT_TRUE(testing::near(a.points[i].z_ohm, b.points[i].z_ohm, 1e-15)) << i;
    }
    ASSERT_EQ(a.s_matrices.size(), b.s_matrices.size());
    for (std::size_t i = 0; i < a.s_matrices.size(); ++i)
        EXPECT_TRUE(same_bits(a.s_matrices[i], b.s_matrices[i])) << i;
}

TEST(TouchstoneWriter, ReadsBackBitIdentical) {
    // Name, text, whether the impedances read back bit-identical too.
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"one-port S, awkward numbers",
         "# MHz S MA R 50\n1e-5 0 0\n0.1 0.3333333333333333 -179.99\n123.456789 "
         "0.9999999999999999 1e-300\n1e9 1e-300 -0\n",
         true},
        {"one-port Z, version 2, negative resistance",
         "[Version] 2.0\n# Hz Z RI\n[Number of Ports] 1\n[Network Data]\n"
         "1 -5e-324 1.7976931348623157e308\n2 -0 -0\n",
         true},
        {"two-port, references differ",
         "[Version] 2.0\n# GHz S DB R 50\n[Number of Ports] 2\n[Reference] 50 75\n"
         "[Two-Port Data Order] 21_12\n[Network Data]\n"
         "1 -3 10 -1 20 -1.5 20 -3.5 11\n2 -3 10 -200 20 -1.5 20 -3.5 11\n",
         true},
        {"one-port with an open circuit", "# Hz Y RI R 50\n1 0 0\n2 0.3 -0.7\n3 1e-3 1e-2\n",
         false},
    };
    for (const auto& [name, text, exact_z] : cases) {
        SCOPED_TRACE(name);
        const Sweep first = read_touchstone(text, "a.s1p");
        const std::string written = write_touchstone(first);
        const Sweep again = read_touchstone(written, "b.s1p");
        expect_same(first, again, exact_z);
        if (exact_z) {
            EXPECT_EQ(written, write_touchstone(again));
        }
    }
    const Sweep csv = read_csv("Frequency(MHz),R,X\n1.1,50.01,-0.3\n", "c.csv", {});
    expect_same(csv, read_touchstone(write_touchstone(csv), "d.s1p"), true);
}

} // namespace
} // namespace ardenca::sweep
