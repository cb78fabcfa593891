// The soil models of a solved sweep in words for the sweep window's panel, and the
// ground at a frequency the user asks for, as the command line's --at gives it (the
// model's ground with its u, flagged extrapolated outside the band, else the chosen
// grounds' local mean).
#pragma once

#include "sweep/soil_choice.h"
#include "sweep/sweep_result.h"

#include <string>
#include <vector>

namespace ardenca {

// Given a fit, "constant phase: σdc 0.0038 ± 6.4e-05 S/m, ε∞ 12 ± 0.047, χ 40 ± 2.1,
// n 0.35 ± 0.011 (χ²/dof 1.02, 220 of 224 readings)".
std::string fit_in_words(const calc::SoilFit& fit);

// Given a result and the model asked for, one line per location fitted (a location still
// solving, or cut short, has none yet): its model and parameters ± u, or that no model
// fits and what to do; then, when the result has an area fit (several locations,
// averaged), one line for the area. Empty when no model was asked for.
std::vector<std::string> soil_model_lines(const sweep::SweepResult& result,
                                          sweep::FitChoice choice);

// Given a result and a frequency, one line per location with its ground there (σ ± u,
// εr ± u and where it comes from: the model, extrapolated or not, or the chosen grounds
// around it when no model fits), then the area's model's when it fits.
std::vector<std::string> ground_at_lines(const sweep::SweepResult& result, double freq_hz);

} // namespace ardenca
