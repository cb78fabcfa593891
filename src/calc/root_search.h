// Finding every zero of g in a ground box once their number is known.
#pragma once

#include "probe_equation.h"

#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace ardenca::calc::solver {

struct FoundRoot {
    cplx u;
    int multiplicity = 1;
};

struct RootSearch {
    std::vector<FoundRoot> roots; // the zeros inside the box
    bool complete = false;        // their multiplicities add up to the certified count
};

// Given u, whether the ground -u^2 / q lies in the box.
bool in_box(double q, const GroundBox& box, cplx u);

// Given a seed, Newton's method on g, deflated by the zeros in `known` when there are
// any; the zero it settles on (Re u >= 0), or nothing (also once evaluations reach
// max_evaluations).
std::optional<cplx> newton(const ProbeEquation& eq, cplx seed, std::span<const cplx> known,
                           long& evaluations,
                           long max_evaluations = std::numeric_limits<long>::max());

// Given the equation, q and the box, where the equation's local forms put its zeros:
// u = j k pi + delta with delta^2 + j k pi delta = c, u = j (k + 1/2) pi c / (c - 1) next
// to the poles of tanh, and u = c; those inside the box first.
std::vector<cplx> local_seeds(const ProbeEquation& eq, double q, const GroundBox& box);

// Given the equation, q, the box, the certified number of zeros in it (-1 when it could
// not be counted) and seeds, the zeros: Newton from the seeds, then deflated Newton from
// them, then halving the box with counts in each half and deflated Newton from a grid
// in each part until every counted zero is found, the parts get too small or the
// evaluations reach max_evaluations.
RootSearch find_roots(const ProbeEquation& eq, double q, const GroundBox& box, int count,
                      std::span<const cplx> seeds, long& evaluations,
                      long max_evaluations = std::numeric_limits<long>::max());

} // namespace ardenca::calc::solver
