// The fallbacks of the search, which the local seeds rarely need, and a double root.
// A wrong count fails the dense search of solve_all_test.
#include "calc/all_solutions.h"
#include "calc/root_count.h"
#include "calc/root_search.h"
#include "reference_model.h"

#include <gtest/gtest.h>

namespace ardenca::solver_test {
namespace {

using namespace calc::solver;

struct Equation {
    ProbeLine line;
    ProbeEquation eq;
    GroundBox box;
};

// The equation of a long probe's reading of one ground, over the default box.
Equation long_probe(double length_m, double freq_hz, double sigma, double eps_r, double ur) {
    Equation e;
    e.line = probe_line({.length_m = length_m, .ur = ur}, freq_hz);
    const cplx z = rods_z_classic(e.line, sigma, eps_r);
    e.eq = ProbeEquation{cplx(0, e.line.zs_ohm) / z};
    const double s = 1 / (e.line.w_rad_s * prog_eo);
    e.box = {1, 200, 1e-5 * s, 20 * s};
    return e;
}

const Equation cases[] = {long_probe(1.2, 30e6, 0.003, 40, 1), long_probe(2.5, 28e6, 0.001, 12, 2),
                          long_probe(3, 30e6, 2e-4, 150, 3), long_probe(0.55, 7e6, 0.01, 30, 1)};

// Without seeds, or from one poor seed, halving the box and deflation find every zero.
TEST(RootSearch, FallbacksFindWhatTheSeedsFind) {
    for (const Equation& e : cases) {
        long evals = 0;
        const int count = *count_zeros(e.eq, e.line.q, e.box, evals);
        const auto seeds = local_seeds(e.eq, e.line.q, e.box);
        const RootSearch seeded = find_roots(e.eq, e.line.q, e.box, count, seeds, evals);
        ASSERT_TRUE(seeded.complete);
        ASSERT_GE(seeded.roots.size(), 1u);
        const cplx poor[] = {cplx(0.3, 0.3)};
        for (std::span<const cplx> start : {std::span<const cplx>(), std::span<const cplx>(poor)}) {
            const RootSearch r = find_roots(e.eq, e.line.q, e.box, count, start, evals);
            EXPECT_TRUE(r.complete);
            ASSERT_EQ(r.roots.size(), seeded.roots.size());
            for (const FoundRoot& want : seeded.roots)
                EXPECT_TRUE(std::any_of(r.roots.begin(), r.roots.end(), [&](const FoundRoot& got) {
                    return std::abs(got.u - want.u) < 1e-10 * std::abs(want.u);
                })) << want.u;
        }
    }
}

// A reading made exactly at a double root has one ground of multiplicity two, whose
// uncertainty is unbounded.
TEST(RootSearch, DoubleRootCountsTwice) {
    const cplx u = double_root({1.1254, 2.1062});
    const ProbeSetup p{.length_m = 2};
    const double f = 20e6;
    const ProbeLine line = probe_line(p, f);
    const cplx z = rods_z_from_u(line, u);
    const calc::SolveResult r = calc::solve_all(p, f, z);
    EXPECT_TRUE(r.complete);
    int at_u = 0;
    for (const calc::GroundSolution& s : r.solutions) {
        if (std::abs(s.gamma_l - u) < 1e-4) {
            at_u += s.multiplicity;
            EXPECT_TRUE(s.flags & calc::NearDoubleRoot);
            EXPECT_TRUE(s.flags & calc::PoorlyDetermined);
        }
    }
    EXPECT_EQ(at_u, 2);
}

} // namespace
} // namespace ardenca::solver_test
