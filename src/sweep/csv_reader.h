// Sweeps saved as CSV by antenna analysers and VNA programs: columns found by their
// header names.
#pragma once

#include "freq_unit.h"
#include "sweep.h"

#include <optional>
#include <string>
#include <string_view>

namespace ardenca::sweep {

struct CsvOptions {
    std::optional<FreqUnit> freq_unit; // used when the header names no unit
    double z0_ohm = 50;                // reference resistance of S11 columns
};

// Given a CSV file's text and its path (for messages), the sweep it holds. Throws
// SweepFileError with the line of the first fault.
Sweep read_csv(std::string_view text, const std::string& path, const CsvOptions& options);

} // namespace ardenca::sweep
