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
using M = SMatrix2; // [[0, 1], [2, 3]]

M mul(const M& x, const M& y) {
    return {x[0] * y[0] + x[1] * y[2], x[0] * y[1] + x[1] * y[3], x[2] * y[0] + x[3] * y[2],
            x[2] * y[1] + x[3] * y[3]};
}
M inv(const M& x) {
    const Complex det = x[0] * x[3] - x[1] * x[2];
    return {x[3] / det, -x[1] / det, -x[2] / det, x[0] / det};
}
M scaled(const M& x, Complex k, Complex diagonal = 0) { // k x + diagonal I
    return {k * x[0] + diagonal, k * x[1], k * x[2], k * x[3] + diagonal};
}

// Given the admittance matrix Y and the port references r1, r2, the S matrix
// (I - y)(I + y)^-1 of y = sqrt(R) Y sqrt(R).
M s_of_y(const M& Y, double r1, double r2) {
    const double g = std::sqrt(r1 * r2);
    const M y{Y[0] * r1, Y[1] * g, Y[2] * g, Y[3] * r2};
    return mul(scaled(y, -1, 1), inv(scaled(y, 1, 1)));
}

// The pairs of m in the order of the indices given.
std::string pairs(const M& m, std::initializer_list<int> order) {
    std::ostringstream out;
    out.precision(17);
    for (int k : order)
        out << ' ' << m[k].real() << ' ' << m[k].imag();
    return out.str();
}

std::string v2_two_port(const std::string& option, const std::string& extra,
                        const std::string& data) {
    return "[Version] 2.0\n" + option + "\n[Number of Ports] 2\n" + extra + "[Network Data]\n" +
           data + "[End]\n";
}

// Every parameter and layout of one non-reciprocal network, or of a series element
// between the ports, gives its S matrix and the series impedance -1/Y21.
TEST(TwoPort, EveryParameterAndLayoutGivesTheSMatrixAndSeriesImpedance) {
    const double r = 50;
    const M Z{{{40, 10}, {12, -3}, {25, 4}, {60, -20}}};
    const Complex det = Z[0] * Z[3] - Z[1] * Z[2];
    const M Y = inv(Z), S = s_of_y(Y, r, r);
    const M H{det / Z[3], Z[1] / Z[3], -Z[2] / Z[3], 1.0 / Z[3]};
    const M G{1.0 / Z[0], -Z[1] / Z[0], Z[2] / Z[0], det / Z[0]};
    const Complex z(30, -40); // a series element between the ports
    const M series{1.0 / z, -1.0 / z, -1.0 / z, 1.0 / z};
    const M s = s_of_y(series, r, r), u = s_of_y(series, r, 75);
    const auto line = [](const M& m) { return "5" + pairs(m, {0, 1, 2, 3}) + "\n"; };
    const auto v1_line = [](const M& m) { return "5" + pairs(m, {0, 2, 1, 3}) + "\n"; };
    const std::string order = "[Two-Port Data Order] 12_21\n";
    // Name, text, S matrix, reference of port 2.
    const std::tuple<const char*, std::string, M, double> files[] = {
        {"S", v2_two_port("# Hz S RI", order, line(S)), S, r},
        {"Z", v2_two_port("# Hz Z RI", order, line(Z)), S, r},
        {"Y", v2_two_port("# Hz Y RI", order, line(Y)), S, r},
        {"H", v2_two_port("# Hz H RI", order, line(H)), S, r},
        {"G", v2_two_port("# Hz G RI", order, line(G)), S, r},
        {"S version 1", "# Hz S RI R 50\n" + v1_line(S), S, r},
        {"S version 1, two pairs to a line",
         "# Hz S RI R 50\n5" + pairs(S, {0, 2}) + "\n" + pairs(S, {1, 3}) + "\n", S, r},
        {"Z version 1", "# Hz Z RI R 50\n" + v1_line(scaled(Z, 1 / r)), S, r},
        {"Y version 1", "# Hz Y RI R 50\n" + v1_line(scaled(Y, r)), S, r},
        {"H version 1", "# Hz H RI R 50\n" + v1_line({H[0] / r, H[1], H[2], H[3] * r}), S, r},
        {"G version 1", "# Hz G RI R 50\n" + v1_line({G[0] * r, G[1], G[2], G[3] / r}), S, r},
        {"series element, lower matrix",
         v2_two_port("# Hz S RI", "[Matrix Format] Lower\n",
                     "5" + pairs(s, {0}) + "\n" + pairs(s, {2, 3}) + "\n"),
         s, r},
        {"series element, references differ, on two lines",
         v2_two_port("# Hz S RI", "[Reference] 50\n 75\n[Two-Port Data Order] 21_12\n",
                     "5" + pairs(u, {0, 2}) + "\n" + pairs(u, {1, 3}) + "\n"),
         u, 75},
    };
    for (const auto& [name, text, s_expected, r2_ohm] : files) {
        SCOPED_TRACE(name);
        const Sweep sw = read_touchstone(text, "p.s2p");
        ASSERT_EQ(sw.s_matrices.size(), 1u);
        EXPECT_EQ(sw.port_r_ohm, (std::vector<double>{r, r2_ohm}));
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(near(sw.s_matrices[0][k], s_expected[k])) << k;
        // y = (I - S)(I + S)^-1, and the series impedance -sqrt(r1 r2) / y21.
        const M y = mul(scaled(s_expected, -1, 1), inv(scaled(s_expected, 1, 1)));
        EXPECT_TRUE(near(sw.points[0].z_ohm, -std::sqrt(r * r2_ohm) / y[2], 1e-11));
    }
}

// Both orders of non-reciprocal data are read in the test above.
TEST(TwoPort, MissingDataOrderAndUpperMatrix) {
    const Sweep missing =
        read_touchstone(v2_two_port("# Hz S RI", "", "1 0.1 0 0.2 0 0.3 0 0.4 0\n"), "c.s2p");
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

} // namespace
} // namespace ardenca::sweep
