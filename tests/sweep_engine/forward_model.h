// Sweeps made forward from a soil whose conductivity and dielectric constant change
// with frequency, through the solver tests' own line model.
#pragma once

#include "../solver/reference_model.h"
#include "sweep/sweep.h"
#include "sweep/sweep_setup.h"

#include <cmath>

namespace ardenca::sweep {

struct Soil {
    const char* name;
    double sigma0, sigma_exp;           // sigma = sigma0 (f / 1 MHz)^sigma_exp
    double eps_inf, eps_delta, eps_exp; // eps_r = eps_inf + eps_delta (f / 1 MHz)^-eps_exp
    double sigma(double f_hz) const { return sigma0 * std::pow(f_hz / 1e6, sigma_exp); }
    double eps_r(double f_hz) const { return eps_inf + eps_delta * std::pow(f_hz / 1e6, -eps_exp); }
};

// Given a set-up and a soil, a sweep of n points evenly spaced from f0 to f1 (Hz).
inline Sweep synthetic(const SweepSetup& setup, const Soil& soil, int n, double f0, double f1) {
    Sweep s;
    s.path = soil.name;
    for (int i = 0; i < n; ++i) {
        const double f = f0 + (f1 - f0) * i / (n - 1);
        const calc::ProbeSetup probe = probe_at(setup, f);
        const auto eps = solver_test::ground(f, soil.sigma(f), soil.eps_r(f));
        s.points.push_back({f, solver_test::meter_reading(probe, f, eps), false});
    }
    return s;
}

} // namespace ardenca::sweep
