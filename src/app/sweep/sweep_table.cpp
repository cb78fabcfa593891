#include "sweep_table.h"

#include "export/flag_explanations.h"
#include "number_format.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <limits>

namespace ardenca {

namespace {

constexpr std::array<std::string_view, sweep_column_count> titles{
    "Location",  "f (MHz)", "R meas (Ω)", "X meas (Ω)",     "R probe (Ω)", "X probe (Ω)", "σ (S/m)",
    "u σ (S/m)", "εr",      "u εr",       "Skin depth (m)", "Solutions",   "Flags"};

const calc::GroundSolution* chosen(const sweep::PointResult& point) {
    if (point.chosen && *point.chosen < point.solutions.size())
        return &point.solutions[*point.chosen];
    return nullptr;
}

constexpr double none = std::numeric_limits<double>::quiet_NaN();

} // namespace

std::string_view column_title(SweepColumn column) {
    return titles[static_cast<std::size_t>(column)];
}

std::string point_flag_text(unsigned flags) {
    std::string text;
    for (const exports::FlagExplanation& flag : exports::flag_explanations())
        if (flags & flag.bit)
            text += (text.empty() ? "" : ", ") + std::string(flag.name);
    return text;
}

double cell_key(const sweep::SweepResult& result, SweepRow row, SweepColumn column) {
    const auto& point = result.locations.at(row.location).points.at(row.point);
    const calc::GroundSolution* s = chosen(point);
    const bool infinite = (point.flags & sweep::InfiniteReading) != 0;
    switch (column) {
    case SweepColumn::Location:
        return static_cast<double>(row.location);
    case SweepColumn::FreqMhz:
        return point.freq_hz / 1e6;
    case SweepColumn::RMeasured:
        return infinite ? none : point.z_measured_ohm.real();
    case SweepColumn::XMeasured:
        return infinite ? none : point.z_measured_ohm.imag();
    case SweepColumn::RProbe:
        return infinite ? none : point.z_probe_ohm.real();
    case SweepColumn::XProbe:
        return infinite ? none : point.z_probe_ohm.imag();
    case SweepColumn::Sigma:
        return s ? s->sigma_s_per_m : none;
    case SweepColumn::USigma:
        return s ? s->u_sigma_s_per_m : none;
    case SweepColumn::EpsR:
        return s ? s->eps_r : none;
    case SweepColumn::UEpsR:
        return s ? s->u_eps_r : none;
    case SweepColumn::SkinDepth:
        return s ? s->skin_depth_m : none;
    case SweepColumn::Solutions:
        return static_cast<double>(point.solutions.size());
    case SweepColumn::Flags:
        return static_cast<double>(point.flags);
    }
    return none;
}

std::string cell_text(const sweep::SweepResult& result, SweepRow row, SweepColumn column) {
    switch (column) {
    case SweepColumn::Location:
        return std::filesystem::path(result.locations.at(row.location).path).filename().string();
    case SweepColumn::Flags:
        return point_flag_text(result.locations.at(row.location).points.at(row.point).flags);
    case SweepColumn::Solutions:
        return std::to_string(
            result.locations.at(row.location).points.at(row.point).solutions.size());
    case SweepColumn::FreqMhz:
        return plain_number(cell_key(result, row, column), 9);
    default: {
        const double value = cell_key(result, row, column);
        return std::isnan(value) ? std::string() : plain_number(value);
    }
    }
}

std::string tab_separated(const sweep::SweepResult& result, const std::vector<SweepRow>& rows) {
    std::string text;
    // Appended piece by piece: "\t" + a temporary string makes GCC at -O3 warn of an
    // overlapping copy (-Wrestrict) that cannot happen.
    for (int c = 0; c < sweep_column_count; ++c) {
        if (c)
            text += '\t';
        text += titles[static_cast<std::size_t>(c)];
    }
    text += '\n';
    for (const SweepRow& row : rows) {
        for (int c = 0; c < sweep_column_count; ++c) {
            if (c)
                text += '\t';
            text += cell_text(result, row, static_cast<SweepColumn>(c));
        }
        text += '\n';
    }
    return text;
}

} // namespace ardenca
