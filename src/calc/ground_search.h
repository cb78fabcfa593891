// The search for the shunt conductance G and capacitance C per metre for which the
// line in the ground reproduces the target impedance rst + j xst.
#pragma once

#include "calc_state.h"
#include "line_models.h"

#include <cstdint>
#include <stdexcept>

namespace ardenca::calc {

// The first stage matches the reactance in its inner loop (G and C together) and the
// resistance in its outer loop (G alone); the second stage swaps the roles and moves
// the other way: resistance inner, C alone outer.
enum class SearchStage { First, Second };

// A single search run never evaluates the model more often than this; some targets
// make the second stage cycle forever without ever meeting an exact tie.
inline constexpr std::uint64_t max_search_evaluations = 1'000'000;

// Raised when a run has made max_search_evaluations and would make another. The
// searches treat it like an arithmetic fault.
class SearchBoundReached : public std::runtime_error {
  public:
    SearchBoundReached() : std::runtime_error("search ended after too many model evaluations") {}
};

// Runs the search proper on s.rst and s.xst: the start values, the two loops, the exit
// when the dielectric constant drops below 1, and the final evaluation with the values
// found, which it returns. s.G and s.C hold the values reached, also when an
// ArithmeticFault or SearchBoundReached ends the run. Every model evaluation is added
// to evaluations.
MediumResult search_ground(CalcState& s, SearchStage stage, std::uint64_t& evaluations);

} // namespace ardenca::calc
