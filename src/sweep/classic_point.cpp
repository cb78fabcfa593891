#include "classic_point.h"

#include "calc/arithmetic_fault.h"
#include "calc/calc_state.h"
#include "calc/checked_math.h"
#include "calc/ground_search.h"
#include "calc/line_models.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace ardenca::sweep {

namespace {

using ck::div;
using ck::mul;

constexpr double c0_m_per_s = 299792458;
constexpr double eps0_f_per_m = 8.854187817e-12;
constexpr double mu0_h_per_m = 4e-7 * 3.14159265358979323846;

// The air-line model's state values for these dimensions, as "Calc Line" sets them.
void air_line(CalcState& s, const calc::ProbeSetup& probe, double freq_mhz) {
    s.f = mul(1e6, freq_mhz);
    s.w = mul(mul(2.0, s.pi), s.f);
    s.L_m = probe.length_m;
    const double log_ratio = ck::ln(div(probe.spacing_m, probe.radius_m));
    const double Zo_air = mul(log_ratio, div(div(1.0, mul(s.co, s.eo)), s.pi));
    s.C_o = div(1.0, mul(Zo_air, s.co));
    s.L_o = div(Zo_air, s.co);
    s.ur = probe.ur;
}

// One stage as the window runs it; false when it ended in a fault.
bool run_stage(CalcState& s, calc::SearchStage stage, const calc::ProbeSetup& probe,
               double freq_mhz, std::complex<double> z_meter_ohm, calc::MediumResult& result,
               std::uint64_t& evaluations) {
    air_line(s, probe, freq_mhz);
    s.rst = z_meter_ohm.real();
    s.xst = z_meter_ohm.imag();
    if (s.rst == 0)
        s.rst = 1e-32;
    if (probe.matching) {
        // Back through the feed line: conjugate, transform, conjugate again.
        double r = 0, x = 0;
        calc::Tline_calc(s, probe.match_zo_ohm, probe.match_deg, s.rst, -s.xst, r, x);
        s.rst = r;
        s.xst = -x;
    }
    try {
        result = calc::search_ground(s, stage, evaluations);
        s.cond = div(mul(s.G, s.eo), s.C_o);
        s.diel = div(s.C, s.C_o);
    } catch (const ArithmeticFault&) {
        s.error_ct += 1;
        return false;
    } catch (const calc::SearchBoundReached&) {
        s.error_ct += 1;
        return false;
    }
    return true;
}

} // namespace

ClassicPoint solve_classic(const calc::ProbeSetup& probe, double freq_hz,
                           std::complex<double> z_meter_ohm) {
    ClassicPoint out;
    CalcState s;
    set_load_constants(s);
    const double freq_mhz = freq_hz / 1e6;
    std::uint64_t evaluations = 0;
    calc::MediumResult found, result;
    bool have = false;
    try {
        if (run_stage(s, calc::SearchStage::First, probe, freq_mhz, z_meter_ohm, result,
                      evaluations)) {
            found = result;
            have = true;
        }
        if (s.error_ct > 0 && run_stage(s, calc::SearchStage::Second, probe, freq_mhz, z_meter_ohm,
                                        result, evaluations)) {
            found = result;
            have = true;
        }
        if (s.diel > 250 && run_stage(s, calc::SearchStage::Second, probe, freq_mhz, z_meter_ohm,
                                      result, evaluations)) {
            found = result;
            have = true;
        }
    } catch (const ArithmeticFault&) {
        // The air line or the feed line itself cannot be computed: no ground.
        have = false;
    }
    out.z_probe_ohm = {s.rst, s.xst};
    out.evaluations = static_cast<long>(evaluations);
    if (!have)
        return out;

    calc::GroundSolution g;
    g.sigma_s_per_m = s.cond;
    g.eps_r = s.diel;
    g.gamma_l = std::complex<double>(found.pc_r, found.pc_i) * s.L_m;
    g.residual_ohm = std::abs(std::complex<double>(found.r_out - s.rst, found.i_out - s.xst));
    g.u_sigma_s_per_m = std::numeric_limits<double>::quiet_NaN();
    g.u_eps_r = std::numeric_limits<double>::quiet_NaN();
    g.corr = std::numeric_limits<double>::quiet_NaN();
    const double beta_l = found.pc_i * s.L_m;
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
