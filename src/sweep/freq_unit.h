// The frequency units VNA files use, and their size in hertz.
#pragma once

#include <optional>
#include <string_view>

namespace ardenca::sweep {

enum class FreqUnit { Hz, kHz, MHz, GHz };

// "Hz", "kHz", "MHz" or "GHz" in any letter case; nullopt for anything else.
std::optional<FreqUnit> freq_unit_from_name(std::string_view name);

// Given a unit, how many hertz one of it is.
double hz_per_unit(FreqUnit unit);

} // namespace ardenca::sweep
