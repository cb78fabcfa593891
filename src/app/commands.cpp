#include "commands.h"

#include "ardenca.h"

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

std::string fault_message(Command command, const ArithmeticFault& fault) {
    return fault_message(command_info(command).caption, fault);
}

std::string fault_message(std::string_view caption, const ArithmeticFault& fault) {
    return std::string(caption) + " stopped: " + fault.what() + ".";
}

} // namespace ardenca
