// The sentences that tell a user what a command's report says: a search that found no
// ground, inputs read only in part, the place of an arithmetic fault. The desktop
// window and ardenca-cli show the same words.
#pragma once

#include "app/command_report.h"

#include <string>
#include <string_view>
#include <vector>

namespace ardenca {

class Ardenca;

// The shortest text that reads back as the same double: 14, 0.5, 1e-32.
std::string shortest_number(double value);
// A field's text in quotes, as a message shows it: at most 40 characters, anything
// unprintable as "?".
std::string quoted_text(std::string_view text);
// The caption beside an input field: "Length m".
std::string_view field_caption(Field field);

// The tooltip of a partly read field: "read as 14".
std::string read_as_text(const PartlyRead& read);
// One line per field for ardenca-cli: "Frequency Mhz (Text8) "14,2" was read as 14".
std::string partly_read_line(const PartlyRead& read);
// The desktop's notice naming every partly read field.
std::string partly_read_notice(const std::vector<PartlyRead>& reads);

// The tooltip of a result field that a search without a ground left as it was.
inline constexpr std::string_view stale_tooltip = "not recalculated";

// For a search that found no ground: "No ground found that reproduces R in 65 + j67 Ω
// with this probe; the Cond and Diel C shown are from an earlier calculation." and why
// the search ended. Empty when the last command found a ground or ran no search.
std::string no_ground_message(const Ardenca& model);

// The part of a fault message after the fault's kind: " — check Length m (0)"; empty
// when no input is known.
std::string fault_check(const FaultPlace& place);
// The step's name for a fault message: "Calc Line", "the matching section", ...
std::string fault_step_name(const FaultPlace& place);

} // namespace ardenca
