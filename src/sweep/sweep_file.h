// Reading a VNA or analyser file from disk: Touchstone or CSV, told apart by content
// and name.
#pragma once

#include "freq_unit.h"
#include "sweep.h"

#include <optional>
#include <string>
#include <string_view>

namespace ardenca::sweep {

struct ReadOptions {
    std::optional<FreqUnit> csv_freq_unit; // for CSV files whose header names no unit
    double z0_ohm = 50;                    // reference resistance of CSV S11 columns
};

// Reads the file (a regular file of at most 64 MiB; anything else is refused without
// waiting on it) and the sweep it holds. A file whose first line that is not a comment
// is a Touchstone option line or keyword is Touchstone; otherwise a name ending in ".csv"
// or a first line that names a frequency column between separators makes it CSV; the
// rest is read as Touchstone. Throws SweepFileError.
Sweep read_sweep_file(const std::string& path, const ReadOptions& options);

// The file's bytes, within the same bounds. Throws SweepFileError.
std::string read_file_bytes(const std::string& path);

// Whether text with this file name is read as CSV (see read_sweep_file).
bool looks_like_csv(std::string_view text, std::string_view path);

} // namespace ardenca::sweep
