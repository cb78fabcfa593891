// The names the exports give to flags.
#pragma once

#include "calc/all_solutions.h"

#include <string>
#include <vector>

namespace ardenca::exports {

// Given a point's PointFlag bits, their names: "ambiguous", "no_solution",
// "electrically_long", "infinite_reading", "incomplete", "outlier", "near_alternative".
std::vector<std::string> point_flag_names(unsigned flags);

// Given a solution's calc::SolutionFlag bits, their names: "electrically_long",
// "beyond_quarter_wave", "near_double_root", "poorly_determined".
std::vector<std::string> solution_flag_names(unsigned flags);

// Given the edge of the box a near ground lies on, its name: "eps_r_min", "eps_r_max",
// "sigma_min" or "sigma_max".
const char* edge_name(calc::BoxEdge edge);

} // namespace ardenca::exports
