// "ardenca-cli read FILE...": shows what the VNA file readers make of each file.
#pragma once

#include <iosfwd>

namespace ardenca::cli {

// argv[0] is "read". Exit status: 0 every file read; 2 usage error; 4 a file was refused
// (its "FILE:LINE: reason" went to err; the other files were still read).
int run_read(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace ardenca::cli
