// "ardenca-cli sweep FILE...": every point of one or more sweeps solved, tracked,
// averaged and exported.
#pragma once

#include <iosfwd>

namespace ardenca::cli {

// Exit status of a sweep in which no point of any file has a ground.
inline constexpr int exit_no_solution = 5;

// argv[0] is "sweep". Exit status: 0 done; 2 usage error or a set-up that cannot be
// used (nothing was solved); 4 a file was refused (its "FILE:LINE: reason" went to err;
// the other files were still solved) or an output could not be written; 5 no point of
// any file has a ground.
int run_sweep(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace ardenca::cli
