#include "ground_solutions.h"

#include "ardenca.h"
#include "calc/ground_model.h"
#include "flag_help.h"
#include "number_text.h"
#include "outcome_text.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace ardenca {

using enum Field;

namespace {

double number(const Ardenca& m, Field f) {
    return text_to_number(m.text(f));
}

std::string short_number(double v) {
    std::ostringstream o;
    o.precision(4);
    o << v;
    return o.str();
}

// Given near grounds, "Cond 0.3209 S/m with Diel C 1" for the first few, joined.
std::string near_list(const std::vector<calc::NearGround>& near) {
    constexpr std::size_t shown = 3;
    std::string s;
    for (std::size_t i = 0; i < near.size() && i < shown; ++i)
        s += std::string(i == 0                                  ? ""
                         : i + 1 == std::min(near.size(), shown) ? " and "
                                                                 : ", ") +
             "Cond " + short_number(near[i].sigma_s_per_m) + " S/m with Diel C " +
             short_number(near[i].eps_r);
    if (near.size() > shown)
        s += " (and " + std::to_string(near.size() - shown) + " more)";
    return s;
}

bool same_ground(double cond, double diel, const calc::GroundSolution& s) {
    return std::abs(cond - s.sigma_s_per_m) <= 1e-3 * std::abs(s.sigma_s_per_m) &&
           std::abs(diel - s.eps_r) <= 1e-3 * std::abs(s.eps_r);
}

} // namespace

FieldReading reading_from_fields(const Ardenca& m, const FixtureExtras& extras) {
    FieldReading r;
    r.probe.spacing_m = number(m, Text1);
    r.probe.radius_m = number(m, Text2);
    r.probe.length_m = number(m, Text3);
    r.probe.ur = number(m, Text31);
    r.freq_hz = 1e6 * number(m, Text8);
    r.z_meter_ohm = {number(m, Text23), number(m, Text24)};
    r.probe.matching = m.matching_section_used();
    if (r.probe.matching) {
        r.probe.match_zo_ohm = number(m, Text25);
        r.probe.match_deg = number(m, Text26);
    }
    r.probe.lead_nh = extras.lead_nh;
    r.probe.top_pf = extras.top_pf;
    r.probe.air_m = extras.air_m;
    r.probe.u_fixture = extras.u;
    if (extras.line) {
        const double scale = r.freq_hz / extras.line->freq_hz;
        r.probe.matching = true;
        r.probe.match_zo_ohm = extras.line->zo_ohm;
        r.probe.match_deg = extras.line->deg * scale;
        r.probe.u_fixture.match_deg = extras.u.match_deg * scale;
    }
    return r;
}

std::vector<PartlyRead> reading_partly_read(const Ardenca& m) {
    std::vector<Field> read = {Text1, Text2, Text3, Text31, Text8, Text23, Text24};
    if (m.matching_section_used())
        read.insert(read.end(), {Text25, Text26});
    std::vector<PartlyRead> out;
    for (Field f : read)
        if (!text_is_whole_number(m.text(f)))
            out.push_back({f, m.text(f), number(m, f)});
    return out;
}

std::vector<FaultInput> probe_without_line(const FieldReading& r) {
    const calc::solver::ProbeLine line = calc::solver::probe_line(r.probe, r.freq_hz);
    if (r.freq_hz > 0 && std::isfinite(line.q) && line.q > 0 && std::isfinite(line.zs_ohm) &&
        line.zs_ohm > 0)
        return {};
    return {{Text1, shortest_number(r.probe.spacing_m)},
            {Text2, shortest_number(r.probe.radius_m)},
            {Text3, shortest_number(r.probe.length_m)},
            {Text8, shortest_number(r.freq_hz / 1e6)},
            {Text31, shortest_number(r.probe.ur)}};
}

calc::SolveResult solve_fields(const Ardenca& m, const FixtureExtras& extras,
                               const calc::SolveOptions& options) {
    const FieldReading r = reading_from_fields(m, extras);
    return calc::solve_all(r.probe, r.freq_hz, r.z_meter_ohm, options);
}

