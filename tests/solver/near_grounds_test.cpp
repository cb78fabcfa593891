// Near grounds: readings made with the tests' own forward model whose exact ground has
// left the box through one of its edges, readings of grounds deep inside it, minima that
// belong to a listed solution, the chi2 limit, and the edge search against a dense scan.
#include "calc/all_solutions.h"
#include "calc/edge_misfit.h"
#include "calc/ground_model.h"
#include "calc/probe_fixture.h"
#include "reference_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace ardenca::solver_test {
namespace {

using calc::BoxEdge;
using calc::NearGround;
using calc::SolveOptions;
using calc::SolveResult;

// Given a ground and a reading, the misfit in the meter's standard deviations squared,
// through the reference model.
double chi2(const ProbeSetup& p, double f_hz, cplx z, const SolveOptions& o, double sigma,
            double eps_r) {
    const cplx miss = meter_reading(p, f_hz, ground(f_hz, sigma, eps_r)) - z;
    const double u_r = o.meter_pct / 100 * std::abs(z.real()) + o.meter_ohm;
    const double u_x = o.meter_pct / 100 * std::abs(z.imag()) + o.meter_ohm;
    return std::pow(miss.real() / u_r, 2) + std::pow(miss.imag() / u_x, 2);
}

bool runs_in_sigma(BoxEdge e) {
    return e == BoxEdge::EpsRMin || e == BoxEdge::EpsRMax;
}

double fixed_value(BoxEdge e, const SolveOptions& o) {
    switch (e) {
    case BoxEdge::EpsRMin:
        return o.eps_r_min;
    case BoxEdge::EpsRMax:
        return o.eps_r_max;
    case BoxEdge::SigmaMin:
        return o.sigma_min_s_per_m;
    case BoxEdge::SigmaMax:
        return o.sigma_max_s_per_m;
    }
    return 0;
}

// A reading made by the ground `outside`, just beyond one edge of the box, which the
// meter's error could equally have made from `truth`, just inside it.
struct PushedOut {
    std::string what;
    ProbeSetup p;
    double f_hz;
    SolveOptions box;
    double truth_sigma, truth_eps_r;
    double outside_sigma, outside_eps_r;
    BoxEdge edge;
};

SolveOptions box_with(double sigma_min, double sigma_max, double eps_r_min, double eps_r_max) {
    SolveOptions o;
    o.sigma_min_s_per_m = sigma_min;
    o.sigma_max_s_per_m = sigma_max;
    o.eps_r_min = eps_r_min;
    o.eps_r_max = eps_r_max;
    return o;
}

std::vector<PushedOut> pushed_out() {
    const ProbeSetup long_probe{.spacing_m = 0.245, .radius_m = 0.0119, .length_m = 1.095};
    const ProbeSetup fixture{.spacing_m = 0.2,
                             .radius_m = 0.008,
                             .length_m = 1.5,
                             .matching = true,
                             .match_zo_ohm = 50,
                             .match_deg = 120,
                             .lead_nh = 200,
                             .top_pf = 4};
    return {
        {"below eps_r 1", long_probe, 12.2e6, {}, 0.33, 2, 0.33, 0.7, BoxEdge::EpsRMin},
        {"above eps_r 40", long_probe, 12.2e6, box_with(1e-5, 20, 1, 40), 0.01, 39.7, 0.01, 40.4,
         BoxEdge::EpsRMax},
        {"below 1 mS/m", long_probe, 12.2e6, box_with(1e-3, 20, 1, 200), 1.05e-3, 20, 0.93e-3, 20,
         BoxEdge::SigmaMin},
        {"above 0.1 S/m", long_probe, 12.2e6, box_with(1e-5, 0.1, 1, 200), 0.098, 20, 0.104, 20,
         BoxEdge::SigmaMax},
        {"below eps_r 1 through a fixture", fixture, 9e6, {}, 0.2, 1.8, 0.2, 0.6, BoxEdge::EpsRMin},
    };
}

// The near ground is where the reading's own ground left the box, on the right edge,
// near the truth along it; its chi2 is the reference model's and a minimum along the edge.
TEST(NearGrounds, ARootPushedOutOfTheBoxIsToldThroughEachEdge) {
    for (const PushedOut& c : pushed_out()) {
        SCOPED_TRACE(c.what);
        const cplx z = meter_reading(c.p, c.f_hz, ground(c.f_hz, c.outside_sigma, c.outside_eps_r));
        // The reading is a likely one for the truth, and the truth is not listed.
        ASSERT_LE(chi2(c.p, c.f_hz, z, c.box, c.truth_sigma, c.truth_eps_r), 4);
        const SolveResult r = calc::solve_all(c.p, c.f_hz, z, c.box);
        for (const auto& s : r.solutions)
            ASSERT_FALSE(std::abs(s.sigma_s_per_m / c.truth_sigma - 1) < 0.2 &&
                         std::abs(s.eps_r / c.truth_eps_r - 1) < 0.2);

        const auto on_edge =
            std::ranges::find_if(r.near, [&](const NearGround& g) { return g.edge == c.edge; });
        ASSERT_NE(on_edge, r.near.end());
        const NearGround& g = *on_edge;
        const bool in_sigma = runs_in_sigma(c.edge);
        EXPECT_EQ(in_sigma ? g.eps_r : g.sigma_s_per_m, fixed_value(c.edge, c.box));
        if (in_sigma)
            EXPECT_NEAR(g.sigma_s_per_m / c.truth_sigma, 1, 0.05);
        else
            EXPECT_NEAR(g.eps_r / c.truth_eps_r, 1, 0.05);
        const double want = chi2(c.p, c.f_hz, z, c.box, g.sigma_s_per_m, g.eps_r);
        EXPECT_NEAR(g.chi2, want, 1e-6 * want + 1e-9);
        EXPECT_LE(g.chi2, 4);
        for (double step : {-1e-3, 1e-3}) {
            const double f = std::exp(step);
            EXPECT_GE(in_sigma ? chi2(c.p, c.f_hz, z, c.box, g.sigma_s_per_m * f, g.eps_r)
                               : chi2(c.p, c.f_hz, z, c.box, g.sigma_s_per_m, g.eps_r * f),
                      g.chi2);
        }

        EXPECT_FALSE(r.unique);
        EXPECT_EQ((r.flags & calc::NearAlternative) != 0, r.solutions.size() == 1);
        EXPECT_EQ((r.flags & calc::NoSolution) != 0, r.solutions.empty());
        EXPECT_TRUE(std::ranges::is_sorted(r.near, {}, &NearGround::chi2));
    }
}

// Noise-free readings of short probes in grounds well inside the box: one ground, no
// near ground, a unique answer.
TEST(NearGrounds, ShortProbesDeepInTheBoxHaveNone) {
    std::mt19937_64 rng(7);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    int readings = 0;
    while (readings < 60) {
        ProbeSetup p;
        p.spacing_m = uniform(0.05, 0.3);
        p.radius_m = uniform(0.002, std::min(0.012, p.spacing_m / 4));
        p.length_m = uniform(0.1, 1);
        const double f = std::exp(uniform(std::log(1.8e6), std::log(30e6)));
        const double sigma = std::exp(uniform(std::log(1e-3), std::log(1))),
                     eps_r = uniform(3, 100);
        const SolveResult r = calc::solve_all(p, f, meter_reading(p, f, ground(f, sigma, eps_r)));
        if (!(r.flags & calc::ProbeShort))
            continue;
        ++readings;
        SCOPED_TRACE(std::to_string(sigma) + " S/m, eps_r " + std::to_string(eps_r));
        ASSERT_EQ(r.solutions.size(), 1u);
        EXPECT_TRUE(r.near.empty()) << r.near[0].sigma_s_per_m << " " << r.near[0].eps_r;
        EXPECT_TRUE(r.unique);
        EXPECT_FALSE(r.flags & calc::NearAlternative);
    }
}

// A ground close to an edge with a wide uncertainty: the misfit along the edge falls
// within the meter's accuracy next to it, but that minimum is the listed ground itself.
TEST(NearGrounds, AMinimumInsideASolutionsRegionIsThatSolution) {
    const ProbeSetup p{.spacing_m = 0.1, .radius_m = 0.006, .length_m = 0.3};
    const double f = 1.8e6, sigma = 0.1, eps_r = 3;
    const cplx z = meter_reading(p, f, ground(f, sigma, eps_r));
    const SolveOptions box;
    const SolveResult r = calc::solve_all(p, f, z, box);
    ASSERT_EQ(r.solutions.size(), 1u);
    ASSERT_GT(r.solutions[0].u_eps_r, eps_r - box.eps_r_min);
    ASSERT_LT(chi2(p, f, z, box, sigma, box.eps_r_min), 1);
    EXPECT_TRUE(r.near.empty());
    EXPECT_TRUE(r.unique);

    // With the ground itself outside the box, the same minimum is a near ground.
    const SolveResult out = calc::solve_all(p, f, z, box_with(1e-5, 20, 3.5, 200));
    EXPECT_TRUE(out.solutions.empty());
    ASSERT_EQ(out.near.size(), 1u);
    EXPECT_EQ(out.near[0].edge, BoxEdge::EpsRMin);
    EXPECT_NEAR(out.near[0].sigma_s_per_m / sigma, 1, 0.05);
}

// near_chi2 keeps exactly the minima within it; 0 looks for none.
TEST(NearGrounds, TheChi2LimitKeepsTheMinimaWithinIt) {
    for (const PushedOut& c : pushed_out()) {
        SCOPED_TRACE(c.what);
        const cplx z = meter_reading(c.p, c.f_hz, ground(c.f_hz, c.outside_sigma, c.outside_eps_r));
        SolveOptions wide = c.box;
        wide.near_chi2 = 100;
        const std::vector<NearGround> all = calc::solve_all(c.p, c.f_hz, z, wide).near;
        ASSERT_FALSE(all.empty());
        for (double limit : {0.0, 0.3, 1.0, 4.0, 9.0, 30.0}) {
            SolveOptions o = c.box;
            o.near_chi2 = limit;
            const std::vector<NearGround> got = calc::solve_all(c.p, c.f_hz, z, o).near;
            std::vector<NearGround> want;
            std::ranges::copy_if(all, std::back_inserter(want),
                                 [&](const NearGround& g) { return limit > 0 && g.chi2 <= limit; });
            ASSERT_EQ(got.size(), want.size()) << limit;
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_EQ(got[i].edge, want[i].edge);
                EXPECT_NEAR(got[i].sigma_s_per_m / want[i].sigma_s_per_m, 1, 1e-7);
                EXPECT_NEAR(got[i].eps_r / want[i].eps_r, 1, 1e-7);
            }
        }
    }
}

