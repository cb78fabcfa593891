#include "app/ardenca.h"
#include "export/json_export.h"
#include "files/temp_dir.h"
#include "sweep/classic_point.h"
#include "sweep/sweep_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace ardenca::sweep {
namespace {

using ardenca::testing::TempDir;
using ardenca::testing::write_bytes;

// A stand-in solver that reports what it was given: the section's degrees as the probe
// impedance, and grounds that depend on the frequency only.
calc::SolveResult echo_solver(const calc::ProbeSetup& probe, double freq_hz, std::complex<double> z,
                              const calc::SolveOptions&) {
    calc::SolveResult r;
    r.complete = true;
    r.z_probe_ohm = {probe.match_deg, z.imag()};
    if (z.real() > 0)
        r.solutions.push_back({.sigma_s_per_m = 0.01 * freq_hz / 1e6,
                               .eps_r = 20,
                               .gamma_l = {},
                               .flags = freq_hz > 20e6 ? unsigned(calc::ElectricallyLong) : 0u});
    return r;
}

Sweep sweep_of(const std::string& path, std::vector<double> freqs_mhz, double r = 50) {
    Sweep s;
    s.path = path;
    s.warnings = {"a warning"};
    for (double f : freqs_mhz)
        s.points.push_back({f * 1e6, {r, -20}, false});
    return s;
}

TEST(Engine, ScalesTheSectionAndFlagsPoints) {
    const SweepSetup setup{.probe = {.matching = true, .match_deg = 9.77}, .solve = {}};
    Sweep s = sweep_of("a.s1p", {3.5, 7, 14, 21, 28});
    s.points[3].infinite = true;
    Sweep none = sweep_of("b.s1p", {1, 2}, -1);
    const SweepResult r = solve_sweeps(setup, {s, none}, {}, &echo_solver);

    ASSERT_EQ(r.locations.size(), 2u);
    const LocationResult& a = r.locations[0];
    EXPECT_EQ(a.path, "a.s1p");
    EXPECT_EQ(a.warnings, s.warnings);
    EXPECT_EQ(a.points[1].z_probe_ohm.real(), 9.77); // exactly L at the set-up's frequency
    EXPECT_DOUBLE_EQ(a.points[0].z_probe_ohm.real(), 9.77 / 2);
    EXPECT_DOUBLE_EQ(a.points[4].z_probe_ohm.real(), 9.77 * 4);
    EXPECT_EQ(a.points[3].flags, unsigned(InfiniteReading | NoSolution));
    EXPECT_EQ(a.points[4].flags, unsigned(ElectricallyLong));
    EXPECT_EQ(a.points[0].flags, 0u);
    for (const PointResult& p : r.locations[1].points)
        EXPECT_EQ(p.flags, unsigned(NoSolution));
    EXPECT_FALSE(r.average);
    const SweepResult classic = solve_sweeps(setup, {none}, {SolveMethod::Classic});
    EXPECT_EQ(classic.locations[0].points[0].flags, unsigned(NoSolution));
}

// A long probe's reading whose own ground left the box below eps_r 1 carries its near
// ground and the flag into the point and the JSON; a plain reading carries none, and
// near_chi2 0 turns them off.
TEST(Engine, CarriesNearGroundsPerPoint) {
    SweepSetup setup{.probe = {.spacing_m = 0.245, .radius_m = 0.0119, .length_m = 1.095},
                     .solve = {}};
    Sweep s;
    s.points = {{3e6, {40, -250}, false}, {12.2e6, {11.65, 11.94}, false}};
    const SweepResult r = solve_sweeps(setup, {s}, {});
    const PointResult& p = r.locations[0].points[1];
    ASSERT_EQ(p.near.size(), 1u);
    EXPECT_EQ(p.flags & NearAlternative, NearAlternative);
    EXPECT_EQ(r.locations[0].points[0].flags & NearAlternative, 0u);
    const auto j = exports::sweep_json(r)["files"][0]["points"];
    EXPECT_TRUE(j[0]["near"].empty());
    EXPECT_EQ(j[1]["near"][0]["edge"], "eps_r_min");
    EXPECT_EQ(j[1]["near"][0]["chi2"], p.near[0].chi2);
    EXPECT_NE(std::ranges::find(j[1]["flags"], "near_alternative"), j[1]["flags"].end());

    setup.solve.near_chi2 = 0;
    EXPECT_TRUE(solve_sweeps(setup, {s}, {}).locations[0].points[1].near.empty());
}

TEST(Engine, RefusesASetupThatMakesNoSense) {
    const std::vector<std::pair<const char*, std::function<void(SweepSetup&)>>> cases = {
        {"touching rods", [](SweepSetup& s) { s.probe.radius_m = s.probe.spacing_m; }},
        {"no length", [](SweepSetup& s) { s.probe.length_m = 0; }},
        {"no set-up frequency", [](SweepSetup& s) { s.setup_freq_hz = 0; }},
        {"sigma range upside down", [](SweepSetup& s) { s.solve.sigma_min_s_per_m = 30; }},
        {"eps_r below 1", [](SweepSetup& s) { s.solve.eps_r_min = 0.5; }},
        {"negative lead", [](SweepSetup& s) { s.probe.lead_nh = -1; }},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        SweepSetup setup;
        change(setup);
        EXPECT_THROW(solve_sweeps(setup, {}, {}, &echo_solver), SetupError);
    }
}

TEST(Engine, ClassicPointsAreTheWindowsResults) {
    // The first stage alone; the second after a large eps_r; after an overflow; a failed
    // second stage that keeps the first; no ground at all; through the matching section.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"65.1779", "-67.3409", false}, {"4.533605", "4.418232", false},
        {"16.309623", "7.8652", false}, {"0.402382", "0.69533", false},
        {"65.1779", "50", false},       {"65.1779", "-67.3409", true}};
    for (const auto& [r_in, x_in, matching] : cases) {
        SCOPED_TRACE(std::string(r_in) + " " + x_in);
        Ardenca m;
        m.set_text(Field::Text23, r_in);
        m.set_text(Field::Text24, x_in);
        if (matching)
            m.select_option(MatchingOption::UseMatchingSection);
        m.Command2_Click();

        const calc::ProbeSetup probe{.matching = matching, .match_deg = 9.77};
        const ClassicPoint p = classic_point(probe, 7e6, {std::stod(r_in), std::stod(x_in)});
        EXPECT_EQ(p.evaluations, static_cast<long>(m.evaluations()));
        EXPECT_EQ(p.z_probe_ohm, std::complex<double>(m.state.rst, m.state.xst));
        if (m.state.diel == 0) {
            EXPECT_FALSE(p.ground);
            continue;
        }
        ASSERT_TRUE(p.ground);
        EXPECT_EQ(std::tie(p.ground->sigma_s_per_m, p.ground->eps_r),
                  std::tie(m.state.cond, m.state.diel));
        EXPECT_TRUE(std::isnan(p.ground->u_sigma_s_per_m));
        EXPECT_LT(p.ground->residual_ohm, 1e-6);
    }
}

