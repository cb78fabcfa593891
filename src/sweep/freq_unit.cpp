#include "freq_unit.h"

#include "text_scan.h"

namespace ardenca::sweep {

std::optional<FreqUnit> freq_unit_from_name(std::string_view name) {
    if (equals_ignoring_case(name, "hz"))
        return FreqUnit::Hz;
    if (equals_ignoring_case(name, "khz"))
        return FreqUnit::kHz;
    if (equals_ignoring_case(name, "mhz"))
        return FreqUnit::MHz;
    if (equals_ignoring_case(name, "ghz"))
        return FreqUnit::GHz;
    return std::nullopt;
}

double hz_per_unit(FreqUnit unit) {
    switch (unit) {
    case FreqUnit::Hz:
        return 1;
    case FreqUnit::kHz:
        return 1e3;
    case FreqUnit::MHz:
        return 1e6;
    case FreqUnit::GHz:
        return 1e9;
    }
    return 1;
}

} // namespace ardenca::sweep
