// ardenca-cli: the window model driven from the command line.
#pragma once

#include <iosfwd>

namespace ardenca::cli {

// Exit statuses.
inline constexpr int exit_ok = 0;
inline constexpr int exit_usage = 2;
inline constexpr int exit_fault = 3;
inline constexpr int exit_file_failed = 4;
inline constexpr int exit_no_ground = 5;
inline constexpr int exit_out_of_memory = 6;

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace ardenca::cli
