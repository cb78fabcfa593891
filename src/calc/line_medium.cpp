#include "complex_routines.h"
#include "constants.h"
#include "line_models.h"

namespace ardenca::calc {

void calc(const AirLine& line, const double& G, const double& C, double& r_out, double& i_out,
          double& Zo_r, double& Zo_i, double& pc_r, double& pc_i) {
    // Series impedance per metre (lossless wires) and shunt admittance per metre. The
    // pair is formed again before the product; it comes out the same both times.
    const double Z_ser_r = 0.0;
    const double Z_ser_i = ck::mul(ck::mul(line.w_rad_per_s, line.l_o_h_per_m), line.ur);
    const double Y_sh_r = G;
    const double Y_sh_i = ck::mul(line.w_rad_per_s, C);

    // Characteristic impedance sqrt(Z / Y).
    div_i(Z_ser_r, Z_ser_i, Y_sh_r, Y_sh_i, r_out, i_out);
    double copy_r = r_out;
    double copy_i = i_out;
    sqr_rt_i(copy_r, copy_i, r_out, i_out);
    Zo_r = r_out;
    Zo_i = i_out;

    // Propagation constant sqrt(Z Y).
    mult_i(Z_ser_r, Z_ser_i, Y_sh_r, Y_sh_i, r_out, i_out);
    copy_r = r_out;
    copy_i = i_out;
    sqr_rt_i(copy_r, copy_i, r_out, i_out);
    pc_r = r_out;
    pc_i = i_out;

    // Input impedance of the open line: Zo / tanh(gamma L_m).
    const double arg_r = ck::mul(pc_r, line.length_m);
    const double arg_i = ck::mul(pc_i, line.length_m);
    tanh_complex(e, arg_r, arg_i, r_out, i_out);
    const double th_r = r_out;
    const double th_i = i_out;
    div_i(Zo_r, Zo_i, th_r, th_i, r_out, i_out);
}

} // namespace ardenca::calc
