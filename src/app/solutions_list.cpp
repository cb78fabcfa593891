#include "solutions_list.h"

#include <cmath>
#include <cstdio>

namespace ardenca {

namespace {

std::string printed(const char* format, double v) {
    if (!std::isfinite(v))
        return "unbounded";
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const auto& n : names)
        s += (s.empty() ? "" : ", ") + n;
    return s;
}

} // namespace

void SolutionsList::solve(const Ardenca& model) {
    const FieldReading reading = reading_from_fields(model, extras_);
    length_m_ = reading.probe.length_m;
    set_result(calc::solve_all(reading.probe, reading.freq_hz, reading.z_meter_ohm, options_));
}

void SolutionsList::set_result(calc::SolveResult result) {
    result_ = std::move(result);
    chosen_.reset();
    if (!result_.solutions.empty())
        chosen_ = 0;
}

std::string SolutionsList::summary() const {
    const auto& r = result_;
    const std::size_t n = r.solutions.size();
    std::string s = n == 0   ? std::string("No ground fits ")
                    : n == 1 ? std::string("1 ground fits ")
                             : std::to_string(n) + " grounds fit ";
    s += printed("%.4f", r.z_probe_ohm.real()) + (r.z_probe_ohm.imag() < 0 ? " - j" : " + j") +
         printed("%.4f", std::abs(r.z_probe_ohm.imag())) + " ohm at the rods, with conductivity " +
         printed("%g", options_.sigma_min_s_per_m) + " to " +
         printed("%g", options_.sigma_max_s_per_m) + " S/m and dielectric constant " +
         printed("%g", options_.eps_r_min) + " to " + printed("%g", options_.eps_r_max) + ". ";
    s += r.complete ? "The list is proved complete. " : "The list is NOT proved complete. ";
    s += (r.flags & calc::ProbeShort)
             ? "The probe is short (nu " + printed("%.3f", r.nu) + "): one ground at most."
             : "The probe can be electrically long (nu " + printed("%.3f", r.nu) +
                   "): several grounds may fit.";
    if (!r.near.empty())
        s += " " + near_grounds_sentence(r.near.size(), !r.solutions.empty());
    return s;
}

const std::vector<std::string>& SolutionsList::headers() {
    static const std::vector<std::string> h{
        "Cond S/m", "± S/m",        "Diel C",         "±",          "Correlation",
        "γ·l",      "Skin depth m", "Depth / length", "Residual Ω", "Flags"};
    return h;
}

std::vector<std::string> SolutionsList::row(int i) const {
    const calc::GroundSolution& s = result_.solutions.at(static_cast<std::size_t>(i));
    std::vector<std::string> flags = solution_flag_names(s.flags);
    if (s.multiplicity > 1)
        flags.push_back("multiplicity " + std::to_string(s.multiplicity));
    return {printed("%.7g", s.sigma_s_per_m),
            printed("%.2g", s.u_sigma_s_per_m),
            printed("%.7g", s.eps_r),
            printed("%.2g", s.u_eps_r),
            printed("%+.2f", s.corr),
            printed("%.4f", s.gamma_l.real()) + " + j" + printed("%.4f", s.gamma_l.imag()),
            printed("%.3g", s.skin_depth_m),
            printed("%.2f", s.skin_depth_m / length_m_),
            printed("%.1e", s.residual_ohm),
            joined(flags)};
}

std::vector<std::string> SolutionsList::near_row(int i) const {
    const calc::NearGround& g = result_.near.at(static_cast<std::size_t>(i));
    std::vector<std::string> cells(headers().size());
    cells[0] = printed("%.7g", g.sigma_s_per_m);
    cells[2] = printed("%.7g", g.eps_r);
    cells.back() = "near ground, " + edge_text(g.edge) + ", chi2 " + printed("%.2f", g.chi2);
    return cells;
}

std::string SolutionsList::near_note() const {
    if (result_.near.empty())
        return {};
    return "Greyed: grounds on the edge of the range that fit the reading within the meter's "
           "accuracy (chi2 at most " +
           printed("%g", options_.near_chi2) +
           ") but not exactly; the ground may lie there or just outside the range.";
}

void SolutionsList::choose(int i) {
    if (i >= 0 && i < count())
        chosen_ = i;
}

bool SolutionsList::show_chosen(Ardenca& model) const {
    if (!chosen_)
        return false;
    show_ground(model, result_.solutions.at(static_cast<std::size_t>(*chosen_)));
    return true;
}

} // namespace ardenca
