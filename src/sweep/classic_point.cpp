#include "classic_point.h"

#include "calc/air_line.h"
#include "calc/arithmetic_fault.h"
#include "calc/ground_conversion.h"
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

// What one stage left: the ground when it completed.
struct Stage {
    bool completed = false;
    calc::Ground ground;
    calc::MediumResult model;
};

Stage run_stage(const calc::AirLine& line, calc::SearchStage stage, double rst, double xst,
                long& evaluations) {
    Stage out;
    const calc::SearchResult found = calc::search_ground(line, stage, rst, xst);
    evaluations += static_cast<long>(found.evaluations);
    if (!found.completed())
        return out;
    try {
        out.ground = calc::ground_from_line(found.g_s_per_m, found.c_f_per_m, line);
    } catch (const ArithmeticFault&) {
        return out;
    }
    out.completed = true;
    out.model = found.model;
    return out;
}

} // namespace

ClassicPoint solve_classic(const calc::ProbeSetup& probe, double freq_hz,
                           std::complex<double> z_meter_ohm) {
    ClassicPoint out;
    double rst = z_meter_ohm.real();
    double xst = z_meter_ohm.imag();
    if (rst == 0)
        rst = 1e-32;
    const calc::AirLine line =
        calc::air_line({freq_hz / 1e6, probe.spacing_m, probe.radius_m, probe.length_m, probe.ur});
    if (!line.complete())
        return out; // the air line itself cannot be computed: no ground
    if (probe.matching) {
        // Back through the feed line: conjugate, transform, conjugate again.
        try {
            const calc::Impedance far_end =
                calc::Tline_calc(probe.match_zo_ohm, probe.match_deg, rst, -xst);
            rst = far_end.r_ohm;
            xst = -far_end.x_ohm;
        } catch (const ArithmeticFault&) {
            return out;
        }
    }
    out.z_probe_ohm = {rst, xst};

    // The window's order: the first stage; the second when the first faulted; the
    // second (again) when the dielectric constant standing is above 250.
    Stage standing;
    const Stage first = run_stage(line, calc::SearchStage::First, rst, xst, out.evaluations);
    if (first.completed)
        standing = first;
    else if (const Stage second =
                 run_stage(line, calc::SearchStage::Second, rst, xst, out.evaluations);
             second.completed)
        standing = second;
    if (standing.completed && standing.ground.eps_r > 250)
        if (const Stage again =
                run_stage(line, calc::SearchStage::Second, rst, xst, out.evaluations);
            again.completed)
            standing = again;
    if (!standing.completed)
        return out;

    calc::GroundSolution g;
    g.sigma_s_per_m = standing.ground.sigma_s_per_m;
    g.eps_r = standing.ground.eps_r;
    const calc::MediumResult& m = standing.model;
    g.gamma_l = std::complex<double>(m.pc_r, m.pc_i) * line.length_m;
    g.residual_ohm = std::abs(std::complex<double>(m.r_out - rst, m.i_out - xst));
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
