// Which column of an analyser's CSV holds what, from the header's names.
#pragma once

#include "freq_unit.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardenca::sweep {

struct CsvColumns {
    int freq = -1;
    int r = -1, x = -1;       // resistance and reactance, ohms
    int re = -1, im = -1;     // S11 as real and imaginary parts
    int mag = -1, phase = -1; // S11 as magnitude and phase
    bool mag_db = false;      // the magnitude in dB rather than linear
    bool phase_rad = false;   // the phase in radians rather than degrees
    bool swr = false, return_loss = false;
    std::optional<FreqUnit> unit; // from the frequency column's name
};

// Given a header's cells, what each holds.
CsvColumns classify_columns(const std::vector<std::string_view>& cells);

} // namespace ardenca::sweep
