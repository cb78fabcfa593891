// The work one reading may take is bounded whatever the set-up: a probe too many
// half-waves long and a box with too many grounds are told before any search, and the
// evaluation budget ends a search as incomplete, never as a shorter list passed off as
// whole. The limits must not cut readings the solver can resolve.
#include "calc/all_solutions.h"
#include "reference_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace ardenca::solver_test {
namespace {

using calc::SolveOptions;
using calc::SolveResult;

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
