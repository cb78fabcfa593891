// The probe written out plainly for the tests, from the ground up to the meter, and a
// slow, independent search for every ground that reproduces a reading: Newton in eps
// from a dense grid of grounds, with finite-difference slopes.
#pragma once

#include "calc/all_solutions.h"

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
std::vector<ReferenceRoot> grid_search(const ProbeSetup& p, double freq_hz, cplx z_meter_ohm,
                                       const calc::SolveOptions& box);

// Given a guess, the nearby zero of sinh 2u + 2u, where two grounds of a reading merge.
inline cplx double_root(cplx u) {
    for (int i = 0; i < 50; ++i)
        u -= (std::sinh(2.0 * u) + 2.0 * u) / (2.0 * std::cosh(2.0 * u) + 2.0);
    return u;
}

} // namespace ardenca::solver_test
