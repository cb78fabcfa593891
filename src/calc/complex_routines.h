// Complex arithmetic on (real, imaginary) pairs passed as separate doubles, each
// routine writing its result into caller-supplied slots. Operands and result slots
// are always distinct storage. The operation order of every formula is part of the
// result: the roundabout steps (a product with -1 instead of a subtraction, squares
// and roots through the power function, tanh through powers of e) are deliberate.
#pragma once

#include "checked_math.h"

namespace ardenca::calc {

// 2^0.5 as the power function gives it (the correctly rounded root; a test checks
// that ck::pow(2.0, 0.5) returns exactly this double).
inline constexpr double root_of_two = 0x1.6a09e667f3bcdp+0;

// Principal square root: real part >= 0, imaginary part with the sign of i_in
// (positive when i_in is zero, negative zero included).
inline void sqr_rt_i(const double& r_in, const double& i_in, double& r_out, double& i_out) {
    const double s = i_in < 0.0 ? -1.0 : 1.0;
    const double k = ck::div(1.0, root_of_two);
    // |z|, from the squares and a root through the power function; the routine reads
    // it twice from the same inputs, which gives the same double both times.
    const double m = ck::root(ck::add(ck::square(r_in), ck::square(i_in)));
    r_out = ck::mul(k, ck::root(ck::add(m, r_in)));
    const double q = ck::div(s, root_of_two);
    i_out = ck::mul(q, ck::root(ck::sub(m, r_in)));
}

// (r1 + j i1) * (r2 + j i2)
inline void mult_i(const double& r1_in, const double& i1_in, const double& r2_in,
                   const double& i2_in, double& r_out, double& i_out) {
    const double r1_r2 = ck::mul(r1_in, r2_in);
    r_out = ck::add(r1_r2, ck::mul(ck::mul(i1_in, i2_in), -1.0));
    const double r1_i2 = ck::mul(r1_in, i2_in);
    i_out = ck::add(r1_i2, ck::mul(r2_in, i1_in));
}

// (rn + j in) / (rd + j id), through the conjugate of the denominator. A zero
// denominator faults in the final divisions.
inline void div_i(const double& rn_in, const double& in_in, const double& rd_in,
                  const double& id_in, double& r_out, double& i_out) {
    const double cr = rd_in;
    const double ci = -id_in;
    double nr = 0, ni = 0, dr = 0, di = 0;
    mult_i(rn_in, in_in, cr, ci, nr, ni);
    mult_i(rd_in, id_in, cr, ci, dr, di);
    r_out = ck::div(nr, dr);
    i_out = ck::div(ni, dr);
}

// Hyperbolic tangent of a real number as (e^2x - 1) / (e^2x + 1), with e the
// program's constant raised by the power function. No special case for small or
// large x: 2x above about 709.78 overflows.
inline void tanh(double e, const double& ang_r_in, double& tanh_out) {
    const double e_2x = ck::pow(e, ck::mul(2.0, ang_r_in));
    const double a = ck::sub(e_2x, 1.0);
    const double b = ck::add(e_2x, 1.0);
    tanh_out = ck::div(a, b);
}

// Tangent of a real angle in radians.
inline void tan_a(const double& ang_r_in, double& tan_out) {
    tan_out = ck::tan(ang_r_in);
}

// tanh(a + j b) = (tanh a + j tan b) / (1 + j tanh a tan b)
inline void tanh_complex(double e, const double& r_in, const double& i_in, double& r_out,
                         double& i_out) {
    tanh(e, r_in, r_out);
    tan_a(i_in, i_out);
    const double nr = r_out;
    const double ni = i_out;
    const double dr = 1.0;
    const double di = ck::mul(r_out, i_out);
    div_i(nr, ni, dr, di, r_out, i_out);
}

} // namespace ardenca::calc
