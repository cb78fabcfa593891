// Sweeps made forward from a known ground with the solver's own line model: the ground
// drifts with frequency as real soils do (conductivity up, dielectric constant down),
// optionally with a small ripple on the readings as a meter adds.
#pragma once

#include "calc/ground_model.h"
#include "sweep/sweep.h"
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

// The default probe of the main window (0.1 m spacing, 7 mm radius, 0.55 m rods), read
// directly, from f_lo to f_hi in log steps.
inline sweep::Sweep synthetic_sweep(int points, double scale = 1, double ripple = 0,
                                    double f_lo_hz = 1e6, double f_hi_hz = 30e6) {
    calc::ProbeSetup probe;
    sweep::Sweep sweep;
    sweep.parameter = "Z";
    sweep.data_format = "RI";
    for (int i = 0; i < points; ++i) {
        const double t = points > 1 ? double(i) / (points - 1) : 0;
        const double f = f_lo_hz * std::pow(f_hi_hz / f_lo_hz, t);
        const auto line = calc::solver::probe_line(probe, f);
        const auto eps = calc::solver::ground_eps(line, true_sigma(f, scale), true_eps_r(f, scale));
        auto z = calc::solver::rods_z_from_u(line, calc::solver::u_from_eps(line, eps));
        z *= 1 + ripple * std::sin(1.7 * i);
        sweep.points.push_back({f, z, false});
    }
    return sweep;
}

inline void write_synthetic(const std::string& path, int points, double scale = 1,
                            double ripple = 0, double f_hi_hz = 30e6) {
    std::ofstream(path, std::ios::binary)
        << sweep::write_touchstone(synthetic_sweep(points, scale, ripple, 1e6, f_hi_hz));
}

} // namespace ardenca::testing
