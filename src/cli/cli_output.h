// What ardenca-cli prints: the window's fields for a person, or one JSON object.
#pragma once

#include "app/command_report.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace ardenca {
class Ardenca;
}
namespace ardenca::calc {
struct SolveResult;
struct SolveOptions;
} // namespace ardenca::calc

namespace ardenca::cli {

struct FaultReport {
    std::string command; // the command's command-line name
    std::string message; // "division by zero"
    FaultPlace place;    // the step and the inputs it read
};

// What the run as a whole reports besides the model's fields and state.
struct RunReport {
    std::optional<FaultReport> fault;
    // The outcome of the last command that ran a search, if any did.
    std::optional<SearchOutcome> result;
    // The input fields read only in part by any command of the run, in order, once each.
    std::vector<PartlyRead> partly_read;
};

// With a "solve" object when the run solved its reading (with those options).
void print_json(std::ostream& out, const Ardenca& model, const RunReport& report,
                const calc::SolveResult* solved = nullptr,
                const calc::SolveOptions* options = nullptr);
void print_fields(std::ostream& out, const Ardenca& model);

} // namespace ardenca::cli