TEST(Setup, ReadsTheGroundFileAsTheWindowDoes) {
    TempDir dir;
    const std::string path = dir / "s.gnd";
    write_bytes(path, " 1 \r\n 1.5 \r\n5 0\r\n 12.5x\r\n65\r\n-67\r\n.2\r\n.01\r\n1.1\r\n3.5\r\n");
    const SweepSetup s = setup_from_ground_file(path);
    const calc::ProbeSetup& p = s.probe;
    // Blanks inside a field are dropped: "5 0" is 50.
    EXPECT_EQ(std::tie(p.matching, p.ur, p.match_zo_ohm, p.match_deg, p.spacing_m, p.radius_m,
                       p.length_m, s.setup_freq_hz),
              std::tuple(true, 1.5, 50.0, 12.5, 0.2, 0.01, 1.1, 3.5e6));

    const std::pair<const char*, const char*> refused[] = {
        {"missing", nullptr},
        {"short", " 0 \r\n 1 \r\n"},
        {"flag not a number", "x\r\n 1 \r\n75\r\n9\r\n1\r\n1\r\n.1\r\n.007\r\n.55\r\n7\r\n"},
        {"ur not a number", " 0 \r\n\r\n75\r\n9\r\n1\r\n1\r\n.1\r\n.007\r\n.55\r\n7\r\n"},
        {"field too large", " 0 \r\n 1 \r\n75\r\n9\r\n1\r\n1\r\n1e999\r\n.007\r\n.55\r\n7\r\n"},
    };
    for (const auto& [name, text] : refused) {
        SCOPED_TRACE(name);
        const std::string p = dir / name;
        if (text)
            write_bytes(p, text);
        EXPECT_THROW(setup_from_ground_file(p), SetupError);
    }
}

} // namespace
} // namespace ardenca::sweep
