// Solving whole sweeps: every point of every location on all cores, the physical ground
// tracked through each location, and optionally the average over the locations.
#pragma once

#include "soil_choice.h"
#include "sweep.h"
#include "sweep_result.h"
#include "sweep_setup.h"

#include <complex>
#include <vector>

namespace ardenca::sweep {

struct EngineOptions {
    SolveMethod method = SolveMethod::AllSolutions;
    int threads = 0; // 0: all cores; never more than the machine has
    bool average = false;
    FitChoice fit = FitChoice::None;
    std::vector<double> at_hz{}; // frequencies at which to give the fitted model's ground
};

// The all-solutions solver's signature; tests may put another one in its place.
using PointSolver = calc::SolveResult (*)(const calc::ProbeSetup&, double, std::complex<double>,
                                          const calc::SolveOptions&);

// Given the set-up and one sweep per location, the result. Each point is solved on its
// own (the matching section's length scaled to its frequency), the points of all
// locations in parallel on a oneTBB arena of options.threads threads; every point's
// result depends on that point alone, so the result is the same for any thread count.
// The all-solutions method then tracks each location and, unless options.fit is None,
// fits a soil model to its readings (see soil_choice.h), the locations in parallel; the
// classic method reports the one ground its search finds and fits nothing. Throws SetupError for a
// set-up check_setup refuses.
SweepResult solve_sweeps(const SweepSetup& setup, const std::vector<Sweep>& sweeps,
                         const EngineOptions& options, PointSolver solver);

// The same with calc::solve_all.
SweepResult solve_sweeps(const SweepSetup& setup, const std::vector<Sweep>& sweeps,
                         const EngineOptions& options);

// Given the set-up and one reading, its result as solve_sweeps has it before tracking:
// for a caller that solves points one at a time (and can stop between two). The set-up
// must have passed check_setup.
PointResult solve_sweep_point(const SweepSetup& setup, const SweepPoint& point, SolveMethod method,
                              PointSolver solver);
PointResult solve_sweep_point(const SweepSetup& setup, const SweepPoint& point, SolveMethod method);

} // namespace ardenca::sweep
