#include "checked_math.h"
#include "constants.h"
#include "line_models.h"

namespace ardenca::calc {

// Z_out = Zo (z + j t) / (1 + j z t), z = (Rs_in + j Xs_in) / Zo, t = tan(theta),
// worked on the real and imaginary parts directly.
Impedance Tline_calc(double Zo, double Ld, double Rs_in, double Xs_in) {
    using namespace ck;
    const double theta = mul(mul(div(Ld, 360.0), 2.0), pi);
    const double r_n = div(Rs_in, Zo);
    const double x_n = div(Xs_in, Zo);
    const double t = ck::tan(theta);

    Impedance out;
    const double re_num = mul(add(square(t), 1.0), r_n);
    const double den = add(square(sub(1.0, mul(x_n, t))), square(mul(r_n, t)));
    out.r_ohm = mul(Zo, div(re_num, den));

    const double im_num =
        add(mul(x_n, sub(1.0, square(t))), mul(sub(sub(1.0, square(r_n)), square(x_n)), t));
    out.x_ohm = mul(Zo, div(im_num, den));
    return out;
}

Impedance probe_from_meter(double Zo, double Ld, Impedance meter) {
    const Impedance far_end = Tline_calc(Zo, Ld, meter.r_ohm, -meter.x_ohm);
    return {far_end.r_ohm, -far_end.x_ohm};
}

} // namespace ardenca::calc
