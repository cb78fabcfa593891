// What ardenca-cli prints: the window's fields for a person, or one JSON object.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace ardenca {
class Ardenca;
}
namespace ardenca::calc {
struct SolveResult;
}

namespace ardenca::cli {

struct FaultReport {
    std::string command; // the command's command-line name
    std::string message; // "division by zero"
};

// With a "solve" object when the run solved its reading.
void print_json(std::ostream& out, const Ardenca& model, const std::optional<FaultReport>& fault,
                const calc::SolveResult* solved = nullptr);
void print_fields(std::ostream& out, const Ardenca& model);

} // namespace ardenca::cli
