#include "tracking_refine.h"

#include <algorithm>
#include <cmath>

namespace ardenca::sweep::tracking {

void refine_ambiguous(const std::vector<Node>& nodes, std::vector<std::size_t>& pick,
                      const std::vector<bool>& ambiguous) {
    const std::vector<std::size_t> old = pick;
    // The path's grounds with their u floored, so that the trend leans on many.
    std::vector<Candidate> floored(nodes.size());
    for (std::size_t j = 0; j < nodes.size(); ++j) {
        if (old[j] == no_pick)
            continue;
        floored[j] = nodes[j].cands[old[j]];
        for (double& u2 : floored[j].u2)
            u2 = std::max(u2, refine_min_relative_u * refine_min_relative_u);
    }
    for (std::size_t m = 0; m < nodes.size(); ++m) {
        if (!ambiguous[m] || old[m] == no_pick || nodes[m].cands.size() < 2)
            continue;
        Branch b;
        for (std::size_t j = 0; j < nodes.size(); ++j) {
            const double t = nodes[j].ln_f - nodes[m].ln_f;
            if (j == m || old[j] == no_pick || std::abs(t) > refine_span_ln_f)
                continue;
            b.t.push_back(t);
            b.grounds.push_back(&floored[j]);
        }
        // Both sides of the point are needed: a trend carried past its end is a guess.
        if (b.t.size() < 3 || b.t.front() >= 0 || b.t.back() <= 0)
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
