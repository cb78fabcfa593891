// "ardenca-cli calibrate": the probe's fixture from an air sweep and a short sweep.
#pragma once

#include <iosfwd>

namespace ardenca::cli {

// Exit status when the sweeps cannot determine the fixture.
inline constexpr int exit_undetermined = 5;

// argv[0] is "calibrate". Exit status: 0 done; 2 usage error or a set-up that cannot be
// used; 4 a sweep file was refused or the fixture file could not be written; 5 the
// sweeps cannot determine the fixture.
int run_calibrate(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace ardenca::cli
