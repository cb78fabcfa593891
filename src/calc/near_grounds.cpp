#include "near_grounds.h"

#include "edge_misfit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace ardenca::calc::solver {

double deviations_from(const GroundSolution& s, double sigma_s_per_m, double eps_r) {
    const double a = s.u_sigma_s_per_m, b = s.u_eps_r, rho = s.corr;
    const double det = 1 - rho * rho;
    if (!(std::isfinite(a) && std::isfinite(b) && a > 0 && b > 0 && std::isfinite(rho) &&
          det > 1e-12))
        return std::numeric_limits<double>::infinity();
    const double x = (sigma_s_per_m - s.sigma_s_per_m) / a;
    const double y = (eps_r - s.eps_r) / b;
    return std::sqrt(std::max(0.0, (x * x - 2 * rho * x * y + y * y) / det));
}

namespace {

constexpr double claimed_deviations = 3;

// Given a solution whose uncertainty is not known and a ground, whether chi2 stays
// within claimed_deviations^2 on the straight path between them in (ln sigma, ln eps_r).
bool joined(const Misfit& misfit, const GroundSolution& s, double sigma_s_per_m, double eps_r,
            long& evaluations) {
    if (!(s.sigma_s_per_m > 0 && s.eps_r > 0))
        return false;
    constexpr int steps = 16;
    const double ls0 = std::log(s.sigma_s_per_m), le0 = std::log(s.eps_r);
    const double ls1 = std::log(sigma_s_per_m), le1 = std::log(eps_r);
    for (int k = 1; k < steps; ++k) {
        const double f = static_cast<double>(k) / steps;
        ++evaluations;
        if (!(misfit.chi2(std::exp(ls0 + f * (ls1 - ls0)), std::exp(le0 + f * (le1 - le0))) <=
              claimed_deviations * claimed_deviations))
            return false;
    }
    return true;
}

NearGround at_point(const EdgePath& path, const MisfitPoint& m, BoxEdge edge) {
    return {path.sigma_at(m.t), path.eps_r_at(m.t), edge, m.chi2};
}

} // namespace

std::vector<NearGround> near_grounds(const ProbeLine& line, const Bilinear& chain, cplx z_meter_ohm,
                                     const SolveOptions& o,
                                     std::span<const GroundSolution> solutions, long& evaluations) {
    std::vector<NearGround> out;
    const double u_r = meter_sigma_ohm(z_meter_ohm.real(), o);
    const double u_x = meter_sigma_ohm(z_meter_ohm.imag(), o);
    if (!(o.near_chi2 > 0) || !(u_r > 0 && u_x > 0) || !std::isfinite(u_r * u_x))
        return out;
    const Misfit misfit(line, chain, z_meter_ohm, u_r, u_x);
    const double ls0 = std::log(o.sigma_min_s_per_m), ls1 = std::log(o.sigma_max_s_per_m);
    const double le0 = std::log(o.eps_r_min), le1 = std::log(o.eps_r_max);

    // The edges in the order of BoxEdge; each runs from its lower corner to its upper one.
    const std::array<EdgePath, 4> paths = {
        EdgePath(misfit, true, o.eps_r_min), EdgePath(misfit, true, o.eps_r_max),
        EdgePath(misfit, false, o.sigma_min_s_per_m), EdgePath(misfit, false, o.sigma_max_s_per_m)};
    const BoxEdge names[] = {BoxEdge::EpsRMin, BoxEdge::EpsRMax, BoxEdge::SigmaMin,
                             BoxEdge::SigmaMax};
    std::array<EdgeScan, 4> scans;
    for (std::size_t e = 0; e < 4; ++e) {
        const bool sigma_runs = e < 2;
        scans[e] = scan_edge(paths[e], sigma_runs ? ls0 : le0, sigma_runs ? ls1 : le1, o.near_chi2,
                             evaluations);
        for (const MisfitPoint& m : scans[e].minima)
            out.push_back(at_point(paths[e], m, names[e]));
    }

    // A corner is a minimum of the boundary when chi2 falls towards it along both of its
    // edges; it is told on the edge across which chi2 falls faster (slopes per unit of
    // ln sigma and ln eps_r alike).
    struct Corner {
        std::size_t along_sigma, along_eps; // the edges that meet there
        bool upper_sigma, upper_eps;        // at the upper end of each
    };
    const Corner corners[] = {
        {0, 2, false, false}, {0, 3, true, false}, {1, 2, false, true}, {1, 3, true, true}};
    for (const Corner& c : corners) {
        const MisfitPoint& ms =
            c.upper_sigma ? scans[c.along_sigma].last : scans[c.along_sigma].first;
        const MisfitPoint& me = c.upper_eps ? scans[c.along_eps].last : scans[c.along_eps].first;
        // Falling towards the corner: the slope points away from it.
        const double fall_s = c.upper_sigma ? -ms.slope : ms.slope;
        const double fall_e = c.upper_eps ? -me.slope : me.slope;
        if (!(fall_s >= 0 && fall_e >= 0 && ms.chi2 <= o.near_chi2))
            continue;
        // Falling across the eps_r edge means falling along the edge where sigma is fixed.
        const std::size_t across = fall_e >= fall_s ? c.along_sigma : c.along_eps;
        out.push_back(at_point(paths[c.along_sigma], ms, names[across]));
    }

    std::erase_if(out, [&](const NearGround& g) {
        return std::ranges::any_of(solutions, [&](const GroundSolution& s) {
            const double dev = deviations_from(s, g.sigma_s_per_m, g.eps_r);
            return std::isfinite(dev) ? dev <= claimed_deviations
                                      : joined(misfit, s, g.sigma_s_per_m, g.eps_r, evaluations);
        });
    });
    std::ranges::sort(out, {}, &NearGround::chi2);
    return out;
}

} // namespace ardenca::calc::solver
