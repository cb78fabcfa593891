// Calibrating the probe's fixture from two sweeps a user can make in the field: the
// whole probe held in the air (rods of length length_m + air_m, open at the end, a
// lossless line of the probe's own Zo in air) and, optionally, the rod tops strapped
// together (the leads alone). A weighted least-squares fit on the meter's impedances
// gives the series lead inductance, the capacitance across the rod tops and, when
// asked, the electrical length of the feed line between the meter and the probe, each
// with its 1-sigma uncertainty. The chain is the one the solver de-embeds: rods, the
// part above the ground, top C, lead L, the feed line. No state; thread-safe.
#pragma once

#include "all_solutions.h"

#include <array>
#include <complex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ardenca::calc {

// One reading of a calibration sweep.
struct ImpedancePoint {
    double freq_hz = 0;
    std::complex<double> z_ohm;
};

struct FixtureFitInput {
    // The probe: spacing, radius, length_m + air_m (the whole rod), and the feed line's
    // Zo. With matching set and fit_line off, match_deg is taken as known (at
    // setup_freq_hz); lead_nh and top_pf are not read.
    ProbeSetup probe;
    double setup_freq_hz = 7e6; // the feed line's degrees are given at this frequency
    std::vector<ImpedancePoint> air;
    std::vector<ImpedancePoint> shorted;
    bool fit_line = false; // fit the feed line's degrees (its Zo is probe.match_zo_ohm)
    double meter_pct = 1;  // the meter's 1-sigma accuracy, as for the solver
    double meter_ohm = 0.5;
};

struct FittedValue {
    double value = 0;
    double u = 0; // 1 sigma
};

// Where the largest residual of the fit lies.
struct WorstResidual {
    double freq_hz = 0;
    bool in_short = false;    // in the short sweep, else the air sweep
    double sigmas = 0;        // |residual| over the meter's 1-sigma there
    std::complex<double> ohm; // model minus measured
};

struct FixtureFit {
    FittedValue lead_nh;
    FittedValue top_pf;
    std::optional<FittedValue> line_deg; // at setup_freq_hz, with fit_line
    double chi2_per_dof = 0;
    int points_used = 0;
    int dof = 0;
    WorstResidual worst;
    // Correlations of lead_nh, top_pf and line_deg (the last row and column 0 without
    // a fitted line).
    std::array<std::array<double, 3>, 3> correlation{};
    std::string verdict; // "good", "fair" or "poor", then a sentence
};

// A pair of sweeps that cannot determine the fixture; what() says why.
class FixtureFitError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Given the probe and the fixture values (probe.lead_nh, top_pf, and the feed line at
// the reading's frequency), what the meter reads with the probe in the air.
std::complex<double> air_reading(const ProbeSetup& probe, double freq_hz);

// Given the same, what the meter reads with the rod tops strapped together.
std::complex<double> short_reading(const ProbeSetup& probe, double freq_hz);

// Given the sweeps, the fixture. Throws FixtureFitError when they cannot determine it:
// no air sweep (a short sweep cannot give the top capacitance), an air sweep whose
// reactance stays within the meter's noise, too few points, a value the sweeps leave
// undetermined, or sweeps the model cannot fit at all.
FixtureFit fit_fixture(const FixtureFitInput& input);

} // namespace ardenca::calc
