#include "calibration.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace ardenca::sweep {

namespace {

// Two lengths that differ by more than a part in a thousand.
bool differs(double a, double b) {
    return std::abs(a - b) > 1e-3 * std::max(std::abs(a), std::abs(b));
}

std::string metres(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g m", v);
    return buf;
}

} // namespace

std::vector<calc::ImpedancePoint> impedance_points(const Sweep& sweep) {
    std::vector<calc::ImpedancePoint> out;
    for (const SweepPoint& p : sweep.points)
        if (!p.infinite)
            out.push_back({p.freq_hz, p.z_ohm});
    return out;
}

files::FixtureFile fixture_from_fit(const SweepSetup& setup, const calc::FixtureFit& fit,
                                    const std::string& date) {
    files::FixtureFile f;
    f.spacing_m = setup.probe.spacing_m;
    f.radius_m = setup.probe.radius_m;
    f.length_m = setup.probe.length_m;
    f.air_m = setup.probe.air_m;
    f.lead_nh = {fit.lead_nh.value, fit.lead_nh.u};
    f.top_pf = {fit.top_pf.value, fit.top_pf.u};
    if (fit.line_deg) {
        f.line_deg = files::FixtureValue{fit.line_deg->value, fit.line_deg->u};
        f.line_zo_ohm = setup.probe.match_zo_ohm;
        f.setup_freq_hz = setup.setup_freq_hz;
    }
    f.correlation = fit.correlation;
    for (int i = 0; i < 3; ++i)
        f.correlation[i][i] = 1;
    f.date = date;
    f.chi2_per_dof = fit.chi2_per_dof;
    f.points_used = fit.points_used;
    return f;
}

std::vector<std::string> apply_fixture(SweepSetup& setup, const files::FixtureFile& fx,
                                       const std::string& name) {
    calc::ProbeSetup& p = setup.probe;
    // A fit on the edge of zero stays there; the solver takes no negative fixture.
    p.lead_nh = std::max(fx.lead_nh.value, 0.0);
    p.top_pf = std::max(fx.top_pf.value, 0.0);
    p.u_fixture = {};
    p.u_fixture.lead_nh = fx.lead_nh.u;
    p.u_fixture.top_pf = fx.top_pf.u;
    p.u_fixture.corr_lead_top = fx.correlation[0][1];
    if (fx.line_deg) {
        const double scale = setup.setup_freq_hz / fx.setup_freq_hz;
        p.matching = true;
        p.match_zo_ohm = fx.line_zo_ohm;
        p.match_deg = fx.line_deg->value * scale;
        p.u_fixture.match_deg = fx.line_deg->u * scale;
        p.u_fixture.corr_lead_match = fx.correlation[0][2];
        p.u_fixture.corr_top_match = fx.correlation[1][2];
    }
    return fixture_probe_warnings(fx, p, name);
}

std::vector<std::string> fixture_probe_warnings(const files::FixtureFile& fx,
                                                const calc::ProbeSetup& p,
                                                const std::string& name) {
    std::vector<std::string> warnings;
    auto check = [&](const char* what, double fixture_m, double setup_m) {
        if (differs(fixture_m, setup_m))
            warnings.push_back("the fixture " + name + " was made for a probe of " + what + " " +
                               metres(fixture_m) + ", the set-up's is " + metres(setup_m));
    };
    check("spacing", fx.spacing_m, p.spacing_m);
    check("radius", fx.radius_m, p.radius_m);
    check("whole rod length (in the ground and above it)", fx.length_m + fx.air_m,
          p.length_m + p.air_m);
    return warnings;
}

std::string utc_now_text() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buf;
}

} // namespace ardenca::sweep
