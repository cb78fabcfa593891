// The "solve" command of ardenca-cli: its options, and the solver's answer as JSON and
// as a table.
#pragma once

#include "app/ground_solutions.h"

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace ardenca::cli {

// The options as typed.
struct SolveArgs {
    std::string meter;       // "1%+0.5"
    std::string sigma_range; // "1e-5:20"
    std::string epsr_range;  // "1:200"
    std::string lead_nh, top_pf, air_m;
    std::string near_chi2; // "4"
};

struct SolveSettings {
    FixtureExtras extras;
    calc::SolveOptions options;
};

// Adds --meter, --sigma-range, --epsr-range, --lead-nh, --top-pf, --air-m and
// --near-chi2; each help text starts with help_prefix.
void add_solve_options(CLI::App& app, SolveArgs& args, const std::string& help_prefix);

// Given the typed options, the settings, or a message saying what is wrong.
std::optional<std::string> parse_solve_args(const SolveArgs& args, SolveSettings& settings);

// Given the solver's answer and the options it ran with, its JSON object and its table.
nlohmann::ordered_json solve_json(const calc::SolveResult& result,
                                  const calc::SolveOptions& options);
void print_solve_table(std::ostream& out, const calc::SolveResult& result,
                       const calc::SolveOptions& options);

} // namespace ardenca::cli
