#include "sweep_setup.h"

#include "app/ardenca.h"
#include "app/number_text.h"
#include "number_format.h"

namespace ardenca {

namespace {

// The fixture corrections and the solver's options the sweep window adds. The classic
// search reads the meter as the rods' own impedance: it has no fixture to correct for.
void apply(const FixtureOptions& fixture, SweepSetup& setup) {
    const bool classic = fixture.method == sweep::SolveMethod::Classic;
    setup.engine.probe.lead_nh = classic ? 0 : fixture.lead_nh;
    setup.engine.probe.top_pf = classic ? 0 : fixture.top_pf;
    setup.engine.probe.air_m = classic ? 0 : fixture.air_m;
    setup.engine.solve.meter_pct = fixture.meter_pct;
    setup.engine.solve.meter_ohm = fixture.meter_ohm;
    setup.method = fixture.method;
    setup.average = fixture.average;
    setup.fit = fixture.fit;
}

} // namespace

bool same_setup(const SweepSetup& a, const SweepSetup& b) {
    const auto& p = a.engine.probe;
    const auto& q = b.engine.probe;
    const auto& o = a.engine.solve;
    const auto& r = b.engine.solve;
    return p.spacing_m == q.spacing_m && p.radius_m == q.radius_m && p.length_m == q.length_m &&
           p.ur == q.ur && p.matching == q.matching && p.match_zo_ohm == q.match_zo_ohm &&
           p.match_deg == q.match_deg && p.lead_nh == q.lead_nh && p.top_pf == q.top_pf &&
           p.air_m == q.air_m && a.engine.setup_freq_hz == b.engine.setup_freq_hz &&
           o.sigma_min_s_per_m == r.sigma_min_s_per_m &&
           o.sigma_max_s_per_m == r.sigma_max_s_per_m && o.eps_r_min == r.eps_r_min &&
           o.eps_r_max == r.eps_r_max && o.meter_pct == r.meter_pct && o.meter_ohm == r.meter_ohm &&
           a.method == b.method && a.average == b.average && a.fit == b.fit &&
           a.source == b.source && a.fixture_name == b.fixture_name;
}

SweepSetup setup_from_window(const Ardenca& model, const FixtureOptions& fixture) {
    using enum Field;
    SweepSetup setup;
    calc::ProbeSetup& probe = setup.engine.probe;
    probe.spacing_m = text_to_number(model.text(Text1));
    probe.radius_m = text_to_number(model.text(Text2));
    probe.length_m = text_to_number(model.text(Text3));
    probe.ur = text_to_number(model.text(Text31));
    probe.matching = model.matching_section_used();
    probe.match_zo_ohm = text_to_number(model.text(Text25));
    probe.match_deg = text_to_number(model.text(Text26));
    setup.engine.setup_freq_hz = text_to_number(model.text(Text8)) * 1e6;
    apply(fixture, setup);
    return setup;
}

SweepSetup setup_from_ground_file(const std::string& path, const FixtureOptions& fixture) {
    SweepSetup setup;
    setup.engine = sweep::setup_from_ground_file(path);
    setup.source = path;
    apply(fixture, setup);
    return setup;
}

std::string describe(const SweepSetup& setup) {
    const auto& p = setup.engine.probe;
    std::string text = "spacing " + plain_number(p.spacing_m) + " m, radius " +
                       plain_number(p.radius_m) + " m, length " + plain_number(p.length_m) +
                       " m, ur " + plain_number(p.ur);
    if (p.matching)
        text += ", matching section " + plain_number(p.match_zo_ohm) + " Ω " +
                plain_number(p.match_deg) + "° at " +
                plain_number(setup.engine.setup_freq_hz / 1e6) + " MHz";
    if (p.lead_nh != 0)
        text += ", leads " + plain_number(p.lead_nh) + " nH";
    if (p.top_pf != 0)
        text += ", across the tops " + plain_number(p.top_pf) + " pF";
    if (p.air_m != 0)
        text += ", " + plain_number(p.air_m) + " m in the air";
    if (setup.method == sweep::SolveMethod::Classic)
        text += "; classic search, without the fixture (leads, tops, rods in the air)";
    if (!setup.fixture_name.empty())
        text += "; fixture " + setup.fixture_name;
    for (const std::string& w : setup.fixture_warnings)
        text += " (warning: " + w + ")";
    return text;
}

} // namespace ardenca
