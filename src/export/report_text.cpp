#include "report_text.h"

#include "flag_explanations.h"
#include "soil_words.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>

namespace ardenca::exports {

namespace {

// Given a number, its text in at most `digits` significant digits ("60", "1.98667").
std::string g(double v, int digits = 6) {
    if (!std::isfinite(v))
        return "–";
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    return std::string(buf, r.ptr);
}

// Given a number and a count of decimals, its fixed-point text; a value that rounds to
// zero loses its minus sign ("0.00", not "-0.00").
std::string fixed(double v, int decimals) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string text(buf, r.ptr);
    if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

// Given a path, the file's name alone.
std::string file_name(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

// A band as it is told in words: four digits are enough to say where.
std::string mhz_range(double lo_hz, double hi_hz) {
    const std::string lo = g(lo_hz / 1e6, 4), hi = g(hi_hz / 1e6, 4);
    return lo == hi ? lo + " MHz" : lo + "–" + hi + " MHz";
}

// Given a count and its noun, "1 point", "3 points".
std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

// Given items, "a, b and c".
std::string listed(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k)
        out += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
    return out;
}

// Given a point's flags, their names as the window's table shows them.
std::string flag_names(unsigned flags) {
    std::string text;
    for (const FlagExplanation& flag : flag_explanations())
        if (flags & flag.bit)
            text += (text.empty() ? "" : ", ") + std::string(flag.name);
    return text;
}

// Given frequencies and targets, the index of the frequency nearest each target in ln f.
std::vector<std::size_t> nearest(std::span<const double> freqs_hz,
                                 const std::vector<double>& targets_hz) {
    std::vector<std::size_t> out;
    for (double target : targets_hz) {
        std::size_t best = 0;
        double best_d = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < freqs_hz.size(); ++i) {
            const double d = std::fabs(std::log(freqs_hz[i] / target));
            if (d < best_d) {
                best_d = d;
                best = i;
            }
        }
        out.push_back(best);
    }
    return out;
}

std::vector<std::vector<std::string>> setup_rows(const sweep::SweepResult& r,
                                                 const ReportInfo& info);

// Given where a fit was made and the fit, a sentence with the model's parameters ± u, or
// one saying that no model fits acceptably.
std::string fit_paragraph(const std::string& where, const calc::SoilFit& fit) {
    std::string model(model_words(fit.model));
    model[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(model[0])));
    const std::string quality =
        "χ²/dof " + g(fit.chi2_per_dof, 3) + ", " + std::to_string(fit.points_used) + " of " +
        counted(static_cast<std::size_t>(fit.points_total), "reading", "readings") + " used, " +
        mhz_range(fit.f_min_hz, fit.f_max_hz);
    if (!fit.acceptable)
        return where + ": no acceptable soil model (the " + model + " model fits with " + quality +
               "); the grounds are chosen by their continuity.";
    std::vector<std::string> parameters;
    const auto names = calc::parameter_names(fit.model);
    for (std::size_t k = 0; k < names.size(); ++k) {
        const ParameterLabel label = parameter_label(names[k]);
        parameters.push_back(std::string(label.symbol) + " = " +
                             value_with_u(fit.value[k], fit.u[k]) + std::string(label.unit));
    }
    return where + ": " + model + " model, " + listed(parameters) + " (" + quality + ").";
}

// Given a result, a sentence per location with a fit, and the area's with the average.
std::vector<std::string> fit_paragraphs(const sweep::SweepResult& r) {
    if (r.method == sweep::SolveMethod::Classic)
        return {"The classic search fits no soil model."};
    std::vector<std::string> out;
    for (const sweep::LocationResult& loc : r.locations)
        if (loc.fit)
            out.push_back(fit_paragraph(file_name(loc.path), *loc.fit));
    if (r.average && r.area_fit)
        out.push_back(fit_paragraph("All locations together", *r.area_fit));
    if (out.empty())
        out.push_back("No soil model: none was asked for, or none fits the readings acceptably; "
                      "the grounds are chosen by their continuity.");
    return out;
}

