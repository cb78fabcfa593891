// The engine with the all-solutions solver, in a file of its own so that tests of the
// engine with another solver do not need it.
#include "sweep_engine.h"

namespace ardenca::sweep {

SweepResult solve_sweeps(const SweepSetup& setup, const std::vector<Sweep>& sweeps,
                         const EngineOptions& options) {
    return solve_sweeps(setup, sweeps, options, &calc::solve_all);
}

PointResult solve_sweep_point(const SweepSetup& setup, const SweepPoint& point,
                              SolveMethod method) {
    return solve_sweep_point(setup, point, method, &calc::solve_all);
}

} // namespace ardenca::sweep
