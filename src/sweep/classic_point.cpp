#include "classic_point.h"

#include "calc/air_line.h"
#include "calc/arithmetic_fault.h"
#include "calc/ground_search.h"
#include "calc/line_models.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace ardenca::sweep {

namespace {

constexpr double c0_m_per_s = 299792458;
constexpr double eps0_f_per_m = 8.854187817e-12;
constexpr double mu0_h_per_m = 4e-7 * std::numbers::pi;

} // namespace

ClassicPoint classic_point(const calc::ProbeSetup& probe, double freq_hz,
                           std::complex<double> z_meter_ohm) {
    ClassicPoint out;
    calc::Impedance target{z_meter_ohm.real(), z_meter_ohm.imag()};
    if (target.r_ohm == 0)
        target.r_ohm = 1e-32;
    const calc::AirLine line =
        calc::air_line({freq_hz / 1e6, probe.spacing_m, probe.radius_m, probe.length_m, probe.ur});
    if (!line.complete())
        return out; // the air line itself cannot be computed: no ground
    if (probe.matching) {
        try {
            target = calc::probe_from_meter(probe.match_zo_ohm, probe.match_deg, target);
        } catch (const ArithmeticFault&) {
            return out;
        }
    }
    out.z_probe_ohm = {target.r_ohm, target.x_ohm};

    const calc::ClassicSolution found = calc::solve_classic(line, target.r_ohm, target.x_ohm);
    out.evaluations = static_cast<long>(found.evaluations);
    if (!found.found)
        return out;

    calc::GroundSolution g;
    g.sigma_s_per_m = found.ground.sigma_s_per_m;
    g.eps_r = found.ground.eps_r;
    const calc::MediumResult& m = found.model;
    g.gamma_l = std::complex<double>(m.pc_r, m.pc_i) * line.length_m;
    g.residual_ohm = std::abs(std::complex<double>(m.r_out - target.r_ohm, m.i_out - target.x_ohm));
    g.u_sigma_s_per_m = std::numeric_limits<double>::quiet_NaN();
    g.u_eps_r = std::numeric_limits<double>::quiet_NaN();
    g.corr = std::numeric_limits<double>::quiet_NaN();
    const double beta_l = m.pc_i * line.length_m;
    if (beta_l > std::numbers::pi / 4)
        g.flags |= calc::ElectricallyLong;
    if (beta_l > std::numbers::pi / 2)
        g.flags |= calc::BeyondQuarterWave;
    g.skin_depth_m = skin_depth_m(g.sigma_s_per_m, g.eps_r, probe.ur, freq_hz);
    out.ground = g;
    return out;
}

double probe_nu(double freq_hz, double length_m, double ur, double eps_r_max) {
    const double omega = 2 * std::numbers::pi * freq_hz;
    return omega * length_m / c0_m_per_s * std::sqrt(ur * eps_r_max) / std::numbers::pi;
}

double skin_depth_m(double sigma_s_per_m, double eps_r, double ur, double freq_hz) {
    // alpha = omega sqrt(mu eps / 2 (sqrt(1 + tan_d^2) - 1)), tan_d = sigma / (omega eps).
    const double omega = 2 * std::numbers::pi * freq_hz;
    const double eps = eps_r * eps0_f_per_m;
    const double tan_d = sigma_s_per_m / (omega * eps);
    // sqrt(1 + t^2) - 1 written without cancellation for small t.
    const double t2 = tan_d * tan_d;
    const double excess = t2 / (std::sqrt(1 + t2) + 1);
    const double alpha = omega * std::sqrt(mu0_h_per_m * ur * eps / 2 * excess);
    return alpha > 0 ? 1 / alpha : std::numeric_limits<double>::infinity();
}

} // namespace ardenca::sweep
