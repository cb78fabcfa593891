// The box's edges and the solver's limits. Near grounds: readings made with the tests'
// own forward model whose exact ground has left the box through one of its edges,
// readings of grounds deep inside it, minima that belong to a listed solution, the chi2
// limit, and the edge search against a dense scan. Bounds: the work one reading may take
// is bounded whatever the set-up: a probe too many half-waves long and a box with too
// many grounds are told before any search, and the evaluation budget ends a search as
// incomplete, never as a shorter list passed off as whole. The limits must not cut
// readings the solver can resolve.
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

// Given a reading and a ground, the misfit in the meter's deviations squared, through the
// reference model.
double chi2(const ProbeSetup& p, double f_hz, cplx z, double sigma, double eps_r) {
    const cplx miss = meter_reading(p, f_hz, ground(f_hz, sigma, eps_r)) - z;
    return std::pow(miss.real() / (0.01 * std::abs(z.real()) + 0.5), 2) +
           std::pow(miss.imag() / (0.01 * std::abs(z.imag()) + 0.5), 2);
}

SolveOptions box(double sigma_min, double sigma_max, double eps_r_min, double eps_r_max) {
    return {.sigma_min_s_per_m = sigma_min,
            .sigma_max_s_per_m = sigma_max,
            .eps_r_min = eps_r_min,
            .eps_r_max = eps_r_max};
}

// Given an edge, whether sigma runs along it, and its fixed value.
std::pair<bool, double> edge_of(BoxEdge e, const SolveOptions& o) {
    const double fixed[] = {o.eps_r_min, o.eps_r_max, o.sigma_min_s_per_m, o.sigma_max_s_per_m};
    return {e == BoxEdge::EpsRMin || e == BoxEdge::EpsRMax, fixed[static_cast<int>(e)]};
}

// A reading made by the ground `outside`, just beyond one edge of the box, which the
// meter's error could as well have made from `truth`, just inside it.
struct PushedOut {
    const char* what;
    ProbeSetup p;
    double f_hz;
    SolveOptions box;
    double truth_sigma, truth_eps_r, outside_sigma, outside_eps_r;
    BoxEdge edge;
};

const ProbeSetup long_probe{.spacing_m = 0.245, .radius_m = 0.0119, .length_m = 1.095};
const ProbeSetup fixture{.spacing_m = 0.2,
                         .radius_m = 0.008,
                         .length_m = 1.5,
                         .matching = true,
                         .match_zo_ohm = 50,
                         .match_deg = 120,
                         .lead_nh = 200,
                         .top_pf = 4};
const PushedOut pushed_out[] = {
    {"below eps_r 1", long_probe, 12.2e6, {}, 0.33, 2, 0.33, 0.7, BoxEdge::EpsRMin},
    {"above eps_r 40", long_probe, 12.2e6, box(1e-5, 20, 1, 40), 0.01, 39.7, 0.01, 40.4,
     BoxEdge::EpsRMax},
    {"below 1 mS/m", long_probe, 12.2e6, box(1e-3, 20, 1, 200), 1.05e-3, 20, 0.93e-3, 20,
     BoxEdge::SigmaMin},
    {"above 0.1 S/m", long_probe, 12.2e6, box(1e-5, 0.1, 1, 200), 0.098, 20, 0.104, 20,
     BoxEdge::SigmaMax},
    {"below eps_r 1 through a fixture", fixture, 9e6, {}, 0.2, 1.8, 0.2, 0.6, BoxEdge::EpsRMin},
};

