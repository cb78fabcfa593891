// Two-port files: the data orders, the series impedance between the ports, and the S
// matrix that S, Z, Y, H and G data describe, each checked against matrices built here
// by other formulas.
#include "sweep/touchstone_reader.h"
#include "sweep_test_util.h"

#include <gtest/gtest.h>
#include <sstream>

namespace ardenca::sweep {
namespace {

using testing::near;

struct M2 {
    Complex a, b, c, d; // [[a, b], [c, d]]
};

M2 mul(const M2& x, const M2& y) {
    return {x.a * y.a + x.b * y.c, x.a * y.b + x.b * y.d, x.c * y.a + x.d * y.c,
            x.c * y.b + x.d * y.d};
}
M2 inv(const M2& x) {
    const Complex det = x.a * x.d - x.b * x.c;
    return {x.d / det, -x.b / det, -x.c / det, x.a / det};
}
M2 add(const M2& x, Complex k) { // x + k I
    return {x.a + k, x.b, x.c, x.d + k};
}

// A series impedance z between ports of references r1 and r2: Y = (1/z)[[1, -1], [-1, 1]],
// y = sqrt(R) Y sqrt(R), S = (I - y)(I + y)^-1.
M2 series_s(Complex z, double r1, double r2) {
    const double g = std::sqrt(r1 * r2);
    const M2 y{r1 / z, -g / z, -g / z, r2 / z};
    const M2 minus_y{-y.a, -y.b, -y.c, -y.d};
    return mul(add(minus_y, 1), inv(add(y, 1)));
}

std::string pair(Complex c) {
    std::ostringstream out;
    out.precision(17);
    out << ' ' << c.real() << ' ' << c.imag();
    return out.str();
}

std::string v2_two_port(const std::string& option, const std::string& extra,
                        const std::string& data) {
    return "[Version] 2.0\n" + option + "\n[Number of Ports] 2\n" + extra + "[Network Data]\n" +
           data + "[End]\n";
}

TEST(TwoPort, SeriesImpedanceFromTheSMatrixOfAKnownElement) {
    const Complex z(30, -40);
    struct Case {
        const char* name;
        double r1, r2;
        std::string text;
    };
    const M2 s = series_s(z, 50, 50), u = series_s(z, 50, 75);
    const Case cases[] = {
        {"version 1, 21_12 order", 50, 50,
         "# MHz S RI R 50\n10" + pair(s.a) + pair(s.c) + pair(s.b) + pair(s.d) + "\n"},
        {"version 1, two pairs to a line", 50, 50,
         "# MHz S RI R 50\n10" + pair(s.a) + pair(s.c) + "\n" + pair(s.b) + pair(s.d) + "\n"},
        {"version 2, 12_21 order", 50, 50,
         v2_two_port("# MHz S RI", "[Two-Port Data Order] 12_21\n",
                     "10" + pair(s.a) + pair(s.b) + pair(s.c) + pair(s.d) + "\n")},
        {"version 2, lower matrix", 50, 50,
         v2_two_port("# MHz S RI", "[Matrix Format] Lower\n",
                     "10" + pair(s.a) + "\n" + pair(s.c) + pair(s.d) + "\n")},
        {"version 2, references differ, on two lines", 50, 75,
         v2_two_port("# MHz S RI", "[Reference] 50\n 75\n[Two-Port Data Order] 21_12\n",
                     "10" + pair(u.a) + pair(u.c) + "\n" + pair(u.b) + pair(u.d) + "\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Sweep sw = read_touchstone(c.text, "t.s2p");
        ASSERT_EQ(sw.points.size(), 1u);
        EXPECT_EQ(sw.ports, 2);
        EXPECT_EQ(sw.port_r_ohm, (std::vector<double>{c.r1, c.r2}));
        EXPECT_EQ(sw.points[0].freq_hz, 1e7);
        EXPECT_TRUE(near(sw.points[0].z_ohm, z, 1e-12));
        ASSERT_EQ(sw.s_matrices.size(), 1u);
        const M2 e = c.r2 == 75 ? u : s;
        EXPECT_TRUE(near(sw.s_matrices[0][2], e.c));
        EXPECT_TRUE(near(sw.s_matrices[0][3], e.d));
    }
}

// Both orders of non-reciprocal data are read in EveryParameterGivesTheSameSMatrix.
TEST(TwoPort, MissingDataOrderAndUpperMatrix) {
    const std::string data = "1 0.1 0 0.2 0 0.3 0 0.4 0\n";
    const Sweep missing = read_touchstone(v2_two_port("# Hz S RI", "", data), "c.s2p");
    EXPECT_EQ(missing.s_matrices[0], (SMatrix2{0.1, 0.3, 0.2, 0.4})); // 11 21 12 22
    EXPECT_EQ(missing.warnings.size(), 1u);
    const Sweep upper =
        read_touchstone(v2_two_port("# Hz S RI", "[Matrix Format] Upper\n", "1 1 0 2 0 3 0\n"), "");
    EXPECT_EQ(upper.s_matrices[0], (SMatrix2{1, 2, 2, 3}));
}

TEST(TwoPort, OpenBetweenThePortsAndNoiseData) {
    const Sweep s = read_touchstone("# GHz S MA R 50\n"
                                    "1 1 0 0 0 0 0 1 0\n"
                                    "2 0.5 10 0.5 20 0.5 20 0.5 10\n"
                                    "! noise data\n"
                                    "1.5 1.2 0.3 40 0.2\n"
                                    "2 1.3 0.3 45 0.2\n",
                                    "n.s2p");
    ASSERT_EQ(s.points.size(), 2u);
    EXPECT_TRUE(s.points[0].infinite);
    EXPECT_FALSE(s.points[1].infinite);
    EXPECT_EQ(s.s_matrices.size(), 2u);
}

// Z, Y, H and G data of one non-reciprocal network give its S matrix,
// S = (z - I)(z + I)^-1 with z = Z / R.
TEST(TwoPort, EveryParameterGivesTheSameSMatrix) {
    const double r = 50;
    const M2 Z{{40, 10}, {12, -3}, {25, 4}, {60, -20}};
    const Complex det = Z.a * Z.d - Z.b * Z.c;
    const M2 Y = inv(Z);
    const M2 H{det / Z.d, Z.b / Z.d, -Z.c / Z.d, 1.0 / Z.d};
    const M2 G{1.0 / Z.a, -Z.b / Z.a, Z.c / Z.a, det / Z.a};
    const M2 z{Z.a / r, Z.b / r, Z.c / r, Z.d / r};
    const M2 S = mul(add(z, -1), inv(add(z, 1)));
    auto line = [](const M2& m) {
        return "5" + pair(m.a) + pair(m.b) + pair(m.c) + pair(m.d) + "\n";
    };
    auto v1_line = [](const M2& m) { // 21_12 order
        return "5" + pair(m.a) + pair(m.c) + pair(m.b) + pair(m.d) + "\n";
    };
    const std::string order = "[Two-Port Data Order] 12_21\n";
    const std::pair<const char*, std::string> files[] = {
        {"S", v2_two_port("# Hz S RI", order, line(S))},
        {"Z", v2_two_port("# Hz Z RI", order, line(Z))},
        {"Y", v2_two_port("# Hz Y RI", order, line(Y))},
        {"H", v2_two_port("# Hz H RI", order, line(H))},
        {"G", v2_two_port("# Hz G RI", order, line(G))},
        {"Z version 1", "# Hz Z RI R 50\n" + v1_line(z)},
        {"Y version 1", "# Hz Y RI R 50\n" + v1_line({Y.a * r, Y.b * r, Y.c * r, Y.d * r})},
        {"H version 1", "# Hz H RI R 50\n" + v1_line({H.a / r, H.b, H.c, H.d * r})},
        {"G version 1", "# Hz G RI R 50\n" + v1_line({G.a * r, G.b, G.c, G.d / r})},
    };
    // The series impedance -1/Y21.
    const Complex series = -1.0 / Y.c;
    for (const auto& [name, text] : files) {
        SCOPED_TRACE(name);
        const Sweep s = read_touchstone(text, "p.s2p");
        ASSERT_EQ(s.s_matrices.size(), 1u);
        const SMatrix2& m = s.s_matrices[0];
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(near(m[k], SMatrix2{S.a, S.b, S.c, S.d}[k])) << k;
        EXPECT_TRUE(near(s.points[0].z_ohm, series, 1e-11));
    }
}

} // namespace
} // namespace ardenca::sweep
