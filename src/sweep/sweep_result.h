// What solving a sweep gives: per location (file) and frequency, every ground that fits,
// the one followed by continuity, and flags; optionally the average over locations.
#pragma once

#include "calc/all_solutions.h"
#include "calc/soil_fit.h"

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ardenca::sweep {

enum PointFlag : unsigned {
    Ambiguous = 1u << 0,        // another choice nearly as good (tracking.h)
    NoSolution = 1u << 1,       // no ground in the box fits the reading
    ElectricallyLong = 1u << 2, // the probe is electrically long at this frequency
    InfiniteReading = 1u << 3,  // the meter read an open circuit
    IncompleteCount = 1u << 4,  // the solver could not prove its list complete
    Outlier = 1u << 5,          // every ground of the reading breaks the sweep's continuity
    OffModel = 1u << 6,         // the nearest ground lies more than off_model_u from the model
    NearAlternative = 1u << 7,  // one ground fits exactly, but near grounds fit as well
    Unresolvable = 1u << 8,     // left unsearched: too long a probe or too many grounds
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
    std::optional<calc::ModelGround> model{}; // the location's soil model here, when one fits
    calc::Unresolved unresolved = calc::Unresolved::No; // why, with Unresolvable
    int count = -1; // the grounds counted in the box, -1 when not counted
};

struct LocationResult {
    std::string path;
    std::vector<PointResult> points;
    std::vector<std::string> warnings;
    // The soil model fitted to the location's readings: with auto the acceptable one
    // with the smallest BIC (nothing when none is), else the model asked for, acceptable
    // or not. Only an acceptable fit chooses the points' grounds and gives model values.
    std::optional<calc::SoilFit> fit{};
    std::vector<calc::ModelGround> at{}; // the acceptable fit's ground at the frequencies asked
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
    // With the average: one fit over every location's readings together, its
    // uncertainties widened by the scatter of the same model fitted at each location.
    std::optional<calc::SoilFit> area_fit{};
    std::vector<calc::ModelGround> area_at{};
};

} // namespace ardenca::sweep
