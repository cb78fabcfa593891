// Sweeps of soils read with the meter's noise, solved with a soil model fitted: the
// chosen grounds are the soil's wherever a reading still has it, the model's ground at
// chosen frequencies is the soil's within its u, and a reading whose soil left the box
// is flagged rather than followed. Then the command line: JSON, --at and --nec-bands.
#include "../cli/cli_run.h"
#include "export/json_export.h"
#include "files/temp_dir.h"
#include "soil_fit/soils.h"
#include "sweep/sweep_engine.h"
#include "sweep/touchstone_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ardenca::sweep {
namespace {

using namespace soil_test;

using ardenca::testing::read_bytes;
using ardenca::testing::TempDir;
using ardenca::testing::write_bytes;

Ground soil(double f) {
    return jonscher(0.002, 8, 30, 0.4, f);
}

// A 1.2 m probe through a 9.77 degree section at 7 MHz: up to three grounds per reading.
const SweepSetup setup{.probe = {.length_m = 1.2, .matching = true, .match_deg = 9.77},
                       .solve = {.meter_pct = 1, .meter_ohm = 0.5}};

Sweep noisy_sweep(Ground (*s)(double), int n, unsigned seed, const char* path = "noisy") {
    std::mt19937 rng(seed);
    Sweep out;
    out.path = path;
    for (int i = 0; i < n; ++i) {
        const double f = 1e6 + 29e6 * i / (n - 1);
        out.points.push_back({f, noisy_reading(probe_at(setup, f), f, s(f), 1, 0.5, rng), false});
    }
    return out;
}

double log_distance(const calc::GroundSolution& g, Ground t) {
    return std::hypot(std::log(g.sigma_s_per_m / t.sigma), std::log(g.eps_r / t.eps_r));
}

// Whether the point chose the ground nearest the soil.
bool chose_nearest(const PointResult& p, Ground t) {
    for (const calc::GroundSolution& g : p.solutions)
        if (log_distance(g, t) < log_distance(p.solutions[*p.chosen], t))
            return false;
    return true;
}

// The solver, except that at 20 MHz the soil's own ground is gone from the list (noise
// pushed it out of the box): the reading is left with another branch's grounds only.
calc::SolveResult solver_losing_the_soil(const calc::ProbeSetup& probe, double f,
                                         std::complex<double> z, const calc::SolveOptions& o) {
    calc::SolveResult r = calc::solve_all(probe, f, z, o);
    if (std::abs(f - 20e6) < 1 && !r.solutions.empty()) {
        const Ground t = soil(f);
        const auto nearest = std::min_element(
            r.solutions.begin(), r.solutions.end(),
            [&](const auto& a, const auto& b) { return log_distance(a, t) < log_distance(b, t); });
        r.solutions.erase(nearest);
    }
    return r;
}

TEST(SoilChoice, ChoosesTheSoilAndFlagsAReadingThatLostIt) {
    EngineOptions options{.fit = FitChoice::Auto, .at_hz = {2e6, 7e6, 14e6}};
    const Sweep sw = noisy_sweep(soil, 146, 11); // 20 MHz is a point
    const SweepResult r = solve_sweeps(setup, {sw}, options, &solver_losing_the_soil);
    const LocationResult& loc = r.locations[0];
    ASSERT_TRUE(loc.fit && loc.fit->acceptable);
    EXPECT_EQ(loc.fit->model, calc::SoilModel::Jonscher);
    int right = 0, counted = 0, several = 0;
    for (const PointResult& p : loc.points) {
        ASSERT_TRUE(p.model);
        if (p.solutions.empty())
            continue;
        ++counted;
        several += p.solutions.size() > 1;
        const Ground t = soil(p.freq_hz);
        if (std::abs(p.freq_hz - 20e6) < 1) {
            EXPECT_TRUE(p.flags & OffModel) << "the lone ground left is not the soil";
            continue;
        }
        const bool ok = chose_nearest(p, t);
        right += ok;
        EXPECT_TRUE(ok || (p.flags & (OffModel | Ambiguous))) << p.freq_hz;
    }
    EXPECT_GT(several, 50);
    EXPECT_GE(right, counted - 2) << right << " of " << counted;
    ASSERT_EQ(loc.at.size(), 3u);
    for (const calc::ModelGround& m : loc.at) {
        const Ground t = soil(m.freq_hz);
        EXPECT_LE(std::abs(m.sigma_s_per_m - t.sigma),
                  std::max(3 * m.u_sigma_s_per_m, 0.05 * t.sigma));
        EXPECT_LE(std::abs(m.eps_r - t.eps_r), std::max(3 * m.u_eps_r, 0.05 * t.eps_r));
        EXPECT_LT(m.u_eps_r, m.eps_r / 2);
    }
    // Without a model the continuity choice stands: no model values, no off-model flag.
    const SweepResult bare = solve_sweeps(setup, {sw}, {}, &solver_losing_the_soil);
    EXPECT_FALSE(bare.locations[0].fit);
    for (const PointResult& p : bare.locations[0].points)
        EXPECT_TRUE(!p.model && !(p.flags & OffModel));
}

// Rods of 0.96 m in a wet soil: past nu = 1 branches meet and part again, and noise
// leaves some readings with one ground of another branch. The grounds chosen stay the
// soil's, or are flagged. (Followed point by point, this sweep leaves the soil for
// most of the band.)
TEST(SoilChoice, PastANearDoubleRoot) {
    const SweepSetup rods{.probe = {.length_m = 0.96}, .solve = {.meter_pct = 1, .meter_ohm = 0.5}};
    const auto soil = [](double f) { return messier(0.0287, 11.8, f); };
    const auto run = [&](FitChoice fit, unsigned seed) {
        std::mt19937 rng(seed);
        Sweep sw;
        for (int i = 0; i < 224; ++i) {
            const double f = 1e6 + 29e6 * i / 223;
            sw.points.push_back(
                {f, noisy_reading(probe_at(rods, f), f, soil(f), 1, 0.5, rng), false});
        }
        return solve_sweeps(rods, {sw}, {.fit = fit}).locations[0];
    };
    // Seeds with which the continuity choice alone silently follows another branch for
    // about a hundred points.
    for (unsigned seed : {3u, 4u, 5u, 6u}) {
        const LocationResult loc = run(FitChoice::Auto, seed);
        ASSERT_TRUE(loc.fit && loc.fit->acceptable);
        EXPECT_EQ(loc.fit->model, calc::SoilModel::Messier);
        int counted = 0, right = 0, silent = 0;
        for (const PointResult& p : loc.points) {
            if (p.solutions.empty())
                continue;
            const bool ok = chose_nearest(p, soil(p.freq_hz));
            ++counted;
            right += ok;
            silent += !ok && !(p.flags & (OffModel | Ambiguous));
        }
        EXPECT_EQ(silent, 0) << seed;
        EXPECT_GE(right, counted - 2) << seed;
    }
}

TEST(SoilChoice, AreaFitAndThreadCounts) {
    const auto other = [](double f) { return jonscher(0.0025, 9, 34, 0.4, f); };
    const std::vector<Sweep> sweeps = {noisy_sweep(soil, 61, 1, "a"),
                                       noisy_sweep(other, 61, 2, "b")};
    const auto run = [&](int threads) {
        return solve_sweeps(
            setup, sweeps,
            {.threads = threads, .average = true, .fit = FitChoice::Auto, .at_hz = {7e6}});
    };
    const SweepResult r = run(1);
    ASSERT_TRUE(r.area_fit && r.area_fit->acceptable);
    ASSERT_EQ(r.area_at.size(), 1u);
    // The area's u covers the two places: both lie within 2 u of its ground.
    for (const LocationResult& loc : r.locations) {
        ASSERT_EQ(loc.at.size(), 1u);
        EXPECT_LE(std::abs(loc.at[0].eps_r - r.area_at[0].eps_r), 2 * r.area_at[0].u_eps_r);
        EXPECT_LE(std::abs(loc.at[0].sigma_s_per_m - r.area_at[0].sigma_s_per_m),
                  2 * r.area_at[0].u_sigma_s_per_m);
    }
    EXPECT_TRUE(exports::sweep_json(run(2)) == exports::sweep_json(r));
}

cli::CliRun sweep_cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"sweep", "--length", "1.2", "--option", "matching", "--match-deg",
                               "9.77", "--setup-mhz", "7", "--meter", "1%+0.5"});
    return cli::run_cli(args);
}

