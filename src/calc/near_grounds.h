// The grounds a reading also fits within the meter's accuracy: minima of the misfit on
// the box's edges, where a ground just outside the box (or one the meter's error has
// pushed out of it) shows up, told apart from the exact solutions' own neighbourhoods.
#pragma once

#include "all_solutions.h"
#include "ground_model.h"
#include "probe_fixture.h"

#include <span>
#include <vector>

namespace ardenca::calc::solver {

// Given one part of the reading, the meter's 1-sigma error of it.
inline double meter_sigma_ohm(double part_ohm, const SolveOptions& options) {
    return options.meter_pct / 100 * (part_ohm < 0 ? -part_ohm : part_ohm) + options.meter_ohm;
}

// Given a solution and a ground, the ground's distance from it in the solution's own
// standard deviations (Mahalanobis, with its u and correlation, in sigma and eps_r);
// infinity when the solution's uncertainty is not known. Measured in sigma and eps_r
// themselves, not in their logarithms: u and corr carry the meter's error there, so to
// first order the distance is sqrt(chi2) from the solution, and a minimum in the
// solution's own valley (chi2 <= 4, about 2 deviations) stays well inside 3.
double deviations_from(const GroundSolution& solution, double sigma_s_per_m, double eps_r);

// Given the line, the chain to the meter, the reading, the options (the box, the meter's
// accuracy and near_chi2) and the exact solutions, the near grounds sorted by chi2: the
// local minima of chi2 along the boundary of the box with chi2 <= near_chi2 that lie
// more than 3 deviations from every solution. A solution whose uncertainty is not known
// (a double root) claims a minimum joined to it by a straight path, in the logarithms of
// sigma and eps_r, on which chi2 stays within 9. Adds its evaluations to `evaluations`.
std::vector<NearGround> near_grounds(const ProbeLine& line, const Bilinear& chain, cplx z_meter_ohm,
                                     const SolveOptions& options,
                                     std::span<const GroundSolution> solutions, long& evaluations);

} // namespace ardenca::calc::solver