// Given a location, its table: the chosen ground ± u and the flags at the chosen rows.
ReportTable location_table(const sweep::LocationResult& loc, int max_rows) {
    ReportTable t;
    t.title = file_name(loc.path);
    t.headings = {"f (MHz)", "σ (S/m)", "εr", "Flags"};
    std::vector<double> freqs;
    for (const sweep::PointResult& p : loc.points)
        freqs.push_back(p.freq_hz);
    for (std::size_t i : report_rows(freqs, max_rows, t.note)) {
        const sweep::PointResult& p = loc.points[i];
        std::vector<std::string> row{g(p.freq_hz / 1e6)};
        if (p.chosen && *p.chosen < p.solutions.size()) {
            const calc::GroundSolution& s = p.solutions[*p.chosen];
            row.push_back(value_with_u(s.sigma_s_per_m, s.u_sigma_s_per_m));
            row.push_back(value_with_u(s.eps_r, s.u_eps_r));
        } else {
            row.insert(row.end(), {"–", "–"});
        }
        row.push_back(flag_names(p.flags));
        t.rows.push_back(std::move(row));
    }
    return t;
}

// Given a result with an average, its table: mean ± sd over the locations.
ReportTable average_table(const sweep::SweepResult& r, int max_rows) {
    ReportTable t;
    t.title = "Average over " + counted(r.locations.size(), "location", "locations");
    t.headings = {"f (MHz)", "σ mean ± sd (S/m)", "εr mean ± sd", "Locations"};
    std::vector<double> freqs;
    for (const sweep::AveragePoint& a : *r.average)
        freqs.push_back(a.freq_hz);
    for (std::size_t i : report_rows(freqs, max_rows, t.note)) {
        const sweep::AveragePoint& a = (*r.average)[i];
        const bool any = a.locations > 0;
        t.rows.push_back({g(a.freq_hz / 1e6),
                          any ? value_with_u(a.sigma_mean_s_per_m, a.sigma_sd_s_per_m) : "–",
                          any ? value_with_u(a.eps_r_mean, a.eps_r_sd) : "–",
                          std::to_string(a.locations) + (a.interpolated ? " (interpolated)" : "")});
    }
    return t;
}

// Given a result, each flag some point has, explained, with where it occurs.
std::vector<ReportFlag> flags_of(const sweep::SweepResult& r) {
    std::vector<ReportFlag> out;
    for (const FlagExplanation& flag : flag_explanations()) {
        std::vector<std::string> where;
        for (const sweep::LocationResult& loc : r.locations) {
            std::size_t n = 0;
            double lo = std::numeric_limits<double>::infinity(), hi = -lo;
            for (const sweep::PointResult& p : loc.points)
                if (p.flags & flag.bit) {
                    ++n;
                    lo = std::min(lo, p.freq_hz);
                    hi = std::max(hi, p.freq_hz);
                }
            if (n > 0)
                where.push_back(file_name(loc.path) + ": " + counted(n, "point", "points") + ", " +
                                mhz_range(lo, hi));
        }
        if (where.empty())
            continue;
        std::string joined;
        for (const std::string& w : where)
            joined += (joined.empty() ? "" : "; ") + w;
        out.push_back({std::string(flag.name), std::string(flag.meaning),
                       std::string(flag.what_to_do), std::move(joined)});
    }
    return out;
}

} // namespace

