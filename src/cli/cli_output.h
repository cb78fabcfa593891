// What ardenca-cli prints: the window's fields for a person, or one JSON object.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace ardenca {
class Ardenca;
}

namespace ardenca::cli {

struct FaultReport {
    std::string command; // the command's command-line name
    std::string message; // "division by zero"
};

void print_json(std::ostream& out, const Ardenca& model, const std::optional<FaultReport>& fault);
void print_fields(std::ostream& out, const Ardenca& model);

} // namespace ardenca::cli
