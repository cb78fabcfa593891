// The calculation commands of the window by name, for the front ends: the caption a
// user clicks and the name the command-line program takes.
#pragma once

#include "app/command_report.h"
#include "calc/arithmetic_fault.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ardenca {

class Ardenca;

enum class Command { CalcLine, CalcMedium, Calculate, CalculateA, CalculateB };

struct CommandInfo {
    Command id;
    std::string_view cli_name; // "calc-line"
    std::string_view caption;  // "Calc Line"
};

const std::array<CommandInfo, 5>& commands();
const CommandInfo& command_info(Command command);
std::optional<Command> command_from_cli_name(std::string_view name);

// Runs the command's click handler; an uncaught ArithmeticFault leaves it.
void run_command(Ardenca& model, Command command);

// "Calc Line stopped: division by zero." With the place of the fault, the step (when
// it is not the command itself) and the inputs it read: "Calculate from Known  Z in
// stopped in Calc Line: division by zero — check Length m (0)".
std::string fault_message(Command command, const ArithmeticFault& fault,
                          const FaultPlace& place = {});
// The same message for a command known by its caption, e.g. "Open".
std::string fault_message(std::string_view caption, const ArithmeticFault& fault,
                          const FaultPlace& place = {});

} // namespace ardenca
