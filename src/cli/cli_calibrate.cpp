#include "cli_calibrate.h"

#include "cli_app.h"
#include "cli_probe_options.h"
#include "cli_solve.h"
#include "files/file_error.h"
#include "sweep/calibration.h"
#include "sweep/sweep_file.h"
#include "sweep/sweep_file_error.h"

#include "cli_parse.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

namespace ardenca::cli {

namespace {

constexpr const char* calibrate_description =
    R"(Measures the probe's fixture: the series inductance of the leads, the
capacitance across the rod tops and, with --fit-line, the electrical length of
the feed line (matching section) between the meter and the probe, each with
its 1-sigma uncertainty, by a weighted least-squares fit to two sweeps:

  --air FILE    the whole probe held in the air, away from people and metal
                (rods of length + air-m, open at the end)
  --short FILE  the rod tops strapped together with a short wide strap
                (the leads alone); optional, but without it the lead is
                known far less well

The probe comes from --setup FILE.gnd or the options below, which override the
file's; --air-m is the part of the rods that will stand above the ground (the
calibration takes the whole rod, length + air-m). The feed line's Zo is the
matching section's (--match-zo); with --fit-line its degrees at the set-up
frequency are fitted (they grow with f as in "sweep"), otherwise a section
switched on with --option matching is taken as known.

Prints the values, their u, the fit's chi-square per degree of freedom with a
verdict, and the worst residual (in meter sigmas) and where. -o FIXTURE.json
writes the fixture file that "solve" and "sweep" take with --fixture.

Exit status: 0 done; 2 usage error or a set-up that cannot be used; 4 a sweep
file was refused or the fixture file could not be written; 5 the sweeps cannot
determine the fixture (the reason on stderr).)";

struct Args {
    std::string setup_path;
    ProbeArgs probe;
    std::string air_m, meter;
    std::string air, shorted;
    bool fit_line = false;
    bool json = false;
    std::string output;
    ReadArgs read;
};

sweep::SweepSetup setup_from(const Args& a) {
    sweep::SweepSetup s;
    if (!a.setup_path.empty())
        s = sweep::setup_from_ground_file(a.setup_path);
    apply_probe_args(a.probe, s);
    calc::ProbeSetup& p = s.probe;
    SolveArgs solve;
    solve.meter = a.meter;
    solve.air_m = a.air_m;
    SolveSettings settings;
    settings.extras.air_m = p.air_m;
    settings.options = s.solve;
    if (const auto problem = parse_solve_args(solve, settings))
        throw UsageError(*problem);
    p.air_m = settings.extras.air_m;
    s.solve = settings.options;
    if (a.fit_line)
        p.matching = true;
    return s;
}

std::string fixed(double v, int digits) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    return buf;
}

std::string g4(double v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

nlohmann::ordered_json value_json(const calc::FittedValue& v) {
    return {{"value", v.value}, {"u", v.u}};
}

nlohmann::ordered_json result_json(const calc::FixtureFit& fit, const sweep::SweepSetup& s) {
    nlohmann::ordered_json j;
    j["lead_nh"] = value_json(fit.lead_nh);
    j["top_pf"] = value_json(fit.top_pf);
    if (fit.line_deg) {
        j["line_deg"] = value_json(*fit.line_deg);
        j["line_zo_ohm"] = s.probe.match_zo_ohm;
        j["setup_mhz"] = s.setup_freq_hz / 1e6;
    }
    j["chi2_per_dof"] = fit.chi2_per_dof;
    j["dof"] = fit.dof;
    j["points_used"] = fit.points_used;
    j["verdict"] = fit.verdict;
    j["worst_residual"] = {{"freq_hz", fit.worst.freq_hz},
                           {"sweep", fit.worst.in_short ? "short" : "air"},
                           {"sigmas", fit.worst.sigmas},
                           {"ohm", {fit.worst.ohm.real(), fit.worst.ohm.imag()}}};
    j["probe"] = {{"spacing_m", s.probe.spacing_m},
                  {"radius_m", s.probe.radius_m},
                  {"length_m", s.probe.length_m},
                  {"air_m", s.probe.air_m}};
    return j;
}

std::string result_text(const calc::FixtureFit& fit, const sweep::SweepSetup& s) {
    std::string t = "Probe fixture from " + std::to_string(fit.points_used) + " readings\n";
    t += "  lead inductance      " + fixed(fit.lead_nh.value, 2) + " nH +- " + g4(fit.lead_nh.u) +
         '\n';
    t += "  top capacitance      " + fixed(fit.top_pf.value, 3) + " pF +- " + g4(fit.top_pf.u) +
         '\n';
    if (fit.line_deg)
        t += "  feed line            " + fixed(fit.line_deg->value, 2) + " degrees +- " +
             g4(fit.line_deg->u) + " at " + g4(s.setup_freq_hz / 1e6) + " MHz (Zo " +
             g4(s.probe.match_zo_ohm) + " ohm)\n";
    t += "  chi-square per dof   " + fixed(fit.chi2_per_dof, 3) + " (" + std::to_string(fit.dof) +
         " dof): " + fit.verdict + '\n';
    t += "  worst residual       " + fixed(fit.worst.sigmas, 1) + " sigma at " +
         g4(fit.worst.freq_hz / 1e6) + " MHz in the " + (fit.worst.in_short ? "short" : "air") +
         " sweep (" + fixed(fit.worst.ohm.real(), 3) +
         (fit.worst.ohm.imag() < 0 ? " - j" : " + j") + fixed(std::abs(fit.worst.ohm.imag()), 3) +
         " ohm)\n";
    return t;
}

} // namespace

