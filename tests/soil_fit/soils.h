// Soils for the fit's tests, written out in their real form (sigma(f), eps_r(f)) as a
// textbook gives them, and readings made from them through the solver tests' own
// line model, with the meter's noise.
#pragma once

#include "calc/all_solutions.h"
#include "solver/reference_model.h"

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace ardenca::soil_test {

constexpr double pi = solver_test::reference::pi;
constexpr double eo = solver_test::reference::eo;

struct Ground {
    double sigma, eps_r;
};

// sigma(f) = sigma0 + sqrt(2 sigma0 w eo eps_inf), eps_r = eps_inf + sqrt(2 sigma0 eps_inf / (w
// eo)).
inline Ground messier(double sigma0, double eps_inf, double f) {
    const double we = 2 * pi * f * eo;
    return {sigma0 + std::sqrt(2 * sigma0 * we * eps_inf),
            eps_inf + std::sqrt(2 * sigma0 * eps_inf / we)};
}

// Constant phase plus DC conduction, referred to 1 MHz.
inline Ground jonscher(double sigma0, double eps_inf, double chi, double n, double f) {
    const double we = 2 * pi * f * eo;
    const double x = std::pow(f / 1e6, n - 1);
    return {sigma0 + we * chi * x * std::cos(n * pi / 2), eps_inf + chi * x * std::sin(n * pi / 2)};
}

// A sum of Debye relaxations (strength d, frequency fr) over eps_inf and DC conduction:
// none of the three families.
inline Ground debye(double sigma0, double eps_inf, std::vector<std::pair<double, double>> terms,
                    double f) {
    Ground g{sigma0, eps_inf};
    for (const auto& [d, fr] : terms) {
        const double t = f / fr;
        g.eps_r += d / (1 + t * t);
        g.sigma += 2 * pi * f * eo * d * t / (1 + t * t);
    }
    return g;
}

// What a meter with 1-sigma errors of pct % + ohm in R and in X reads for the ground.
inline std::complex<double> noisy_reading(const calc::ProbeSetup& probe, double f, Ground g,
                                          double pct, double ohm, std::mt19937& rng) {
    const std::complex<double> z =
        solver_test::meter_reading(probe, f, solver_test::ground(f, g.sigma, g.eps_r));
    std::normal_distribution<double> n01;
    return {z.real() + n01(rng) * (pct / 100 * std::abs(z.real()) + ohm),
            z.imag() + n01(rng) * (pct / 100 * std::abs(z.imag()) + ohm)};
}

} // namespace ardenca::soil_test