TEST(SoilChoice, CommandLineAtAndNecBands) {
    TempDir dir;
    const std::string file = dir / "site.s1p";
    write_bytes(file, write_touchstone(noisy_sweep(soil, 101, 5)));
    const cli::CliRun run =
        sweep_cli({file, "--json", "--at", "2,7,40", "--nec-bands", "3.5,7,14", dir / "bands.nec"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json j = run.json();
    const auto& fit = j["files"][0]["fit"];
    EXPECT_EQ(fit["model"], "jonscher");
    EXPECT_EQ(fit["acceptable"], true);
    EXPECT_NEAR(fit["parameters"]["n"]["value"].get<double>(), 0.4,
                4 * fit["parameters"]["n"]["u"].get<double>());
    const auto& at = j["files"][0]["at"];
    ASSERT_EQ(at.size(), 3u);
    EXPECT_EQ(at[1]["f_hz"], 7e6);
    EXPECT_EQ(at[1]["extrapolated"], false);
    EXPECT_EQ(at[2]["extrapolated"], true);
    EXPECT_TRUE(j["files"][0]["points"][0]["model"]["eps_r"].is_number());

    // The fragment after a dipole's geometry and excitation: one result per band.
    const std::string nec2c = ARDENCA_NEC2C;
    if (!nec2c.empty()) {
        const std::string deck = "CM dipole over the measured ground\nCE\n"
                                 "GW 1 21 0 -10.5 10 0 10.5 10 0.001\nGE 1\nEX 0 1 11 0 1 0\n" +
                                 read_bytes(dir / "bands.nec") + "EN\n";
        write_bytes(dir / "deck.nec", deck);
        const std::string cmd = nec2c + " -i " + dir / "deck.nec" + " -o " + dir / "deck.out" +
                                " > " + dir / "log" + " 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << read_bytes(dir / "log") << deck;
        const std::string out = read_bytes(dir / "deck.out");
        std::size_t blocks = 0;
        for (auto at = out.find("ANTENNA INPUT PARAMETERS"); at != std::string::npos;
             at = out.find("ANTENNA INPUT PARAMETERS", at + 1))
            ++blocks;
        EXPECT_EQ(blocks, 3u) << out.substr(0, 3000);
        EXPECT_NE(out.find("FREQUENCY : 1.4000E+01 MHz"), std::string::npos);
    }

    EXPECT_EQ(sweep_cli({file, "--fit", "debye"}).status, 2);
    EXPECT_EQ(sweep_cli({file, "--at", "7,-1"}).status, 2);
    EXPECT_EQ(sweep_cli({file, file, "--nec-bands", "7", dir / "x.nec"}).status, 2);
    EXPECT_EQ(sweep_cli({file, "--fit", "none", "--nec-bands", "7", dir / "x.nec"}).status, 2);
    // No model without a fit: fit null, no model values.
    const nlohmann::json none = sweep_cli({file, "--json", "--fit", "none"}).json();
    EXPECT_TRUE(none["files"][0]["fit"].is_null());
    EXPECT_TRUE(none["files"][0]["points"][0]["model"].is_null());
}

} // namespace
} // namespace ardenca::sweep
