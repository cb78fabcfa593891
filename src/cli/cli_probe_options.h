// The probe's options that "sweep" and "calibrate" share: the rods and the matching
// section as typed, and their reading over a set-up.
#pragma once

#include "sweep/sweep_file.h"
#include "sweep/sweep_setup.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <stdexcept>
#include <string>

namespace ardenca::cli {

// A command line that cannot be used; told with the command's usage hint.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Given an option's name and its text, the number it holds, or a UsageError.
double number_arg(const std::string& option, const std::string& text);

// The probe's options as typed; an empty text was not given.
struct ProbeArgs {
    std::string spacing, radius, length, ur, setup_mhz, option, match_zo, match_deg;
};

// The command's own words for the matching section's options.
struct SectionHelp {
    std::string setup_mhz, match_zo, match_deg;
};

// Adds --spacing, --radius, --length and, with_ur, --ur to app.
void add_rod_options(CLI::App& app, ProbeArgs& args, bool with_ur);

// Adds --setup-mhz, --option, --match-zo and --match-deg to app, worded by help.
void add_section_options(CLI::App& app, ProbeArgs& args, const SectionHelp& help);

// Given the typed options, overrides the set-up's probe and set-up frequency with those
// given; refuses a number that is none, an unknown --option and, when max_match_deg is
// given, a section longer than that either way.
void apply_probe_args(const ProbeArgs& args, sweep::SweepSetup& setup,
                      std::optional<double> max_match_deg = std::nullopt);

// How the VNA files are read, as typed; an empty text was not given.
struct ReadArgs {
    std::string freq_unit, z0;
};

// Adds --freq-unit and --z0 (for CSV files) to app.
void add_read_options(CLI::App& app, ReadArgs& args);

// Given the typed reading options, the reader's options; refuses an unknown unit and a
// reference resistance that is not above zero.
sweep::ReadOptions read_options_from(const ReadArgs& args);

} // namespace ardenca::cli
