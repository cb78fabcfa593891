#include "reference_model.h"

#include <algorithm>
#include <cmath>

namespace ardenca::solver_test {

std::vector<ReferenceRoot> grid_search(const ProbeSetup& p, double freq_hz, cplx z_meter_ohm,
                                       const calc::SolveOptions& box) {
    const double s_per_sigma = 1 / (2 * reference::pi * freq_hz * reference::eo);
    const double slack = 1e-8;
    auto inside = [&](cplx eps) {
        const double sigma = -eps.imag() / s_per_sigma;
        return eps.real() >= box.eps_r_min * (1 - slack) &&
               eps.real() <= box.eps_r_max * (1 + slack) &&
               sigma >= box.sigma_min_s_per_m * (1 - slack) &&
               sigma <= box.sigma_max_s_per_m * (1 + slack);
    };
    // Newton on the reading itself and on its reciprocal: the first is tame near the
    // zeros of Z, the second near its poles.
    auto f = [&](cplx eps, bool reciprocal) {
        const cplx z = meter_reading(p, freq_hz, eps);
        return reciprocal ? 1.0 / z - 1.0 / z_meter_ohm : z - z_meter_ohm;
    };
    std::vector<cplx> found;
    const int n_sigma = 56, n_eps = 28;
    const double ls0 = std::log(box.sigma_min_s_per_m), ls1 = std::log(box.sigma_max_s_per_m);
    const double le0 = std::log(box.eps_r_min), le1 = std::log(box.eps_r_max);
    for (int i = 0; i < n_sigma; ++i) {
        for (int k = 0; k < n_eps; ++k) {
            for (bool reciprocal : {false, true}) {
                const double sigma = std::exp(ls0 + (ls1 - ls0) * i / (n_sigma - 1));
                const double eps_r = std::exp(le0 + (le1 - le0) * k / (n_eps - 1));
                cplx eps(eps_r, -sigma * s_per_sigma);
                bool converged = false;
                for (int it = 0; it < 60 && !converged; ++it) {
                    const cplx h = 1e-6 * std::abs(eps);
                    const cplx v = f(eps, reciprocal);
                    const cplx slope =
                        (f(eps + h, reciprocal) - f(eps - h, reciprocal)) / (2.0 * h);
                    cplx step = v / slope;
                    if (!std::isfinite(std::abs(step)))
                        break;
                    if (std::abs(step) > 0.5 * std::abs(eps))
                        step *= 0.5 * std::abs(eps) / std::abs(step);
                    eps -= step;
                    converged = std::abs(step) < 1e-13 * std::abs(eps);
                    if (std::abs(eps) > 1e8 || eps.real() < -1e3)
                        break;
                }
                if (!converged || !inside(eps))
                    continue;
                const bool known = std::any_of(found.begin(), found.end(), [&](cplx e) {
                    return std::abs(e - eps) < 1e-7 * std::abs(eps);
                });
                if (!known)
                    found.push_back(eps);
            }
        }
    }
    std::vector<ReferenceRoot> out;
    for (cplx eps : found)
        out.push_back({-eps.imag() / s_per_sigma, eps.real()});
    std::sort(out.begin(), out.end(), [](const ReferenceRoot& a, const ReferenceRoot& b) {
        return a.sigma_s_per_m < b.sigma_s_per_m;
    });
    return out;
}

} // namespace ardenca::solver_test
