#include "tracking.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

namespace ardenca::sweep {

namespace {

using Vec2 = std::array<double, 2>; // (ln sigma, ln eps_r)

// A relative uncertainty that is not a number or not above zero (a solver that could
// not say) counts as this: the track then leans on the change from point to point.
constexpr double unknown_relative_u = 1e-3;
// A relative uncertainty this large or infinite (a double root) is capped so that the
// arithmetic stays finite.
constexpr double max_relative_u = 1e6;
// How much a ground may change per unit of ln f beyond what the track's slope predicts:
// with one ground on the track there is no slope yet, and soils change by up to about
// f^1; the allowance shrinks as the slope becomes known.
constexpr double drift_per_ln_f[] = {1, 0.3, 0.15, 0.1};
// A choice is clear when the runner-up lies at least twice as far from the prediction.
constexpr double clear_choice_ratio2 = 4;

struct Candidate {
    std::size_t index = 0; // into the point's solutions
    Vec2 x{};
    Vec2 u{}; // relative 1-sigma uncertainties, in ln units
};

double relative_u(double u, double value) {
    const double r = u / value;
    if (std::isnan(r) || r <= 0)
        return unknown_relative_u;
    return std::min(r, max_relative_u);
}

std::vector<Candidate> candidates(const PointResult& p) {
    std::vector<Candidate> out;
    for (std::size_t k = 0; k < p.solutions.size(); ++k) {
        const calc::GroundSolution& g = p.solutions[k];
        if (!(g.sigma_s_per_m > 0) || !(g.eps_r > 0))
            continue;
        out.push_back(
            {k,
             {std::log(g.sigma_s_per_m), std::log(g.eps_r)},
             {relative_u(g.u_sigma_s_per_m, g.sigma_s_per_m), relative_u(g.u_eps_r, g.eps_r)}});
    }
    return out;
}

struct TrackPoint {
    double ln_f = 0;
    Vec2 x{};
    Vec2 u{};
};

// The grounds last accepted on the track; predictions extend the least-squares line
// through them (in ln f).
struct Track {
    static constexpr std::size_t span = 4;
    std::vector<TrackPoint> recent; // oldest first, at most span

    void push(const TrackPoint& t) {
        if (recent.size() == span)
            recent.erase(recent.begin());
        recent.push_back(t);
    }

