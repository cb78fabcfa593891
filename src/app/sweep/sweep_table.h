// The sweep window's table as text: one row per point and location, its columns, the
// text of each cell, the value a column sorts by, and rows as tab-separated text.
#pragma once

#include "sweep/sweep_result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ardenca {

enum class SweepColumn {
    Location,
    FreqMhz,
    RMeasured,
    XMeasured,
    RProbe,
    XProbe,
    Sigma,
    USigma,
    EpsR,
    UEpsR,
    SkinDepth,
    Solutions,
    Flags
};
inline constexpr int sweep_column_count = 13;

// "f (MHz)", "σ (S/m)", ...
std::string_view column_title(SweepColumn column);

// A row: which location and which of its points.
struct SweepRow {
    std::size_t location = 0;
    std::size_t point = 0;
};

// The text of a cell; empty where there is no value (no tracked solution).
std::string cell_text(const sweep::SweepResult& result, SweepRow row, SweepColumn column);
// The value a numeric column sorts by (NaN where empty); the location's index for
// Location, the flag bits for Flags.
double cell_key(const sweep::SweepResult& result, SweepRow row, SweepColumn column);

// "ambiguous, electrically long"; empty for none.
std::string point_flag_text(unsigned flags);

// The column titles, then each row, cells separated by tabs and rows ended by "\n".
std::string tab_separated(const sweep::SweepResult& result, const std::vector<SweepRow>& rows);

} // namespace ardenca
