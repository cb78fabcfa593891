// A sweep result as CSV: one header row, then one row per point of every location, then
// one row per frequency of the average when there is one. Comma-separated, "." as the
// decimal point, LF line ends, numbers in their shortest round-trip form, an empty cell
// for a value that does not exist (no chosen ground, an uncertainty the classic search
// does not give, an infinite reading).
//
// Columns:
//   location          the file's path as given; "average" for the average's rows
//   f_hz
//   sigma_s_per_m     the chosen ground (the average's rows: the mean)
//   u_sigma_s_per_m   its 1-sigma uncertainty (average: standard deviation over locations)
//   eps_r, u_eps_r    the same for the relative dielectric constant
//   skin_depth_m      plane-wave skin depth of the chosen ground
//   n_solutions       how many grounds fit the reading (average: locations averaged)
//   flags             the point's flags joined by "|" (ambiguous, no_solution,
//                     electrically_long, infinite_reading, incomplete, off_model,
//                     unresolvable); the average's
//                     rows say "average", and "average|interpolated" when a location's
//                     ground was interpolated in ln f there
//   r_measured_ohm, x_measured_ohm   the meter's reading
//   r_probe_ohm, x_probe_ohm         the reading de-embedded to the rods in the ground
//   model_sigma_s_per_m, model_u_sigma_s_per_m, model_eps_r, model_u_eps_r
//                     the location's fitted soil model at the point, when one fits
//   altK_sigma_s_per_m, altK_u_sigma_s_per_m, altK_eps_r, altK_u_eps_r   for K = 1, 2, ...
//                     the grounds not chosen, in the solver's order (by |gamma l|), in
//                     extra columns: as many groups as the point with most alternatives
//                     needs, empty where a point has fewer. With no chosen ground every
//                     ground is an alternative.
#pragma once

#include "sweep/sweep_result.h"

#include <iosfwd>
#include <string>

namespace ardenca::exports {

// Given a result, writes its rows to out as they are made.
void write_sweep_csv(std::ostream& out, const sweep::SweepResult& result);
// Given a result, its rows in one string.
std::string sweep_csv(const sweep::SweepResult& result);

} // namespace ardenca::exports
