#include "tracking_refine.h"

#include <algorithm>
#include <cmath>

namespace ardenca::sweep::tracking {

void refine_ambiguous(const std::vector<Node>& nodes, std::vector<std::size_t>& pick,
                      const std::vector<bool>& ambiguous) {
    const std::vector<std::size_t> old = pick;
    constexpr double floor2 = refine_min_relative_u * refine_min_relative_u;
    Branch b;
    std::size_t lo = 0; // the first point within the span
    for (std::size_t m = 0; m < nodes.size(); ++m) {
        while (nodes[m].ln_f - nodes[lo].ln_f > refine_span_ln_f)
            ++lo;
        if (!ambiguous[m] || old[m] == no_pick || nodes[m].cands.size() < 2)
            continue;
        // The path's grounds around, their u floored so that the trend leans on many.
        b.clear();
        for (std::size_t j = lo;
             j < nodes.size() && nodes[j].ln_f - nodes[m].ln_f <= refine_span_ln_f; ++j) {
            if (j == m || old[j] == no_pick)
                continue;
            const Candidate& g = nodes[j].cands[old[j]];
            b.push_back({nodes[j].ln_f - nodes[m].ln_f,
                         g.x,
                         {std::max(g.u2[0], floor2), std::max(g.u2[1], floor2)}});
        }
        // Both sides of the point are needed: a trend carried past its end is a guess.
        if (b.size() < 3 || b.front().t >= 0 || b.back().t <= 0)
            continue;
        Trend trend[2];
        if (!fit(b, 0, trend[0]) || !fit(b, 1, trend[1]))
            continue;
        double best = 0;
        for (std::size_t k = 0; k < nodes[m].cands.size(); ++k) {
            const Candidate& c = nodes[m].cands[k];
            const double ds = c.x[0] - trend[0].c[0], de = c.x[1] - trend[1].c[0];
            const double d2 = ds * ds + de * de;
            if (k == 0 || d2 < best) {
                best = d2;
                pick[m] = k;
            }
        }
    }
}

} // namespace ardenca::sweep::tracking
