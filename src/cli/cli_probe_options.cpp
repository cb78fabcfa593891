#include "cli_probe_options.h"

#include "files/decimal_text.h"
#include "sweep/freq_unit.h"

#include <cmath>

namespace ardenca::cli {

double number_arg(const std::string& option, const std::string& text) {
    const text::DecimalValue v = text::parse_decimal(text);
    if (v.status != text::DecimalValue::Status::Number)
        throw UsageError(option + " '" + text + "' is not a number");
    return v.value;
}

void add_rod_options(CLI::App& app, ProbeArgs& args, bool with_ur) {
    app.add_option("--spacing", args.spacing, "Rod spacing, m (default .1)")->type_name("M");
    app.add_option("--radius", args.radius, "Rod radius, m (default .007)")->type_name("M");
    app.add_option("--length", args.length, "Rod length in the ground, m (default .55)")
        ->type_name("M");
    if (with_ur)
        app.add_option("--ur", args.ur, "Relative permeability of the ground (default 1)")
            ->type_name("UR");
}

void add_section_options(CLI::App& app, ProbeArgs& args, const SectionHelp& help) {
    app.add_option("--setup-mhz", args.setup_mhz, help.setup_mhz)->type_name("MHZ");
    app.add_option("--option", args.option, "Matching section: none (default) or matching")
        ->type_name("none|matching");
    app.add_option("--match-zo", args.match_zo, help.match_zo)->type_name("OHM");
    app.add_option("--match-deg", args.match_deg, help.match_deg)->type_name("DEG");
}

void apply_probe_args(const ProbeArgs& args, sweep::SweepSetup& setup,
                      std::optional<double> max_match_deg) {
    calc::ProbeSetup& p = setup.probe;
    auto set = [](const char* option, const std::string& text, double& value) {
        if (!text.empty())
            value = number_arg(option, text);
    };
    set("--spacing", args.spacing, p.spacing_m);
    set("--radius", args.radius, p.radius_m);
    set("--length", args.length, p.length_m);
    set("--ur", args.ur, p.ur);
    set("--match-zo", args.match_zo, p.match_zo_ohm);
    set("--match-deg", args.match_deg, p.match_deg);
    if (max_match_deg && !(std::abs(p.match_deg) <= *max_match_deg))
        throw UsageError("--match-deg '" + args.match_deg + "' is beyond " +
                         std::to_string(static_cast<int>(*max_match_deg)) +
                         " degrees either way: a section that long has no meaningful length");
    if (!args.setup_mhz.empty())
        setup.setup_freq_hz = 1e6 * number_arg("--setup-mhz", args.setup_mhz);
    if (args.option == "matching")
        p.matching = true;
    else if (args.option == "none")
        p.matching = false;
    else if (!args.option.empty())
        throw UsageError("--option '" + args.option + "': expected none or matching");
}

void add_read_options(CLI::App& app, ReadArgs& args) {
    app.add_option("--freq-unit", args.freq_unit,
                   "Frequency unit of CSV files whose header names none: Hz, kHz, MHz or GHz")
        ->type_name("U");
    app.add_option("--z0", args.z0, "Reference resistance of CSV S11 columns (default 50)")
        ->type_name("OHM");
}

sweep::ReadOptions read_options_from(const ReadArgs& args) {
    sweep::ReadOptions read;
    if (!args.freq_unit.empty()) {
        read.csv_freq_unit = sweep::freq_unit_from_name(args.freq_unit);
        if (!read.csv_freq_unit)
            throw UsageError("unknown --freq-unit '" + args.freq_unit +
                             "': expected Hz, kHz, MHz or GHz");
    }
    if (!args.z0.empty()) {
        read.z0_ohm = number_arg("--z0", args.z0);
        if (!(read.z0_ohm > 0))
            throw UsageError("--z0 must be above zero");
    }
    return read;
}

} // namespace ardenca::cli