std::vector<double> round_freqs_hz(double lo_hz, double hi_hz, int max_rows) {
    static const std::vector<std::vector<double>> series = {{1, 1.5, 2, 2.5, 3, 4, 5, 6, 7, 8, 9},
                                                            {1, 1.5, 2, 3, 5, 7},
                                                            {1, 2, 3, 5},
                                                            {1, 2, 5},
                                                            {1, 3},
                                                            {1}};
    if (!(lo_hz > 0) || !(hi_hz >= lo_hz) || !std::isfinite(hi_hz) || max_rows < 1)
        return {};
    const double slack = 1e-9; // a band edge on a round frequency counts as inside
    const int first = static_cast<int>(std::floor(std::log10(lo_hz))) - 1;
    const int last = static_cast<int>(std::ceil(std::log10(hi_hz))) + 1;
    for (const std::vector<double>& steps : series) {
        std::vector<double> out;
        for (int k = first; k <= last; ++k)
            for (double m : steps) {
                const double f = m * std::pow(10.0, k);
                if (f >= lo_hz * (1 - slack) && f <= hi_hz * (1 + slack))
                    out.push_back(f);
            }
        if (out.size() <= static_cast<std::size_t>(max_rows))
            return out;
    }
    return {};
}

std::vector<std::size_t> report_rows(std::span<const double> freqs_hz, int max_rows,
                                     std::string& note) {
    max_rows = std::max(max_rows, 1);
    std::vector<std::size_t> out;
    if (freqs_hz.size() <= static_cast<std::size_t>(max_rows)) {
        for (std::size_t i = 0; i < freqs_hz.size(); ++i)
            out.push_back(i);
        note = "At every measured frequency.";
    } else {
        const auto [lo, hi] = std::minmax_element(freqs_hz.begin(), freqs_hz.end());
        std::vector<double> targets = round_freqs_hz(*lo, *hi, max_rows);
        if (targets.size() >= std::min<std::size_t>(3, static_cast<std::size_t>(max_rows))) {
            std::vector<std::string> mhz;
            for (double f : targets)
                mhz.push_back(g(f / 1e6));
            note = "At the measured frequencies nearest to " + listed(mhz) + " MHz.";
        } else {
            targets.clear();
            const double ln_lo = std::log(*lo), ln_hi = std::log(*hi);
            for (int k = 0; k < max_rows; ++k)
                targets.push_back(std::exp(max_rows == 1
                                               ? 0.5 * (ln_lo + ln_hi)
                                               : ln_lo + (ln_hi - ln_lo) * k / (max_rows - 1)));
            note = "At " + std::to_string(max_rows) +
                   " measured frequencies spread evenly in log frequency.";
        }
        out = nearest(freqs_hz, targets);
    }
    std::sort(out.begin(), out.end(),
              [&](std::size_t a, std::size_t b) { return freqs_hz[a] < freqs_hz[b]; });
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::string value_with_u(double value, double u) {
    if (!std::isfinite(value))
        return "–";
    if (!std::isfinite(u) || !(u > 0))
        return g(value, 4);
    // An uncertainty below the value's sixth digit (the spread of identical readings)
    // would ask for digits the value does not have.
    if (u < std::fabs(value) * 1e-6)
        return g(value, 6) + " ± " + g(u, 2);
    // The place of u's second significant digit, after rounding u to two digits.
    int place = static_cast<int>(std::floor(std::log10(u))) - 1;
    if (std::round(u / std::pow(10.0, place)) >= 100)
        ++place;
    const double magnitude = std::max(std::fabs(value), u);
    if (place >= -6 && magnitude < 1e6) {
        const int decimals = std::max(0, -place);
        const double step = std::pow(10.0, place);
        const double v = place > 0 ? std::round(value / step) * step : value;
        const double w = place > 0 ? std::round(u / step) * step : u;
        return fixed(v, decimals) + " ± " + fixed(w, decimals);
    }
    // Very small or very large: one power of ten for both.
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const double scale = std::pow(10.0, exponent);
    const int decimals = std::max(0, exponent - place);
    return "(" + fixed(value / scale, decimals) + " ± " + fixed(u / scale, decimals) + ")e" +
           std::to_string(exponent);
}

std::string local_date_text(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[32];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &local);
    return std::string(buf, n);
}

