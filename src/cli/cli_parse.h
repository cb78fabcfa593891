// Parsing a command line the same way for every ardenca-cli command.
#pragma once

#include "ardenca_version.h"
#include "cli_app.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

namespace ardenca::cli {

// Given the parser and the arguments, parses them: nothing when the command should
// run, or the exit status when it should stop (help or the version printed to out, or
// a usage error told on err with the command's name, e.g. "ardenca-cli read").
inline std::optional<int> parse_arguments(CLI::App& app, int argc, const char* const* argv,
                                          std::ostream& out, std::ostream& err,
                                          const std::string& command_name) {
    app.set_version_flag("--version", std::string("ardenca ") + program_version,
                         "Print the version and exit");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return exit_ok;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return exit_ok;
    } catch (const CLI::ParseError& e) {
        err << command_name << ": " << e.what() << "\nRun '" << command_name
            << " --help' for usage.\n";
        return exit_usage;
    }
    // An option given an empty value ("--plot ''", "-o ''") is a mistake, not a request
    // for the default or for standard output.
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_positional() || option->get_type_size() == 0)
            continue;
        for (const std::string& value : option->results()) {
            if (value.empty()) {
                err << command_name << ": " << option->get_name(false, true)
                    << " was given an empty value\nRun '" << command_name
                    << " --help' for usage.\n";
                return exit_usage;
            }
        }
    }
    return std::nullopt;
}

} // namespace ardenca::cli
