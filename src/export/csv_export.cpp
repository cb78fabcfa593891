#include "csv_export.h"

#include "export_number.h"
#include "flag_names.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <sstream>

namespace ardenca::exports {

namespace {

// A text cell, quoted when it holds a separator, a quote or a line end.
std::string text_cell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : "|") + n;
    return out;
}

std::size_t alternatives_of(const sweep::PointResult& p) {
    return p.solutions.size() - (p.chosen ? 1 : 0);
}

class Row {
  public:
    void text(const std::string& t) { cell(text_cell(t)); }
    void number(double v) { cell(shortest(v)); }
    void empty(int n = 1) {
        for (int i = 0; i < n; ++i)
            cell({});
    }
    std::string line() const { return out_ + '\n'; }

  private:
    void cell(const std::string& c) {
        if (!first_)
            out_ += ',';
        first_ = false;
        out_ += c;
    }
    std::string out_;
    bool first_ = true;
};

// Given a ground or the model's ground, its four cells: sigma, u, eps_r, u.
void ground_cells(Row& row, const auto& g) {
    row.number(g.sigma_s_per_m);
    row.number(g.u_sigma_s_per_m);
    row.number(g.eps_r);
    row.number(g.u_eps_r);
}

} // namespace

void write_sweep_csv(std::ostream& out, const sweep::SweepResult& result) {
    std::size_t max_alt = 0;
    for (const sweep::LocationResult& loc : result.locations)
        for (const sweep::PointResult& p : loc.points)
            max_alt = std::max(max_alt, alternatives_of(p));

    Row header;
    for (const char* name : {"location", "f_hz", "sigma_s_per_m", "u_sigma_s_per_m", "eps_r",
                             "u_eps_r", "skin_depth_m", "n_solutions", "flags", "r_measured_ohm",
                             "x_measured_ohm", "r_probe_ohm", "x_probe_ohm", "model_sigma_s_per_m",
                             "model_u_sigma_s_per_m", "model_eps_r", "model_u_eps_r"})
        header.text(name);
    for (std::size_t k = 1; k <= max_alt; ++k)
        for (const char* name : {"_sigma_s_per_m", "_u_sigma_s_per_m", "_eps_r", "_u_eps_r"})
            header.text("alt" + std::to_string(k) + name);
    out << header.line();

    for (const sweep::LocationResult& loc : result.locations) {
        for (const sweep::PointResult& p : loc.points) {
            Row row;
            row.text(loc.path);
            row.number(p.freq_hz);
            if (p.chosen) {
                const calc::GroundSolution& g = p.solutions[*p.chosen];
                ground_cells(row, g);
                row.number(g.skin_depth_m);
            } else {
                row.empty(5);
            }
            row.number(static_cast<double>(p.solutions.size()));
            row.text(joined(point_flag_names(p.flags)));
            if (p.flags & sweep::InfiniteReading) {
                row.empty(4);
            } else {
                row.number(p.z_measured_ohm.real());
                row.number(p.z_measured_ohm.imag());
                row.number(p.z_probe_ohm.real());
                row.number(p.z_probe_ohm.imag());
            }
            if (p.model) {
                ground_cells(row, *p.model);
            } else {
                row.empty(4);
            }
            std::size_t written = 0;
            for (std::size_t k = 0; k < p.solutions.size(); ++k) {
                if (p.chosen && *p.chosen == k)
                    continue;
                ground_cells(row, p.solutions[k]);
                ++written;
            }
            row.empty(static_cast<int>(4 * (max_alt - written)));
            out << row.line();
        }
    }

    if (result.average) {
        for (const sweep::AveragePoint& a : *result.average) {
            Row row;
            row.text("average");
            row.number(a.freq_hz);
            row.number(a.sigma_mean_s_per_m);
            row.number(a.sigma_sd_s_per_m);
            row.number(a.eps_r_mean);
            row.number(a.eps_r_sd);
            row.empty();
            row.number(a.locations);
            row.text(a.interpolated ? "average|interpolated" : "average");
            row.empty(static_cast<int>(8 + 4 * max_alt));
            out << row.line();
        }
    }
}

std::string sweep_csv(const sweep::SweepResult& result) {
    std::ostringstream out;
    write_sweep_csv(out, result);
    return std::move(out).str();
}

} // namespace ardenca::exports
