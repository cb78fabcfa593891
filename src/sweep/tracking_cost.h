// What a path through a sweep's grounds costs: the steps from one ground to the next,
// and the grounds whose branch a passive soil cannot follow.
//
// Grounds live in (ln sigma, ln eps_r), each with its relative 1-sigma uncertainty u.
// Each ground has its branch's local trend: the weighted least-squares quadratic in
// ln f (a line with fewer than five grounds) through it and the grounds that continue
// it on each side within trend_span_ln_f, at most trend_points a side (the points taken
// at a stride where the sweep is denser): over a span fixed in ln f a trend is as well
// determined on 1,001 points as on 101. A neighbour continues the branch when a random
// walk of gate_drift_per_ln_f reaches it from the last ground taken within trend_gate
// (the drift small enough that no branch is reached across a wide gap, as one would
// be with any drift over a wide enough one); a neighbour that none continues is
// stepped over. The
// trend's variance is widened by its scatter when that exceeds the grounds' u.
//
// A step from ground a at ln f_a to ground b at ln f_b costs, per axis, the mean of b
// against a's trend and a against b's trend:
//   (x_b - trend_a(ln f_b))^2 / (u_b^2 + var trend_a(ln f_b) + (allowance * dlnf)^2)
// with dlnf = |ln f_b - ln f_a| and the allowance trend_allowance_per_ln_f for a
// curvature the trend misses (drift_per_ln_f for a ground without a trend). A step
// along a branch costs about one per axis; a step to another branch is measured
// against the trend, known far better than any one ground, and costs far more than
// leaving a reading out, even where the grounds themselves are poorly determined.
//
// A passive soil, a sum of relaxations plus DC conduction, has sigma non-decreasing and
// eps_r non-increasing with frequency, and neither changes faster than f^2 (a single
// Debye term's sigma rises as f^2 below its relaxation, its eps_r part falls as f^-2
// above it; a sum, a constant added, or a spread of relaxations only slows this).
// Branches of other roots often break it: at a fixed electrical length eps_r goes as
// f^-2 and steeper. A trend whose slope breaks either rule by z of its own
// standard errors costs the ground passive_weight * min((z - 1)^2, passive_cap) per
// axis for z > 1 (at most nine, a 4-sigma breach). The trend, not the single step,
// carries this judgement: from one point to the next a soil changes by far less than
// the noise, over a tenth of ln f it does not. The cost is capped because near a double
// root the grounds of the soil's own branch are pushed about by the other root and may
// seem to break the rule for a while; a wrong branch breaks it point after point, and
// the capped costs add up.
#pragma once

#include "sweep_result.h"

#include <array>
#include <cstddef>
#include <vector>

namespace ardenca::sweep::tracking {

using Vec2 = std::array<double, 2>; // (ln sigma, ln eps_r)

inline constexpr double drift_per_ln_f = 1;
inline constexpr double gate_drift_per_ln_f = 0.5;
inline constexpr double trend_allowance_per_ln_f = 0.2;
inline constexpr double passive_weight = 1;
inline constexpr double passive_cap = 9;
inline constexpr double max_slope_per_ln_f = 2;
inline constexpr int trend_points = 5;
inline constexpr double trend_span_ln_f = 0.4;
inline constexpr double trend_gate = 25;
// A relative uncertainty not above zero or not a number (a solver that could not say)
// counts as this; one this large or infinite (a double root) is capped here.
inline constexpr double min_relative_u = 1e-3;
inline constexpr double max_relative_u = 1e3;

// A quadratic in t = ln f - ln f_ground with its variance.
struct Trend {
    std::array<double, 3> c{};
    std::array<double, 5> var_poly{}; // the variance at t as a polynomial in t
    double slope_var = 0;             // of c[1]
    double allowance_per_ln_f = drift_per_ln_f;

    double at(double t) const { return c[0] + t * (c[1] + t * c[2]); }
    double var_at(double t) const {
        return var_poly[0] +
               t * (var_poly[1] + t * (var_poly[2] + t * (var_poly[3] + t * var_poly[4])));
    }
};

struct Candidate {
    std::size_t index = 0; // into the point's solutions
    Vec2 x{};
    Vec2 u2{}; // squared relative 1-sigma uncertainties
    std::array<Trend, 2> trend{};
    double node_cost = 0; // from the trend's slope
};

// One point with grounds.
struct Node {
    double ln_f = 0;
    std::vector<Candidate> cands;
};

// A ground of one branch around another, at t = ln f - ln f_other.
struct Sample {
    double t = 0;
    Vec2 x{};
    Vec2 u2{};
};
using Branch = std::vector<Sample>; // in increasing t

// Given a branch of at least three grounds, the weighted least-squares trend on one
// axis (a quadratic from five grounds, else a line), weighted by the grounds' u;
// false when the grounds do not fix one.
bool fit(const Branch& b, int axis, Trend& out);

// Given a point, its grounds with a positive, finite conductivity and dielectric
// constant (their trends are set by set_trends).
std::vector<Candidate> candidates(const PointResult& p);

// Given the points with grounds in increasing frequency, sets every ground's trend (a
// ground whose branch has fewer than three grounds: its own value and u, with the random
// walk's drift) and node_cost.
void set_trends(std::vector<Node>& nodes);

// Where a ground's trend puts its branch at another frequency: the value and its
// variance, the allowance for curvature included.
struct Reach {
    Vec2 at{};
    Vec2 var{};
};

// Given a ground and the change of ln f, where its trend reaches.
Reach reach(const Candidate& c, double d_ln_f);

// Given two grounds and the change of ln f from the first to the second, the step's
// cost (the same either way round).
double step_cost(const Candidate& a, const Candidate& b, double d_ln_f);

// The same with each ground's reach to the other's frequency already known.
double step_cost(const Candidate& a, const Reach& a_at_b, const Candidate& b, const Reach& b_at_a);

} // namespace ardenca::sweep::tracking
