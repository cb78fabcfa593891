#include "cli_sweep.h"

#include "cli_app.h"
#include "cli_plot.h"
#include "cli_probe_options.h"
#include "cli_solve.h"
#include "export/csv_export.h"
#include "export/export_file.h"
#include "export/export_number.h"
#include "export/flag_names.h"
#include "export/json_export.h"
#include "export/nec_export.h"
#include "files/file_error.h"
#include "sweep/calibration.h"
#include "sweep/sweep_engine.h"
#include "sweep/sweep_file.h"
#include "sweep/sweep_file_error.h"

#include "cli_parse.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <chrono>
#include <cmath>
#include <functional>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ardenca::cli {

namespace {

constexpr const char* sweep_description =
    R"(Solves every point of one or more sweeps (Touchstone or CSV files, one per
probe location): every ground in the box that fits each reading, the one that
continues the grounds at the neighbouring frequencies (tracked in ln sigma and
ln eps_r from the low-frequency end, where the reading usually fits one
ground), and flags. The points are solved in parallel.

The probe comes from --setup FILE.gnd (a ground data file: the matching-section
choice, ur, the section's Zo and degrees, spacing, radius, length and the
frequency; its R in and X_in are not used) or from the options below, which
also override the file's values. --fixture FIXTURE.json (written by
"calibrate -o") brings the lead inductance, the top capacitance and the feed
line (its Zo and degrees, the section switched on) with their uncertainties,
which are carried into each ground's; its values override the set-up file's,
options given on the command line override the fixture's, and a fixture made
for another probe (spacing, radius, whole rod length) is warned about. The matching section's L Degrees is its
electrical length at the set-up frequency; at a frequency f it is
L * f / f_setup.

Unless --fit none, a causal soil model is fitted to each location's readings
(weighted least squares on the impedances at the meter, through the probe's
fixture and matching section, each reading weighted by --meter): constant
(sigma, eps_r), messier (sigma_dc, eps_inf) or jonscher (sigma_dc, eps_inf and
a constant-phase term chi, n at 1 MHz); auto (default) keeps the acceptable one
with the smallest BIC. With an acceptable model each point takes the ground
nearest the model there, flagged off_model when that lies more than 3 u from
it; without one the continuity choice stands and the file is warned. --at
MHZ[,MHZ...] gives the model's ground with its u at those frequencies
(extrapolated outside the measured band); --nec-bands MHZ[,MHZ...] PATH writes a
NEC-2 fragment (GN, FR, XQ per band) to append to a deck's geometry and
excitation. With --average and several files the area's model is fitted to all
readings together (u widened by the scatter between locations) and used for
--nec-bands.

Output: a table, or --json / --csv, to stdout or to -o PATH (a name ending in
.json or .csv chooses the format when neither is given). --nec-at MHZ PATH
writes a NEC-2 ground card (GN 2 0 0 0 eps_r sigma) with comment cards for the
tracked ground there (the average over the locations when there are several),
interpolated in ln f. --plot PATH draws sigma and eps_r against frequency
(.png or .svg). --report PATH writes a printable PDF of two A4 pages: the
set-up and fixture, both charts, the ground values at round frequencies in
the band, the fitted soil models and the flags that occur with what to do.

A point whose probe is more than 100 half-waves long in the densest ground of
the box, or whose box holds more than 120 grounds, is not searched: it is
flagged unresolvable, with the reason in the JSON.

Exit status: 0 done; 2 usage error or a set-up that cannot be used (nothing
solved); 4 a file was refused (its "FILE:LINE: reason" on stderr; the other
files are still solved) or an output could not be written; 5 no point of any
file has a ground (wins over 4 unless every file was refused); 6 out of
memory (no output file is written).)";

struct Args {
    std::vector<std::string> paths;
    std::string setup_path;
    std::string fixture_path;
    ProbeArgs probe;
    SolveArgs solve; // the fixture, the meter and the box, as for "solve"
    std::string method = "all";
    bool average = false;
    std::string threads;
    bool json = false, csv = false;
    std::string output;
    std::vector<std::string> nec;
    std::string fit = "auto";
    std::string at;
    std::vector<std::string> nec_bands;
    std::string plot;
    std::string report;
    ReadArgs read;
};

