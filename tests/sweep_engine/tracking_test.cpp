#include "sweep/tracking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace ardenca::sweep {
namespace {

using Ground = calc::GroundSolution;
using Grounds = std::vector<Ground>;

Ground ground(double sigma, double eps_r, double u_rel) {
    return {.sigma_s_per_m = sigma,
            .eps_r = eps_r,
            .gamma_l = {},
            .u_sigma_s_per_m = u_rel * sigma,
            .u_eps_r = u_rel * eps_r};
}

// A soil whose sigma rises and eps_r falls with frequency, as real soils do.
Ground true_soil(double f_mhz) {
    return ground(0.01 * std::pow(f_mhz, 0.2), 30 * std::pow(f_mhz, -0.15), 0.03);
}

// A scenario: the candidates at each frequency besides the true ground, the points where
// the true ground is among them, and where in the list it goes.
struct Scenario {
    const char* name;
    std::function<Grounds(int i, double f_mhz)> others;
    std::function<bool(int i)> true_present;
    bool true_first; // the true ground first in the list, else last
    std::function<double(double f_mhz)> soil_u = nullptr; // the soil's relative uncertainty
    std::function<bool(int i)> near_told = nullptr;       // points whose readings tell near grounds
};

constexpr int n_points = 301;

double freq_mhz_of(int i) {
    return std::exp(std::log(1.0) + (std::log(30.0) - std::log(1.0)) * i / (n_points - 1));
}

// The points of a scenario, tracked.
std::vector<PointResult> run(const Scenario& s) {
    std::vector<PointResult> points(n_points);
    for (int i = 0; i < n_points; ++i) {
        const double f = freq_mhz_of(i);
        PointResult& p = points[i];
        p.freq_hz = f * 1e6;
        p.chosen = 0; // left from an earlier run, as the flags
        p.flags = Ambiguous | ElectricallyLong;
        p.solutions = s.others(i, f);
        if (s.true_present(i)) {
            Ground t = true_soil(f);
            if (s.soil_u)
                t = ground(t.sigma_s_per_m, t.eps_r, s.soil_u(f));
            p.solutions.insert(s.true_first ? p.solutions.begin() : p.solutions.end(), t);
        }
        if (s.near_told && s.near_told(i))
            p.near = {{.sigma_s_per_m = 1, .eps_r = 1, .edge = calc::BoxEdge::EpsRMin, .chi2 = 1}};
    }
    track_solutions(points);
    return points;
}

// The number of points where the soil is a candidate but not the one chosen.
int wrong_choices(const Scenario& s, const std::vector<PointResult>& points) {
    int wrong = 0;
    for (int i = 0; i < n_points; ++i)
        wrong += s.true_present(i) &&
                 !(points[i].chosen && points[i].solutions[*points[i].chosen].sigma_s_per_m ==
                                           true_soil(freq_mhz_of(i)).sigma_s_per_m);
    return wrong;
}

auto always = [](int) { return true; };
auto none = [](int, double) { return Grounds{}; };

// A branch that enters above 8 MHz, steep and far from the soil.
Grounds steep_branch(double f) {
    if (f < 8)
        return {};
    return {ground(0.05 * std::pow(f / 8, 1.5), 80 / (f / 8), 0.1)};
}

// A ground that changes smoothly with frequency, well apart from the soil.
Ground decoy(double f) {
    return ground(0.003 * std::pow(f, 0.5), 70 * std::pow(f, -0.05), 0.03);
}

// A deterministic scatter of grounds that follow no curve.
Ground scattered(int i) {
    const double a = std::fmod(i * 0.618034, 1.0), b = std::fmod(i * 0.414214, 1.0);
    return ground(1e-3 * std::pow(1e3, a), 2 * std::pow(50.0, b), 0.05);
}

TEST(Tracking, FollowsTheSoilPastOtherBranches) {
    const Scenario scenarios[] = {
        {"unique throughout", none, always, true},
        {"a branch enters above", [](int, double f) { return steep_branch(f); }, always, false},
        {"two branches, soil listed first",
         [](int, double f) {
             auto v = steep_branch(f);
             if (f > 15)
                 v.push_back({2.0, 150 / f, 0.2});
             return v;
         },
         always, true},
        {"no unique point: a scatter beside the soil everywhere",
         [](int i, double) { return Grounds{scattered(i)}; }, always, false},
        {"unique only in the middle: tracked down as well",
         [](int i, double f) { return i > 100 && i < 120 ? Grounds{} : steep_branch(f * 8); },
         always, true},
        {"readings without any ground in between", [](int, double f) { return steep_branch(f); },
         [](int i) { return i < 140 || i > 150; }, false},
        {"the soil leaves the box for a few readings and comes back",
         [](int i, double f) {
             auto v = steep_branch(f);
             if (i >= 200 && i <= 203)
                 v.push_back(scattered(i));
             return v;
         },
         [](int i) { return i < 200 || i > 203; }, true},
        // The soil leaves the box and another ground, smooth in frequency, fits alone with
        // near grounds, then beside the soil: the track neither starts nor restarts on it.
        {"the soil leaves the box for a while, a lone ground with near grounds stands in",
         [](int i, double f) { return i >= 200 && i <= 260 ? Grounds{decoy(f)} : Grounds{}; },
         [](int i) { return i < 200 || i > 230; }, true, nullptr,
         [](int i) { return i >= 200 && i <= 230; }},
        {"a lone ground with near grounds at the bottom is no anchor",
         [](int i, double f) { return i < 40 ? Grounds{decoy(f)} : Grounds{}; },
         [](int i) { return i >= 20; }, false, nullptr, [](int i) { return i < 20; }},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        const std::vector<PointResult> points = run(s);
        EXPECT_EQ(wrong_choices(s, points), 0);
        // Where the soil is a candidate, branches far apart are never called ambiguous;
        // another ground within 30 % of the soil (about five of their combined
        // uncertainties) may be.
        int ambiguous = 0, close = 0;
        for (int i = 0; i < n_points; ++i) {
            const PointResult& p = points[i];
            if (!s.true_present(i))
                continue;
            ambiguous += (p.flags & Ambiguous) != 0;
            const Ground t = true_soil(freq_mhz_of(i));
            close += std::any_of(p.solutions.begin(), p.solutions.end(), [&](const auto& g) {
                return g.sigma_s_per_m != t.sigma_s_per_m &&
                       std::abs(std::log(g.sigma_s_per_m / t.sigma_s_per_m)) < 0.3 &&
                       std::abs(std::log(g.eps_r / t.eps_r)) < 0.3;
            });
        }
        EXPECT_LE(ambiguous, close);
        // A point with grounds has a choice unless it is left out, and only where the
        // soil is missing is one left out.
        for (int i = 0; i < n_points; ++i) {
            const PointResult& p = points[i];
            const bool out = (p.flags & Outlier) != 0;
            EXPECT_EQ(p.chosen.has_value(), !p.solutions.empty() && !out) << i;
            EXPECT_TRUE(!out || !s.true_present(i)) << i;
            EXPECT_TRUE(p.flags & ElectricallyLong);
        }
    }
}

TEST(Tracking, BranchesPassingCloseAreFlaggedAndTheSoilIsKept) {
    // A second root passes the soil head-on in (ln sigma, ln eps_r) near 12 MHz; both
    // become poorly determined as they meet, as roots near a double root do.
    const double ln_f0 = std::log(12.0);
    auto offset = [=](double f) { return 0.8 * (ln_f0 - std::log(f)); };
    auto u_near = [=](double f) { return 0.03 + 0.004 / (std::abs(offset(f)) + 1e-3); };
    const Scenario s{"head-on",
                     [=](int, double f) {
                         if (f < 3) // it enters the box at 3 MHz
                             return Grounds{};
                         const Ground t = true_soil(f);
                         const double d = offset(f);
                         return Grounds{ground(t.sigma_s_per_m * std::exp(2 * d),
                                               t.eps_r * std::exp(-d + 0.01), u_near(f))};
                     },
                     always, false, u_near};
    const std::vector<PointResult> points = run(s);
    // The soil's own uncertainty grows there too.
    EXPECT_LE(wrong_choices(s, points), 3);
    for (int i = 0; i < n_points; ++i) {
        const double f = freq_mhz_of(i);
        const double d = std::abs(offset(f));
        const bool flagged = (points[i].flags & Ambiguous) != 0;
        // Flagged well within each other's uncertainty, never when far apart.
        EXPECT_TRUE(flagged || d * std::sqrt(5.0) >= u_near(f)) << f;
        EXPECT_FALSE(flagged && d > 10 * u_near(f)) << f;
    }
}

// A deterministic standard normal number for draw k of stream s (Box-Muller on two
// low-discrepancy sequences).
double gauss(int k, int s) {
    const double a = std::fmod((k + 1) * 0.7548776662 + s * 0.311, 1.0);
    const double b = std::fmod((k + 1) * 0.5698402910 + s * 0.173, 1.0);
    return std::sqrt(-2 * std::log(1 - a)) * std::cos(6.283185307 * b);
}

// A ground read with relative noise u: each part off by u times a normal number.
Ground noisy(double sigma, double eps_r, double u, int k, int s) {
    return ground(sigma * std::exp(u * gauss(k, s)), eps_r * std::exp(u * gauss(k, s + 1)), u);
}

TEST(Tracking, ALoneRootOfAnotherBranchIsLeftOutAndStartsNothing) {
    // A smooth, passive second branch far below the soil throughout; at some readings
    // the noise has pushed the soil out of the box and only the other ground is left.
    // Followed from there, the sweep would stay on the wrong branch to its end.
    const std::vector<int> lone_sets[] = {{150}, {150, 151, 152}, {0}, {n_points - 1}, {40, 220}};
    for (const std::vector<int>& lone : lone_sets) {
        SCOPED_TRACE(testing::Message() << "lone at " << lone.front() << ", " << lone.size());
        auto is_lone = [&](int i) { return std::count(lone.begin(), lone.end(), i) > 0; };
        const Scenario s{
            "lone",
            [](int i, double f) {
                return Grounds{noisy(0.003 * std::pow(f, 0.1), 7 * std::pow(f, -0.05), 0.02, i, 7)};
            },
            [&](int i) { return !is_lone(i); }, true};
        const std::vector<PointResult> points = run(s);
        EXPECT_EQ(wrong_choices(s, points), 0);
        for (int i : lone) {
            EXPECT_FALSE(points[i].chosen.has_value()) << i;
            EXPECT_TRUE(points[i].flags & Outlier) << i;
        }
        for (int i = 0; i < n_points; ++i)
            EXPECT_TRUE(is_lone(i) || !(points[i].flags & Outlier)) << i;
    }
}

TEST(Tracking, ABranchFallingFasterThanAnyRelaxationIsNotTheSoil) {
    // Past 8 MHz the soil is poorly determined (30 %) and a well-determined second
    // branch crosses its scatter at 12 MHz, sigma rising as the soil's and eps_r
    // falling as f^-3: passive, but faster than any sum of relaxations falls. Only that
    // tells it from the soil. The soil's root is told by its residual (1).
    for (int seed : {1, 2, 3}) {
        SCOPED_TRACE(seed);
        std::vector<PointResult> points(n_points);
        for (int i = 0; i < n_points; ++i) {
            const double f = freq_mhz_of(i);
            const Ground t = true_soil(f);
            Ground soil = noisy(t.sigma_s_per_m, t.eps_r, f < 8 ? 0.03 : 0.3, i, 10 * seed);
            soil.residual_ohm = 1;
            points[i].freq_hz = f * 1e6;
            points[i].solutions = {soil};
            if (f >= 8)
                points[i].solutions.push_back(noisy(
                    t.sigma_s_per_m * 1.3, t.eps_r * std::pow(f / 12, -3), 0.05, i, 10 * seed + 2));
        }
        track_solutions(points);
        // Wrong only where the two lie within about four of their combined uncertainties,
        // |ln(f / 12 MHz)| < 0.4, and never unflagged.
        int wrong_apart = 0, wrong_unflagged = 0;
        for (const PointResult& p : points) {
            const bool soil = p.chosen && p.solutions[*p.chosen].residual_ohm == 1;
            wrong_apart += !soil && std::abs(std::log(p.freq_hz / 12e6)) > 0.4;
            wrong_unflagged += !soil && !(p.flags & (Ambiguous | Outlier));
        }
        EXPECT_EQ(wrong_unflagged, 0);
        EXPECT_EQ(wrong_apart, 0);
    }
}

TEST(Tracking, AtANearDoubleRootTheSoilIsKeptAndTheMeetingFlagged) {
    // A second root meets the soil at 12 MHz and passes it, with eps_r rising and sigma
    // falling, as no passive soil does; near the meeting both roots are poorly
    // determined and the noise throws them about, so that they trade places. The soil's
    // root is told by its residual (1), which the tracking does not read.
    const double ln_f0 = std::log(12.0);
    auto offset = [=](double f) { return 0.6 * (std::log(f) - ln_f0); };
    auto u_near = [=](double f) { return 0.02 + 0.003 / (std::abs(offset(f)) + 0.01); };
    for (int seed : {1, 2, 3, 4}) {
        SCOPED_TRACE(seed);
        std::vector<PointResult> points(n_points);
        for (int i = 0; i < n_points; ++i) {
            const double f = freq_mhz_of(i), d = offset(f), u = u_near(f);
            const Ground t = true_soil(f);
            Ground soil = noisy(t.sigma_s_per_m, t.eps_r, u, i, 10 * seed);
            soil.residual_ohm = 1;
            const Ground other = noisy(t.sigma_s_per_m * std::exp(-2 * d), t.eps_r * std::exp(d), u,
                                       i, 10 * seed + 2);
            points[i].freq_hz = f * 1e6;
            points[i].solutions = seed % 2 ? Grounds{soil, other} : Grounds{other, soil};
        }
        track_solutions(points);
        int run = 0, longest = 0, flagged_near = 0, silent_near = 0, near = 0;
        for (int i = 0; i < n_points; ++i) {
            const PointResult& p = points[i];
            const double d = std::abs(offset(freq_mhz_of(i))), u = u_near(freq_mhz_of(i));
            ASSERT_TRUE(p.chosen.has_value()) << i;
            const bool soil = p.solutions[*p.chosen].residual_ohm == 1;
            // Well apart (ten noise widths), only the soil.
            EXPECT_TRUE(soil || d * std::sqrt(5.0) < 10 * u) << i;
            // Within each other's noise, mostly flagged, and never wrong unflagged.
            if (d * std::sqrt(5.0) < u) {
                ++near;
                flagged_near += (p.flags & Ambiguous) != 0;
                silent_near += !soil && !(p.flags & Ambiguous);
            }
            run = soil || (p.flags & Ambiguous) ? 0 : run + 1;
            longest = std::max(longest, run);
        }
        EXPECT_GT(near, 0);
        EXPECT_GE(2 * flagged_near, near);
        EXPECT_EQ(silent_near, 0);
        EXPECT_LT(longest, 5);
    }
}

} // namespace
} // namespace ardenca::sweep
