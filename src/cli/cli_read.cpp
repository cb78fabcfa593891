#include "cli_read.h"

#include "cli_app.h"
#include "sweep/sweep_file.h"
#include "sweep/sweep_file_error.h"
#include "sweep/text_scan.h"

#include "cli_parse.h"

#include <CLI/CLI.hpp>
#include <new>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace ardenca::cli {

namespace {

using sweep::Sweep;

constexpr const char* read_description =
    R"(Reads VNA and antenna-analyser files (Touchstone 1.x and 2.x, one- and
two-port, .s1p .s2p .ts; CSV with frequency and R, X or S11 columns) and
prints what was understood: the format, parameter, reference resistance,
port count, warnings and every point's frequency (Hz) and impedance R, X
(ohms). A two-port file gives the impedance in series between its ports.

Exit status: 0 every file read; 2 usage error; 4 a file was refused (its
"FILE:LINE: reason" on stderr; the other files are still read) or standard
output could not be written; 6 out of memory.)";

// One file's object: its description by nlohmann-json, then the points written one by
// one, so that a million points need no document in memory.
void print_json_file(std::ostream& out, const Sweep& s) {
    nlohmann::json j;
    j["path"] = s.path;
    j["format"] = s.format == sweep::FileFormat::Touchstone ? "touchstone" : "csv";
    j["version"] = s.version.empty() ? nlohmann::json(nullptr) : nlohmann::json(s.version);
    j["parameter"] = s.parameter;
    j["data_format"] = s.data_format;
    j["r_ohm"] = s.r_ohm;
    j["ports"] = s.ports;
    j["warnings"] = s.warnings;
    std::string head = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    head.pop_back(); // the closing brace
    out << head << ",\"points\":[";
    using sweep::shortest_text;
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        const sweep::SweepPoint& p = s.points[i];
        out << (i == 0 ? "" : ",") << "{\"f_hz\":" << shortest_text(p.freq_hz) << ",\"z_ohm\":";
        if (p.infinite)
            out << "null}";
        else
            out << '[' << shortest_text(p.z_ohm.real()) << ',' << shortest_text(p.z_ohm.imag())
                << "]}";
    }
    out << "]}";
}

void print_text(std::ostream& out, const Sweep& s) {
    using sweep::shortest_text;
    out << s.path << '\n';
    if (s.format == sweep::FileFormat::Touchstone)
        out << "  format: Touchstone " << s.version << '\n';
    else
        out << "  format: CSV\n";
    out << "  parameter: " << s.parameter << ", data format: " << s.data_format
        << ", R: " << shortest_text(s.r_ohm) << " ohm, ports: " << s.ports << '\n';
    out << "  points: " << s.points.size() << '\n';
    for (const std::string& w : s.warnings)
        out << "  warning: " << w << '\n';
    out << "  f_Hz R_ohm X_ohm\n";
    for (const sweep::SweepPoint& p : s.points) {
        out << "  " << shortest_text(p.freq_hz);
        if (p.infinite)
            out << " open circuit (infinite impedance)\n";
        else
            out << ' ' << shortest_text(p.z_ohm.real()) << ' ' << shortest_text(p.z_ohm.imag())
                << '\n';
    }
}

} // namespace

namespace {

int read_files(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
               std::string& doing) {
    CLI::App app(read_description, "ardenca-cli read");
    std::vector<std::string> paths;
    bool json = false;
    std::string unit_text, z0_text;
    app.add_option("files", paths, "VNA or analyser files")->required()->type_name("FILE");
    app.add_flag("--json", json, "Print one JSON object");
    app.add_option("--freq-unit", unit_text,
                   "Frequency unit of CSV files whose header names none: Hz, kHz, MHz or GHz")
        ->type_name("U");
    app.add_option("--z0", z0_text, "Reference resistance of CSV S11 columns (default 50)")
        ->type_name("OHM");
    if (const auto status = parse_arguments(app, argc, argv, out, err, "ardenca-cli read"))
        return *status;
    sweep::ReadOptions options;
    if (!unit_text.empty()) {
        options.csv_freq_unit = sweep::freq_unit_from_name(unit_text);
        if (!options.csv_freq_unit) {
            err << "ardenca-cli read: unknown --freq-unit '" << unit_text
                << "': expected Hz, kHz, MHz or GHz\n";
            return exit_usage;
        }
    }
    if (!z0_text.empty()) {
        double z0 = 0;
        if (!sweep::read_number(z0_text, z0) || !(z0 > 0)) {
            err << "ardenca-cli read: --z0 '" << z0_text << "' is not a positive number of ohms\n";
            return exit_usage;
        }
        options.z0_ohm = z0;
    }

    bool refused = false;
    nlohmann::json refusals = nlohmann::json::array();
    if (json)
        out << "{\"files\":[";
    bool first = true;
    for (const std::string& path : paths) {
        doing = "reading " + path;
        try {
            const Sweep s = sweep::read_sweep_file(path, options);
            if (json) {
                out << (first ? "" : ",");
                print_json_file(out, s);
            } else {
                print_text(out, s);
            }
            first = false;
        } catch (const sweep::SweepFileError& e) {
            err << e.what() << '\n';
            refused = true;
            refusals.push_back({{"path", e.path()}, {"line", e.line()}, {"reason", e.reason()}});
        }
    }
    if (json) {
        out << ']';
        if (!refusals.empty())
            out << ",\"refused\":"
                << refusals.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        out << "}\n";
    }
    return refused ? exit_file_failed : exit_ok;
}

} // namespace

int run_read(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::string doing = "reading the arguments";
    try {
        return read_files(argc, argv, out, err, doing);
    } catch (const std::bad_alloc&) {
        err << "ardenca-cli read: out of memory while " << doing << '\n';
        return exit_out_of_memory;
    }
}

} // namespace ardenca::cli