int run_calibrate(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app(calibrate_description, "ardenca-cli calibrate");
    Args a;
    app.add_option("--air", a.air, "Sweep of the probe held in the air")
        ->required()
        ->type_name("FILE");
    app.add_option("--short", a.shorted, "Sweep with the rod tops strapped together")
        ->type_name("FILE");
    app.add_flag("--fit-line", a.fit_line, "Fit the feed line's electrical length too");
    app.add_option("--setup", a.setup_path, "Probe set-up from a ground data file")
        ->type_name("FILE.gnd");
    add_rod_options(app, a.probe, false);
    app.add_option("--air-m", a.air_m, "Length of the rods that stands above the ground, m")
        ->type_name("M");
    add_section_options(app, a.probe,
                        {.setup_mhz = "Frequency at which the feed line's degrees are given "
                                      "(default 7)",
                         .match_zo = "Feed line (matching section) Zo, ohm (default 75)",
                         .match_deg = "Feed line length in degrees at the set-up frequency, "
                                      "when known"});
    app.add_option("--meter", a.meter,
                   "The meter's 1-sigma accuracy in R and in X (default 1%+0.5)")
        ->type_name("PCT%+OHM");
    app.add_flag("--json", a.json, "Write one JSON object");
    app.add_option("-o", a.output, "Write the fixture file to PATH")->type_name("FIXTURE.json");
    add_read_options(app, a.read);
    if (const auto status = parse_arguments(app, argc, argv, out, err, "ardenca-cli calibrate"))
        return *status;

    sweep::SweepSetup setup;
    sweep::ReadOptions read;
    try {
        setup = setup_from(a);
        sweep::check_setup(setup);
        read = read_options_from(a.read);
    } catch (const UsageError& e) {
        err << "ardenca-cli calibrate: " << e.what()
            << "\nRun 'ardenca-cli calibrate --help' for usage.\n";
        return exit_usage;
    } catch (const sweep::SetupError& e) {
        err << "ardenca-cli calibrate: " << e.what() << '\n';
        return exit_usage;
    }

    calc::FixtureFitInput in;
    in.probe = setup.probe;
    in.setup_freq_hz = setup.setup_freq_hz;
    in.fit_line = a.fit_line;
    in.meter_pct = setup.solve.meter_pct;
    in.meter_ohm = setup.solve.meter_ohm;
    try {
        in.air = sweep::impedance_points(sweep::read_sweep_file(a.air, read));
        if (!a.shorted.empty())
            in.shorted = sweep::impedance_points(sweep::read_sweep_file(a.shorted, read));
    } catch (const sweep::SweepFileError& e) {
        err << e.what() << '\n';
        return exit_file_failed;
    }

    calc::FixtureFit fit;
    try {
        fit = calc::fit_fixture(in);
    } catch (const calc::FixtureFitError& e) {
        err << "ardenca-cli calibrate: cannot determine the fixture: " << e.what() << '\n';
        return exit_undetermined;
    }

    if (a.json)
        out << result_json(fit, setup)
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
            << '\n';
    else
        out << result_text(fit, setup);
    if (!a.output.empty()) {
        try {
            files::write_fixture_file(a.output,
                                      sweep::fixture_from_fit(setup, fit, sweep::utc_now_text()));
        } catch (const files::FileError& e) {
            err << "ardenca-cli calibrate: " << e.what() << '\n';
            return exit_file_failed;
        }
    }
    return exit_ok;
}

} // namespace ardenca::cli
