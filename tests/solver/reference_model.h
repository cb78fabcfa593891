// The probe written out plainly for the tests, from the ground up to the meter, and a
// slow, independent search for every ground that reproduces a reading: Newton in eps
// from a dense grid of grounds, with finite-difference slopes.
#pragma once

#include "calc/all_solutions.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace ardenca::solver_test {

using cplx = std::complex<double>;
using calc::ProbeSetup;

namespace reference {
constexpr double pi = 3.14159265358979;
constexpr double co = 299792458;
constexpr double eo = 8.854187817e-12;

// Textbook lossless line: far-end impedance to near-end impedance.
inline cplx line_in(double zo, double theta, cplx z_far) {
    const double t = std::tan(theta);
    const cplx j(0, 1);
    return zo * (z_far + j * zo * t) / (zo + j * z_far * t);
}
} // namespace reference

// Given a ground, eps = eps_r - j sigma / (w eo).
inline cplx ground(double freq_hz, double sigma_s_per_m, double eps_r) {
    return {eps_r, -sigma_s_per_m / (2 * reference::pi * freq_hz * reference::eo)};
}

// Given the probe, the frequency and a ground, what the meter reads.
inline cplx meter_reading(const ProbeSetup& p, double freq_hz, cplx eps) {
    using namespace reference;
    const cplx j(0, 1);
    const double w = 2 * pi * freq_hz;
    const double zo_air = std::log(p.spacing_m / p.radius_m) / (pi * co * eo);
    const double l_per_m = zo_air / co, c_per_m = 1 / (zo_air * co);
    // Rods in the ground: Z' = j w L ur, Y' = j w C eps, open at the far end.
    const cplx zser = j * w * l_per_m * p.ur;
    const cplx ysh = j * w * c_per_m * eps;
    const cplx gamma = std::sqrt(zser * ysh);
    cplx z = std::sqrt(zser / ysh) / std::tanh(gamma * p.length_m);
    if (p.air_m != 0)
        z = line_in(zo_air, w / co * p.air_m, z);
    if (p.top_pf != 0)
        z = 1.0 / (1.0 / z + j * w * p.top_pf * 1e-12);
    z += j * w * p.lead_nh * 1e-9;
    if (p.matching)
        z = line_in(p.match_zo_ohm, p.match_deg * pi / 180, z);
    return z;
}

struct ReferenceRoot {
    double sigma_s_per_m;
    double eps_r;
};

// Given a reading, every ground of the box the grid search finds, distinct, sorted by
// conductivity.
inline std::vector<ReferenceRoot> grid_search(const ProbeSetup& p, double freq_hz, cplx z_meter_ohm,
                                              const calc::SolveOptions& box) {
    const double s_per_sigma = 1 / (2 * reference::pi * freq_hz * reference::eo);
    auto within = [](double x, double lo, double hi) {
        return x >= lo * (1 - 1e-8) && x <= hi * (1 + 1e-8);
    };
    // Point k of n spaced evenly in the logarithm from lo to hi.
    auto grid = [](double lo, double hi, int k, int n) {
        return lo * std::pow(hi / lo, k / (n - 1.0));
    };
    // Newton on the reading itself and on its reciprocal: the first is tame near the
    // zeros of Z, the second near its poles.
    auto f = [&](cplx eps, bool reciprocal) {
        const cplx z = meter_reading(p, freq_hz, eps);
        return reciprocal ? 1.0 / z - 1.0 / z_meter_ohm : z - z_meter_ohm;
    };
    std::vector<cplx> found;
    for (int i = 0; i < 56; ++i) {
        for (int k = 0; k < 28; ++k) {
            for (bool reciprocal : {false, true}) {
                cplx eps(grid(box.eps_r_min, box.eps_r_max, k, 28),
                         -grid(box.sigma_min_s_per_m, box.sigma_max_s_per_m, i, 56) * s_per_sigma);
                bool converged = false;
                for (int it = 0; it < 60 && !converged; ++it) {
                    const cplx h = 1e-6 * std::abs(eps);
                    // f over its central difference quotient.
                    cplx step = f(eps, reciprocal) * (2.0 * h) /
                                (f(eps + h, reciprocal) - f(eps - h, reciprocal));
                    if (!std::isfinite(std::abs(step)))
                        break;
                    if (std::abs(step) > 0.5 * std::abs(eps))
                        step *= 0.5 * std::abs(eps) / std::abs(step);
                    eps -= step;
                    converged = std::abs(step) < 1e-13 * std::abs(eps);
                    if (std::abs(eps) > 1e8 || eps.real() < -1e3)
                        break;
                }
                const bool inside =
                    within(eps.real(), box.eps_r_min, box.eps_r_max) &&
                    within(-eps.imag() / s_per_sigma, box.sigma_min_s_per_m, box.sigma_max_s_per_m);
                if (converged && inside && std::ranges::none_of(found, [&](cplx e) {
                        return std::abs(e - eps) < 1e-7 * std::abs(eps);
                    }))
                    found.push_back(eps);
            }
        }
    }
    // By conductivity: by falling imaginary part.
    std::ranges::sort(found, {}, [](cplx e) { return -e.imag(); });
    std::vector<ReferenceRoot> out;
    for (cplx eps : found)
        out.push_back({-eps.imag() / s_per_sigma, eps.real()});
    return out;
}

// Given a guess, the nearby zero of sinh 2u + 2u, where two grounds of a reading merge.
inline cplx double_root(cplx u) {
    for (int i = 0; i < 50; ++i)
        u -= (std::sinh(2.0 * u) + 2.0 * u) / (2.0 * std::cosh(2.0 * u) + 2.0);
    return u;
}

} // namespace ardenca::solver_test
