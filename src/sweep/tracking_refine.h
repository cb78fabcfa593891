// Where the whole-sweep path is unsure which of two close branches is the soil (near a
// double root, where the noise scatters both grounds about the soil and the branches
// trade places from one point to the next), the ground nearest the soil is told better
// by the path's smooth trend through the neighbouring points than by the path itself.
#pragma once

#include "tracking_cost.h"

#include <cstddef>
#include <limits>
#include <vector>

namespace ardenca::sweep::tracking {

inline constexpr std::size_t no_pick = std::numeric_limits<std::size_t>::max();
// The trend is fitted to the other points' choices within this much of ln f, each
// weighted by its u, but by no less than this relative u: a ground of another branch
// that slipped into the path must not pin it.
inline constexpr double refine_span_ln_f = 0.15;
inline constexpr double refine_min_relative_u = 0.01;

// Given the points with grounds, each point's choice (an index into its grounds, or
// no_pick) and whether it is ambiguous, re-chooses at every ambiguous point with a
// choice the ground nearest, in (ln sigma, ln eps_r), to the quadratic trend through
// the other points' choices around it. Every new choice is made from the old ones.
void refine_ambiguous(const std::vector<Node>& nodes, std::vector<std::size_t>& pick,
                      const std::vector<bool>& ambiguous);

} // namespace ardenca::sweep::tracking
