// What stands between the meter and the rods in the ground, as one bilinear map of
// impedances. From the rods upwards:
//   1. the rods left in the air above the ground: a length air_m of the same two-wire
//      line in air (impedance Zo_air, phase w air_m / co, no loss, ur of air);
//   2. the spacer block or other capacitance across the rod tops: a shunt top_pf;
//   3. the leads from the rod tops to the meter or cable: a series lead_nh;
//   4. the matching section, when used: a lossless line of impedance match_zo_ohm and
//      electrical length match_deg, carried the way the classic search carries it
//      (a line of -theta undoes it, the same as conjugating around the forward map).
// Each step is a map Z -> (a Z + b) / (c Z + d); the chain is their product, and its
// inverse takes the meter's reading back to the rods.
#pragma once

#include "ground_model.h"

namespace ardenca::calc::solver {

struct Bilinear {
    cplx a{1}, b{0}, c{0}, d{1};

    // Given Z, the impedance on the other side.
    cplx operator()(cplx z) const { return (a * z + b) / (c * z + d); }
    // Given Z, the derivative of the map there.
    cplx derivative(cplx z) const {
        const cplx den = c * z + d;
        return (a * d - b * c) / (den * den);
    }
    Bilinear inverse() const { return {d, -b, -c, a}; }
};

// Given two maps, first then second.
Bilinear then(const Bilinear& first, const Bilinear& second);

// Given a lossless line of impedance zo_ohm and phase theta_rad, the map far end ->
// near end.
Bilinear lossless_line(double zo_ohm, double theta_rad);

// Given the probe and the line constants, the map from the rods in the ground to the
// meter.
Bilinear fixture_to_meter(const ProbeSetup& probe, const ProbeLine& line);

} // namespace ardenca::calc::solver
