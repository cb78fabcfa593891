// Touchstone files, versions 1.x and 2.x, one- and two-port.
#pragma once

#include "sweep.h"

#include <string>
#include <string_view>

namespace ardenca::sweep {

// Given a Touchstone file's text and its path (for messages), the sweep it holds: for a
// one-port the impedance at each frequency, for a two-port the impedance in series
// between its ports, with the S matrix kept. Throws SweepFileError with the line of the
// first fault.
Sweep read_touchstone(std::string_view text, const std::string& path);

} // namespace ardenca::sweep