ReportText report_text(const sweep::SweepResult& result, const ReportInfo& info, int max_rows) {
    ReportText text;
    text.title = "Ground conductivity and dielectric constant";
    text.stamp = info.date + (info.date.empty() ? "" : ", ") + "Ardenca " + info.program_version;
    for (auto& row : setup_rows(result, info))
        text.setup.emplace_back(row[0], row[1]);
    for (const sweep::LocationResult& loc : result.locations)
        text.tables.push_back(location_table(loc, max_rows));
    if (result.average && !result.average->empty())
        text.tables.push_back(average_table(result, max_rows));
    text.fits = fit_paragraphs(result);
    text.flags = flags_of(result);
    return text;
}

namespace {

// Given a result and the report's particulars, the set-up as label and value.
std::vector<std::vector<std::string>> setup_rows(const sweep::SweepResult& r,
                                                 const ReportInfo& info) {
    const calc::ProbeSetup& p = r.setup;
    const calc::SolveOptions& o = r.options;
    const bool classic = r.method == sweep::SolveMethod::Classic;
    std::vector<std::vector<std::string>> rows;
    std::string sweeps;
    for (const sweep::LocationResult& loc : r.locations) {
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const sweep::PointResult& pt : loc.points) {
            lo = std::min(lo, pt.freq_hz);
            hi = std::max(hi, pt.freq_hz);
        }
        sweeps += (sweeps.empty() ? "" : "; ") + file_name(loc.path) + " (" +
                  counted(loc.points.size(), "point", "points") +
                  (loc.points.empty() ? "" : ", " + mhz_range(lo, hi)) + ")";
    }
    rows.push_back({"Sweeps", sweeps.empty() ? "none" : sweeps});
    rows.push_back({"Probe", "two rods " + g(p.length_m) + " m long in the ground, " +
                                 g(p.spacing_m) + " m apart, radius " + g(p.radius_m) +
                                 " m; ground μr " + g(p.ur)});
    if (!info.setup_file.empty())
        rows.push_back({"Set-up file", file_name(info.setup_file)});
    rows.push_back({"Matching section", p.matching ? g(p.match_zo_ohm) + " Ω, " + g(p.match_deg) +
                                                         "° at " + g(r.setup_freq_hz / 1e6) + " MHz"
                                                   : "none"});
    std::vector<std::string> fixture;
    const auto with_u = [](double v, double u, const char* unit) {
        return (u > 0 ? value_with_u(v, u) : g(v)) + unit;
    };
    if (p.lead_nh != 0)
        fixture.push_back("leads " + with_u(p.lead_nh, p.u_fixture.lead_nh, " nH"));
    if (p.top_pf != 0)
        fixture.push_back("capacitance across the rod tops " +
                          with_u(p.top_pf, p.u_fixture.top_pf, " pF"));
    if (p.air_m != 0)
        fixture.push_back("rods " + g(p.air_m) + " m in the air");
    std::string fixture_text = fixture.empty() ? "none" : listed(fixture);
    if (!info.fixture_file.empty())
        fixture_text += " (from " + file_name(info.fixture_file) + ")";
    if (classic && !fixture.empty())
        fixture_text += "; not applied: the classic search has no fixture corrections";
    rows.push_back({"Fixture", fixture_text});
    rows.push_back({"Method", classic ? "classic two-stage search: one ground per reading, "
                                        "without uncertainties"
                                      : "every ground that fits each reading, the one that "
                                        "continues the sweep chosen"});
    rows.push_back({"Search box", "σ " + g(o.sigma_min_s_per_m) + " to " + g(o.sigma_max_s_per_m) +
                                      " S/m, εr " + g(o.eps_r_min) + " to " + g(o.eps_r_max)});
    rows.push_back({"Meter noise", g(o.meter_pct) + " % of |R| and of |X|, plus " + g(o.meter_ohm) +
                                       " Ω (one standard deviation)"});
    return rows;
}

} // namespace

} // namespace ardenca::exports
