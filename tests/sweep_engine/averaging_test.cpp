#include "sweep/averaging.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace ardenca::sweep {
namespace {

// A location whose chosen ground is sigma = s0 * f_MHz, eps_r = e0 at the given
// frequencies; a negative s0 leaves the point without a ground.
LocationResult location(const std::vector<std::pair<double, double>>& f_mhz_s0, double e0) {
    LocationResult loc;
    for (const auto& [f, s0] : f_mhz_s0) {
        PointResult p;
        p.freq_hz = f * 1e6;
        if (s0 > 0) {
            p.solutions = {{.sigma_s_per_m = 5, .eps_r = 100, .gamma_l = {}},
                           {.sigma_s_per_m = s0 * f,
                            .eps_r = e0,
                            .gamma_l = {},
                            .u_sigma_s_per_m = 0.1 * s0 * f,
                            .u_eps_r = 1}};
            p.chosen = 1;
        }
        loc.points.push_back(p);
    }
    return loc;
}

TEST(GroundAt, ExactInterpolatedOrNothing) {
    const LocationResult loc = location({{2, 0.01}, {4, 0.01}, {8, -1}, {16, 0.01}}, 20);
    const double t3 = std::log(1.5) / std::log(2.0); // 3 MHz between 2 and 4 in ln f
    const double t6 = std::log(1.5) / std::log(4.0); // 6 MHz between 4 and 16: 8 has none
    // The frequency, whether interpolated, and sigma (0: no ground there).
    const std::tuple<double, bool, double> cases[] = {{2, false, 0.02}, {3, true, 0.02 + 0.02 * t3},
                                                      {8, false, 0},    {6, true, 0.04 + 0.12 * t6},
                                                      {1.99, false, 0}, {16.01, false, 0},
                                                      {16, false, 0.16}};
    for (const auto& [f_mhz, interpolated, sigma] : cases) {
        SCOPED_TRACE(f_mhz);
        const auto g = chosen_ground_at(loc, f_mhz * 1e6);
        ASSERT_EQ(g.has_value(), sigma > 0);
        if (!g)
            continue;
        EXPECT_EQ(g->interpolated, interpolated);
        EXPECT_NEAR(g->sigma_s_per_m, sigma, 1e-15);
        EXPECT_EQ(g->eps_r, 20);
    }
}

TEST(Average, CommonFrequenciesMeanAndSpread) {
    // a: 1..8 MHz; b: 2..10 MHz on another grid; c has no ground at 4 MHz.
    const std::vector<LocationResult> locs = {
        location({{1, 0.01}, {2, 0.01}, {4, 0.01}, {8, 0.01}}, 10),
        location({{2, 0.03}, {3, 0.03}, {4, 0.03}, {6, 0.03}, {10, 0.03}}, 20),
        location({{2, 0.02}, {4, -1}, {8, 0.02}}, 30),
    };
    const std::vector<AveragePoint> avg = average_locations(locs);
    // Each frequency with the number of locations that have a ground there.
    std::vector<std::pair<double, int>> freqs;
    for (const AveragePoint& a : avg)
        freqs.emplace_back(a.freq_hz / 1e6, a.locations);
    EXPECT_EQ(freqs, (std::vector<std::pair<double, int>>{{2, 3}, {3, 3}, {4, 2}, {6, 3}, {8, 3}}));
    // 2 MHz: all three exact.
    EXPECT_FALSE(avg[0].interpolated);
    EXPECT_NEAR(avg[0].sigma_mean_s_per_m, 0.04, 1e-15);
    EXPECT_NEAR(avg[0].sigma_sd_s_per_m, 0.02, 1e-15);
    EXPECT_NEAR(avg[0].eps_r_mean, 20, 1e-12);
    EXPECT_NEAR(avg[0].eps_r_sd, 10, 1e-12);
    // 3 MHz: a interpolated between 2 and 4, b exact, c has no ground at 4 so it spans
    // 2 to 8.
    EXPECT_EQ(avg[1].interpolated_locations, (std::vector<int>{0, 2}));

    // One location has no spread; an empty one leaves no common range.
    const LocationResult a = location({{2, 0.01}, {4, -1}}, 10);
    const std::vector<AveragePoint> one = average_locations({a});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].locations, 1);
    EXPECT_TRUE(std::isnan(one[0].sigma_sd_s_per_m));
    EXPECT_TRUE(average_locations({a, LocationResult{}}).empty());
}

} // namespace
} // namespace ardenca::sweep
