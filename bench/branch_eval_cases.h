// Synthetic field sweeps for judging the whole-sweep choice of ground: soils whose
// conductivity and dielectric constant follow a causal law (Messier, constant phase,
// sums of Debye relaxations), read through 0.3 to 1.2 m probes with and without a
// matching section, with Gaussian meter noise, through the tests' own line model.
// Deterministic: case k is the same on every run.
#pragma once

#include "../tests/solver/reference_model.h"
#include "sweep/sweep.h"
#include "sweep/sweep_setup.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ardenca::branch_eval {

constexpr double pi = 3.14159265358979323846;
constexpr double eps0_f_per_m = 8.854187817e-12;

// A soil as its complex permittivity's two parts at any frequency.
struct EvalSoil {
    enum class Family { Messier, Jonscher, Debye };
    Family family = Family::Messier;
    double sigma_dc_s_per_m = 0.01;
    double eps_inf = 10;
    double chi = 0, n = 0.5;                         // constant phase, at 1 MHz
    std::vector<double> debye_delta, debye_relax_hz; // one per relaxation

    // Given a frequency, the conductivity (S/m).
    double sigma(double f_hz) const {
        const double w = 2 * pi * f_hz;
        switch (family) {
        case Family::Messier:
            return sigma_dc_s_per_m + std::sqrt(2 * sigma_dc_s_per_m * w * eps0_f_per_m * eps_inf);
        case Family::Jonscher:
            return sigma_dc_s_per_m +
                   w * eps0_f_per_m * chi * std::pow(f_hz / 1e6, n - 1) * std::cos(n * pi / 2);
        case Family::Debye: {
            double s = sigma_dc_s_per_m;
            for (std::size_t k = 0; k < debye_delta.size(); ++k) {
                const double x = f_hz / debye_relax_hz[k]; // omega tau
                s += w * eps0_f_per_m * debye_delta[k] * x / (1 + x * x);
            }
            return s;
        }
        }
        return 0;
    }
    // Given a frequency, the relative dielectric constant.
    double eps_r(double f_hz) const {
        const double w = 2 * pi * f_hz;
        switch (family) {
        case Family::Messier:
            return eps_inf + std::sqrt(2 * sigma_dc_s_per_m * eps_inf / (w * eps0_f_per_m));
        case Family::Jonscher:
            return eps_inf + chi * std::pow(f_hz / 1e6, n - 1) * std::sin(n * pi / 2);
        case Family::Debye: {
            double e = eps_inf;
            for (std::size_t k = 0; k < debye_delta.size(); ++k) {
                const double x = f_hz / debye_relax_hz[k];
                e += debye_delta[k] / (1 + x * x);
            }
            return e;
        }
        }
        return 0;
    }
};

struct EvalCase {
    std::string name;
    EvalSoil soil;
    sweep::SweepSetup setup; // setup.solve carries the meter accuracy the noise was drawn with
    sweep::Sweep sweep;
};

// Given a seeded generator, a number spread evenly from lo to hi (or in its logarithm).
inline double uniform(std::mt19937_64& rng, double lo, double hi) {
    return lo + (hi - lo) * (static_cast<double>(rng() >> 11) * 0x1.0p-53);
}
inline double log_uniform(std::mt19937_64& rng, double lo, double hi) {
    return lo * std::pow(hi / lo, uniform(rng, 0, 1));
}

// Given a seeded generator, a standard normal number (Box-Muller, so that the draws do
// not depend on the standard library's own distributions).
inline double normal(std::mt19937_64& rng) {
    const double a = uniform(rng, 0, 1), b = uniform(rng, 0, 1);
    return std::sqrt(-2 * std::log(1 - a)) * std::cos(2 * pi * b);
}

// The meter accuracies tried, from a good VNA to a rough analyser: (pct, ohm).
inline constexpr double noise_levels[][2] = {{0.3, 0.2}, {1, 0.5}, {2, 0.7}, {3, 1}};

// Given k, the index of case k's noise level.
inline std::size_t noise_level_of(int k) {
    return static_cast<std::size_t>((k / 4) % 4);
}

// Given k, the k-th case: family and noise level cycle, the rest is drawn from seed k.
// With noise off the readings are exact (the meter accuracy still sets the u).
inline EvalCase make_case(int k, bool noise = true) {
    std::mt19937_64 rng(0x9e3779b97f4a7c15ull + static_cast<std::uint64_t>(k));
    EvalCase c;
    EvalSoil& s = c.soil;
    const int family = k % 4;
    s.sigma_dc_s_per_m = log_uniform(rng, 1e-3, 0.05);
    s.eps_inf = uniform(rng, 3, 25);
    if (family == 0) {
        s.family = EvalSoil::Family::Messier;
        c.name = "messier";
    } else if (family == 1) {
        s.family = EvalSoil::Family::Jonscher;
        s.chi = uniform(rng, 5, 60);
        s.n = uniform(rng, 0.2, 0.8);
        c.name = "jonscher";
    } else {
        s.family = EvalSoil::Family::Debye;
        const int terms = family == 2 ? 1 : 2 + static_cast<int>(rng() % 2);
        for (int t = 0; t < terms; ++t) {
            s.debye_delta.push_back(uniform(rng, 5, 50));
            s.debye_relax_hz.push_back(log_uniform(rng, 0.3e6, 100e6));
        }
        c.name = "debye" + std::to_string(terms);
    }
    const double* level = noise_levels[noise_level_of(k)];
    c.setup.solve.meter_pct = level[0];
    c.setup.solve.meter_ohm = level[1];
    c.setup.probe.length_m = uniform(rng, 0.3, 1.2);
    c.setup.probe.matching = (k / 16) % 2 == 1;
    c.setup.probe.match_zo_ohm = 75;
    c.setup.probe.match_deg = uniform(rng, 5, 40);
    c.setup.setup_freq_hz = 7e6;
    const int n_points = 100 + static_cast<int>(rng() % 201);

    c.sweep.path = c.name + "#" + std::to_string(k);
    for (int i = 0; i < n_points; ++i) {
        const double f = 1e6 + 29e6 * i / (n_points - 1);
        const calc::ProbeSetup probe = sweep::probe_at(c.setup, f);
        std::complex<double> z =
            solver_test::meter_reading(probe, f, solver_test::ground(f, s.sigma(f), s.eps_r(f)));
        if (noise) {
            const double u_r = level[0] / 100 * std::abs(z.real()) + level[1];
            const double u_x = level[0] / 100 * std::abs(z.imag()) + level[1];
            z += std::complex<double>(u_r * normal(rng), u_x * normal(rng));
        }
        c.sweep.points.push_back({f, z, false});
    }
    c.name += " L=" + std::to_string(c.setup.probe.length_m).substr(0, 4) +
              (c.setup.probe.matching ? " matched" : "") + " noise " +
              std::to_string(level[0]).substr(0, 3) + "%+" + std::to_string(level[1]).substr(0, 3);
    return c;
}

} // namespace ardenca::branch_eval