// The near ground lies on the edge the reading's own ground left by, near the truth
// along it; its chi2 is the reference model's and a minimum along the edge. near_chi2
// keeps exactly the minima within it, and 0 looks for none.
TEST(NearGrounds, ARootPushedOutOfTheBoxIsToldThroughEachEdge) {
    for (const PushedOut& c : pushed_out) {
        SCOPED_TRACE(c.what);
        const cplx z = meter_reading(c.p, c.f_hz, ground(c.f_hz, c.outside_sigma, c.outside_eps_r));
        // The reading is a likely one for the truth, and the truth is not listed.
        ASSERT_LE(chi2(c.p, c.f_hz, z, c.truth_sigma, c.truth_eps_r), 4);
        const SolveResult r = calc::solve_all(c.p, c.f_hz, z, c.box);
        for (const auto& s : r.solutions)
            ASSERT_FALSE(std::abs(s.sigma_s_per_m / c.truth_sigma - 1) < 0.2 &&
                         std::abs(s.eps_r / c.truth_eps_r - 1) < 0.2);

        const auto g = std::ranges::find(r.near, c.edge, &NearGround::edge);
        ASSERT_NE(g, r.near.end());
        const auto [in_sigma, fixed] = edge_of(c.edge, c.box);
        EXPECT_EQ(in_sigma ? g->eps_r : g->sigma_s_per_m, fixed);
        EXPECT_NEAR(in_sigma ? g->sigma_s_per_m / c.truth_sigma : g->eps_r / c.truth_eps_r, 1,
                    0.05);
        const double want = chi2(c.p, c.f_hz, z, g->sigma_s_per_m, g->eps_r);
        EXPECT_NEAR(g->chi2, want, 1e-6 * want + 1e-9);
        for (double f : {0.999, 1.001})
            EXPECT_GE(chi2(c.p, c.f_hz, z, g->sigma_s_per_m * (in_sigma ? f : 1),
                           g->eps_r * (in_sigma ? 1 : f)),
                      g->chi2);
        EXPECT_FALSE(r.unique);
        EXPECT_EQ((r.flags & calc::NearAlternative) != 0, r.solutions.size() == 1);
        EXPECT_TRUE(std::ranges::is_sorted(r.near, {}, &NearGround::chi2));

        SolveOptions o = c.box;
        o.near_chi2 = 100;
        const std::vector<NearGround> all = calc::solve_all(c.p, c.f_hz, z, o).near;
        for (double limit : {0.0, 0.3, 1.0, 4.0, 9.0}) {
            o.near_chi2 = limit;
            const std::vector<NearGround> got = calc::solve_all(c.p, c.f_hz, z, o).near;
            const auto within = std::ranges::count_if(
                all, [&](const NearGround& a) { return limit > 0 && a.chi2 <= limit; });
            ASSERT_EQ(std::ssize(got), within) << limit;
            for (std::size_t i = 0; i < got.size(); ++i)
                EXPECT_NEAR(got[i].sigma_s_per_m / all[i].sigma_s_per_m, 1, 1e-7);
        }
    }
}

// Noise-free readings of short probes in grounds well inside the box: one ground, no
// near ground, a unique answer.
TEST(NearGrounds, ShortProbesDeepInTheBoxHaveNone) {
    std::mt19937_64 rng(7);
    auto log_uniform = [&](double a, double b) {
        return std::exp(std::uniform_real_distribution<>(std::log(a), std::log(b))(rng));
    };
    for (int readings = 0; readings < 60;) {
        ProbeSetup p{.spacing_m = log_uniform(0.05, 0.3), .length_m = log_uniform(0.1, 1)};
        p.radius_m = log_uniform(0.002, std::min(0.012, p.spacing_m / 4));
        const double f = log_uniform(1.8e6, 30e6), sigma = log_uniform(1e-3, 1),
                     eps_r = log_uniform(3, 100);
        const SolveResult r = calc::solve_all(p, f, meter_reading(p, f, ground(f, sigma, eps_r)));
        if (!(r.flags & calc::ProbeShort))
            continue;
        ++readings;
        EXPECT_TRUE(r.unique && r.near.empty()) << sigma << " S/m, eps_r " << eps_r;
    }
}

// A ground close to an edge with a wide uncertainty: chi2 along the edge falls within
// the meter's accuracy next to it, but that minimum is the listed ground itself; with
// the ground outside the box, the same minimum is a near ground.
TEST(NearGrounds, AMinimumInsideASolutionsRegionIsThatSolution) {
    const ProbeSetup p{.spacing_m = 0.1, .radius_m = 0.006, .length_m = 0.3};
    const double f = 1.8e6, sigma = 0.1, eps_r = 3;
    const cplx z = meter_reading(p, f, ground(f, sigma, eps_r));
    const SolveResult r = calc::solve_all(p, f, z);
    ASSERT_EQ(r.solutions.size(), 1u);
    ASSERT_GT(r.solutions[0].u_eps_r, eps_r - 1);
    ASSERT_LT(chi2(p, f, z, sigma, 1), 1);
    EXPECT_TRUE(r.near.empty());
    EXPECT_TRUE(r.unique);

    const SolveResult out = calc::solve_all(p, f, z, box(1e-5, 20, 3.5, 200));
    EXPECT_TRUE(out.solutions.empty());
    ASSERT_EQ(out.near.size(), 1u);
    EXPECT_EQ(out.near[0].edge, BoxEdge::EpsRMin);
    EXPECT_NEAR(out.near[0].sigma_s_per_m / sigma, 1, 0.05);
}