std::string solutions_notice(const Ardenca& m, const calc::SolveResult& result,
                             const calc::SolveOptions& options) {
    if (result.flags & calc::Unresolvable)
        return "The grounds of this reading were not searched: " +
               calc::unresolved_reason(result.unresolved, result.nu, result.count, options) + ".";
    const bool classic_found = m.search_outcome() && m.search_outcome()->found();
    const std::size_t n = result.solutions.size();
    const std::string box = "conductivity " + short_number(options.sigma_min_s_per_m) + " to " +
                            short_number(options.sigma_max_s_per_m) + " S/m, dielectric constant " +
                            short_number(options.eps_r_min) + " to " +
                            short_number(options.eps_r_max);
    const std::string grounds = n == 1 ? "1 ground" : std::to_string(n) + " grounds";
    const std::size_t near = result.near.size();
    std::string notice;
    if (n == 0 && near > 0) {
        notice = "No ground with " + box +
                 " reproduces this reading exactly; within the meter's accuracy it fits " +
                 near_list(result.near) + ", on the edge of that range.";
        if (classic_found)
            notice += " The search's result lies outside that range or does not fit exactly.";
        notice += " See Solutions... for every one.";
    } else if (n == 0) {
        notice = "No ground with " + box + " reproduces this reading.";
        if (classic_found)
            notice += " The search's result lies outside that range or does not fit exactly.";
    } else {
        bool listed = false;
        for (const auto& s : result.solutions)
            listed = listed || same_ground(m.state.cond, m.state.diel, s);
        if (!classic_found)
            notice = "The search found no ground, but the reading fits " + grounds + ".";
        else if (!listed)
            notice = "The search found a ground that is not among the " + grounds +
                     " that fit this reading.";
        else if (n > 1)
            notice = "This reading fits " + grounds + " equally well; the search shows one.";
        if (near > 0 && notice.empty())
            notice = "This reading fits 1 ground exactly, but within the meter's accuracy "
                     "it also fits " +
                     near_list(result.near) +
                     ", on the edge of the range: the ground may lie there or just outside "
                     "the range, and the one shown may be wrong.";
        else if (near > 0) {
            notice += ' ';
            notice += near_grounds_sentence(near, true);
        }
        if (!notice.empty())
            notice += " See Solutions... for every one.";
    }
    if (!result.complete && !notice.empty())
        notice += " The list may be incomplete.";
    return notice;
}

std::string edge_text(calc::BoxEdge edge) {
    switch (edge) {
    case calc::BoxEdge::EpsRMin:
        return "Diel C at its minimum";
    case calc::BoxEdge::EpsRMax:
        return "Diel C at its maximum";
    case calc::BoxEdge::SigmaMin:
        return "Cond at its minimum";
    case calc::BoxEdge::SigmaMax:
        return "Cond at its maximum";
    }
    return {};
}

std::string near_grounds_sentence(std::size_t count, bool exact_too) {
    return std::string("Within the meter's accuracy the reading ") + (exact_too ? "also " : "") +
           "fits " + (count == 1 ? "1 ground" : std::to_string(count) + " grounds") +
           " on the edge of the range.";
}

void show_ground(Ardenca& m, const calc::GroundSolution& ground) {
    m.set_text(Text9, format_number(ground.sigma_s_per_m, pattern::ground));
    m.set_text(Text10, format_number(ground.eps_r, pattern::ground));
    m.Medium_Click();
}

std::vector<std::string> solution_flag_names(unsigned flags) {
    std::vector<std::string> out;
    for (const FlagHelp& help : solution_flag_help(flags, 1))
        out.emplace_back(help.name);
    return out;
}

std::vector<std::string> reading_flag_names(unsigned flags) {
    std::vector<std::string> out;
    if (flags & calc::ProbeShort)
        out.emplace_back("probe-short");
    if (flags & calc::CanBeLong)
        out.emplace_back("can-be-long");
    if (flags & calc::Incomplete)
        out.emplace_back("incomplete");
    if (flags & calc::NoSolution)
        out.emplace_back("no-solution");
    if (flags & calc::NearAlternative)
        out.emplace_back("near-alternative");
    if (flags & calc::Unresolvable)
        out.emplace_back("unresolvable");
    return out;
}

} // namespace ardenca
