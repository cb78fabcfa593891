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
#include <vector>

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

// Given a result with an acceptable soil model (its one location's, or with several
// locations the area's) and frequencies, a NEC-2 program-control fragment to append to
// a deck's geometry and excitation, per frequency:
//   GN 2 0 0 0 EPSR SIGMA 0 0 0 0 <model, in band or EXTRAPOLATED, measured band, u>
//   FR 0 1 0 0 MHZ 0 0 0 0 0 <the model's parameters +- u>
//   XQ 0 0 0 0 0 0 0 0 0 0 <the file fitted, or the area>
// Comment (CM) cards are allowed only at the head of a deck, and nec2c refuses them
// after the geometry: where the values come from rides on each card after its last
// field, where free-format NEC readers stop, each card within 120 columns (nec2c
// reads lines of up to 132). Values to 6 digits. Throws ExportError without an
// acceptable fit.
std::string nec_band_cards(const sweep::SweepResult& result, const std::vector<double>& freqs_hz);

} // namespace ardenca::exports
