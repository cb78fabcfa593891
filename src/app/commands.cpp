#include "commands.h"

#include "app/ardenca.h"
#include "app/outcome_text.h"

namespace ardenca {

namespace {
constexpr std::array<CommandInfo, 5> command_table{{
    {Command::CalcLine, "calc-line", "Calc Line"},
    {Command::CalcMedium, "calc-medium", "Calc From Medium"},
    {Command::Calculate, "calculate", "Calculate from Known  Z in"},
    {Command::CalculateA, "calculate-a", "Calculate a"},
    {Command::CalculateB, "calculate-b", "Calculate b"},
}};
} // namespace

const std::array<CommandInfo, 5>& commands() {
    return command_table;
}

const CommandInfo& command_info(Command command) {
    for (const auto& c : command_table)
        if (c.id == command)
            return c;
    return command_table[0];
}

std::optional<Command> command_from_cli_name(std::string_view name) {
    for (const auto& c : command_table)
        if (c.cli_name == name)
            return c.id;
    return std::nullopt;
}

void run_command(Ardenca& model, Command command) {
    switch (command) {
    case Command::CalcLine:
        model.Line_Param_Click();
        break;
    case Command::CalcMedium:
        model.Medium_Click();
        break;
    case Command::Calculate:
        model.Command2_Click();
        break;
    case Command::CalculateA:
        model.Calc_a_Click();
        break;
    case Command::CalculateB:
        model.Calc_b_Click();
        break;
    }
}

std::string fault_message(Command command, const ArithmeticFault& fault, const FaultPlace& place) {
    return fault_message(command_info(command).caption, fault, place);
}

std::string fault_message(std::string_view caption, const ArithmeticFault& fault,
                          const FaultPlace& place) {
    std::string message(caption);
    message += " stopped";
    // A reading fault names its field among the inputs to check.
    if (const std::string step = fault_step_name(place);
        place.step != FaultStep::Reading && !step.empty() && step != caption)
        message += " in " + step;
    message += ": ";
    message += fault.what();
    const std::string check = fault_check(place);
    return message + (check.empty() ? "." : check);
}

} // namespace ardenca