// Past this, the section's phase would be lost in rounding long before any use.
constexpr double max_match_deg = 1e6;

// Given two paths, whether both name one existing file (one device and inode).
bool same_file(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Given the arguments, refuses an output that would replace one of the inputs.
void check_outputs(const Args& a) {
    std::vector<std::pair<std::string, std::string>> outputs; // option, path
    if (!a.output.empty())
        outputs.emplace_back("-o", a.output);
    if (a.nec.size() == 2)
        outputs.emplace_back("--nec-at", a.nec[1]);
    if (!a.plot.empty())
        outputs.emplace_back("--plot", a.plot);
    if (!a.report.empty())
        outputs.emplace_back("--report", a.report);
    if (a.nec_bands.size() == 2)
        outputs.emplace_back("--nec-bands", a.nec_bands[1]);
    std::vector<std::string> inputs = a.paths;
    for (const std::string* path : {&a.setup_path, &a.fixture_path})
        if (!path->empty())
            inputs.push_back(*path);
    for (const auto& [option, out] : outputs)
        for (const std::string& in : inputs)
            if (same_file(out, in))
                throw UsageError(option + " '" + out + "' is the input file '" + in +
                                 "': it would be replaced");
}

// A fixture file that cannot be used.
class FixtureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The set-up file, then the fixture file, then the options: each later one overrides.
sweep::SweepSetup setup_from(const Args& a, std::vector<std::string>& warnings) {
    sweep::SweepSetup s;
    if (!a.setup_path.empty())
        s = sweep::setup_from_ground_file(a.setup_path);
    calc::ProbeSetup& p = s.probe;
    std::optional<files::FixtureFile> fixture;
    if (!a.fixture_path.empty()) {
        try {
            fixture = files::read_fixture_file(a.fixture_path);
        } catch (const files::FixtureFileError& e) {
            throw FixtureError(e.what());
        }
    }
    apply_probe_args(a.probe, s, max_match_deg);
    SolveSettings solve;
    solve.extras.lead_nh = p.lead_nh;
    solve.extras.top_pf = p.top_pf;
    solve.extras.air_m = p.air_m;
    solve.options = s.solve;
    if (const auto problem = parse_solve_args(a.solve, solve))
        throw UsageError(*problem);
    p.lead_nh = solve.extras.lead_nh;
    p.top_pf = solve.extras.top_pf;
    p.air_m = solve.extras.air_m;
    s.solve = solve.options;
    if (fixture) {
        // The fixture's values in, then the ones given as options back over them.
        const calc::ProbeSetup given = p;
        warnings = sweep::apply_fixture(s, *fixture, a.fixture_path);
        if (!a.solve.lead_nh.empty()) {
            p.lead_nh = given.lead_nh;
            p.u_fixture.lead_nh = 0;
        }
        if (!a.solve.top_pf.empty()) {
            p.top_pf = given.top_pf;
            p.u_fixture.top_pf = 0;
        }
        if (!a.probe.match_zo.empty())
            p.match_zo_ohm = given.match_zo_ohm;
        if (!a.probe.match_deg.empty()) {
            p.match_deg = given.match_deg;
            p.u_fixture.match_deg = 0;
        }
        if (!a.probe.option.empty())
            p.matching = given.matching;
    }
    return s;
}

// Given "MHZ[,MHZ...]", the frequencies in Hz, each above zero.
std::vector<double> mhz_list(const std::string& option, const std::string& text) {
    std::vector<double> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        const double mhz = number_arg(option, item);
        if (!(mhz > 0) || !std::isfinite(mhz))
            throw UsageError(option + " '" + item + "': frequencies must be above zero");
        out.push_back(1e6 * mhz);
        if (comma == std::string::npos)
            return out;
        start = comma + 1;
    }
}

sweep::FitChoice fit_choice(const std::string& name) {
    if (const auto choice = sweep::fit_choice_from_name(name))
        return *choice;
    throw UsageError("--fit '" + name + "': expected auto, none, constant, messier or jonscher");
}

std::string g5(double v) {
    if (!std::isfinite(v))
        return "-";
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 5);
    return std::string(buf, r.ptr);
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + ' ' : text + std::string(width - text.size(), ' ');
}