// Every local minimum a dense scan of an edge finds well within the limit is found by
// the stepped search, over long probes with noisy readings; the first comes at its
// minimum on the eps_r = 200 edge from far away, steeply, the second passes a sharp
// zero of Z on the sigma = 1e-5 edge.
TEST(NearGrounds, EdgeSearchMissesNoMinimumOfADenseScan) {
    using namespace calc::solver;
    struct Noisy {
        ProbeSetup p;
        double f_hz;
        cplx z;
    };
    std::vector<Noisy> readings = {
        {{.spacing_m = 0.268065, .radius_m = 0.00816989, .length_m = 2.367815},
         9698616.985877376,
         {12.644848322552654, -48.61941645402441}},
        {{.spacing_m = 0.225603, .radius_m = 0.00739775, .length_m = 1.951031},
         21631701.398633581,
         {1.5693781737916135, 0.71754715266455926}}};
    std::mt19937_64 rng(11);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    auto noisy = [&](double v) {
        return v + (0.01 * std::abs(v) + 0.5) * std::normal_distribution<>(0, 1)(rng);
    };
    while (readings.size() < 11) {
        ProbeSetup p{.spacing_m = uniform(0.05, 0.3), .length_m = uniform(1, 3)};
        p.radius_m = uniform(0.002, std::min(0.012, p.spacing_m / 4));
        const double f = std::exp(uniform(std::log(5e6), std::log(30e6)));
        const cplx clean = meter_reading(
            p, f, ground(f, std::exp(uniform(std::log(1e-4), std::log(1))), uniform(1, 20)));
        readings.push_back({p, f, {noisy(clean.real()), noisy(clean.imag())}});
    }
    const SolveOptions o;
    int minima = 0;
    for (const auto& [p, f, z] : readings) {
        const ProbeLine line = probe_line(p, f);
        const Misfit misfit(line, fixture_to_meter(p, line), z, 0.01 * std::abs(z.real()) + 0.5,
                            0.01 * std::abs(z.imag()) + 0.5);
        for (BoxEdge e :
             {BoxEdge::EpsRMin, BoxEdge::EpsRMax, BoxEdge::SigmaMin, BoxEdge::SigmaMax}) {
            const auto [in_sigma, fixed] = edge_of(e, o);
            const double t0 = std::log(in_sigma ? o.sigma_min_s_per_m : o.eps_r_min);
            const double t1 = std::log(in_sigma ? o.sigma_max_s_per_m : o.eps_r_max);
            long evaluations = 0;
            const EdgeScan scan =
                scan_edge(EdgePath(misfit, in_sigma, fixed), t0, t1, 9, evaluations);
            const int n = 40000;
            const double dt = (t1 - t0) / n;
            auto at = [&](int i) {
                const double v = std::exp(t0 + i * dt);
                return in_sigma ? chi2(p, f, z, v, fixed) : chi2(p, f, z, fixed, v);
            };
            double before = at(0), here = at(1);
            for (int i = 2; i <= n; ++i) {
                const double after = at(i);
                const double t = t0 + (i - 1) * dt;
                if (here < before && here <= after && here < 8) {
                    ++minima;
                    EXPECT_TRUE(std::ranges::any_of(scan.minima,
                                                    [&](const MisfitPoint& m) {
                                                        return std::abs(m.t - t) <= 1.5 * dt &&
                                                               m.chi2 <= here + 1e-6;
                                                    }))
                        << "a minimum at t " << t << ", chi2 " << here;
                }
                before = here;
                here = after;
            }
        }
    }
    EXPECT_GT(minima, 3); // the scan had something to find
}

// The probe's length in half-waves in the densest ground of the box, from first
// principles: 2 f l sqrt(ur eps_max) / c.
double half_waves(const ProbeSetup& p, double f_hz, double eps_r_max) {
    return 2 * f_hz * p.length_m * std::sqrt(p.ur * eps_r_max) / reference::co;
}

