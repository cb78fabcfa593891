#include "sweep_setup.h"

#include "files/decimal_text.h"
#include "files/file_error.h"
#include "files/ground_file.h"
#include "files/ground_reader.h"

#include <cmath>
#include <string_view>

namespace ardenca::sweep {

namespace {

// A field's text as the window reads it: blanks, tabs and line feeds dropped wherever
// they stand, then the leading number; text with no leading number is 0.
double field_value(const std::string& path, int line_number, std::string_view text) {
    std::string packed;
    for (char c : text)
        if (!text::is_blank(c) && c != '\n')
            packed += c;
    const std::string_view number = text::leading_decimal(packed);
    if (number.empty())
        return 0;
    const text::DecimalValue value = text::parse_decimal(number);
    if (value.status != text::DecimalValue::Status::Number)
        throw SetupError("Could not use the set-up file " + path + ": line " +
                         std::to_string(line_number) + " holds a number too large to use.");
    return value.value;
}

double file_number(const std::string& path, int line_number, std::string_view text) {
    const files::FileNumber number = files::read_file_number(text);
    if (number.status != files::FileNumber::Status::Number)
        throw SetupError("Could not use the set-up file " + path + ": line " +
                         std::to_string(line_number) + " should be a number.");
    return number.value;
}

bool positive(double x) {
    return std::isfinite(x) && x > 0;
}

} // namespace

calc::ProbeSetup probe_at(const SweepSetup& setup, double freq_hz) {
    calc::ProbeSetup probe = setup.probe;
    probe.match_deg = setup.probe.match_deg * (freq_hz / setup.setup_freq_hz);
    probe.u_fixture.match_deg = setup.probe.u_fixture.match_deg * (freq_hz / setup.setup_freq_hz);
    return probe;
}

void check_setup(const SweepSetup& setup) {
    const calc::ProbeSetup& p = setup.probe;
    const calc::SolveOptions& o = setup.solve;
    auto require = [](bool ok, const char* what) {
        if (!ok)
            throw SetupError(std::string("The probe set-up cannot be used: ") + what + ".");
    };
    require(positive(p.spacing_m) && positive(p.radius_m),
            "the spacing and the radius must be above zero");
    require(p.radius_m < p.spacing_m / 2,
            "the rods must not touch (radius below half the spacing)");
    require(positive(p.length_m), "the rod length in the ground must be above zero");
    require(positive(p.ur), "ur must be above zero");
    require(positive(setup.setup_freq_hz), "the set-up frequency must be above zero");
    require(!p.matching || (positive(p.match_zo_ohm) && std::isfinite(p.match_deg)),
            "the matching section needs a Zo above zero and a finite length");
    require(std::isfinite(p.lead_nh) && p.lead_nh >= 0 && std::isfinite(p.top_pf) &&
                p.top_pf >= 0 && std::isfinite(p.air_m) && p.air_m >= 0,
            "the fixture corrections must be zero or above");
    require(positive(o.sigma_min_s_per_m) && o.sigma_min_s_per_m < o.sigma_max_s_per_m &&
                std::isfinite(o.sigma_max_s_per_m),
            "the conductivity range must be MIN:MAX with 0 < MIN < MAX");
    require(o.eps_r_min >= 1 && o.eps_r_min < o.eps_r_max && std::isfinite(o.eps_r_max),
            "the dielectric constant range must be MIN:MAX with 1 <= MIN < MAX");
    require(std::isfinite(o.meter_pct) && o.meter_pct >= 0 && std::isfinite(o.meter_ohm) &&
                o.meter_ohm >= 0 && (o.meter_pct > 0 || o.meter_ohm > 0),
            "the meter accuracy must be PCT%+OHM, not both zero");
}

SweepSetup setup_from_ground_file(const std::string& path) {
    std::string lines[files::line_count];
    try {
        files::GroundFileReader reader;
        reader.open(path);
        for (std::string& line : lines)
            line = reader.read_line();
    } catch (const files::FileError& error) {
        throw SetupError(error.what());
    }
    SweepSetup setup;
    calc::ProbeSetup& p = setup.probe;
    // Line 1 selects the section only when it is 1, as File, Open does.
    p.matching = file_number(path, 1, lines[0]) == 1;
    p.ur = file_number(path, 2, lines[1]);
    p.match_zo_ohm = field_value(path, 3, lines[2]);
    p.match_deg = field_value(path, 4, lines[3]);
    p.spacing_m = field_value(path, 7, lines[6]);
    p.radius_m = field_value(path, 8, lines[7]);
    p.length_m = field_value(path, 9, lines[8]);
    setup.setup_freq_hz = 1e6 * field_value(path, 10, lines[9]);
    return setup;
}

} // namespace ardenca::sweep
