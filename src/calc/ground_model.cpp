#include "ground_model.h"

#include <cmath>

namespace ardenca::calc::solver {

ProbeLine probe_line(const ProbeSetup& probe, double freq_hz) {
    ProbeLine line;
    line.w_rad_s = 2 * prog_pi * freq_hz;
    line.zo_air_ohm =
        std::log(probe.spacing_m / probe.radius_m) * ((1 / (prog_co * prog_eo)) / prog_pi);
    line.C_o_f_per_m = 1 / (line.zo_air_ohm * prog_co);
    line.L_o_h_per_m = line.zo_air_ohm / prog_co;
    line.length_m = probe.length_m;
    line.ur = probe.ur;
    line.zs_ohm = line.w_rad_s * line.L_o_h_per_m * line.ur * line.length_m;
    line.q = line.length_m * line.zs_ohm * line.C_o_f_per_m * line.w_rad_s;
    return line;
}

cplx ground_eps(const ProbeLine& line, double sigma_s_per_m, double eps_r) {
    return {eps_r, -sigma_s_per_m / (line.w_rad_s * prog_eo)};
}

// coth(u) = (1 + E) / (1 - E) and csch^2(u) = 4 E / (1 - E)^2 with E = exp(-2u), which
// stays bounded for Re u >= 0.
cplx rods_z_from_u(const ProbeLine& line, cplx u) {
    const cplx e2 = std::exp(-2.0 * u);
    const cplx coth = (1.0 + e2) / (1.0 - e2);
    return cplx(0, line.zs_ohm) * coth / u;
}

cplx rods_dz_du(const ProbeLine& line, cplx u) {
    const cplx e2 = std::exp(-2.0 * u);
    const cplx coth = (1.0 + e2) / (1.0 - e2);
    const cplx csch2 = 4.0 * e2 / ((1.0 - e2) * (1.0 - e2));
    return cplx(0, line.zs_ohm) * (-csch2 / u - coth / (u * u));
}

cplx rods_z_classic(const ProbeLine& line, double sigma_s_per_m, double eps_r) {
    const double G = sigma_s_per_m * line.C_o_f_per_m / prog_eo;
    const double C = eps_r * line.C_o_f_per_m;
    const cplx z_ser(0, line.w_rad_s * line.L_o_h_per_m * line.ur);
    const cplx y_sh(G, line.w_rad_s * C);
    const cplx zo = std::sqrt(z_ser / y_sh);
    const cplx gamma = std::sqrt(z_ser * y_sh);
    return zo / std::tanh(gamma * line.length_m);
}

double skin_depth_m(double sigma_s_per_m, double eps_r, double ur, double freq_hz) {
    const double w = 2 * prog_pi * freq_hz;
    const cplx eps(eps_r, -sigma_s_per_m / (w * prog_eo));
    const cplx gamma = cplx(0, w / prog_co) * std::sqrt(ur * eps);
    return 1 / std::abs(gamma.real());
}

} // namespace ardenca::calc::solver
