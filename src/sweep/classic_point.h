// One reading solved the classic way: the two-stage search of "Calculate from Known
// Z in", with its exact numbers, on a calculation state of its own.
#pragma once

#include "calc/all_solutions.h"

#include <complex>
#include <optional>

namespace ardenca::sweep {

struct ClassicPoint {
    std::complex<double> z_probe_ohm; // the search's target: the reading at the probe
    // The ground found, when a stage ended without a fault. Its uncertainties are NaN:
    // the classic search does not give any.
    std::optional<calc::GroundSolution> ground;
    long evaluations = 0;
};

// Given the probe (match_deg already at this frequency), the frequency and the meter's
// reading, the ground the classic search finds: the first stage, the second stage when
// the first faulted or found a dielectric constant above 250, exactly as the window
// runs them for these numbers. The fixture corrections (leads, top capacitance, rods in
// air) are not part of the classic model and are ignored here.
ClassicPoint classic_point(const calc::ProbeSetup& probe, double freq_hz,
                           std::complex<double> z_meter_ohm);

// Given the frequency, the rod length, ur and the box's largest dielectric constant, how
// long the probe can be: nu = (omega l / c0) sqrt(ur eps_r_max) / pi.
double probe_nu(double freq_hz, double length_m, double ur, double eps_r_max);

// Given sigma, eps_r, ur and the frequency, the plane-wave skin depth in the ground (m).
double skin_depth_m(double sigma_s_per_m, double eps_r, double ur, double freq_hz);

} // namespace ardenca::sweep
