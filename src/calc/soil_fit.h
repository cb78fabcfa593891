// A causal soil model fitted to the readings of a sweep themselves: weighted least
// squares on the impedances at the meter, through the same fixture and matching-section
// chain as the all-solutions solver, each reading's R and X weighted by the meter's
// 1-sigma accuracy (pct % of the part plus ohm).
//
// Each model is fitted from several starts: the chosen grounds of the sweep, and every
// ground of the best-determined readings in the low, middle and high thirds of the
// band (so a start lies on each branch). The starts are screened and refined on a
// subsample of the readings, the best polished on all of them (the runner-up too when
// its cost there is within half as much again). Then readings whose
// normalised residual |r|^2 (R and X together) exceeds reject_residual2 times the
// fit's robust scale are set aside and the fit repeated, up to three times.
//
// The uncertainties are the Jacobian's (J^T J)^-1 in the model's own parameters,
// widened by chi^2/dof when that is above 1. A fit is acceptable when it uses at least
// min_used_fraction of the readings and chi^2/dof is at most max_chi2_per_dof or its
// relative misfit at most max_relative_misfit.
// Choosing among models compares BIC = chi^2 of the readings used + reject_residual2 x
// scale per reading set aside + k ln(2 n), the smallest winning.
#pragma once

#include "all_solutions.h"
#include "soil_model.h"

#include <complex>
#include <optional>
#include <span>
#include <vector>

namespace ardenca::calc {

// A normalised residual |r|^2 above this many times the fit's scale sets a reading
// aside: for R and X together (chi^2 with 2 degrees of freedom) a chance of 4e-6.
inline constexpr double reject_residual2 = 25;
// An acceptable fit keeps this fraction of the readings ...
inline constexpr double min_used_fraction = 0.8;
// ... and misses them by at most this much: the model's residuals at most four times the
// meter's stated accuracy in the mean square. A soil outside the three families (a sum
// of Debye terms within the band) is met by the constant-phase model at 3 to 10; a
// model on a wrong branch misses by hundreds.
inline constexpr double max_chi2_per_dof = 16;
// ... or, with a meter better than the model (a soil outside the three families read
// to 0.3 %), misses them by at most this fraction of |Z| in the root mean square: far
// closer than a model on another branch can come.
inline constexpr double max_relative_misfit = 0.02;

// One reading of the sweep: the probe as the solver saw it at that frequency (its
// matching section's length already scaled there).
struct FitReading {
    double freq_hz = 0;
    std::complex<double> z_meter_ohm;
    ProbeSetup probe;
};

// One ground the solver found at some frequency, for starting the fit; chosen: the
// one the sweep's branch choice took there.
struct FitCandidate {
    double freq_hz = 0;
    double sigma_s_per_m = 0;
    double eps_r = 0;
    double u_sigma_s_per_m = 0;
    double u_eps_r = 0;
    bool chosen = false;
};

struct SoilFit {
    SoilModel model = SoilModel::Constant;
    SoilParameters value{};
    SoilParameters u{}; // 1-sigma, widened by sqrt(chi^2/dof) when that is above 1
    std::array<SoilParameters, max_soil_parameters> covariance{}; // widened alike
    double chi2_per_dof = 0;                                      // of the readings used
    double relative_misfit = 0; // rms of |Z_model - Z| / |Z| over the readings used
    double bic = 0;
    int points_used = 0;
    int points_total = 0;
    bool acceptable = false;
    double f_min_hz = 0; // the band of the readings used
    double f_max_hz = 0;
    std::vector<bool> used; // per reading, in the order given
    // Where the model misses the grounds nearest it: per frequency of the solver's
    // grounds, ln f, and the nearest ground minus the model with the ground's own u^2,
    // for sigma and for eps_r.
    struct Miss {
        double ln_f = 0;
        double sigma_d = 0, sigma_u2 = 0;
        double eps_d = 0, eps_u2 = 0;
    };
    std::vector<Miss> misses;
};

// The width, in ln f, over which the lack of fit is averaged (a Gaussian's sigma).
inline constexpr double lack_of_fit_width_ln_f = 0.1;

// A model's ground at one frequency with its 1-sigma uncertainties from the covariance.
struct ModelGround {
    double freq_hz = 0;
    double sigma_s_per_m = 0;
    double eps_r = 0;
    double u_sigma_s_per_m = 0;
    double u_eps_r = 0;
    bool extrapolated = false; // outside the band of the readings used
    bool from_model = true;    // false: from the chosen grounds nearby (no model fits)
};

// Given a fitted model and a frequency, its ground there. The uncertainties carry the
// covariance's and the model's lack of fit there: how far it misses the solver's
// grounds nearest it around that frequency beyond what their own u explain (weights: a
// Gaussian in ln f of width lack_of_fit_width_ln_f times each ground's 1/u^2; outside
// the band, the miss at its nearest end). Of two estimates the larger is added: the
// mean square miss less the grounds' u^2 (a model that wanders), and the square of the
// weighted mean miss less its variance (a model that is off to one side).
ModelGround model_ground(const SoilFit& fit, double freq_hz);

// Given a model, the readings, the grounds the solver found for them and the meter's
// accuracy (options.meter_pct, meter_ohm), the model fitted to the readings. Readings
// that are not finite are left out (never used). Nothing when fewer readings than
// needed can be used.
std::optional<SoilFit> fit_soil_model(SoilModel model, std::span<const FitReading> readings,
                                      std::span<const FitCandidate> candidates,
                                      const SolveOptions& options);

// Every model fitted, and the one kept.
struct SoilFitOutcome {
    std::vector<SoilFit> tried;
    std::optional<SoilFit> best; // the acceptable one with the smallest BIC
};

// Given models to try, the same: each fitted, the acceptable one with the smallest BIC
// kept (nothing when none is acceptable).
SoilFitOutcome fit_soil(std::span<const SoilModel> models, std::span<const FitReading> readings,
                        std::span<const FitCandidate> candidates, const SolveOptions& options);

// Given a fit and the same model's parameters fitted at several places, the fit with
// the sample covariance of those parameters added to its own (nothing added for fewer
// than two places).
SoilFit widened_by_scatter(SoilFit fit, std::span<const SoilParameters> places);

} // namespace ardenca::calc
