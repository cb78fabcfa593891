#include "cli_solve.h"

#include "export/flag_names.h"
#include "export/json_export.h"
#include "files/decimal_text.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace ardenca::cli {

namespace {

std::optional<double> decimal(std::string_view text) {
    const auto v = text::parse_decimal(text);
    if (v.status != text::DecimalValue::Status::Number || !std::isfinite(v.value))
        return std::nullopt;
    return v.value;
}

// "MIN:MAX" with 0 < MIN < MAX.
bool parse_range(const std::string& text, double& lo, double& hi) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    const auto a = decimal(std::string_view(text).substr(0, colon));
    const auto b = decimal(std::string_view(text).substr(colon + 1));
    if (!a || !b || !(*a > 0 && *a < *b))
        return false;
    lo = *a;
    hi = *b;
    return true;
}

nlohmann::ordered_json number_or_null(double v) {
    return std::isfinite(v) ? nlohmann::ordered_json(v) : nlohmann::ordered_json(nullptr);
}

std::string format(const char* fmt, double v) {
    if (!std::isfinite(v))
        return "-";
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const auto& n : names)
        s += (s.empty() ? "" : ",") + n;
    return s;
}

// Given the answer, its near grounds as rows under a heading.
void print_near_table(std::ostream& out, const calc::SolveResult& r) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-3s %-12s %-10s %-10s %s\n", "", "Cond S/m", "Diel C",
                  "chi2", "edge");
    out << line;
    for (const auto& g : r.near) {
        std::snprintf(line, sizeof line, "  %-3s %-12s %-10s %-10s %s\n", "~",
                      format("%.6g", g.sigma_s_per_m).c_str(), format("%.6g", g.eps_r).c_str(),
                      format("%.2f", g.chi2).c_str(), exports::edge_name(g.edge));
        out << line;
    }
}

} // namespace

void add_solve_options(CLI::App& app, SolveArgs& a, const std::string& help_prefix) {
    app.add_option("--meter", a.meter,
                   help_prefix + "the meter's 1-sigma accuracy in R and in X (default 1%+0.5)")
        ->type_name("PCT%+OHM");
    app.add_option("--sigma-range", a.sigma_range,
                   help_prefix + "conductivities searched, S/m (default 1e-5:20)")
        ->type_name("MIN:MAX");
    app.add_option("--epsr-range", a.epsr_range,
                   help_prefix + "dielectric constants searched (default 1:200)")
        ->type_name("MIN:MAX");
    app.add_option("--lead-nh", a.lead_nh, help_prefix + "series inductance of the leads, nH")
        ->type_name("NH");
    app.add_option("--top-pf", a.top_pf, help_prefix + "capacitance across the rod tops, pF")
        ->type_name("PF");
    app.add_option("--air-m", a.air_m, help_prefix + "length of the rods above the ground, m")
        ->type_name("M");
    app.add_option("--near-chi2", a.near_chi2,
                   help_prefix + "near grounds: edge minima with chi2 <= K2 (default 4; 0: none)")
        ->type_name("K2");
}

std::optional<std::string> parse_solve_args(const SolveArgs& a, SolveSettings& s) {
    if (!a.meter.empty()) {
        const auto split = a.meter.find("%+");
        const auto pct = split == std::string::npos
                             ? std::nullopt
                             : decimal(std::string_view(a.meter).substr(0, split));
        const auto ohm = split == std::string::npos
                             ? std::nullopt
                             : decimal(std::string_view(a.meter).substr(split + 2));
        if (!pct || !ohm || *pct < 0 || *ohm < 0)
            return "--meter wants PCT%+OHM with both numbers at least 0, e.g. 1%+0.5";
        s.options.meter_pct = *pct;
        s.options.meter_ohm = *ohm;
    }
    if (!a.sigma_range.empty() &&
        !parse_range(a.sigma_range, s.options.sigma_min_s_per_m, s.options.sigma_max_s_per_m))
        return "--sigma-range wants MIN:MAX with 0 < MIN < MAX, e.g. 1e-5:20";
    if (!a.epsr_range.empty() &&
        !parse_range(a.epsr_range, s.options.eps_r_min, s.options.eps_r_max))
        return "--epsr-range wants MIN:MAX with 0 < MIN < MAX, e.g. 1:200";
    const std::pair<const std::string*, double*> lengths[] = {{&a.lead_nh, &s.extras.lead_nh},
                                                              {&a.top_pf, &s.extras.top_pf},
                                                              {&a.air_m, &s.extras.air_m}};
    for (const auto& [text, value] : lengths) {
        if (text->empty())
            continue;
        const auto v = decimal(*text);
        if (!v || *v < 0)
            return "--lead-nh, --top-pf and --air-m want a number of at least 0, got '" + *text +
                   "'";
        *value = *v;
    }
    if (!a.near_chi2.empty()) {
        const auto v = decimal(a.near_chi2);
        if (!v || *v < 0)
            return "--near-chi2 wants a number of at least 0, e.g. 4, got '" + a.near_chi2 + "'";
        s.options.near_chi2 = *v;
    }
    return std::nullopt;
}

