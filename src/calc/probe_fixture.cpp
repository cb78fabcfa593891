#include "probe_fixture.h"

#include <cmath>

namespace ardenca::calc::solver {

Bilinear then(const Bilinear& first, const Bilinear& second) {
    // The matrix product second * first.
    return {second.a * first.a + second.b * first.c, second.a * first.b + second.b * first.d,
            second.c * first.a + second.d * first.c, second.c * first.b + second.d * first.d};
}

// Z_out = Zo (Z cos + j Zo sin) / (Zo cos + j Z sin).
Bilinear lossless_line(double zo_ohm, double theta_rad) {
    const double cs = std::cos(theta_rad);
    const double sn = std::sin(theta_rad);
    return {zo_ohm * cs, cplx(0, zo_ohm * zo_ohm * sn), cplx(0, sn), zo_ohm * cs};
}

Bilinear fixture_to_meter(const ProbeSetup& probe, const ProbeLine& line) {
    Bilinear chain;
    if (probe.air_m != 0)
        chain = then(chain, lossless_line(line.zo_air_ohm, line.w_rad_s * probe.air_m / prog_co));
    if (probe.top_pf != 0)
        chain = then(chain, Bilinear{1, 0, cplx(0, line.w_rad_s * probe.top_pf * 1e-12), 1});
    if (probe.lead_nh != 0)
        chain = then(chain, Bilinear{1, cplx(0, line.w_rad_s * probe.lead_nh * 1e-9), 0, 1});
    if (probe.matching)
        chain = then(chain, lossless_line(probe.match_zo_ohm, probe.match_deg / 360 * 2 * prog_pi));
    return chain;
}

} // namespace ardenca::calc::solver
