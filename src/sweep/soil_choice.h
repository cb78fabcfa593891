// A location's grounds chosen by a soil model fitted to its readings. The model is
// fitted to the impedances at the meter (calc/soil_fit.h), started from the grounds the
// branch choice took and from every branch at the best-determined readings. With an
// acceptable fit each point gets the model's ground there and chooses, among its own
// grounds, the one nearest it in (ln sigma, ln eps_r). Measured in their combined
// uncertainties (the ground's and the model's, per coordinate), a nearest ground more
// than off_model_u away is flagged OffModel; a point where another ground also lies
// within off_model_u is Ambiguous, and one where only the chosen ground does is not.
// Without an acceptable fit the branch choice stands and the location is warned; the
// ground at a frequency asked for is then, inside the band, the mean of the chosen
// grounds around it (see local_ground), and nothing (NaN) outside it.
#pragma once

#include "sweep_result.h"
#include "sweep_setup.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace ardenca::sweep {

inline constexpr double off_model_u = 3;

// Which soil model to fit to each location's readings: none, the best acceptable by BIC
// (auto), or one of them.
enum class FitChoice { None, Auto, Constant, Messier, Jonscher };

// Given a choice, the models to try (none for None).
std::vector<calc::SoilModel> models_of(FitChoice choice);

// The choices' names, as --fit and session files write them, in FitChoice order.
inline constexpr std::array<std::string_view, 5> fit_choice_names{"none", "auto", "constant",
                                                                  "messier", "jonscher"};
// Given a name, its choice; none when no choice has that name.
std::optional<FitChoice> fit_choice_from_name(std::string_view name);

// Given the set-up, a solved and tracked location and the models to try (one: that
// model whatever its fit; several: the acceptable one with the smallest BIC), fits
// the location and re-chooses its points; the model's ground at each of at_hz too.
void fit_location(const SweepSetup& setup, LocationResult& location,
                  std::span<const calc::SoilModel> models, std::span<const double> at_hz);

// Given a location and a frequency inside its band, the mean of its chosen grounds
// weighted by a Gaussian in ln f of width calc::lack_of_fit_width_ln_f times each
// ground's 1/u^2; u that of the mean, widened by sqrt(chi^2/dof) of the grounds about
// it when they scatter more than their u. NaN values outside the band or with no
// chosen ground.
calc::ModelGround local_ground(const LocationResult& location, double freq_hz);

// Given a location (fitted or not) and a frequency, its ground there: its acceptable
// model's (calc::model_ground), else the chosen grounds' local mean (local_ground).
calc::ModelGround ground_at(const LocationResult& location, double freq_hz);

// Given the set-up, the solved locations and the models to try, one fit over all their
// readings together, with its uncertainties widened by the scatter of that model fitted
// at each location; acceptable when it keeps min_used_fraction of the readings and is
// acceptable at most of the locations. Nothing when no model can be fitted.
std::optional<calc::SoilFit> fit_area(const SweepSetup& setup,
                                      std::span<const LocationResult> locations,
                                      std::span<const calc::SoilModel> models);

} // namespace ardenca::sweep
