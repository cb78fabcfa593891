#include "tracking.h"

#include "tracking_cost.h"
#include "tracking_refine.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace ardenca::sweep {

namespace {

using tracking::Candidate;
using tracking::Node;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

// The steps the path may take: node q is reached from node q - 1 - d for d = 0 ..
// reach(q), the d nodes between left out. At most max_outlier_run of those may be
// readings without near grounds, and at most max_near_run in all.
class Steps {
  public:
    Steps(const std::vector<Node>& nodes, const std::vector<bool>& near) : nodes_(nodes) {
        const std::size_t n = nodes.size();
        reach_.assign(n, 0);
        base_.assign(n + 1, 0);
        for (std::size_t q = 0; q < n; ++q) {
            // Leaving out d nodes, q - d .. q - 1, from node p = q - 1 - d.
            std::size_t plain = 0;
            for (std::size_t d = 1; d + 1 <= q && d <= static_cast<std::size_t>(max_near_run);
                 ++d) {
                plain += !near[q - d];
                if (plain > static_cast<std::size_t>(max_outlier_run))
                    break;
                reach_[q] = d;
            }
            base_[q + 1] = base_[q] + (q == 0 ? 0 : reach_[q] + 1);
        }
        start_.assign(base_[n], 0);
        std::size_t size = 0;
        for (std::size_t q = 1; q < n; ++q)
            for (std::size_t d = 0; d <= reach_[q]; ++d) {
                start_[base_[q] + d] = size;
                size += nodes[q - 1 - d].cands.size() * nodes[q].cands.size();
            }
        costs_.resize(size);
        // Each ground's reach to the other point, once per ground rather than per pair.
        std::vector<tracking::Reach> ahead, back;
        for (std::size_t q = 1; q < n; ++q)
            for (std::size_t d = 0; d <= reach_[q]; ++d) {
                const Node& a = nodes[q - 1 - d];
                const Node& b = nodes[q];
                const double d_ln_f = b.ln_f - a.ln_f;
                ahead.clear();
                back.clear();
                for (const Candidate& ca : a.cands)
                    ahead.push_back(tracking::reach(ca, d_ln_f));
                for (const Candidate& cb : b.cands)
                    back.push_back(tracking::reach(cb, -d_ln_f));
                double* out = &costs_[start_[base_[q] + d]];
                for (std::size_t k = 0; k < a.cands.size(); ++k)
                    for (std::size_t l = 0; l < b.cands.size(); ++l)
                        *out++ = tracking::step_cost(a.cands[k], ahead[k], b.cands[l], back[l]);
            }
    }

    // Given node q, how many nodes before it a step into it may leave out (0 for the
    // first node, which has no step into it: check q > 0).
    std::size_t reach(std::size_t q) const { return reach_[q]; }

    // Given nodes p < q with q - 1 - p <= reach(q) and their candidates k, l, the step's
    // cost.
    double operator()(std::size_t p, std::size_t k, std::size_t q, std::size_t l) const {
        const std::size_t d = q - 1 - p;
        return costs_[start_[base_[q] + d] + k * nodes_[q].cands.size() + l];
    }

  private:
    const std::vector<Node>& nodes_;
    std::vector<std::size_t> reach_, base_, start_;
    std::vector<double> costs_;
};

// Given a point and its choice, whether another of its grounds lies within
// close_rival_z of it in their combined uncertainties: then the noise alone may have
// put either one nearer the soil, whatever the costs say.
bool has_close_rival(const Node& nd, std::size_t pick) {
    const Candidate& a = nd.cands[pick];
    for (std::size_t k = 0; k < nd.cands.size(); ++k) {
        if (k == pick)
            continue;
        const Candidate& b = nd.cands[k];
        double z2 = 0;
        for (int axis = 0; axis < 2; ++axis) {
            const double d = a.x[axis] - b.x[axis];
            z2 += d * d / (a.u2[axis] + b.u2[axis]);
        }
        if (z2 <= close_rival_z * close_rival_z)
            return true;
    }
    return false;
}

} // namespace

