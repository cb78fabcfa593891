#include "checked_math.h"
#include "line_models.h"

namespace ardenca::calc {

// Z_out = Zo (z + j t) / (1 + j z t), z = (Rs_in + j Xs_in) / Zo, t = tan(theta),
// worked on the real and imaginary parts directly.
void Tline_calc(const CalcState& s, const double& Zo, const double& Ld, const double& Rs_in,
                const double& Xs_in, double& Rs_out, double& Xs_out) {
    using namespace ck;
    const double theta = mul(mul(div(Ld, 360.0), 2.0), s.pi);
    const double r_n = div(Rs_in, Zo);
    const double x_n = div(Xs_in, Zo);
    const double t = ck::tan(theta);

    const double re_num = mul(add(square(t), 1.0), r_n);
    const double den = add(square(sub(1.0, mul(x_n, t))), square(mul(r_n, t)));
    Rs_out = mul(Zo, div(re_num, den));

    const double im_num =
        add(mul(x_n, sub(1.0, square(t))), mul(sub(sub(1.0, square(r_n)), square(x_n)), t));
    Xs_out = mul(Zo, div(im_num, den));
}

} // namespace ardenca::calc
