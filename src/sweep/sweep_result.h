// What solving a sweep gives: per location (file) and frequency, every ground that fits,
// the one followed by continuity, and flags; optionally the average over locations.
#pragma once

#include "calc/all_solutions.h"

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ardenca::sweep {

enum PointFlag : unsigned {
    Ambiguous = 1u << 0,        // two candidates within the tracking tolerance
    NoSolution = 1u << 1,       // no ground in the box fits the reading
    ElectricallyLong = 1u << 2, // the probe is electrically long at this frequency
    InfiniteReading = 1u << 3,  // the meter read an open circuit
    IncompleteCount = 1u << 4,  // the solver could not prove its list complete
    NearAlternative = 1u << 7,  // one ground fits exactly, but near grounds fit as well
    Provisional = 1u << 9,      // tracked over part of its location only (a run still
                                // under way, or cancelled): the choice may change
};

enum class SolveMethod { AllSolutions, Classic };

struct PointResult {
    double freq_hz = 0;
    std::complex<double> z_measured_ohm;
    std::complex<double> z_probe_ohm; // de-embedded to the rods in the ground
    std::vector<calc::GroundSolution> solutions;
    std::optional<std::size_t> chosen; // index into solutions
    unsigned flags = 0;                // PointFlag
    double nu = 0;
    // Grounds on the box's edges that fit the reading within the meter's accuracy.
    std::vector<calc::NearGround> near{};
};

struct LocationResult {
    std::string path;
    std::vector<PointResult> points;
    std::vector<std::string> warnings;
};

// Mean and standard deviation over the locations at one common frequency.
struct AveragePoint {
    double freq_hz = 0;
    double sigma_mean_s_per_m = 0;
    double sigma_sd_s_per_m = 0;
    double eps_r_mean = 0;
    double eps_r_sd = 0;
    int locations = 0;                       // how many locations had a chosen solution here
    bool interpolated = false;               // some location's value was interpolated in ln f
    std::vector<int> interpolated_locations; // which ones: indices into locations
};

struct SweepResult {
    calc::ProbeSetup setup; // match_deg here is the section's length at setup_freq_hz
    double setup_freq_hz = 0;
    calc::SolveOptions options; // the box and the meter accuracy the points were solved with
    SolveMethod method = SolveMethod::AllSolutions;
    std::vector<LocationResult> locations;
    std::optional<std::vector<AveragePoint>> average;
};

} // namespace ardenca::sweep
