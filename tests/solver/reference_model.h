// The probe written out plainly for the tests, from the ground up to the meter, and a
// slow, independent search for every ground that reproduces a reading: Newton in eps
// from a dense grid of grounds, with finite-difference slopes.
#pragma once

#include "calc/all_solutions.h"

#include <complex>
#include <vector>

namespace ardenca::solver_test {

using cplx = std::complex<double>;
using calc::ProbeSetup;

// Given the probe, the frequency and a ground, what the meter reads.
cplx meter_reading(const ProbeSetup& p, double freq_hz, cplx eps);

struct ReferenceRoot {
    double sigma_s_per_m;
    double eps_r;
};

// Given a reading, every ground of the box the grid search finds, distinct, sorted by
// conductivity.
std::vector<ReferenceRoot> grid_search(const ProbeSetup& p, double freq_hz, cplx z_meter_ohm,
                                       const calc::SolveOptions& box);

// Given a ground, eps = eps_r - j sigma / (w eo).
cplx ground(double freq_hz, double sigma_s_per_m, double eps_r);

} // namespace ardenca::solver_test
