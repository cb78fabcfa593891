#include "tracking_cost.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ardenca::sweep::tracking {

namespace {

using Mat3 = std::array<std::array<double, 3>, 3>;

// Given an uncertainty and its value, the squared relative uncertainty, bounded.
double relative_u2(double u, double value) {
    double r = u / value;
    if (std::isnan(r) || r < min_relative_u)
        r = min_relative_u;
    r = std::min(r, max_relative_u);
    return r * r;
}

// Given two grounds and the change of ln f between them, the random walk's cost: how
// a branch is followed while its trend is gathered.
double walk_cost(const Candidate& a, const Candidate& b, double d_ln_f) {
    const double drift2 = gate_drift_per_ln_f * gate_drift_per_ln_f * d_ln_f * d_ln_f;
    double cost = 0;
    for (int axis = 0; axis < 2; ++axis) {
        const double d = b.x[axis] - a.x[axis];
        cost += d * d / (a.u2[axis] + b.u2[axis] + drift2);
    }
    return cost;
}

// Given the point and ground a trend is for, and how many points lie within the span on
// one side (+1 or -1), walks that way adding the grounds that continue it; the points
// are taken at a stride that leaves at most trend_points of them.
void walk(const std::vector<Node>& nodes, std::size_t i, const Candidate& c, int direction,
          std::ptrdiff_t within, Branch& branch) {
    const std::ptrdiff_t stride =
        std::max<std::ptrdiff_t>(1, (within + trend_points - 1) / trend_points);
    const Candidate* last = &c;
    double last_ln_f = nodes[i].ln_f;
    for (std::ptrdiff_t k = 1; k * stride <= within; ++k) {
        const Node& nd = nodes[static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i) +
                                                        direction * k * stride)];
        const Candidate* best = nullptr;
        double best_cost = trend_gate;
        for (const Candidate& other : nd.cands) {
            const double cost = walk_cost(*last, other, std::abs(nd.ln_f - last_ln_f));
            if (cost <= best_cost) {
                best_cost = cost;
                best = &other;
            }
        }
        if (!best)
            continue;
        branch.push_back({nd.ln_f - nodes[i].ln_f, best->x, best->u2});
        last = best;
        last_ln_f = nd.ln_f;
    }
}

