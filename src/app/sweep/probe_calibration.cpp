#include "probe_calibration.h"

#include "sweep/calibration.h"
#include "sweep/sweep_file.h"

namespace ardenca {

namespace {

CalibrationCurve curve(const std::vector<calc::ImpedancePoint>& points,
                       const calc::ProbeSetup& fitted, double setup_freq_hz, bool shorted) {
    CalibrationCurve c;
    for (const calc::ImpedancePoint& p : points) {
        calc::ProbeSetup at = fitted;
        at.match_deg = fitted.match_deg * (p.freq_hz / setup_freq_hz);
        c.freq_hz.push_back(p.freq_hz);
        c.measured_ohm.push_back(p.z_ohm);
        c.fitted_ohm.push_back(shorted ? calc::short_reading(at, p.freq_hz)
                                       : calc::air_reading(at, p.freq_hz));
    }
    return c;
}

} // namespace

ProbeCalibration calibrate_probe(const SweepSetup& setup, const std::string& air_path,
                                 const std::string& short_path, bool fit_line) {
    const sweep::SweepSetup& s = setup.engine;
    calc::FixtureFitInput in;
    in.probe = s.probe;
    in.probe.matching = s.probe.matching || fit_line;
    in.setup_freq_hz = s.setup_freq_hz;
    in.fit_line = fit_line;
    in.meter_pct = s.solve.meter_pct;
    in.meter_ohm = s.solve.meter_ohm;
    in.air = sweep::impedance_points(sweep::read_sweep_file(air_path, {}));
    if (!short_path.empty())
        in.shorted = sweep::impedance_points(sweep::read_sweep_file(short_path, {}));

    ProbeCalibration c;
    c.fit = calc::fit_fixture(in);
    sweep::SweepSetup for_file = s;
    for_file.probe.matching = in.probe.matching;
    c.fixture = sweep::fixture_from_fit(for_file, c.fit, sweep::utc_now_text());
    calc::ProbeSetup fitted = in.probe;
    fitted.lead_nh = c.fit.lead_nh.value;
    fitted.top_pf = c.fit.top_pf.value;
    if (c.fit.line_deg)
        fitted.match_deg = c.fit.line_deg->value;
    c.air = curve(in.air, fitted, s.setup_freq_hz, false);
    c.shorted = curve(in.shorted, fitted, s.setup_freq_hz, true);
    return c;
}

void use_fixture(SweepSetup& setup, const files::FixtureFile& fixture, const std::string& name) {
    setup.fixture_warnings = sweep::apply_fixture(setup.engine, fixture, name);
    setup.fixture_name = name;
}

} // namespace ardenca
