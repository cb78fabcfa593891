#include "flag_names.h"

#include "sweep/sweep_result.h"

#include <utility>

namespace ardenca::exports {

namespace {

template <std::size_t N>
std::vector<std::string> names(unsigned flags, const std::pair<unsigned, const char*> (&table)[N]) {
    std::vector<std::string> out;
    for (const auto& [bit, name] : table)
        if (flags & bit)
            out.emplace_back(name);
    return out;
}

} // namespace

std::vector<std::string> point_flag_names(unsigned flags) {
    static constexpr std::pair<unsigned, const char*> table[] = {
        {sweep::Ambiguous, "ambiguous"},
        {sweep::NoSolution, "no_solution"},
        {sweep::ElectricallyLong, "electrically_long"},
        {sweep::InfiniteReading, "infinite_reading"},
        {sweep::IncompleteCount, "incomplete"},
        {sweep::Outlier, "outlier"},
        {sweep::OffModel, "off_model"},
        {sweep::NearAlternative, "near_alternative"},
        {sweep::Unresolvable, "unresolvable"},
        {sweep::Provisional, "provisional"},
    };
    return names(flags, table);
}

std::vector<std::string> solution_flag_names(unsigned flags) {
    static constexpr std::pair<unsigned, const char*> table[] = {
        {calc::ElectricallyLong, "electrically_long"},
        {calc::BeyondQuarterWave, "beyond_quarter_wave"},
        {calc::NearDoubleRoot, "near_double_root"},
        {calc::PoorlyDetermined, "poorly_determined"},
    };
    return names(flags, table);
}

const char* edge_name(calc::BoxEdge edge) {
    switch (edge) {
    case calc::BoxEdge::EpsRMin:
        return "eps_r_min";
    case calc::BoxEdge::EpsRMax:
        return "eps_r_max";
    case calc::BoxEdge::SigmaMin:
        return "sigma_min";
    case calc::BoxEdge::SigmaMax:
        return "sigma_max";
    }
    return "";
}

} // namespace ardenca::exports
