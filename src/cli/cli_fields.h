// The options that set one input field each (--spacing, --freq, --r, ...), as
// --set FIELD=TEXT would, and the matching-section choice (--option).
#pragma once

#include "app/window_layout.h"

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardenca::cli {

struct FieldOption {
    std::string_view name; // "--spacing"
    Field field;
    std::string_view type; // "M"
    std::string_view help;
};

inline constexpr std::array<FieldOption, 11> field_options = {{
    {"--spacing", Field::Text1, "M", "Rod spacing, m (Spacing m, Text1)"},
    {"--radius", Field::Text2, "M", "Rod radius, m (Radius m, Text2)"},
    {"--length", Field::Text3, "M", "Rod length in the ground, m (Length m, Text3)"},
    {"--ur", Field::Text31, "UR", "Relative permeability of the ground (ur, Text31)"},
    {"--match-zo", Field::Text25, "OHM", "Matching section impedance, ohm (Zo, Text25)"},
    {"--match-deg", Field::Text26, "DEG", "Matching section length, degrees (L Degrees, Text26)"},
    {"--freq", Field::Text8, "MHZ", "Frequency, MHz (Frequency Mhz, Text8)"},
    {"--r", Field::Text23, "OHM", "Measured resistance, ohm (R in, Text23)"},
    {"--x", Field::Text24, "OHM", "Measured reactance, ohm (X_in, Text24)"},
    {"--cond", Field::Text9, "S_PER_M", "Ground conductivity, S/m (Cond, Text9)"},
    {"--diel", Field::Text10, "EPS_R", "Ground relative dielectric constant (Diel C, Text10)"},
}};

// The options as typed; an option counts as given even when its text is empty.
struct FieldArgs {
    std::array<std::string, field_options.size()> texts;
    std::array<CLI::Option*, field_options.size()> given{};
    std::string option; // --option: "", "none" or "matching"
};

struct FieldSetting {
    Field field;
    std::string text;
};

// Adds the field options and --option to app, the probe's first, then the reading's.
void add_field_options(CLI::App& app, FieldArgs& args);

// Given the parsed field options and the settings from --set, appends a setting per field
// option given; or says which option and --set set the same field.
std::optional<std::string> add_field_settings(const FieldArgs& args,
                                              std::vector<FieldSetting>& settings);

} // namespace ardenca::cli
