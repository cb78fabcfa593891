// Sweeps made forward from a soil whose conductivity and dielectric constant change
// with frequency, with a line model of the tests' own.
#pragma once

#include "sweep/sweep.h"
#include "sweep/sweep_setup.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace ardenca::sweep {

using cplx = std::complex<double>;

struct Soil {
    const char* name;
    double sigma0, sigma_exp;           // sigma = sigma0 (f / 1 MHz)^sigma_exp
    double eps_inf, eps_delta, eps_exp; // eps_r = eps_inf + eps_delta (f / 1 MHz)^-eps_exp
    double sigma(double f_hz) const { return sigma0 * std::pow(f_hz / 1e6, sigma_exp); }
    double eps_r(double f_hz) const { return eps_inf + eps_delta * std::pow(f_hz / 1e6, -eps_exp); }
};

// Given an impedance at the far end of a lossless line, the impedance at its near end.
inline cplx through_line(cplx z, double zo, double theta_rad) {
    const double t = std::tan(theta_rad);
    return zo * (z + cplx(0, zo * t)) / (zo + cplx(0, 1) * z * t);
}

// Given the probe, a frequency and a ground, what the meter reads: the two-wire line in
// the ground, open at the far end; the rods' length in air; the capacitance across their
// tops; the leads; the matching section.
inline cplx meter_reading(const calc::ProbeSetup& p, double f_hz, double sigma, double eps_r) {
    constexpr double c0 = 299792458, eps0 = 8.854187817e-12;
    const double w = 2 * std::numbers::pi * f_hz;
    const double zo_air = std::log(p.spacing_m / p.radius_m) / (std::numbers::pi * c0 * eps0);
    const double l_per_m = zo_air / c0, c_per_m = 1 / (zo_air * c0);
    const cplx z = cplx(0, w * l_per_m * p.ur);
    const cplx y = cplx(sigma * c_per_m / eps0, w * eps_r * c_per_m);
    const cplx gamma = std::sqrt(z * y), zo = std::sqrt(z / y);
    cplx zin = zo / std::tanh(gamma * p.length_m);
    zin = through_line(zin, zo_air, w * p.air_m / c0);
    zin = 1.0 / (1.0 / zin + cplx(0, w * p.top_pf * 1e-12));
    zin += cplx(0, w * p.lead_nh * 1e-9);
    if (p.matching)
        zin = through_line(zin, p.match_zo_ohm, p.match_deg * std::numbers::pi / 180);
    return zin;
}

// Given a set-up and a soil, a sweep of n points evenly spaced from f0 to f1 (Hz).
inline Sweep synthetic(const SweepSetup& setup, const Soil& soil, int n, double f0, double f1) {
    Sweep s;
    s.path = soil.name;
    for (int i = 0; i < n; ++i) {
        const double f = f0 + (f1 - f0) * i / (n - 1);
        const calc::ProbeSetup probe = probe_at(setup, f);
        s.points.push_back({f, meter_reading(probe, f, soil.sigma(f), soil.eps_r(f)), false});
    }
    return s;
}

} // namespace ardenca::sweep
