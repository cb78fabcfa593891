// Runs ardenca-cli in process on its arguments and keeps its status, output and errors.
#pragma once

#include "cli/cli_app.h"

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace ardenca::cli {

struct CliRun {
    int status;
    std::string out, err;
    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

inline CliRun run_cli(std::vector<std::string> args) {
    args.insert(args.begin(), "ardenca-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

} // namespace ardenca::cli
