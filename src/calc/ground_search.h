// The search for the shunt conductance G and capacitance C per metre for which the
// line in the ground reproduces a target impedance. Works on values only: any number
// of searches may run at once on different threads.
#pragma once

#include "air_line.h"
#include "arithmetic_fault.h"
#include "ground_conversion.h"
#include "line_models.h"

#include <cstdint>

namespace ardenca::calc {

// The first stage matches the reactance in its inner loop (G and C together) and the
// resistance in its outer loop (G alone); the second stage swaps the roles and moves
// the other way: resistance inner, C alone outer.
enum class SearchStage { First, Second };

// A single search run never evaluates the model more often than this; some targets
// make the second stage cycle forever without ever meeting an exact tie.
inline constexpr std::uint64_t max_search_evaluations = 1'000'000;

// How a search run ended.
enum class SearchEnd {
    Completed, // both loops ended and the final evaluation succeeded
    Fault,     // an arithmetic fault (the exit below a dielectric constant of 1 ends here)
    Bound,     // max_search_evaluations were made and another was due
};

struct SearchResult {
    SearchEnd end = SearchEnd::Completed;
    FaultKind fault_kind = FaultKind::Overflow; // for SearchEnd::Fault
    FaultOperation fault_operation = FaultOperation::Addition;

    // The values reached, whatever the end; false only when the start values
    // themselves faulted, before G and C were set.
    bool started = false;
    double g_s_per_m = 0;
    double c_f_per_m = 0;

    // The final evaluation with the values found; meaningful for Completed only.
    MediumResult model;
    std::uint64_t evaluations = 0; // model evaluations of this run

    bool completed() const { return end == SearchEnd::Completed; }
};

// Given the complete line in air and the target impedance rst + j xst (ohm), runs the
// search proper: the start values, the two loops, the exit when the dielectric
// constant drops below 1, and the final evaluation. Never throws an ArithmeticFault.
SearchResult search_ground(const AirLine& line, SearchStage stage, double rst_ohm, double xst_ohm);

// What the two stages together find for one reading, as "Calculate from Known  Z in"
// does it on a fresh window.
struct ClassicSolution {
    bool found = false;   // a run completed; the members below are from the last that did
    Ground ground;        // sigma and eps_r
    double g_s_per_m = 0; // G and C found
    double c_f_per_m = 0;
    MediumResult model;            // the model at G and C
    int failed_runs = 0;           // runs that ended in a fault or at the bound
    int runs = 0;                  // 1 to 3
    std::uint64_t evaluations = 0; // of every run
};

// Given the complete line in air and the target impedance (ohm): the first stage; the
// second when the first did not complete; the second (again) when the dielectric
// constant found by then is above 250.
ClassicSolution solve_classic(const AirLine& line, double rst_ohm, double xst_ohm);

} // namespace ardenca::calc
