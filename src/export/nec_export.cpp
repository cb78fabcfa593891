#include "nec_export.h"

#include "export_file.h"
#include "export_number.h"
#include "sweep/averaging.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ardenca::exports {

namespace {

std::string mhz(double freq_hz) {
    return shortest(freq_hz / 1e6) + " MHz";
}

[[noreturn]] void no_ground(double freq_hz, const std::string& why) {
    throw ExportError("No ground for the NEC card at " + mhz(freq_hz) + ": " + why + ".");
}

// The average at a frequency, interpolated in ln f between its neighbours.
NecGround from_average(const std::vector<sweep::AveragePoint>& avg, double freq_hz) {
    if (avg.empty())
        no_ground(freq_hz, "the locations have no common frequency with a ground");
    if (!(freq_hz >= avg.front().freq_hz && freq_hz <= avg.back().freq_hz))
        no_ground(freq_hz, "it lies outside the frequencies common to the locations (" +
                               mhz(avg.front().freq_hz) + " to " + mhz(avg.back().freq_hz) + ")");
    const auto hi =
        std::lower_bound(avg.begin(), avg.end(), freq_hz,
                         [](const sweep::AveragePoint& a, double f) { return a.freq_hz < f; });
    NecGround g;
    g.freq_hz = freq_hz;
    const std::string count = std::to_string(hi->locations);
    if (hi->freq_hz == freq_hz) {
        g.sigma_s_per_m = hi->sigma_mean_s_per_m;
        g.eps_r = hi->eps_r_mean;
        g.u_sigma_s_per_m = hi->sigma_sd_s_per_m;
        g.u_eps_r = hi->eps_r_sd;
        g.source = "the average of " + count + " locations at " + mhz(freq_hz);
        return g;
    }
    const auto lo = hi - 1;
    const double t = (std::log(freq_hz) - std::log(lo->freq_hz)) /
                     (std::log(hi->freq_hz) - std::log(lo->freq_hz));
    auto lerp = [t](double a, double b) { return a + (b - a) * t; };
    g.sigma_s_per_m = lerp(lo->sigma_mean_s_per_m, hi->sigma_mean_s_per_m);
    g.eps_r = lerp(lo->eps_r_mean, hi->eps_r_mean);
    g.u_sigma_s_per_m = lerp(lo->sigma_sd_s_per_m, hi->sigma_sd_s_per_m);
    g.u_eps_r = lerp(lo->eps_r_sd, hi->eps_r_sd);
    g.source = "the average over the locations, interpolated in ln f between " + mhz(lo->freq_hz) +
               " and " + mhz(hi->freq_hz);
    return g;
}

} // namespace

NecGround nec_ground_at(const sweep::SweepResult& result, double freq_hz) {
    if (result.locations.empty())
        no_ground(freq_hz, "no location was solved");
    if (result.locations.size() > 1)
        return from_average(
            result.average ? *result.average : sweep::average_locations(result.locations), freq_hz);
    const sweep::LocationResult& loc = result.locations.front();
    if (loc.points.empty() || !(freq_hz >= loc.points.front().freq_hz) ||
        !(freq_hz <= loc.points.back().freq_hz))
        no_ground(freq_hz, "it lies outside the sweep");
    const std::optional<sweep::GroundAt> at = sweep::chosen_ground_at(loc, freq_hz);
    if (!at)
        no_ground(freq_hz, "the sweep has no ground there");
    NecGround g;
    g.freq_hz = freq_hz;
    g.sigma_s_per_m = at->sigma_s_per_m;
    g.eps_r = at->eps_r;
    g.u_sigma_s_per_m = at->u_sigma_s_per_m;
    g.u_eps_r = at->u_eps_r;
    g.source = at->interpolated ? "interpolated in ln f between " + mhz(at->lower_hz) + " and " +
                                      mhz(at->upper_hz)
                                : "at a measured point";
    g.source = loc.path + ", " + g.source;
    return g;
}

std::string nec_ground_cards(const NecGround& g) {
    std::string out;
    auto comment = [&out](const std::string& text) {
        // One card per line: nothing in a comment may end it early.
        std::string line = "CM ";
        for (char c : text)
            line += (c == '\n' || c == '\r') ? ' ' : c;
        out += line + '\n';
    };
    comment("Ground measured with a two-rod probe (ardenca sweep)");
    comment("at " + mhz(g.freq_hz) + ": conductivity " + shortest(g.sigma_s_per_m) +
            " S/m, relative dielectric constant " + shortest(g.eps_r));
    if (std::isfinite(g.u_sigma_s_per_m) && std::isfinite(g.u_eps_r))
        comment("1-sigma spread: " + shortest(g.u_sigma_s_per_m) + " S/m, " + shortest(g.u_eps_r));
    comment("from " + g.source);
    comment("GN below: Sommerfeld-Norton ground; it goes after the GE card");
    out += "GN 2 0 0 0 " + shortest(g.eps_r) + " " + shortest(g.sigma_s_per_m) + '\n';
    return out;
}

namespace {

std::string g3(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3g", v);
    return buf;
}

std::string g6(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

// A card image of at most card_columns: the card, then as much of the note as fits.
constexpr std::size_t card_columns = 120;
std::string card(const std::string& fields, const std::string& note) {
    std::string line = fields + ' ' + note;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line.substr(0, std::max(card_columns, fields.size())) + '\n';
}

} // namespace

std::string nec_band_cards(const sweep::SweepResult& result, const std::vector<double>& freqs_hz) {
    const calc::SoilFit* fit = nullptr;
    if (result.locations.size() == 1 && result.locations[0].fit)
        fit = &*result.locations[0].fit;
    else if (result.locations.size() > 1 && result.area_fit)
        fit = &*result.area_fit;
    if (!fit || !fit->acceptable)
        throw ExportError(result.locations.size() > 1 && !result.area_fit
                              ? "No ground for the NEC bands: several locations need the "
                                "area's model (--average)."
                              : "No ground for the NEC bands: no soil model fits the readings.");
    const std::string source =
        result.locations.size() > 1
            ? "area fit of " + std::to_string(result.locations.size()) + " locations"
            : "fit to " + result.locations[0].path;
    std::string parameters = std::string(calc::model_name(fit->model)) + ":";
    const auto names = calc::parameter_names(fit->model);
    for (std::size_t k = 0; k < names.size(); ++k)
        parameters += " " + std::string(names[k]) + " " + g3(fit->value[k]) + "+-" + g3(fit->u[k]);
    std::string out;
    for (double f : freqs_hz) {
        const calc::ModelGround g = calc::model_ground(*fit, f);
        out += card("GN 2 0 0 0 " + g6(g.eps_r) + " " + g6(g.sigma_s_per_m) + " 0 0 0 0",
                    std::string(calc::model_name(fit->model)) + " at " + g6(f / 1e6) + " MHz" +
                        (g.extrapolated ? " EXTRAPOLATED" : " in band") + " (" +
                        g3(fit->f_min_hz / 1e6) + "-" + g3(fit->f_max_hz / 1e6) + " MHz); u " +
                        g3(g.u_eps_r) + ", " + g3(g.u_sigma_s_per_m) + " S/m");
        out += card("FR 0 1 0 0 " + g6(f / 1e6) + " 0 0 0 0 0", parameters);
        out += card("XQ 0 0 0 0 0 0 0 0 0 0", source);
    }
    return out;
}

} // namespace ardenca::exports
