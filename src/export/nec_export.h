// The ground of a sweep at one frequency as NEC-2 cards: comment cards (CM) that say
// where the numbers come from, then the ground card
//   GN 2 0 0 0 EPSR SIGMA
// (a finite ground by the Sommerfeld-Norton method, no radial screen, relative
// dielectric constant, conductivity in S/m). The CM cards belong at the head of a deck,
// the GN card after the geometry's GE card.
#pragma once

#include "export_file.h"
#include "sweep/sweep_result.h"

#include <string>

namespace ardenca::exports {

struct NecGround {
    double freq_hz = 0;
    double sigma_s_per_m = 0;
    double eps_r = 0;
    double u_sigma_s_per_m = 0; // for one location its uncertainty; for several the
    double u_eps_r = 0;         // standard deviation over them (NaN: not known)
    std::string source;         // one line saying where the ground comes from
};

// Given a result and a frequency, the ground there: for one location its tracked ground,
// for several the average over them (computed when the result has none), interpolated
// linearly in ln f between the nearest points that have a ground. Throws ExportError
// when the frequency is outside the sweep or no ground brackets it.
NecGround nec_ground_at(const sweep::SweepResult& result, double freq_hz);

// The cards for that ground, each line ending in LF.
std::string nec_ground_cards(const NecGround& ground);

} // namespace ardenca::exports
