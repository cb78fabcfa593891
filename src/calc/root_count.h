// Counting the zeros of g inside a ground box by the argument principle, certified.
#pragma once

#include "probe_equation.h"

#include <limits>
#include <optional>

namespace ardenca::calc::solver {

// Given the equation, q and a box, the number of zeros of g inside the box (with
// multiplicity), or nothing when a zero sits on the box's edge or too close to it to be
// ruled out. Adds the evaluations of g it makes to `evaluations`, and gives up (nothing)
// once they would pass max_evaluations.
std::optional<int> count_zeros(const ProbeEquation& eq, double q, const GroundBox& box,
                               long& evaluations,
                               long max_evaluations = std::numeric_limits<long>::max());

} // namespace ardenca::calc::solver