nlohmann::ordered_json solve_json(const calc::SolveResult& r, const calc::SolveOptions& options) {
    nlohmann::ordered_json j;
    j["z_probe_ohm"] = {number_or_null(r.z_probe_ohm.real()), number_or_null(r.z_probe_ohm.imag())};
    j["complete"] = r.complete;
    int count = 0; // a double root counts twice
    for (const auto& s : r.solutions)
        count += s.multiplicity;
    j["count"] = count;
    j["unique"] = r.unique;
    j["nu"] = number_or_null(r.nu);
    j["flags"] = reading_flag_names(r.flags);
    j["evaluations"] = r.evaluations;
    if (r.flags & calc::Unresolvable)
        j["unresolvable"] = {
            {"reason", calc::unresolved_reason(r.unresolved, r.nu, r.count, options)},
            {"count", r.count >= 0 ? nlohmann::ordered_json(r.count) : nullptr}};
    else
        j["unresolvable"] = nullptr;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& s : r.solutions) {
        nlohmann::ordered_json o;
        o["sigma_s_per_m"] = s.sigma_s_per_m;
        o["eps_r"] = s.eps_r;
        o["gamma_l"] = {s.gamma_l.real(), s.gamma_l.imag()};
        o["residual_ohm"] = s.residual_ohm;
        o["u_sigma_s_per_m"] = number_or_null(s.u_sigma_s_per_m);
        o["u_eps_r"] = number_or_null(s.u_eps_r);
        o["corr"] = std::isfinite(s.u_sigma_s_per_m) && std::isfinite(s.u_eps_r)
                        ? number_or_null(s.corr)
                        : nlohmann::ordered_json(nullptr);
        o["multiplicity"] = s.multiplicity;
        o["flags"] = solution_flag_names(s.flags);
        o["skin_depth_m"] = number_or_null(s.skin_depth_m);
        list.push_back(o);
    }
    j["solutions"] = list;
    j["near"] = exports::near_json(r.near);
    return j;
}

void print_solve_table(std::ostream& out, const calc::SolveResult& r,
                       const calc::SolveOptions& options) {
    const std::size_t n = r.solutions.size();
    out << "\nEvery ground that fits the reading\n"
        << "  At the rods " << format("%.4f", r.z_probe_ohm.real())
        << (r.z_probe_ohm.imag() < 0 ? " - j" : " + j")
        << format("%.4f", std::abs(r.z_probe_ohm.imag())) << " ohm, nu " << format("%.3f", r.nu)
        << ", " << n << (n == 1 ? " ground" : " grounds")
        << (r.complete ? ", proved complete" : ", NOT proved complete");
    const auto flags = reading_flag_names(r.flags);
    out << (flags.empty() ? "" : " (" + joined(flags) + ")") << '\n';
    if (r.flags & calc::Unresolvable) {
        out << "  Not searched: " << calc::unresolved_reason(r.unresolved, r.nu, r.count, options)
            << ".\n";
        return;
    }
    if (n == 0 && r.near.empty()) {
        out << "  No ground in the range reproduces this reading.\n";
        return;
    }
    if (n == 0) {
        out << "  No ground in the range reproduces this reading exactly; within the meter's\n"
               "  accuracy it fits the near grounds below.\n";
        print_near_table(out, r);
        return;
    }
    char line[256];
    std::snprintf(line, sizeof line, "  %-3s %-12s %-10s %-10s %-9s %-6s %-20s %-9s %-9s %s\n", "#",
                  "Cond S/m", "+-", "Diel C", "+-", "corr", "gamma l", "skin m", "resid ohm",
                  "flags");
    out << line;
    int i = 0;
    for (const auto& s : r.solutions) {
        const std::string gl =
            format("%.4f", s.gamma_l.real()) + " + j" + format("%.4f", s.gamma_l.imag());
        std::snprintf(
            line, sizeof line, "  %-3d %-12s %-10s %-10s %-9s %-6s %-20s %-9s %-9s %s\n", ++i,
            format("%.6g", s.sigma_s_per_m).c_str(), format("%.3g", s.u_sigma_s_per_m).c_str(),
            format("%.6g", s.eps_r).c_str(), format("%.3g", s.u_eps_r).c_str(),
            format("%+.2f", s.corr).c_str(), gl.c_str(), format("%.3g", s.skin_depth_m).c_str(),
            format("%.1e", s.residual_ohm).c_str(),
            (joined(solution_flag_names(s.flags)) + (s.multiplicity > 1 ? ",double" : "")).c_str());
        out << line;
    }
    if (!r.near.empty()) {
        out << "  Within the meter's accuracy the reading also fits these grounds on the edges of\n"
               "  the range; the ground may lie there or just outside the range:\n";
        print_near_table(out, r);
    }
    out << (r.unique ? "  The answer is unique.\n" : "");
}

} // namespace ardenca::cli
