// How often the near grounds tell the truth, over random readings made with the tests'
// own forward model (not a benchmark of speed, and not a test: it prints figures).
//   1. Long probes (nu >= 0.5), readings with the meter's error at 1 % + 0.5 ohm (1-sigma,
//      Gaussian, in R and in X): of the readings whose true ground lies more than 3 of a
//      solution's own deviations from every exact solution, the share that tells at
//      least one near ground (and the share of those whose near ground lies within 3
//      deviations of the truth in chi2 terms, chi2(true) - chi2(near) <= 9).
//   2. Short probes (nu < 0.5), noise-free readings of grounds deep in the box: the
//      share with one solution and no near ground.
//   3. The stepped search along the edges against a dense scan of each edge (40000
//      points, the reference model): the local minima with chi2 < 8 it misses.
// Usage: ardenca_near_eval [READINGS [SIGMA_MIN SIGMA_MAX]] (true grounds' conductivity,
// default 0.001 to 1 S/m, log-uniform; eps_r uniform 2 to 80)
#include "calc/all_solutions.h"
#include "calc/edge_misfit.h"
#include "calc/near_grounds.h"
#include "reference_model.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

using namespace ardenca;
using solver_test::cplx;

struct Rng {
    std::mt19937_64 gen{20261207};
    double uniform(double a, double b) { return std::uniform_real_distribution<>(a, b)(gen); }
    double log_uniform(double a, double b) { return std::exp(uniform(std::log(a), std::log(b))); }
    double normal() { return std::normal_distribution<>(0, 1)(gen); }
};

double nu_of(const calc::ProbeSetup& p, double f_hz, double eps_r_max) {
    return 2 * f_hz * p.length_m * std::sqrt(p.ur * eps_r_max) / solver_test::reference::co;
}

calc::ProbeSetup probe(Rng& rng, double l_min, double l_max) {
    calc::ProbeSetup p;
    p.spacing_m = rng.uniform(0.05, 0.3);
    p.radius_m = rng.uniform(0.002, std::min(0.012, p.spacing_m / 4));
    p.length_m = rng.uniform(l_min, l_max);
    return p;
}