std::string fit_lines(const std::optional<calc::SoilFit>& fit,
                      const std::vector<calc::ModelGround>& at) {
    std::string out;
    if (fit) {
        out += "  model: " + std::string(calc::model_name(fit->model)) +
               (fit->acceptable ? "" : " (not acceptable)") + ", chi2/dof " +
               g5(fit->chi2_per_dof) + ", " + std::to_string(fit->points_used) + " of " +
               std::to_string(fit->points_total) + " readings\n   ";
        const auto names = calc::parameter_names(fit->model);
        for (std::size_t k = 0; k < names.size(); ++k)
            out += " " + std::string(names[k]) + " " + g5(fit->value[k]) + " +- " + g5(fit->u[k]);
        out += '\n';
    }
    for (const calc::ModelGround& m : at)
        out += "  at " + g5(m.freq_hz / 1e6) + " MHz: sigma " + g5(m.sigma_s_per_m) + " +- " +
               g5(m.u_sigma_s_per_m) + " S/m, eps_r " + g5(m.eps_r) + " +- " + g5(m.u_eps_r) +
               (m.extrapolated ? " (extrapolated)" : "") +
               (m.from_model ? "" : " (from the chosen grounds, no model)") + '\n';
    return out;
}

void write_table(std::ostream& out, const sweep::SweepResult& r) {
    const bool classic = r.method == sweep::SolveMethod::Classic;
    for (const sweep::LocationResult& loc : r.locations) {
        out << loc.path + (classic ? " (classic search)\n" : "\n");
        for (const std::string& w : loc.warnings)
            out << "  warning: " + w + '\n';
        out << "  f_MHz       sigma_S/m   u_sigma     eps_r       u_eps_r     n  flags\n";
        for (const sweep::PointResult& p : loc.points) {
            std::string line = "  " + padded(g5(p.freq_hz / 1e6), 12);
            if (p.chosen) {
                const calc::GroundSolution& g = p.solutions[*p.chosen];
                for (double v : {g.sigma_s_per_m, g.u_sigma_s_per_m, g.eps_r, g.u_eps_r})
                    line += padded(g5(v), 12);
            } else {
                line += padded("-", 48);
            }
            line += padded(std::to_string(p.solutions.size()), 3);
            std::string flags;
            for (const std::string& f : exports::point_flag_names(p.flags))
                flags += (flags.empty() ? "" : ",") + f;
            out << line + flags + '\n';
        }
        out << fit_lines(loc.fit, loc.at);
    }
    if (r.average) {
        out << "average over " + std::to_string(r.locations.size()) + " locations\n";
        out << "  f_MHz       sigma_S/m   sd          eps_r       sd          n\n";
        for (const sweep::AveragePoint& a : *r.average)
            out << "  " + padded(g5(a.freq_hz / 1e6), 12) + padded(g5(a.sigma_mean_s_per_m), 12) +
                       padded(g5(a.sigma_sd_s_per_m), 12) + padded(g5(a.eps_r_mean), 12) +
                       padded(g5(a.eps_r_sd), 12) + std::to_string(a.locations) +
                       (a.interpolated ? " interpolated" : "") + '\n';
        if (r.area_fit)
            out << "area\n" + fit_lines(r.area_fit, r.area_at);
    }
}