// Every local minimum a dense scan of an edge finds well within the limit is found by the
// stepped search, and nothing else is, over long probes with noisy readings.
TEST(NearGrounds, EdgeSearchMissesNoMinimumOfADenseScan) {
    using namespace calc::solver;
    std::mt19937_64 rng(11);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    auto normal = [&] { return std::normal_distribution<>(0, 1)(rng); };
    const SolveOptions box;
    const double limit = 9;
    int minima = 0;
    for (int k = 0; k < 12; ++k) {
        ProbeSetup p;
        p.spacing_m = uniform(0.05, 0.3);
        p.radius_m = uniform(0.002, std::min(0.012, p.spacing_m / 4));
        p.length_m = uniform(1, 3);
        const double f = std::exp(uniform(std::log(5e6), std::log(30e6)));
        const cplx clean = meter_reading(
            p, f, ground(f, std::exp(uniform(std::log(1e-4), std::log(1))), uniform(1, 20)));
        const cplx z(clean.real() + (0.01 * std::abs(clean.real()) + 0.5) * normal(),
                     clean.imag() + (0.01 * std::abs(clean.imag()) + 0.5) * normal());
        const ProbeLine line = probe_line(p, f);
        const Misfit misfit(line, fixture_to_meter(p, line), z, 0.01 * std::abs(z.real()) + 0.5,
                            0.01 * std::abs(z.imag()) + 0.5);
        for (BoxEdge e :
             {BoxEdge::EpsRMin, BoxEdge::EpsRMax, BoxEdge::SigmaMin, BoxEdge::SigmaMax}) {
            const bool in_sigma = runs_in_sigma(e);
            const double t0 = std::log(in_sigma ? box.sigma_min_s_per_m : box.eps_r_min);
            const double t1 = std::log(in_sigma ? box.sigma_max_s_per_m : box.eps_r_max);
            const EdgePath path(misfit, in_sigma, fixed_value(e, box));
            long evaluations = 0;
            const EdgeScan scan = scan_edge(path, t0, t1, limit, evaluations);
            const int n = 40000;
            const double dt = (t1 - t0) / n;
            auto at = [&](int i) {
                const double v = std::exp(t0 + i * dt);
                return in_sigma ? chi2(p, f, z, box, v, fixed_value(e, box))
                                : chi2(p, f, z, box, fixed_value(e, box), v);
            };
            double before = at(0), here = at(1);
            for (int i = 2; i <= n; ++i) {
                const double after = at(i);
                if (here < before && here <= after && here < 0.9 * limit) {
                    ++minima;
                    const double t = t0 + (i - 1) * dt;
                    EXPECT_TRUE(std::ranges::any_of(scan.minima,
                                                    [&](const MisfitPoint& m) {
                                                        return std::abs(m.t - t) <= 1.5 * dt &&
                                                               m.chi2 <= here * (1 + 1e-6) + 1e-9;
                                                    }))
                        << "missed a minimum at t " << t << ", chi2 " << here << ", edge "
                        << static_cast<int>(e) << " k " << k << " " << p.spacing_m << " "
                        << p.radius_m << " " << p.length_m << " f " << f << " z " << z << [&] {
                               std::string o;
                               for (auto& m : scan.minima)
                                   o += " [" + std::to_string(m.t) + " " + std::to_string(m.chi2) +
                                        "]";
                               return o;
                           }();
                }
                before = here;
                here = after;
            }
            for (const MisfitPoint& m : scan.minima) {
                EXPECT_LE(m.chi2, limit);
                EXPECT_GT(m.t, t0);
                EXPECT_LT(m.t, t1);
            }
        }
    }
    EXPECT_GT(minima, 3); // the scan had something to find
}

} // namespace
} // namespace ardenca::solver_test
