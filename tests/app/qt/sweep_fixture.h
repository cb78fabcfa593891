// Sweeps and sweep results for the sweep tests, over a ground that drifts with frequency as
// real soils do (conductivity up, dielectric constant down), from 1 MHz up in log steps.
#pragma once

#include "calc/ground_model.h"
#include "sweep/sweep.h"
#include "sweep/sweep_result.h"
#include "sweep/touchstone_writer.h"

#include <cmath>
#include <fstream>
#include <string>

namespace ardenca::testing {

inline double true_sigma(double freq_hz, double scale) {
    return scale * 0.006 * std::pow(freq_hz / 1e6, 0.15);
}
inline double true_eps_r(double freq_hz, double scale) {
    return scale * (10 + 22 / std::sqrt(freq_hz / 1e6));
}

// A Touchstone file of readings made forward with the solver's own line model for the default
// probe of the main window (0.1 m spacing, 7 mm radius, 0.55 m rods), read directly, with a
// ripple as a meter adds.
inline void write_synthetic(const std::string& path, int points, double scale = 1,
                            double ripple = 0, double f_hi_hz = 30e6) {
    sweep::Sweep sweep;
    sweep.parameter = "Z";
    sweep.data_format = "RI";
    for (int i = 0; i < points; ++i) {
        const double f = 1e6 * std::pow(f_hi_hz / 1e6, points > 1 ? double(i) / (points - 1) : 0);
        const auto line = calc::solver::probe_line(calc::ProbeSetup{}, f);
        const auto eps = calc::solver::ground_eps(line, true_sigma(f, scale), true_eps_r(f, scale));
        const auto z = calc::solver::rods_z_from_u(line, calc::solver::u_from_eps(line, eps));
        sweep.points.push_back({f, z * (1 + ripple * std::sin(1.7 * i)), false});
    }
    std::ofstream(path, std::ios::binary) << sweep::write_touchstone(sweep);
}

// A 101-point one-port file at 1.6 to 1.8 GHz: the default probe is some 80 half-waves
// long there, just inside the solver's bound, and each reading costs it thousands of
// evaluations. Returns the path.
inline std::string write_slow_band(const std::string& path) {
    std::string text = "# GHZ Z RI R 50\n";
    for (int i = 0; i < 101; ++i)
        text += std::to_string(1.6 + 0.002 * i) + " " +
                std::to_string(95 + 12 * std::sin(0.9 * i)) + " " +
                std::to_string(-18 + 9 * std::cos(1.3 * i)) + "\n";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A result made by hand: one tracked solution per point with a 4 % uncertainty, a second
// one where the probe is electrically long (past 70 % of the sweep), point n/2 ambiguous
// and point n/3 without a solution.
inline sweep::LocationResult made_location(const std::string& path, int points, double scale) {
    sweep::LocationResult location{path, {}, {}};
    for (int i = 0; i < points; ++i) {
        const double t = points > 1 ? double(i) / (points - 1) : 0, f = 1e6 * std::pow(30.0, t);
        const double sigma = true_sigma(f, scale), eps_r = true_eps_r(f, scale);
        const calc::GroundSolution s{.sigma_s_per_m = sigma,
                                     .eps_r = eps_r,
                                     .gamma_l = {},
                                     .u_sigma_s_per_m = 0.04 * sigma,
                                     .u_eps_r = 0.04 * eps_r,
                                     .skin_depth_m = 503 / std::sqrt(f * sigma)};
        const std::complex<double> z{40 + 10 * t, -60 + 30 * t};
        sweep::PointResult point{f, z, z, {s}, 0, i == points / 2 ? sweep::Ambiguous : 0u};
        if (t > 0.7) {
            point.solutions.push_back(
                {.sigma_s_per_m = 3 * sigma, .eps_r = 2.5 * eps_r, .gamma_l = {}});
            point.flags |= sweep::ElectricallyLong;
        }
        if (i == points / 3)
            point = {f, z, z, {}, std::nullopt, point.flags | sweep::NoSolution};
        location.points.push_back(point);
    }
    return location;
}

// Locations site1.s1p, site2.s1p, ..., each 8 % above the one before, and when there are
// several their average with a 5 % spread.
inline sweep::SweepResult made_result(int locations, int points) {
    sweep::SweepResult result;
    for (int k = 0; k < locations; ++k)
        result.locations.push_back(
            made_location("/data/site" + std::to_string(k + 1) + ".s1p", points, 1 + 0.08 * k));
    if (locations > 1) {
        result.average.emplace();
        const double scale = 1 + 0.04 * (locations - 1);
        for (const sweep::PointResult& p : result.locations[0].points) {
            const double sigma = true_sigma(p.freq_hz, scale), eps_r = true_eps_r(p.freq_hz, scale);
            result.average->push_back(
                {p.freq_hz, sigma, 0.05 * sigma, eps_r, 0.05 * eps_r, locations, false, {}});
        }
    }
    return result;
}

} // namespace ardenca::testing