    // Given a frequency, the predicted ground and the square of its scale.
    void predict(double ln_f, Vec2& x, Vec2& scale2) const {
        const TrackPoint& last = recent.back();
        const double step = ln_f - last.ln_f;
        double mean_f = 0;
        for (const TrackPoint& t : recent)
            mean_f += t.ln_f / static_cast<double>(recent.size());
        double sff = 0;
        for (const TrackPoint& t : recent)
            sff += (t.ln_f - mean_f) * (t.ln_f - mean_f);
        for (int a = 0; a < 2; ++a) {
            double slope = 0;
            if (sff > 0) {
                double mean_x = 0, sfx = 0;
                for (const TrackPoint& t : recent)
                    mean_x += t.x[a] / static_cast<double>(recent.size());
                for (const TrackPoint& t : recent)
                    sfx += (t.ln_f - mean_f) * (t.x[a] - mean_x);
                slope = sfx / sff;
            }
            const double change = slope * step;
            x[a] = last.x[a] + change;
            const double drift =
                std::abs(change) + drift_per_ln_f[recent.size() - 1] * std::abs(step);
            scale2[a] = last.u[a] * last.u[a] + drift * drift;
        }
    }
};

struct Measure {
    double d2 = 0; // squared distance in the track's scale: decides the choice
    double z2 = 0; // the same with the candidate's own uncertainty: decides compatibility
};

Measure measure(const Candidate& c, const Vec2& x, const Vec2& scale2) {
    Measure m;
    for (int a = 0; a < 2; ++a) {
        const double d = c.x[a] - x[a];
        m.d2 += d * d / scale2[a];
        m.z2 += d * d / (scale2[a] + c.u[a] * c.u[a]);
    }
    return m;
}

struct RunStats {
    int jumps = 0;
    double cost = 0;
};

// Follows the track from the anchor's chosen candidate in one direction (+1 or -1).
// With commit set it writes the choices and flags into the points.
RunStats run(std::vector<PointResult>& points, const std::vector<std::vector<Candidate>>& cands,
             std::size_t anchor, std::size_t anchor_pick, int direction, bool commit) {
    constexpr double tol2 = tracking_tolerance * tracking_tolerance;
    RunStats stats;
    const Candidate& a = cands[anchor][anchor_pick];
    Track track;
    track.push({std::log(points[anchor].freq_hz), a.x, a.u});

    const auto n = static_cast<std::ptrdiff_t>(points.size());
    for (std::ptrdiff_t i = static_cast<std::ptrdiff_t>(anchor) + direction; i >= 0 && i < n;
         i += direction) {
        const std::vector<Candidate>& cs = cands[static_cast<std::size_t>(i)];
        if (cs.empty())
            continue;
        PointResult& p = points[static_cast<std::size_t>(i)];
        const double ln_f = std::log(p.freq_hz);
        Vec2 x{}, scale2{};
        track.predict(ln_f, x, scale2);

        std::size_t best = 0;
        int compatible = 0;
        std::vector<Measure> ms;
        for (std::size_t k = 0; k < cs.size(); ++k) {
            ms.push_back(measure(cs[k], x, scale2));
            if (ms[k].d2 < ms[best].d2)
                best = k;
            if (ms[k].z2 <= tol2)
                ++compatible;
        }
        // The runner-up: a choice it nearly won is no clear choice either.
        double second_d2 = std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < cs.size(); ++k)
            if (k != best)
                second_d2 = std::min(second_d2, ms[k].d2);
        const bool on_track = ms[best].z2 <= tol2;
        const bool ambiguous = compatible >= 2 || (!on_track && cs.size() >= 2) ||
                               second_d2 < clear_choice_ratio2 * ms[best].d2;
        if (on_track) {
            track.push({ln_f, cs[best].x, cs[best].u});
            stats.cost += ms[best].d2;
        } else {
            ++stats.jumps;
            // A reading that fits one ground only: the ground in the box is that one, so
            // the track starts again from it; unless grounds on the box's edge fit the
            // reading as well, where the soil may just have left the box.
            if (cs.size() == 1 && p.near.empty())
                track.recent = {{ln_f, cs[best].x, cs[best].u}};
        }
        if (commit) {
            p.chosen = cs[best].index;
            if (ambiguous)
                p.flags |= Ambiguous;
            else
                p.flags &= ~static_cast<unsigned>(Ambiguous);
        }
    }
    return stats;
}

} // namespace

void track_solutions(std::vector<PointResult>& points) {
    std::vector<std::vector<Candidate>> cands;
    cands.reserve(points.size());
    for (PointResult& p : points) {
        cands.push_back(candidates(p));
        p.chosen.reset();
        p.flags &= ~static_cast<unsigned>(Ambiguous);
    }

    // The anchor: the lowest frequency with exactly one ground and no near ground, else
    // the lowest with the fewest grounds.
    std::optional<std::size_t> anchor;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t n = cands[i].size();
        if (n == 0)
            continue;
        if (n == 1 && points[i].near.empty()) {
            anchor = i;
            break;
        }
        if (!anchor || n < cands[*anchor].size())
            anchor = i;
    }
    if (!anchor)
        return;

    std::size_t pick = 0;
    if (cands[*anchor].size() > 1) {
        // Try each candidate: fewest jumps, then the smoothest track.
        RunStats best_stats;
        for (std::size_t k = 0; k < cands[*anchor].size(); ++k) {
            RunStats up = run(points, cands, *anchor, k, +1, false);
            const RunStats down = run(points, cands, *anchor, k, -1, false);
            up.jumps += down.jumps;
            up.cost += down.cost;
            if (k == 0 || up.jumps < best_stats.jumps ||
                (up.jumps == best_stats.jumps && up.cost < best_stats.cost)) {
                best_stats = up;
                pick = k;
            }
        }
        points[*anchor].flags |= Ambiguous;
    }
    points[*anchor].chosen = cands[*anchor][pick].index;
    run(points, cands, *anchor, pick, +1, true);
    run(points, cands, *anchor, pick, -1, true);
}

} // namespace ardenca::sweep