// Given nu, the frequency at which the default probe is that many half-waves long.
double freq_for_nu(const ProbeSetup& p, double nu, double eps_r_max = 200) {
    return nu * reference::co / (2 * p.length_m * std::sqrt(p.ur * eps_r_max));
}

bool has_ground(const SolveResult& r, double sigma, double eps_r) {
    return std::ranges::any_of(r.solutions, [&](const calc::GroundSolution& s) {
        return std::abs(s.sigma_s_per_m - sigma) < 1e-6 * sigma &&
               std::abs(s.eps_r - eps_r) < 1e-6 * eps_r;
    });
}

TEST(SolveBounds, TooLongAProbeIsToldWithoutSearching) {
    struct Case {
        ProbeSetup p;
        double f_hz;
        SolveOptions box;
    };
    const Case cases[] = {{{}, 1e12, {}},
                          {{}, 7e6, {.eps_r_max = 1e12}},
                          {{.length_m = 1e6}, 7e6, {}},
                          {{.ur = 1e9}, 14e6, {}},
                          {{.matching = true, .match_deg = 120}, 110e9, {}},
                          {{}, 7e6, {.eps_r_max = 1e300}}};
    for (const Case& c : cases) {
        const cplx z = meter_reading(c.p, c.f_hz, ground(c.f_hz, 0.01, 15));
        const SolveResult r = calc::solve_all(c.p, c.f_hz, z, c.box);
        SCOPED_TRACE(c.f_hz);
        EXPECT_NEAR(r.nu, half_waves(c.p, c.f_hz, c.box.eps_r_max), 1e-9 * r.nu);
        EXPECT_GT(r.nu, c.box.max_nu);
        EXPECT_EQ(r.unresolved, calc::Unresolved::ProbeTooLong);
        EXPECT_TRUE(r.flags & calc::Unresolvable);
        // Not searched: no claim that nothing fits, nor a list.
        EXPECT_FALSE(r.flags & (calc::NoSolution | calc::Incomplete));
        EXPECT_FALSE(r.complete);
        EXPECT_TRUE(r.solutions.empty());
        EXPECT_EQ(r.evaluations, 0);
        EXPECT_EQ(r.count, -1);
        EXPECT_NE(calc::unresolved_reason(r.unresolved, r.nu, r.count, c.box).find("half-waves"),
                  std::string::npos);
    }
}

// Just inside the limit every reading is still resolved in full within the budget, with
// about one ground per half-wave, as the limit's reasoning has it.
TEST(SolveBounds, ReadingsJustInsideTheLimitAreResolvedInFull) {
    std::mt19937_64 rng(24);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    for (int i = 0; i < 16; ++i) {
        ProbeSetup p;
        if (i % 2)
            p = {.matching = true, .match_deg = uniform(0, 330), .lead_nh = uniform(0, 300)};
        const double nu = uniform(90, 99.9);
        const double f = freq_for_nu(p, nu);
        const double sigma = std::exp(uniform(std::log(1e-4), std::log(1.0)));
        const double eps_r = uniform(2, 100);
        const SolveResult r = calc::solve_all(p, f, meter_reading(p, f, ground(f, sigma, eps_r)));
        SCOPED_TRACE(testing::Message() << "nu " << nu << " sigma " << sigma << " eps " << eps_r);
        EXPECT_TRUE(r.complete);
        EXPECT_EQ(r.unresolved, calc::Unresolved::No);
        EXPECT_FALSE(r.flags & (calc::Unresolvable | calc::Incomplete));
        EXPECT_TRUE(has_ground(r, sigma, eps_r));
        EXPECT_EQ(r.count, static_cast<int>(r.solutions.size()));
        EXPECT_GE(static_cast<double>(r.solutions.size()), 0.8 * nu);
        EXPECT_LE(static_cast<double>(r.solutions.size()), nu + 3);
        EXPECT_LT(r.evaluations, SolveOptions{}.max_evaluations / 2);
    }
}

// A long probe at 300 MHz: some fifteen grounds.
struct Long {
    ProbeSetup p{.length_m = 0.55};
    double f = 300e6;
    cplx z = meter_reading(p, f, ground(f, 0.003, 40));
};

