// The reading as one equation in u = gamma l. u tanh(u) = c with c = j Zs / Z has poles
// where cosh u = 0; its zeros are those of the entire function
//   g(u) = 2 e^-u (u sinh u - c cosh u) = u (1 - E) - c (1 + E),   E = e^-2u,
// which stays bounded for Re u >= 0. The grounds live there: u^2 = -q eps with
// eps_r > 0 and sigma > 0 puts u in the first quadrant above the diagonal.
#pragma once

#include "ground_model.h"
#include "solve_stop.h"

namespace ardenca::calc::solver {

struct GValue {
    cplx g;
    cplx dg; // g'(u)
};

struct ProbeEquation {
    cplx c;

    // Given u with Re u >= 0, g and g'. Throws SolveStopped once the calling thread's
    // stop flag is set (see solve_stop.h).
    GValue at(cplx u) const {
        throw_if_stopped();
        const cplx e2 = std::exp(-2.0 * u);
        return {u * (1.0 - e2) - c * (1.0 + e2), 1.0 - e2 + 2.0 * (u + c) * e2};
    }
    // Given u, g''(u) = 4 e^-2u (1 - u - c).
    cplx second_derivative(cplx u) const { return 4.0 * std::exp(-2.0 * u) * (1.0 - u - c); }
};

// A rectangle of grounds: eps_r in [eps_min, eps_max], s = sigma / (w eo) in
// [s_min, s_max], all positive. In the plane of w = -eps = -eps_r + j s it is a
// rectangle in the second quadrant, and u = sqrt(q w) maps it one to one into the
// first quadrant.
struct GroundBox {
    double eps_min = 0;
    double eps_max = 0;
    double s_min = 0;
    double s_max = 0;
};

} // namespace ardenca::calc::solver
