// The ground's conductivity and dielectric constant and the line's shunt conductance
// and capacitance per metre, one from the other, for a medium that fills the whole
// space around the wires: G / C = sigma / (eps_r eo).
#pragma once

#include "air_line.h"

namespace ardenca::calc {

// Given G (S/m) and the line in air, the conductivity sigma = G eo / C_o.
double sigma_from_g(double g_s_per_m, const AirLine& line);
// Given C (F/m) and the line in air, the relative dielectric constant eps_r = C / C_o.
double eps_r_from_c(double c_f_per_m, const AirLine& line);
// Given sigma (S/m) and the line in air, G = sigma C_o / eo.
double g_from_sigma(double sigma_s_per_m, const AirLine& line);
// Given eps_r and the line in air, C = eps_r C_o.
double c_from_eps_r(double eps_r, const AirLine& line);

struct Ground {
    double sigma_s_per_m = 0;
    double eps_r = 0;
};
struct ShuntPerMetre {
    double g_s_per_m = 0;
    double c_f_per_m = 0;
};

// Both conversions at once; an ArithmeticFault leaves them.
Ground ground_from_line(double g_s_per_m, double c_f_per_m, const AirLine& line);
ShuntPerMetre line_from_ground(const Ground& ground, const AirLine& line);

} // namespace ardenca::calc
