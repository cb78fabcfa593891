// The names the exports give to flags.
#pragma once

#include <string>
#include <vector>

namespace ardenca::exports {

// Given a point's PointFlag bits, their names: "ambiguous", "no_solution",
// "electrically_long", "infinite_reading", "incomplete".
std::vector<std::string> point_flag_names(unsigned flags);

// Given a solution's calc::SolutionFlag bits, their names: "electrically_long",
// "beyond_quarter_wave", "near_double_root", "poorly_determined".
std::vector<std::string> solution_flag_names(unsigned flags);

} // namespace ardenca::exports
