// Every ground that reproduces one reading of the probe, with how well each is
// determined. Works in std::complex on its own forward model, beside the classic
// bit-exact searches, and holds no state: call it from any number of threads.
#pragma once

#include <complex>
#include <string>
#include <vector>

namespace ardenca::calc {

// 1-sigma uncertainties of the fixture values (as a calibration gives them) and their
// correlations, carried into each solution's uncertainty beside the meter's.
struct FixtureUncertainty {
    double lead_nh = 0;
    double top_pf = 0;
    double match_deg = 0; // at the reading's frequency, as match_deg
    double corr_lead_top = 0, corr_lead_match = 0, corr_top_match = 0;
};

// The probe and what stands between it and the meter.
struct ProbeSetup {
    double spacing_m = 0.1;
    double radius_m = 0.007;
    double length_m = 0.55; // rod length in the ground
    double ur = 1;          // relative permeability of the ground
    bool matching = false;  // a lossless matching section between meter and probe
    double match_zo_ohm = 75;
    double match_deg = 0; // its electrical length at the reading's frequency
    double lead_nh = 0;   // series inductance of the connecting leads
    double top_pf = 0;    // shunt capacitance across the rod tops
    double air_m = 0;     // length of the rods left in the air above the ground
    FixtureUncertainty u_fixture = {};
};

struct SolveOptions {
    double sigma_min_s_per_m = 1e-5;
    double sigma_max_s_per_m = 20;
    double eps_r_min = 1;
    double eps_r_max = 200;
    // The meter's 1-sigma accuracy: pct % of |R| (and of |X|) plus ohm.
    double meter_pct = 1;
    double meter_ohm = 0.5;
    // Grounds on the box's edges whose misfit to the reading, in the meter's standard
    // deviations squared, is at most this are told as near grounds; 0 looks for none.
    double near_chi2 = 4;
    // The work one reading may take. A probe longer than max_nu half-waves in the densest
    // ground of the box, or a box counted to hold more than max_count grounds, is left
    // unresolved before any search; past max_evaluations of the model (at nu 100 about 1 us each)
    // the search stops and its list is marked incomplete.
    double max_nu = 100;
    int max_count = 120;
    long max_evaluations = 40'000;
};

// Flags of one solution.
enum SolutionFlag : unsigned {
    ElectricallyLong = 1u << 0,  // beta l > pi/4
    BeyondQuarterWave = 1u << 1, // beta l > pi/2
    NearDoubleRoot = 1u << 2,
    PoorlyDetermined = 1u << 3, // an uncertainty above 50 %
};

// Flags of a reading.
enum ReadingFlag : unsigned {
    ProbeShort = 1u << 0, // nu < 0.5: at most one solution
    CanBeLong = 1u << 1,
    Incomplete = 1u << 2, // fewer roots found than counted
    NoSolution = 1u << 3,
    Unresolvable = 1u << 4,    // left unsearched: see SolveResult::unresolved
    NearAlternative = 1u << 5, // one ground fits exactly, but near grounds fit as well
};

// Why a reading was left unsearched.
enum class Unresolved {
    No,
    ProbeTooLong,   // nu above SolveOptions::max_nu
    TooManyGrounds, // the certified count above SolveOptions::max_count
};

struct GroundSolution {
    double sigma_s_per_m = 0;
    double eps_r = 0;
    std::complex<double> gamma_l; // propagation constant times rod length in the ground
    double residual_ohm = 0;      // |Z_model - Z_probe|, through the forward model
    double u_sigma_s_per_m = 0; // 1-sigma uncertainties from the meter's accuracy and the fixture's
    double u_eps_r = 0;
    double corr = 0; // correlation of sigma and eps_r
    int multiplicity = 1;
    unsigned flags = 0; // SolutionFlag
    double skin_depth_m = 0;
};

// Which edge of the box a near ground lies on.
enum class BoxEdge { EpsRMin, EpsRMax, SigmaMin, SigmaMax };

// A ground on the edge of the box that reproduces the reading within the meter's
// accuracy without reproducing it exactly: where a ground just outside the box, or a
// reading pushed a little by the meter's error, shows up inside it.
struct NearGround {
    double sigma_s_per_m = 0;
    double eps_r = 0;
    BoxEdge edge = BoxEdge::EpsRMin;
    double chi2 = 0; // ((R_model - R) / u_R)^2 + ((X_model - X) / u_X)^2 at the meter
};

struct SolveResult {
    std::complex<double> z_probe_ohm; // the reading carried to the rods in the ground
    bool complete = false;            // the list is proved to hold every solution
    double nu = 0;
    unsigned flags = 0;                    // ReadingFlag
    std::vector<GroundSolution> solutions; // sorted by |gamma l|
    // Local minima of the misfit along the box's edges, more than 3 standard deviations
    // from every solution; sorted by chi2.
    std::vector<NearGround> near;
    // Exactly one ground, single and proved the only one, and no near ground.
    bool unique = false;
    long evaluations = 0; // model evaluations spent
    int count = -1;       // grounds in the box, certified; -1 when not counted
    Unresolved unresolved = Unresolved::No;
};

// Given why a reading was left unresolved, nu, the count (-1 when not known) and the
// limits, a sentence saying so; empty when it was resolved.
std::string unresolved_reason(Unresolved why, double nu, int count, const SolveOptions& options);

// Given the probe, the frequency and the meter's reading, every ground in the box.
SolveResult solve_all(const ProbeSetup& probe, double freq_hz, std::complex<double> z_meter_ohm,
                      const SolveOptions& options = {});

} // namespace ardenca::calc
