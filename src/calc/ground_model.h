// The probe in the ground in std::complex, for the all-solutions solver: the same
// air-line constants and line model as the classic calculation, written around the
// one unknown that matters, u = gamma l.
//
// With Z' = j w L_o ur and Y' = j w C_o eps (eps = eps_r - j sigma / (w eo)), the line
// of length l gives Zo u = Z' l = j Zs exactly (Zs = w L_o ur l), so the rods in the
// ground show Z = j Zs coth(u) / u, and u^2 = -Q eps with Q = l Zs C_o w.
#pragma once

#include "all_solutions.h"

#include <complex>

namespace ardenca::calc::solver {

using cplx = std::complex<double>;

// The program's own constants, the same values the classic calculation uses.
inline constexpr double prog_pi = 3.14159265358979;
inline constexpr double prog_co = 299792458;       // m/s
inline constexpr double prog_eo = 8.854187817e-12; // F/m

// The probe's line constants at one frequency.
struct ProbeLine {
    double w_rad_s = 0;
    double zo_air_ohm = 0;
    double L_o_h_per_m = 0;
    double C_o_f_per_m = 0;
    double length_m = 0;
    double ur = 1;
    double zs_ohm = 0; // w L_o ur l
    double q = 0;      // l Zs C_o w, so that eps = -u^2 / q
};

// Given the probe and the frequency, its line constants as the air-line model makes them.
ProbeLine probe_line(const ProbeSetup& probe, double freq_hz);

// Given a ground, its complex relative permittivity eps_r - j sigma / (w eo).
cplx ground_eps(const ProbeLine& line, double sigma_s_per_m, double eps_r);

// Given u = gamma l, the ground's complex relative permittivity -u^2 / q.
inline cplx eps_from_u(const ProbeLine& line, cplx u) {
    return -(u * u) / line.q;
}

// Given the complex permittivity, u = sqrt(-q eps) with Re u >= 0.
inline cplx u_from_eps(const ProbeLine& line, cplx eps) {
    return std::sqrt(-line.q * eps);
}

// Given eps, sigma in S/m (from its imaginary part).
inline double sigma_from_eps(const ProbeLine& line, cplx eps) {
    return -eps.imag() * (line.w_rad_s * prog_eo);
}

// Given u, the impedance of the rods in the ground, j Zs coth(u) / u.
cplx rods_z_from_u(const ProbeLine& line, cplx u);

// Given u, dZ/du of the rods in the ground.
cplx rods_dz_du(const ProbeLine& line, cplx u);

// Given a ground, the rods' impedance the way the classic model forms it: G and C per
// metre, Zo = sqrt(Z'/Y'), gamma = sqrt(Z'Y'), Z = Zo / tanh(gamma l).
cplx rods_z_classic(const ProbeLine& line, double sigma_s_per_m, double eps_r);

// Given sigma, eps_r, ur and f, the plane-wave skin depth 1 / Re(gamma) in metres.
double skin_depth_m(double sigma_s_per_m, double eps_r, double ur, double freq_hz);

} // namespace ardenca::calc::solver