// Given a long probe's noisy reading, the dense scan's minima with chi2 < 8 on the box's
// edges, and how many of them the stepped search (limit 9) missed.
std::pair<int, int> dense_check(Rng& rng, const calc::SolveOptions& box) {
    using namespace calc::solver;
    calc::ProbeSetup p = probe(rng, 1, 3);
    const double f = rng.log_uniform(5e6, 30e6);
    const cplx clean = solver_test::meter_reading(
        p, f, solver_test::ground(f, rng.log_uniform(1e-4, 1), rng.uniform(1, 30)));
    const cplx z(clean.real() + (0.01 * std::abs(clean.real()) + 0.5) * rng.normal(),
                 clean.imag() + (0.01 * std::abs(clean.imag()) + 0.5) * rng.normal());
    const double u_r = 0.01 * std::abs(z.real()) + 0.5, u_x = 0.01 * std::abs(z.imag()) + 0.5;
    const ProbeLine line = probe_line(p, f);
    const Misfit misfit(line, fixture_to_meter(p, line), z, u_r, u_x);
    int found = 0, missed = 0;
    for (int e = 0; e < 4; ++e) {
        const bool in_sigma = e < 2;
        const double fixed = e == 0   ? box.eps_r_min
                             : e == 1 ? box.eps_r_max
                             : e == 2 ? box.sigma_min_s_per_m
                                      : box.sigma_max_s_per_m;
        const double t0 = std::log(in_sigma ? box.sigma_min_s_per_m : box.eps_r_min);
        const double t1 = std::log(in_sigma ? box.sigma_max_s_per_m : box.eps_r_max);
        long evaluations = 0;
        const EdgeScan scan = scan_edge(EdgePath(misfit, in_sigma, fixed), t0, t1, 9, evaluations);
        const int n = 40000;
        const double dt = (t1 - t0) / n;
        auto chi2 = [&](int i) {
            const double v = std::exp(t0 + i * dt);
            const cplx miss =
                solver_test::meter_reading(p, f,
                                           in_sigma ? solver_test::ground(f, v, fixed)
                                                    : solver_test::ground(f, fixed, v)) -
                z;
            return std::pow(miss.real() / u_r, 2) + std::pow(miss.imag() / u_x, 2);
        };
        double before = chi2(0), here = chi2(1);
        for (int i = 2; i <= n; ++i) {
            const double after = chi2(i);
            if (here < before && here <= after && here < 8) {
                const double t = t0 + (i - 1) * dt;
                bool hit = false;
                for (const MisfitPoint& m : scan.minima)
                    hit = hit || std::abs(m.t - t) <= 1.5 * dt;
                (hit ? found : missed) += 1;
            }
            before = here;
            here = after;
        }
    }
    return {found, missed};
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
    const double sigma_lo = argc > 3 ? std::atof(argv[2]) : 1e-3;
    const double sigma_hi = argc > 3 ? std::atof(argv[3]) : 1;
    const calc::SolveOptions box;
    Rng rng;

    int long_total = 0, far = 0, far_told = 0, far_none = 0, far_none_told = 0, far_one = 0,
        far_one_told = 0, wrong_unique = 0, near_count = 0;
    while (long_total < n) {
        calc::ProbeSetup p = probe(rng, 0.5, 2.0);
        const double f = rng.log_uniform(3e6, 30e6);
        if (nu_of(p, f, box.eps_r_max) < 0.5)
            continue;
        const double sigma = rng.log_uniform(sigma_lo, sigma_hi), eps_r = rng.uniform(2, 80);
        const cplx clean = solver_test::meter_reading(p, f, solver_test::ground(f, sigma, eps_r));
        const cplx z(clean.real() + (0.01 * std::abs(clean.real()) + 0.5) * rng.normal(),
                     clean.imag() + (0.01 * std::abs(clean.imag()) + 0.5) * rng.normal());
        const calc::SolveResult r = calc::solve_all(p, f, z, box);
        ++long_total;
        near_count += static_cast<int>(r.near.size());
        if (r.solutions.size() > 1)
            continue;
        bool is_far = true;
        for (const auto& s : r.solutions) {
            const double dev = calc::solver::deviations_from(s, sigma, eps_r);
            is_far = is_far && std::isfinite(dev) && dev > 3;
        }
        if (!is_far)
            continue;
        const bool told = !r.near.empty();
        ++far;
        far_told += told;
        (r.solutions.empty() ? far_none : far_one) += 1;
        (r.solutions.empty() ? far_none_told : far_one_told) += told;
        wrong_unique += r.unique;
    }
    std::printf("long probes, noisy (1%% + 0.5 ohm): %d readings, %.2f near grounds each\n",
                long_total, static_cast<double>(near_count) / long_total);
    std::printf("  true ground > 3 u from every solution (0 or 1 solution): %d\n", far);
    std::printf("  with at least one near ground: %d (%.1f %%)\n", far_told,
                100.0 * far_told / far);
    std::printf("    no solution: %d, told %d (%.1f %%)\n", far_none, far_none_told,
                100.0 * far_none_told / std::max(1, far_none));
    std::printf("    one solution: %d, told %d (%.1f %%)\n", far_one, far_one_told,
                100.0 * far_one_told / std::max(1, far_one));
    std::printf("  still called unique: %d\n", wrong_unique);

    int short_total = 0, short_one = 0, short_quiet = 0;
    while (short_total < n) {
        calc::ProbeSetup p = probe(rng, 0.1, 1.0);
        const double f = rng.log_uniform(1.8e6, 30e6);
        if (nu_of(p, f, box.eps_r_max) >= 0.5)
            continue;
        const double sigma = rng.log_uniform(1e-3, 1), eps_r = rng.uniform(3, 100);
        const cplx z = solver_test::meter_reading(p, f, solver_test::ground(f, sigma, eps_r));
        const calc::SolveResult r = calc::solve_all(p, f, z, box);
        ++short_total;
        short_one += r.solutions.size() == 1;
        short_quiet += r.solutions.size() == 1 && r.near.empty();
    }
    std::printf("short probes, noise-free, deep in the box: %d readings, %d with one solution\n",
                short_total, short_one);
    std::printf("  one solution and no near ground: %d (%.1f %%)\n", short_quiet,
                100.0 * short_quiet / short_total);
    int found = 0, missed = 0;
    for (int k = 0; k < std::max(1, n / 50); ++k) {
        const auto [f, m] = dense_check(rng, box);
        found += f;
        missed += m;
    }
    std::printf("edge search against a dense scan, %d long-probe readings: %d minima found, "
                "%d missed\n",
                std::max(1, n / 50), found, missed);
    return 0;
}
