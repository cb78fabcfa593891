// The probe set-up of a sweep: the probe and fixture as for one reading, the frequency
// at which the matching section's electrical length was given, and the solver's box and
// meter accuracy.
#pragma once

#include "calc/all_solutions.h"

#include <stdexcept>
#include <string>

namespace ardenca::sweep {

struct SweepSetup {
    calc::ProbeSetup probe; // probe.match_deg is the section's length at setup_freq_hz
    double setup_freq_hz = 7e6;
    calc::SolveOptions solve;
};

// A set-up that cannot be used, or a set-up file that cannot be read; what() is a
// sentence for the user.
class SetupError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Given the set-up and a frequency, the probe as the solver sees it there: the matching
// section's electrical length grows with frequency, L(f) = L * (f / f_setup). At the
// set-up's own frequency it is L exactly. Its uncertainty grows the same way.
calc::ProbeSetup probe_at(const SweepSetup& setup, double freq_hz);

// Throws SetupError when a dimension, the frequency or the box makes no sense (a radius
// not below half the spacing, a length, frequency or permeability not above zero, ...).
void check_setup(const SweepSetup& setup);

// Reads the set-up from a ground data file: the matching-section flag (line 1), ur
// (line 2), the section's Zo and degrees (lines 3, 4), spacing, radius, length and the
// frequency in MHz (lines 7 to 10). The measured impedance (lines 5, 6) is not used.
// Field lines are read as the window reads its fields: blanks removed, the leading
// number taken, no number reading as 0. The solver options keep their defaults.
// Throws SetupError naming the file.
SweepSetup setup_from_ground_file(const std::string& path);

} // namespace ardenca::sweep