bool ends_with(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

namespace {

int sweep_files(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                std::string& doing) {
    CLI::App app(sweep_description, "ardenca-cli sweep");
    Args a;
    app.add_option("files", a.paths, "VNA or analyser files, one per location")
        ->required()
        ->type_name("FILE");
    app.add_option("--setup", a.setup_path, "Probe set-up from a ground data file")
        ->type_name("FILE.gnd");
    app.add_option("--fixture", a.fixture_path,
                   "Lead, top capacitance and feed line from a calibration (calibrate -o); "
                   "options given here override its values")
        ->type_name("FIXTURE.json");
    add_rod_options(app, a.probe, true);
    add_section_options(
        app, a.probe,
        {.setup_mhz = "Frequency at which --match-deg is the section's length (default 7)",
         .match_zo = "Matching section impedance, ohm (default 75)",
         .match_deg = "Matching section length in degrees at the set-up frequency (default 0)"});
    add_solve_options(app, a.solve, "");
    app.add_option("--method", a.method,
                   "all: every ground, tracked (default); classic: the two-stage search")
        ->type_name("all|classic");
    app.add_flag("--average", a.average, "Mean and spread over the locations per frequency");
    app.add_option("--threads", a.threads, "Threads to solve on (default: all cores)")
        ->type_name("N");
    app.add_flag("--json", a.json, "Write one JSON object");
    app.add_flag("--csv", a.csv, "Write CSV, one row per point");
    app.add_option("-o", a.output, "Write to PATH instead of stdout")->type_name("PATH");
    app.add_option("--nec-at", a.nec, "Write a NEC-2 ground card for MHZ to PATH")
        ->expected(2)
        ->type_name("MHZ PATH");
    app.add_option("--fit", a.fit,
                   "Soil model fitted to the readings: auto (default), none, constant, messier "
                   "or jonscher")
        ->type_name("MODEL");
    app.add_option("--at", a.at, "The fitted model's ground at these frequencies")
        ->type_name("MHZ[,MHZ...]");
    app.add_option("--nec-bands", a.nec_bands,
                   "Write a NEC-2 fragment with the model's ground per band to PATH")
        ->expected(2)
        ->type_name("MHZ[,MHZ...] PATH");
    app.add_option("--plot", a.plot, "Draw the charts to PATH (.png or .svg)")->type_name("PATH");
    app.add_option("--report", a.report,
                   "Write a printable report (set-up, charts, ground values, soil model, flags "
                   "explained) to PATH as PDF")
        ->type_name("PATH");
    add_read_options(app, a.read);
    if (const auto status = parse_arguments(app, argc, argv, out, err, "ardenca-cli sweep"))
        return *status;

    sweep::SweepSetup setup;
    sweep::EngineOptions engine;
    sweep::ReadOptions read;
    std::optional<double> nec_hz;
    std::vector<double> nec_bands_hz;
    try {
        if (a.json && a.csv)
            throw UsageError("--json and --csv exclude each other");
        if (!a.threads.empty()) {
            const double n = number_arg("--threads", a.threads);
            if (!(n >= 0 && n <= 1024 && n == static_cast<int>(n)))
                throw UsageError("--threads must be a whole number, 0 (all cores) or more");
            engine.threads = static_cast<int>(n);
        }
        if (a.method == "classic")
            engine.method = sweep::SolveMethod::Classic;
        else if (a.method != "all")
            throw UsageError("--method '" + a.method + "': expected all or classic");
        engine.average = a.average;
        engine.fit = fit_choice(a.fit);
        if (!a.at.empty())
            engine.at_hz = mhz_list("--at", a.at);
        if (!a.nec_bands.empty()) {
            nec_bands_hz = mhz_list("--nec-bands", a.nec_bands[0]);
            if (engine.fit == sweep::FitChoice::None)
                throw UsageError("--nec-bands needs a soil model: leave out --fit none");
            if (a.paths.size() > 1 && !a.average)
                throw UsageError("--nec-bands with several files takes the area's model: add "
                                 "--average");
        }
        if (engine.method == sweep::SolveMethod::Classic && (!a.at.empty() || !a.nec_bands.empty()))
            throw UsageError("the classic search fits no soil model: --at and --nec-bands need "
                             "--method all");
        check_outputs(a);
        std::vector<std::string> warnings;
        setup = setup_from(a, warnings);
        for (const std::string& w : warnings)
            err << "ardenca-cli sweep: warning: " << w << '\n';
        if (engine.method == sweep::SolveMethod::Classic &&
            (setup.probe.lead_nh != 0 || setup.probe.top_pf != 0 || setup.probe.air_m != 0))
            throw UsageError("the classic search has no fixture corrections: leave out "
                             "--lead-nh, --top-pf and --air-m with --method classic");
        sweep::check_setup(setup);
        if (!a.nec.empty())
            nec_hz = 1e6 * number_arg("--nec-at", a.nec[0]);
        read = read_options_from(a.read);
    } catch (const UsageError& e) {
        err << "ardenca-cli sweep: " << e.what() << "\nRun 'ardenca-cli sweep --help' for usage.\n";
        return exit_usage;
    } catch (const sweep::SetupError& e) {
        err << "ardenca-cli sweep: " << e.what() << '\n';
        return exit_usage;
    } catch (const FixtureError& e) {
        err << "ardenca-cli sweep: " << e.what() << '\n';
        return exit_usage;
    }

    std::vector<sweep::Sweep> sweeps;
    bool refused = false;
    for (const std::string& path : a.paths) {
        doing = "reading " + path;
        try {
            sweeps.push_back(sweep::read_sweep_file(path, read));
        } catch (const sweep::SweepFileError& e) {
            err << e.what() << '\n';
            refused = true;
        }
    }
    doing = "solving the sweeps";
    const sweep::SweepResult result = sweep::solve_sweeps(setup, sweeps, engine);
    doing = "writing the output";

    bool any_ground = false;
    std::size_t unresolvable = 0;
    std::string why_unresolvable;
    for (const sweep::LocationResult& loc : result.locations) {
        for (const sweep::PointResult& p : loc.points) {
            any_ground = any_ground || p.chosen.has_value();
            if ((p.flags & sweep::Unresolvable) && unresolvable++ == 0)
                why_unresolvable =
                    calc::unresolved_reason(p.unresolved, p.nu, p.count, setup.solve);
        }
    }
    if (unresolvable > 0)
        err << "ardenca-cli sweep: " << unresolvable
            << (unresolvable == 1 ? " point was" : " points were")
            << " not searched and are flagged unresolvable (the first: " << why_unresolvable
            << ")\n";

    bool write_failed = false;
    auto write = [&](const std::string& path, const auto& text) {
        try {
            exports::write_export(path, text);
        } catch (const files::FileError& e) {
            err << "ardenca-cli sweep: " << e.what() << '\n';
            write_failed = true;
        }
    };

    // Written as it is formatted: a million points need no copy of the output in memory.
    const bool json = a.json || (!a.csv && ends_with(a.output, ".json"));
    const bool csv = a.csv || (!a.json && ends_with(a.output, ".csv"));
    const std::function<void(std::ostream&)> output = [&](std::ostream& to) {
        if (json) {
            exports::write_sweep_json(to, result);
            to << '\n';
        } else if (csv) {
            exports::write_sweep_csv(to, result);
        } else {
            write_table(to, result);
        }
    };
    if (a.output.empty())
        output(out);
    else
        write(a.output, output);

    if (nec_hz) {
        try {
            write(a.nec[1], exports::nec_ground_cards(exports::nec_ground_at(result, *nec_hz)));
        } catch (const exports::ExportError& e) {
            err << "ardenca-cli sweep: " << e.what() << '\n';
            write_failed = true;
        }
    }
    if (!nec_bands_hz.empty()) {
        try {
            write(a.nec_bands[1], exports::nec_band_cards(result, nec_bands_hz));
        } catch (const exports::ExportError& e) {
            err << "ardenca-cli sweep: " << e.what() << '\n';
            write_failed = true;
        }
    }
    if (!a.plot.empty()) {
        std::string error;
        if (!plot_sweep(result, a.plot, error)) {
            err << "ardenca-cli sweep: " << error << '\n';
            write_failed = true;
        }
    }
    if (!a.report.empty()) {
        const exports::ReportInfo info{program_version,
                                       exports::local_date_text(std::chrono::system_clock::now()),
                                       a.setup_path, a.fixture_path};
        std::string error;
        if (!report_sweep(result, info, a.report, error)) {
            err << "ardenca-cli sweep: " << error << '\n';
            write_failed = true;
        }
    }

    if (!any_ground && !sweeps.empty()) {
        err << "ardenca-cli sweep: no point of any file "
            << (unresolvable > 0 ? "has a ground that could be resolved\n"
                                 : "fits a ground in the box\n");
        return exit_no_solution;
    }
    if (refused || write_failed)
        return exit_file_failed;
    return exit_ok;
}

} // namespace

int run_sweep(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::string doing = "reading the arguments";
    try {
        return sweep_files(argc, argv, out, err, doing);
    } catch (const std::bad_alloc&) {
        err << "ardenca-cli sweep: out of memory while " << doing << '\n';
        return exit_out_of_memory;
    }
}

} // namespace ardenca::cli
