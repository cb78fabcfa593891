#include "averaging.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ardenca::sweep {

namespace {

const calc::GroundSolution* chosen_of(const PointResult& p) {
    return p.chosen && *p.chosen < p.solutions.size() ? &p.solutions[*p.chosen] : nullptr;
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace

std::optional<GroundAt> chosen_ground_at(const LocationResult& location, double freq_hz) {
    const std::vector<PointResult>& pts = location.points;
    if (pts.empty() || !(freq_hz >= pts.front().freq_hz) || !(freq_hz <= pts.back().freq_hz))
        return std::nullopt;
    const auto at = std::lower_bound(pts.begin(), pts.end(), freq_hz,
                                     [](const PointResult& p, double f) { return p.freq_hz < f; });
    if (at != pts.end() && at->freq_hz == freq_hz) {
        const calc::GroundSolution* g = chosen_of(*at);
        if (!g)
            return std::nullopt;
        return GroundAt{g->sigma_s_per_m, g->eps_r, g->u_sigma_s_per_m, g->u_eps_r, false,
                        freq_hz,          freq_hz};
    }
    // The nearest chosen grounds on either side.
    auto below = std::make_reverse_iterator(at);
    while (below != pts.rend() && !chosen_of(*below))
        ++below;
    auto above = at;
    while (above != pts.end() && !chosen_of(*above))
        ++above;
    if (below == pts.rend() || above == pts.end())
        return std::nullopt;
    const calc::GroundSolution& lo = *chosen_of(*below);
    const calc::GroundSolution& hi = *chosen_of(*above);
    const double t = (std::log(freq_hz) - std::log(below->freq_hz)) /
                     (std::log(above->freq_hz) - std::log(below->freq_hz));
    return GroundAt{lerp(lo.sigma_s_per_m, hi.sigma_s_per_m, t),
                    lerp(lo.eps_r, hi.eps_r, t),
                    lerp(lo.u_sigma_s_per_m, hi.u_sigma_s_per_m, t),
                    lerp(lo.u_eps_r, hi.u_eps_r, t),
                    true,
                    below->freq_hz,
                    above->freq_hz};
}

std::vector<AveragePoint> average_locations(const std::vector<LocationResult>& locations) {
    std::vector<AveragePoint> out;
    double lowest = -std::numeric_limits<double>::infinity();
    double highest = std::numeric_limits<double>::infinity();
    std::vector<double> freqs;
    for (const LocationResult& loc : locations) {
        if (loc.points.empty())
            return out;
        lowest = std::max(lowest, loc.points.front().freq_hz);
        highest = std::min(highest, loc.points.back().freq_hz);
        for (const PointResult& p : loc.points)
            freqs.push_back(p.freq_hz);
    }
    std::sort(freqs.begin(), freqs.end());
    freqs.erase(std::unique(freqs.begin(), freqs.end()), freqs.end());

    for (double f : freqs) {
        if (f < lowest || f > highest)
            continue;
        AveragePoint a;
        a.freq_hz = f;
        std::vector<double> sigmas, epss;
        for (std::size_t k = 0; k < locations.size(); ++k) {
            const std::optional<GroundAt> g = chosen_ground_at(locations[k], f);
            if (!g)
                continue;
            sigmas.push_back(g->sigma_s_per_m);
            epss.push_back(g->eps_r);
            if (g->interpolated) {
                a.interpolated = true;
                a.interpolated_locations.push_back(static_cast<int>(k));
            }
        }
        if (sigmas.empty())
            continue;
        a.locations = static_cast<int>(sigmas.size());
        auto mean_sd = [](const std::vector<double>& v, double& mean, double& sd) {
            double sum = 0;
            for (double x : v)
                sum += x;
            mean = sum / static_cast<double>(v.size());
            if (v.size() < 2) {
                sd = std::numeric_limits<double>::quiet_NaN();
                return;
            }
            double ss = 0;
            for (double x : v)
                ss += (x - mean) * (x - mean);
            sd = std::sqrt(ss / static_cast<double>(v.size() - 1));
        };
        mean_sd(sigmas, a.sigma_mean_s_per_m, a.sigma_sd_s_per_m);
        mean_sd(epss, a.eps_r_mean, a.eps_r_sd);
        out.push_back(a);
    }
    return out;
}

} // namespace ardenca::sweep
