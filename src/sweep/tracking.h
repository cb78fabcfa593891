// Following the physical ground through a sweep. At a frequency where the reading fits
// several grounds, the one chosen is the one on the cheapest path through the whole
// sweep: the choice is made for all frequencies at once, so that no single reading,
// however it fell, can carry the sweep onto another branch.
//
// A path takes, at each point with grounds, either one of its grounds or nothing (the
// point is an outlier: it costs outlier_cost and the path's continuity skips over it,
// for at most max_outlier_run points in a row). Its cost is the sum of its steps'
// costs (tracking_cost.h: continuity in (ln sigma, ln eps_r) against each branch's
// local trend, in units of the grounds' own uncertainty), its grounds' costs (a trend
// that a passive soil cannot follow) and its outliers'. Nothing restarts the path. The
// cheapest path is found by dynamic programming (forward and backward), in time linear
// in the points and in the square of the grounds per point; every point's grounds are
// kept as candidates (a reading has a handful at most).
//
// Ambiguity comes from min-marginals: for every ground of a point (and for leaving the
// point out), the cost of the cheapest path through it. A point is flagged Ambiguous
// when another ground, or leaving it out, comes within ambiguity_margin of the path
// chosen, or when another ground lies within close_rival_z of the chosen one in their
// combined uncertainties; a point the path leaves out is flagged Outlier and has no
// choice. At a point ambiguous by cost, the ground kept is the one nearest the path's
// smooth trend (tracking_refine.h).
#pragma once

#include "sweep_result.h"

#include <vector>

namespace ardenca::sweep {

// Leaving a point out costs as much as a ground six of its uncertainties off the path
// (a chance of about 1e-8 for a ground truly on it), so that noise alone leaves out
// next to nothing while a ground of another branch, tens of uncertainties away, is
// left out rather than followed. At most max_outlier_run points in a row: the path
// must go through one of any five, which keeps the work linear.
inline constexpr double outlier_cost = 36;
inline constexpr int max_outlier_run = 4;
// A reading that tells near grounds (just outside the box) may have lost the soil over
// the box's edge, and what it lists may all be other branches: leaving it out costs as
// much as a ground four uncertainties off, and runs of such readings, up to
// max_near_run, may be left out whole (beside at most max_outlier_run others).
inline constexpr double near_outlier_cost = 16;
inline constexpr int max_near_run = 64;
// A path through another choice costing less than this more is flagged: a likelihood
// ratio of e^(-12.5) or more. Costs near a double root are rough (the grounds' linear
// uncertainties understate how far noise throws them), hence the wide margin. It also
// flags a reading whose own steps cost about eleven more than stepping over it: nearly
// an outlier.
inline constexpr double ambiguity_margin = 25;
// Two grounds of one reading within this many of their combined uncertainties: either
// may be the soil, whatever the costs say.
inline constexpr double close_rival_z = 3;

// Given one location's points in increasing frequency with their solutions filled in,
// sets each point's chosen index and its Ambiguous and Outlier flags. Points without
// solutions are left unchosen. Other flags are left as they are. Deterministic.
void track_solutions(std::vector<PointResult>& points);

} // namespace ardenca::sweep
