// The probe set-up a sweep is solved with: taken from the main window's fields (as the
// single-point commands read them) or from a ground data file, plus the fixture
// corrections and the solver's options, which only the sweep window sets.
#pragma once

#include "sweep/soil_choice.h"
#include "sweep/sweep_result.h"
#include "sweep/sweep_setup.h"

#include <string>
#include <vector>

namespace ardenca {

class Ardenca;

// What stands between the meter and the rods besides the matching section, and how
// the solver is asked.
struct FixtureOptions {
    double lead_nh = 0;
    double top_pf = 0;
    double air_m = 0;
    double meter_pct = 1;
    double meter_ohm = 0.5;
    sweep::SolveMethod method = sweep::SolveMethod::AllSolutions;
    bool average = true; // averaged over locations when there are several
    // The soil model fitted to each location: the best that fits, as the command line.
    sweep::FitChoice fit = sweep::FitChoice::Auto;

    bool operator==(const FixtureOptions&) const = default;
};

struct SweepSetup {
    sweep::SweepSetup engine; // the probe, the set-up's frequency, the solver's options
    sweep::SolveMethod method = sweep::SolveMethod::AllSolutions;
    bool average = true;
    sweep::FitChoice fit = sweep::FitChoice::Auto;
    std::string source;       // empty: the main window; else the ground data file's path
    std::string fixture_name; // the fixture file in use (use_fixture), empty: none
    std::vector<std::string> fixture_warnings;
};

bool same_setup(const SweepSetup& a, const SweepSetup& b);

// Given the main window's fields ("Spacing m", "Radius m", "Length m", "Frequency Mhz",
// "ur", the matching section's "Zo" and "L Degrees" when "Use Matching Section" is
// selected) and the fixture options, the sweep's set-up. The texts read as the
// calculation commands read them; a number too large for a double raises
// ArithmeticFault.
SweepSetup setup_from_window(const Ardenca& model, const FixtureOptions& fixture);

// The same from a ground data file, as the sweep engine reads one (lines 1 to 4 and 7
// to 10; the measured impedance means nothing for a sweep). Throws sweep::SetupError.
SweepSetup setup_from_ground_file(const std::string& path, const FixtureOptions& fixture);

// "spacing 0.1 m, radius 0.007 m, length 0.55 m, ur 1, matching section 75 Ω 9.77° at
// 7 MHz" for the window's set-up line, with the fixture file in use and its warnings.
std::string describe(const SweepSetup& setup);

} // namespace ardenca
