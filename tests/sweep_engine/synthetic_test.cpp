// Sweeps made forward from soils whose conductivity and dielectric constant change with
// frequency, solved back with the real solver.
#include "export/json_export.h"
#include "forward_model.h"
#include "sweep/sweep_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace ardenca::sweep {
namespace {

bool same_ground(const calc::GroundSolution& g, double sigma, double eps_r) {
    return std::abs(g.sigma_s_per_m / sigma - 1) < 1e-6 && std::abs(g.eps_r / eps_r - 1) < 1e-6;
}

TEST(Synthetic, TrackedGroundIsTheSoil) {
    const Soil soils[] = {
        {"dry sand", 0.002, 0.15, 4, 6, 0.3}, {"average", 0.01, 0.2, 13, 20, 0.35},
        {"wet clay", 0.1, 0.1, 25, 60, 0.4},  {"sea marsh", 0.6, 0.05, 60, 40, 0.5},
        {"rock", 0.0002, 0.5, 5, 3, 0.2},     {"steep", 0.001, 0.8, 3, 100, 0.8},
        {"steeper", 0.003, 1.0, 4, 150, 1.0},
    };
    // Direct, through a matching section with a fixture, and with ur = 2.
    const calc::ProbeSetup probes[] = {
        {},
        {.matching = true, .match_deg = 30, .lead_nh = 40, .top_pf = 5, .air_m = 0.05},
        {.ur = 2}};
    int counted = 0, right = 0;
    // Short and long rods; coarse sweeps through the matching section, else fine ones.
    for (const Soil& soil : soils)
        for (double length : {0.3, 0.55, 1.2, 2.0})
            for (calc::ProbeSetup probe : probes) {
                SCOPED_TRACE(testing::Message() << soil.name << " " << length << " " << probe.ur
                                                << " " << probe.matching);
                probe.length_m = length;
                const SweepSetup setup{.probe = probe, .solve = {}};
                const int n = probe.matching ? 21 : 101;
                const Sweep sw = synthetic(setup, soil, n, 1.8e6, 30e6);
                const SweepResult r = solve_sweeps(setup, {sw}, {});
                for (const PointResult& p : r.locations[0].points) {
                    const double s = soil.sigma(p.freq_hz), e = soil.eps_r(p.freq_hz);
                    const auto soil_ground = [&](const calc::GroundSolution& g) {
                        return same_ground(g, s, e);
                    };
                    if (std::none_of(p.solutions.begin(), p.solutions.end(), soil_ground))
                        continue;
                    ++counted;
                    const bool ok = p.chosen && soil_ground(p.solutions[*p.chosen]);
                    right += ok;
                    EXPECT_TRUE(ok || (p.flags & Ambiguous)) << p.freq_hz; // never silent
                }
            }
    EXPECT_GT(counted, 5000);
    EXPECT_GE(right, 0.99 * counted) << right << " of " << counted;
}

TEST(Synthetic, ThreadCountsAgreeBitForBit) {
    const Soil soil{"average", 0.01, 0.2, 13, 20, 0.35};
    const SweepSetup setup{.probe = {.length_m = 1.2, .matching = true, .match_deg = 9.77},
                           .solve = {}};
    std::vector<Sweep> sweeps = {synthetic(setup, soil, 261, 1e6, 27e6),
                                 synthetic(setup, soil, 50, 3e6, 12e6)};
    // Every number of every point, the tracking and the average, exactly.
    const auto json_of = [&](int threads) {
        return exports::sweep_json(
            solve_sweeps(setup, sweeps, {SolveMethod::AllSolutions, threads, true}));
    };
    const auto one = json_of(1);
    for (int threads : {2, 5})
        EXPECT_TRUE(json_of(threads) == one) << threads;
}

} // namespace
} // namespace ardenca::sweep