TEST(SolveBounds, TooManyGroundsAreCountedNotListed) {
    const Long l;
    const SolveResult full = calc::solve_all(l.p, l.f, l.z);
    ASSERT_TRUE(full.complete);
    ASSERT_GE(full.solutions.size(), 10u);
    for (int limit : {0, 3, static_cast<int>(full.solutions.size()) - 1}) {
        const SolveResult r = calc::solve_all(l.p, l.f, l.z, {.max_count = limit});
        EXPECT_EQ(r.unresolved, calc::Unresolved::TooManyGrounds) << limit;
        EXPECT_TRUE(r.flags & calc::Unresolvable);
        EXPECT_FALSE(r.flags & calc::NoSolution);
        EXPECT_EQ(r.count, static_cast<int>(full.solutions.size()));
        EXPECT_TRUE(r.solutions.empty());
        EXPECT_FALSE(r.complete);
        EXPECT_NE(calc::unresolved_reason(r.unresolved, r.nu, r.count, {.max_count = limit})
                      .find(std::to_string(r.count) + " grounds"),
                  std::string::npos);
    }
    const SolveResult at_limit =
        calc::solve_all(l.p, l.f, l.z, {.max_count = static_cast<int>(full.solutions.size())});
    EXPECT_TRUE(at_limit.complete);
    EXPECT_EQ(at_limit.solutions.size(), full.solutions.size());
}

// Every budget short of what the search needs gives a list marked incomplete that holds
// only true grounds, or the whole list when the last evaluations were not needed for
// it; the budget is kept to within a few evaluations.
TEST(SolveBounds, TheBudgetEndsASearchAsIncomplete) {
    const Long l;
    // The budget bounds the search for the exact grounds; the near grounds' scan, a
    // fixed cost after it, is left out here.
    const SolveResult full = calc::solve_all(l.p, l.f, l.z, {.near_chi2 = 0});
    ASSERT_TRUE(full.complete);
    for (long budget : {1L, 5L, 40L, 150L, full.evaluations / 2, full.evaluations - 1}) {
        const SolveResult r =
            calc::solve_all(l.p, l.f, l.z, {.near_chi2 = 0, .max_evaluations = budget});
        SCOPED_TRACE(budget);
        EXPECT_TRUE(!r.complete || budget > full.evaluations / 2);
        EXPECT_EQ(r.complete, !(r.flags & calc::Incomplete));
        EXPECT_EQ(r.complete, r.solutions.size() == full.solutions.size());
        EXPECT_FALSE(r.flags & calc::Unresolvable);
        EXPECT_LE(r.evaluations, budget + static_cast<long>(full.solutions.size()) + 4);
        for (const calc::GroundSolution& s : r.solutions)
            EXPECT_TRUE(has_ground(full, s.sigma_s_per_m, s.eps_r));
    }
    const SolveResult enough =
        calc::solve_all(l.p, l.f, l.z, {.near_chi2 = 0, .max_evaluations = full.evaluations});
    EXPECT_TRUE(enough.complete);
    EXPECT_EQ(enough.solutions.size(), full.solutions.size());
}

// Boxes stretched to the ends of the number range stay within the budget.
TEST(SolveBounds, HostileBoxesStayWithinTheBudget) {
    const SolveOptions boxes[] = {{.sigma_min_s_per_m = 1e-300, .sigma_max_s_per_m = 1e300},
                                  {.sigma_min_s_per_m = 1e-300, .sigma_max_s_per_m = 1.7e308},
                                  {.eps_r_min = 1e-300, .eps_r_max = 1},
                                  {.sigma_min_s_per_m = 1, .sigma_max_s_per_m = 1 + 1e-15},
                                  {.eps_r_min = 99.9, .eps_r_max = 100}};
    const cplx readings[] = {{65.18, -67.34}, {1e-6, 1e-9}, {3e5, -2e5}, {0.5, 400}};
    for (const SolveOptions& box : boxes) {
        for (cplx z : readings) {
            const SolveResult r = calc::solve_all({}, 7e6, z, box);
            SCOPED_TRACE(testing::Message() << box.sigma_max_s_per_m << " " << z);
            EXPECT_LE(r.evaluations, box.max_evaluations + 200);
            EXPECT_TRUE(r.complete || (r.flags & calc::Incomplete));
        }
    }
}

} // namespace
} // namespace ardenca::solver_test
