#include "reference_model.h"

#include <algorithm>
#include <cmath>

namespace ardenca::solver_test {

namespace {

constexpr double pi = 3.14159265358979;
constexpr double co = 299792458;
constexpr double eo = 8.854187817e-12;

// Textbook lossless line: far-end impedance to near-end impedance.
cplx line_in(double zo, double theta, cplx z_far) {
    const double t = std::tan(theta);
    const cplx j(0, 1);
    return zo * (z_far + j * zo * t) / (zo + j * z_far * t);
}

} // namespace

cplx ground(double freq_hz, double sigma_s_per_m, double eps_r) {
    return {eps_r, -sigma_s_per_m / (2 * pi * freq_hz * eo)};
}

cplx meter_reading(const ProbeSetup& p, double freq_hz, cplx eps) {
    const cplx j(0, 1);
    const double w = 2 * pi * freq_hz;
    const double zo_air = std::log(p.spacing_m / p.radius_m) / (pi * co * eo);
    const double l_per_m = zo_air / co, c_per_m = 1 / (zo_air * co);
    // Rods in the ground: Z' = j w L ur, Y' = j w C eps, open at the far end.
    const cplx zser = j * w * l_per_m * p.ur;
    const cplx ysh = j * w * c_per_m * eps;
    const cplx gamma = std::sqrt(zser * ysh);
    cplx z = std::sqrt(zser / ysh) / std::tanh(gamma * p.length_m);
    if (p.air_m != 0)
        z = line_in(zo_air, w / co * p.air_m, z);
    if (p.top_pf != 0)
        z = 1.0 / (1.0 / z + j * w * p.top_pf * 1e-12);
    z += j * w * p.lead_nh * 1e-9;
    if (p.matching)
        z = line_in(p.match_zo_ohm, p.match_deg * pi / 180, z);
    return z;
}

std::vector<ReferenceRoot> grid_search(const ProbeSetup& p, double freq_hz, cplx z_meter_ohm,
                                       const calc::SolveOptions& box) {
    const double s_per_sigma = 1 / (2 * pi * freq_hz * eo);
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
