// Counting the zeros of g inside a ground box by the argument principle, certified.
#pragma once

#include "probe_equation.h"

#include <optional>

namespace ardenca::calc::solver {

// Given the equation, q and a box, the number of zeros of g inside the box (with
// multiplicity), or nothing when a zero sits on the box's edge or too close to it to be
// ruled out. Adds the evaluations of g it makes to `evaluations`.
std::optional<int> count_zeros(const ProbeEquation& eq, double q, const GroundBox& box,
                               long& evaluations);

} // namespace ardenca::calc::solver