void track_solutions(std::vector<PointResult>& points) {
    // The points with grounds; node m's states are offset[m] .. offset[m] + its grounds - 1.
    std::vector<Node> nodes;
    std::vector<std::size_t> point_of, offset;
    std::vector<bool> near; // the reading tells near grounds: the soil may have left the box
    nodes.reserve(points.size());
    point_of.reserve(points.size());
    offset.reserve(points.size());
    std::size_t states = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        PointResult& p = points[i];
        p.chosen.reset();
        p.flags &= ~static_cast<unsigned>(Ambiguous | Outlier);
        std::vector<Candidate> cands = tracking::candidates(p);
        if (cands.empty())
            continue;
        nodes.push_back({std::log(p.freq_hz), std::move(cands)});
        point_of.push_back(i);
        near.push_back(!p.near.empty());
        offset.push_back(states);
        states += nodes.back().cands.size();
    }
    if (nodes.empty())
        return;
    tracking::set_trends(nodes);
    const std::size_t n = nodes.size();
    const Steps step(nodes, near);
    // Leaving nodes out: left[m] is the cost of leaving out nodes 0 .. m - 1.
    std::vector<double> left(n + 1, 0);
    for (std::size_t m = 0; m < n; ++m)
        left[m + 1] = left[m] + (near[m] ? near_outlier_cost : outlier_cost);
    auto skipped = [&](std::size_t from, std::size_t to) { return left[to] - left[from]; };

    // Forward: the cheapest path from the start to each state, the nodes before all left
    // out or stepped over.
    std::vector<double> fwd(states, inf), bwd(states, inf);
    std::vector<std::size_t> pred(states, none), succ(states, none);
    for (std::size_t q = 0; q < n; ++q)
        for (std::size_t l = 0; l < nodes[q].cands.size(); ++l) {
            const std::size_t s = offset[q] + l;
            const double own = nodes[q].cands[l].node_cost;
            fwd[s] = skipped(0, q) + own;
            for (std::size_t d = 0; q > 0 && d <= step.reach(q); ++d) {
                const std::size_t p = q - 1 - d;
                for (std::size_t k = 0; k < nodes[p].cands.size(); ++k) {
                    const double c =
                        fwd[offset[p] + k] + skipped(p + 1, q) + step(p, k, q, l) + own;
                    if (c < fwd[s]) {
                        fwd[s] = c;
                        pred[s] = offset[p] + k;
                    }
                }
            }
        }
    // Backward: the cheapest path from each state to the end.
    for (std::size_t p = n; p-- > 0;)
        for (std::size_t k = 0; k < nodes[p].cands.size(); ++k) {
            const std::size_t s = offset[p] + k;
            bwd[s] = skipped(p + 1, n);
            for (std::size_t q = p + 1;
                 q < n && q - 1 - p <= static_cast<std::size_t>(max_near_run); ++q) {
                if (q - 1 - p > step.reach(q))
                    continue;
                for (std::size_t l = 0; l < nodes[q].cands.size(); ++l) {
                    const double c = step(p, k, q, l) + skipped(p + 1, q) + bwd[offset[q] + l] +
                                     nodes[q].cands[l].node_cost;
                    if (c < bwd[s]) {
                        bwd[s] = c;
                        succ[s] = offset[q] + l;
                    }
                }
            }
        }

    // The cheapest path of all, and the cheapest with each point left out.
    double best = skipped(0, n);
    std::size_t best_state = none;
    for (std::size_t s = 0; s < states; ++s)
        if (fwd[s] + bwd[s] < best) {
            best = fwd[s] + bwd[s];
            best_state = s;
        }
    std::vector<double> left_out(n, skipped(0, n));
    {
        // Paths that end before the point, or start after it.
        double ended = inf;
        for (std::size_t m = 0; m < n; ++m) {
            left_out[m] = std::min(left_out[m], ended);
            for (std::size_t k = 0; k < nodes[m].cands.size(); ++k)
                ended = std::min(ended, fwd[offset[m] + k] + skipped(m + 1, n));
        }
        double started = inf;
        for (std::size_t m = n; m-- > 0;) {
            left_out[m] = std::min(left_out[m], started);
            for (std::size_t l = 0; l < nodes[m].cands.size(); ++l)
                started = std::min(started, skipped(0, m) + nodes[m].cands[l].node_cost +
                                                bwd[offset[m] + l]);
        }
        // Paths that step over it.
        for (std::size_t q = 2; q < n; ++q)
            for (std::size_t d = 1; d <= step.reach(q); ++d) {
                const std::size_t p = q - 1 - d;
                double over = inf;
                for (std::size_t k = 0; k < nodes[p].cands.size(); ++k)
                    for (std::size_t l = 0; l < nodes[q].cands.size(); ++l)
                        over = std::min(over, fwd[offset[p] + k] + skipped(p + 1, q) +
                                                  step(p, k, q, l) + nodes[q].cands[l].node_cost +
                                                  bwd[offset[q] + l]);
                for (std::size_t m = p + 1; m < q; ++m)
                    left_out[m] = std::min(left_out[m], over);
            }
    }

    // The chosen path: back from its cheapest state, and on from it.
    std::vector<std::size_t> on_path(n, none);
    auto node_of = [&](std::size_t s) {
        return static_cast<std::size_t>(std::upper_bound(offset.begin(), offset.end(), s) -
                                        offset.begin()) -
               1;
    };
    for (std::size_t s = best_state; s != none; s = pred[s])
        on_path[node_of(s)] = s;
    for (std::size_t s = best_state; s != none; s = succ[s])
        on_path[node_of(s)] = s;

    std::vector<std::size_t> pick(n, tracking::no_pick);
    std::vector<bool> ambiguous(n, false);
    for (std::size_t m = 0; m < n; ++m) {
        const std::size_t chosen = on_path[m];
        if (chosen != none)
            pick[m] = chosen - offset[m];
        // The cheapest path through any other choice at this point.
        double rival = chosen == none ? inf : left_out[m];
        for (std::size_t k = 0; k < nodes[m].cands.size(); ++k)
            if (offset[m] + k != chosen)
                rival = std::min(rival, fwd[offset[m] + k] + bwd[offset[m] + k]);
        ambiguous[m] = rival < best + ambiguity_margin;
    }
    tracking::refine_ambiguous(nodes, pick, ambiguous);
    for (std::size_t m = 0; m < n; ++m) {
        PointResult& p = points[point_of[m]];
        if (pick[m] == tracking::no_pick)
            p.flags |= Outlier;
        else
            p.chosen = nodes[m].cands[pick[m]].index;
        if (ambiguous[m] || (pick[m] != tracking::no_pick && has_close_rival(nodes[m], pick[m])))
            p.flags |= Ambiguous;
    }
}

} // namespace ardenca::sweep