// Given a symmetric positive definite matrix of size n (2 or 3), its inverse; false when
// it is singular.
bool invert(const Mat3& a, int n, Mat3& inv) {
    inv = {};
    if (n == 2) {
        const double det = a[0][0] * a[1][1] - a[0][1] * a[1][0];
        if (!(std::abs(det) > 1e-300))
            return false;
        inv[0][0] = a[1][1] / det;
        inv[1][1] = a[0][0] / det;
        inv[0][1] = inv[1][0] = -a[0][1] / det;
        return true;
    }
    const double c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    const double c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    const double c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    const double det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
    if (!(std::abs(det) > 1e-300))
        return false;
    inv[0][0] = c00 / det;
    inv[0][1] = inv[1][0] = c01 / det;
    inv[0][2] = inv[2][0] = c02 / det;
    inv[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
    inv[1][2] = inv[2][1] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
    inv[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
    return true;
}

// A ground on its own: its value, its uncertainty, the random walk's drift.
Trend own_trend(const Candidate& c, int axis) {
    Trend t;
    t.c = {c.x[axis], 0, 0};
    t.var_poly[0] = c.u2[axis];
    t.allowance_per_ln_f = drift_per_ln_f;
    return t;
}

} // namespace

// Given a branch of at least three grounds, the weighted least-squares trend on one
// axis; false when the grounds do not fix one.
bool fit(const Branch& b, int axis, Trend& out) {
    const auto n = static_cast<int>(b.size());
    const int terms = n >= 5 ? 3 : 2;
    // Weighted sums of t^0..t^4, of x t^0..t^2 and of x^2.
    double st[5] = {}, sx[3] = {}, sxx = 0;
    for (int k = 0; k < n; ++k) {
        const double w = 1 / b[k].u2[axis], x = b[k].x[axis], t = b[k].t;
        const double wt = w * t, wtt = wt * t;
        st[0] += w;
        st[1] += wt;
        st[2] += wtt;
        st[3] += wtt * t;
        st[4] += wtt * t * t;
        sx[0] += w * x;
        sx[1] += wt * x;
        sx[2] += wtt * x;
        sxx += w * x * x;
    }
    Mat3 normal{};
    for (int r = 0; r < terms; ++r)
        for (int c = 0; c < terms; ++c)
            normal[r][c] = st[r + c];
    Mat3 inv{};
    if (!invert(normal, terms, inv))
        return false;
    Trend t;
    double explained = 0;
    for (int r = 0; r < terms; ++r) {
        for (int c = 0; c < terms; ++c)
            t.c[r] += inv[r][c] * sx[c];
        explained += t.c[r] * sx[r];
    }
    // The weighted sum of squared residuals of a least-squares fit.
    const double chi2 = std::max(0.0, sxx - explained);
    const double widen = n > terms ? std::max(1.0, chi2 / (n - terms)) : 1.0;
    t.var_poly = {inv[0][0] * widen, 2 * inv[0][1] * widen, (2 * inv[0][2] + inv[1][1]) * widen,
                  2 * inv[1][2] * widen, inv[2][2] * widen};
    t.slope_var = inv[1][1] * widen;
    t.allowance_per_ln_f = trend_allowance_per_ln_f;
    out = t;
    return true;
}

std::vector<Candidate> candidates(const PointResult& p) {
    std::vector<Candidate> out;
    out.reserve(p.solutions.size());
    for (std::size_t k = 0; k < p.solutions.size(); ++k) {
        const calc::GroundSolution& g = p.solutions[k];
        if (!(g.sigma_s_per_m > 0) || !(g.eps_r > 0) || !std::isfinite(g.sigma_s_per_m) ||
            !std::isfinite(g.eps_r))
            continue;
        Candidate c;
        c.index = k;
        c.x = {std::log(g.sigma_s_per_m), std::log(g.eps_r)};
        c.u2 = {relative_u2(g.u_sigma_s_per_m, g.sigma_s_per_m), relative_u2(g.u_eps_r, g.eps_r)};
        out.push_back(c);
    }
    return out;
}

void set_trends(std::vector<Node>& nodes) {
    // A trend is written into its ground as soon as it is known: the walks read only
    // the grounds' values and uncertainties.
    Branch b;
    std::size_t lo = 0, hi = 0; // the span around point i: [lo, hi)
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        while (nodes[i].ln_f - nodes[lo].ln_f > trend_span_ln_f)
            ++lo;
        while (hi < nodes.size() && nodes[hi].ln_f - nodes[i].ln_f <= trend_span_ln_f)
            ++hi;
        const auto up = static_cast<std::ptrdiff_t>(hi - i - 1);
        const auto down = static_cast<std::ptrdiff_t>(i - lo);
        for (Candidate& c : nodes[i].cands) {
            b.assign(1, {0, c.x, c.u2});
            walk(nodes, i, c, +1, up, b);
            walk(nodes, i, c, -1, down, b);
            c.node_cost = 0;
            for (int a = 0; a < 2; ++a) {
                if (b.size() < 3 || !fit(b, a, c.trend[a])) {
                    c.trend[a] = own_trend(c, a);
                    continue;
                }
                // sigma must not fall (axis 0), eps_r must not rise (axis 1); nor may
                // sigma rise faster than f^2, or eps_r fall faster than f^-2.
                const double slope = a == 0 ? c.trend[a].c[1] : -c.trend[a].c[1];
                const double breach = std::max(-slope, slope - max_slope_per_ln_f);
                const double z = breach / std::sqrt(c.trend[a].slope_var);
                if (z > 1)
                    c.node_cost += passive_weight * std::min(passive_cap, (z - 1) * (z - 1));
            }
        }
    }
}

Reach reach(const Candidate& c, double d_ln_f) {
    Reach r;
    for (int axis = 0; axis < 2; ++axis) {
        const Trend& t = c.trend[axis];
        const double allowed = t.allowance_per_ln_f * d_ln_f;
        r.at[axis] = t.at(d_ln_f);
        // Never below zero, whatever the rounding of a variance far out.
        r.var[axis] = std::max(0.0, t.var_at(d_ln_f)) + allowed * allowed;
    }
    return r;
}

double step_cost(const Candidate& a, const Reach& a_at_b, const Candidate& b, const Reach& b_at_a) {
    double cost = 0;
    for (int axis = 0; axis < 2; ++axis) {
        const double ra = b.x[axis] - a_at_b.at[axis];
        const double rb = a.x[axis] - b_at_a.at[axis];
        cost += 0.5 * (ra * ra / (b.u2[axis] + a_at_b.var[axis]) +
                       rb * rb / (a.u2[axis] + b_at_a.var[axis]));
    }
    return cost;
}

double step_cost(const Candidate& a, const Candidate& b, double d_ln_f) {
    return step_cost(a, reach(a, d_ln_f), b, reach(b, -d_ln_f));
}

} // namespace ardenca::sweep::tracking
