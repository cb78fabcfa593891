#include "soil_text.h"

#include "export/soil_words.h"
#include "number_format.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>

namespace ardenca {

namespace {

std::string with_u(double value, double u, std::string_view unit = "") {
    return plain_number(value, 4) + " ± " + plain_number(u, 2) + std::string(unit);
}

std::string file_name(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

std::string mhz(double freq_hz) {
    return plain_number(freq_hz / 1e6, 6) + " MHz";
}

bool still_solving(const sweep::LocationResult& location) {
    return location.points.empty() ||
           std::any_of(location.points.begin(), location.points.end(),
                       [](const sweep::PointResult& p) { return p.flags & sweep::Provisional; });
}

const char* what_to_do =
    " Check the probe's length and spacing, the fixture (leads, tops, rods in the air) and "
    "the meter's accuracy; where the chosen grounds jump, compare the flagged points.";

std::string no_fit_line(const sweep::LocationResult& location, sweep::FitChoice choice) {
    const std::string name = file_name(location.path);
    std::string line;
    if (choice != sweep::FitChoice::Auto && location.fit)
        line = "The " + std::string(exports::model_words(location.fit->model)) +
               " model does not fit " + name + " (χ²/dof " +
               plain_number(location.fit->chi2_per_dof, 3) + ", " +
               std::to_string(location.fit->points_used) + " of " +
               std::to_string(location.fit->points_total) +
               " readings): its grounds follow continuity alone and may be on a wrong "
               "branch without a flag. Try \"best fit\".";
    else
        line = "No soil model fits " + name +
               ": its grounds follow continuity alone and may be on a wrong branch without a "
               "flag.";
    return line + what_to_do;
}

std::string ground_words(const calc::ModelGround& g) {
    return "σ " + with_u(g.sigma_s_per_m, g.u_sigma_s_per_m, " S/m") + ", εr " +
           with_u(g.eps_r, g.u_eps_r);
}

} // namespace

std::string fit_in_words(const calc::SoilFit& fit) {
    const auto names = calc::parameter_names(fit.model);
    std::string text = std::string(exports::model_words(fit.model)) + ":";
    for (std::size_t k = 0; k < names.size(); ++k) {
        const exports::ParameterLabel label = exports::parameter_label(names[k]);
        text += (k ? ", " : " ") + std::string(label.symbol) + " " +
                with_u(fit.value[k], fit.u[k], label.unit);
    }
    return text + " (χ²/dof " + plain_number(fit.chi2_per_dof, 3) + ", " +
           std::to_string(fit.points_used) + " of " + std::to_string(fit.points_total) +
           " readings)";
}

std::vector<std::string> soil_model_lines(const sweep::SweepResult& result,
                                          sweep::FitChoice choice) {
    std::vector<std::string> lines;
    if (choice == sweep::FitChoice::None || result.method != sweep::SolveMethod::AllSolutions)
        return lines;
    for (const sweep::LocationResult& location : result.locations) {
        if (still_solving(location))
            continue;
        if (location.fit && location.fit->acceptable)
            lines.push_back(file_name(location.path) + ": " + fit_in_words(*location.fit));
        else
            lines.push_back(no_fit_line(location, choice));
    }
    if (result.area_fit) {
        const std::string area =
            "Area (" + std::to_string(result.locations.size()) + " locations): ";
        if (result.area_fit->acceptable)
            lines.push_back(area + fit_in_words(*result.area_fit) +
                            ", its u widened by the scatter between locations");
        else
            lines.push_back(area + "no one soil model fits the locations together: they "
                                   "differ more than their uncertainties allow. Compare them "
                                   "one by one, or leave out the odd one.");
    }
    return lines;
}

std::vector<std::string> ground_at_lines(const sweep::SweepResult& result, double freq_hz) {
    std::vector<std::string> lines;
    for (const sweep::LocationResult& location : result.locations) {
        if (location.points.empty())
            continue;
        const std::string head = file_name(location.path) + " at " + mhz(freq_hz) + ": ";
        const calc::ModelGround g = sweep::ground_at(location, freq_hz);
        const std::string band =
            g.from_model ? mhz(location.fit->f_min_hz) + " to " + mhz(location.fit->f_max_hz)
                         : mhz(location.points.front().freq_hz) + " to " +
                               mhz(location.points.back().freq_hz);
        if (!std::isfinite(g.sigma_s_per_m) || !std::isfinite(g.eps_r))
            lines.push_back(head + "no ground: " +
                            (g.extrapolated ? "outside the measured band (" + band +
                                                  ") and no soil model to extrapolate."
                                            : std::string("no chosen ground near it.")));
        else if (g.from_model)
            lines.push_back(
                head + ground_words(g) + " from the soil model" +
                (g.extrapolated ? ", EXTRAPOLATED outside the band of " + band : std::string()) +
                ".");
        else
            lines.push_back(head + ground_words(g) +
                            " from the chosen grounds around it, without a soil model.");
    }
    if (result.area_fit && result.area_fit->acceptable) {
        const calc::ModelGround g = calc::model_ground(*result.area_fit, freq_hz);
        lines.push_back("Area at " + mhz(freq_hz) + ": " + ground_words(g) +
                        " from the area's model" +
                        (g.extrapolated ? ", EXTRAPOLATED outside the band of " +
                                              mhz(result.area_fit->f_min_hz) + " to " +
                                              mhz(result.area_fit->f_max_hz)
                                        : std::string()) +
                        ".");
    }
    return lines;
}

} // namespace ardenca
