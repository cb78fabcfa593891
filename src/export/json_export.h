// A sweep result as one JSON object, members in this order:
// {"setup": {spacing_m, radius_m, length_m, ur, matching, match_zo_ohm, match_deg,
//            setup_freq_hz, lead_nh, top_pf, air_m, method: "all"|"classic",
//            sigma_range_s_per_m: [min, max], eps_r_range: [min, max],
//            meter: {pct, ohm}, near_chi2},
//  "files": [{"path", "warnings": [...], "fit": null | FIT, "at": [AT...],
//             "points": [{"f_hz", "z_measured_ohm": [r, x],
//             "z_probe_ohm": [r, x], "nu", "solutions": [{"sigma_s_per_m", "eps_r",
//             "u_sigma_s_per_m", "u_eps_r", "corr", "residual_ohm", "gamma_l": [re, im],
//             "multiplicity", "flags": [...], "skin_depth_m"}], "near": [{"sigma_s_per_m",
//             "eps_r", "edge": "eps_r_min"|"eps_r_max"|"sigma_min"|"sigma_max", "chi2"}],
//             "chosen": k|null,
//             "flags": [...], "unresolvable": null | {"reason", "count": n|null},
//             "skin_depth_m", "model": null | {"sigma_s_per_m", "eps_r",
//             "u_sigma_s_per_m", "u_eps_r"}}]}],
//  "average": null | {"points": [{"f_hz", "sigma_mean_s_per_m", "sigma_sd_s_per_m",
//             "eps_r_mean", "eps_r_sd", "locations", "interpolated",
//             "interpolated_files": [path...]}], "fit": null | FIT, "at": [AT...]}}
// FIT: {"model": "constant"|"messier"|"jonscher", "acceptable", "chi2_per_dof",
//       "points_used", "points_total", "band_hz": [lo, hi],
//       "parameters": {NAME: {"value", "u"}}} with the names of calc::parameter_names;
// AT:  {"f_hz", "sigma_s_per_m", "eps_r", "u_sigma_s_per_m", "u_eps_r", "extrapolated",
//       "source": "model"|"readings"}.
// A point's "model" comes from an acceptable fit only; without one, "at" gives the
// chosen grounds' local mean inside the band ("readings"; null values outside it).
// Values that do not exist are null: the impedances of an infinite reading, the
// uncertainties of the classic search, the skin depth of a point without a chosen
// ground, a standard deviation over one location, a correlation whose uncertainties are
// unknown.
#pragma once

#include "sweep/sweep_result.h"

#include <iosfwd>
#include <nlohmann/json.hpp>

namespace ardenca::exports {

nlohmann::ordered_json sweep_json(const sweep::SweepResult& result);

// Given a reading's near grounds, their JSON list (empty when there are none).
nlohmann::ordered_json near_json(const std::vector<calc::NearGround>& near);

// Given a result, writes the same object without indentation to out, point by point, so
// that no document of the whole sweep is held in memory; bytes that are not UTF-8 are
// written as U+FFFD.
void write_sweep_json(std::ostream& out, const sweep::SweepResult& result);

} // namespace ardenca::exports
