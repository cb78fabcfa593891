#include "ground_conversion.h"

#include "checked_math.h"
#include "constants.h"

namespace ardenca::calc {

double sigma_from_g(double g_s_per_m, const AirLine& line) {
    return ck::div(ck::mul(g_s_per_m, eo_f_per_m), line.c_o_f_per_m);
}

double eps_r_from_c(double c_f_per_m, const AirLine& line) {
    return ck::div(c_f_per_m, line.c_o_f_per_m);
}

double g_from_sigma(double sigma_s_per_m, const AirLine& line) {
    return ck::div(ck::mul(sigma_s_per_m, line.c_o_f_per_m), eo_f_per_m);
}

double c_from_eps_r(double eps_r, const AirLine& line) {
    return ck::mul(eps_r, line.c_o_f_per_m);
}

Ground ground_from_line(double g_s_per_m, double c_f_per_m, const AirLine& line) {
    Ground g;
    g.sigma_s_per_m = sigma_from_g(g_s_per_m, line);
    g.eps_r = eps_r_from_c(c_f_per_m, line);
    return g;
}

ShuntPerMetre line_from_ground(const Ground& ground, const AirLine& line) {
    ShuntPerMetre s;
    s.c_f_per_m = c_from_eps_r(ground.eps_r, line);
    s.g_s_per_m = g_from_sigma(ground.sigma_s_per_m, line);
    return s;
}

} // namespace ardenca::calc
