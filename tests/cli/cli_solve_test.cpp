// ardenca-cli's solve command: options, JSON and table, and that it leaves the fields.
#include "calc/ground_model.h"
#include "calc/probe_fixture.h"
#include "cli/cli_app.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace ardenca::cli {
namespace {

struct SolveRun {
    int status;
    std::string out, err;
};

SolveRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), "ardenca-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

nlohmann::json solve_json(std::vector<std::string> args) {
    args.insert(args.begin(), "--json");
    args.push_back("solve");
    const SolveRun r = cli(args);
    EXPECT_EQ(r.status, exit_ok) << r.err;
    return nlohmann::json::parse(r.out);
}

std::string text(double v) {
    std::ostringstream o;
    o.precision(17);
    o << v;
    return o.str();
}

TEST(CliSolve, DefaultReadingHasOneGroundAndTheFieldsStay) {
    const auto j = solve_json({});
    EXPECT_EQ(j["fields"]["Text9"], ".01");
    EXPECT_EQ(j["evaluations"], 0);
    const auto& s = j["solve"];
    EXPECT_EQ(s["complete"], true);
    EXPECT_EQ(s["count"], 1);
    EXPECT_EQ(s["flags"], nlohmann::json::array({"probe-short"}));
    EXPECT_NEAR(s["z_probe_ohm"][0].get<double>(), 65.1779, 1e-12);
    const auto& g = s["solutions"][0];
    EXPECT_NEAR(g["sigma_s_per_m"].get<double>(), 0.01, 1e-8);
    EXPECT_NEAR(g["eps_r"].get<double>(), 29.999988, 1e-6);
    for (const char* key : {"gamma_l", "residual_ohm", "u_sigma_s_per_m", "u_eps_r", "corr",
                            "multiplicity", "flags", "skin_depth_m"})
        EXPECT_TRUE(g.contains(key)) << key;
}

// Several grounds, sorted by |gamma l|, and the options that narrow and widen the answer.
TEST(CliSolve, RangesAndMeterAccuracy) {
    const std::vector<std::string> long_probe = {"--set", "Text3=1.2", "--set", "Text8=30",
                                                 "--set", "Text23=20", "--set", "Text24=-10"};
    const auto all = solve_json(long_probe)["solve"];
    ASSERT_EQ(all["count"], 4);
    for (int i = 1; i < 4; ++i) {
        const auto& a = all["solutions"][i - 1]["gamma_l"];
        const auto& b = all["solutions"][i]["gamma_l"];
        EXPECT_LT(std::hypot(a[0].get<double>(), a[1].get<double>()),
                  std::hypot(b[0].get<double>(), b[1].get<double>()));
    }
    auto args = long_probe;
    args.insert(args.end(), {"--epsr-range", "10:100", "--sigma-range", "0.005:1"});
    EXPECT_EQ(solve_json(args)["solve"]["count"], 2);

    // Twice the meter's error, twice the uncertainty.
    args = long_probe;
    args.insert(args.end(), {"--meter", "2%+1"});
    const auto doubled = solve_json(args)["solve"]["solutions"][0];
    const auto& base = all["solutions"][0];
    EXPECT_NEAR(doubled["u_eps_r"].get<double>(), 2 * base["u_eps_r"].get<double>(), 1e-12);
    EXPECT_NEAR(doubled["corr"].get<double>(), base["corr"].get<double>(), 1e-12);
}

// A reading through the fixture and a matching section gives back its ground.
TEST(CliSolve, FixtureAndMatchingSection) {
    calc::ProbeSetup p;
    p.matching = true;
    p.match_zo_ohm = 50;
    p.match_deg = 120;
    p.lead_nh = 200;
    p.top_pf = 5;
    p.air_m = 0.05;
    const auto line = calc::solver::probe_line(p, 7e6);
    const auto z =
        calc::solver::fixture_to_meter(p, line)(calc::solver::rods_z_classic(line, 0.02, 15));
    const auto s =
        solve_json({"--option", "matching", "--set", "Text25=50", "--set", "Text26=120", "--set",
                    "Text23=" + text(z.real()), "--set", "Text24=" + text(z.imag()), "--lead-nh",
                    "200", "--top-pf", "5", "--air-m", "0.05"})["solve"];
    ASSERT_EQ(s["count"], 1);
    EXPECT_NEAR(s["solutions"][0]["sigma_s_per_m"].get<double>(), 0.02, 1e-9);
    EXPECT_NEAR(s["solutions"][0]["eps_r"].get<double>(), 15, 1e-8);
}

TEST(CliSolve, TableAndFileAndUsage) {
    const SolveRun table = cli({"open=" ARDENCA_EXAMPLES_DIR "/matching-section.gnd", "solve"});
    ASSERT_EQ(table.status, exit_ok) << table.err;
    EXPECT_NE(table.out.find("Every ground that fits the reading"), std::string::npos);
    EXPECT_NE(table.out.find("1 ground, proved complete"), std::string::npos);
    EXPECT_NE(table.out.find("At the rods 65.1779 - j67.3409 ohm"), std::string::npos);

    const SolveRun none = cli({"--set", "Text24=900", "solve"});
    EXPECT_NE(none.out.find("No ground in the range reproduces this reading."), std::string::npos);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--meter", "1+0.5"},
                                                {"--meter", "1%+x"},
                                                {"--sigma-range", "5:1"},
                                                {"--epsr-range", "0:10"},
                                                {"--epsr-range", "10"},
                                                {"--lead-nh", "-3"},
                                                {"--air-m", "1,5"}}) {
        auto args = bad;
        args.push_back("solve");
        const SolveRun r = cli(args);
        EXPECT_EQ(r.status, exit_usage) << bad[0] << " " << bad[1];
        EXPECT_EQ(r.out, "");
    }
    // An overflowing field stops solve like any command.
    const SolveRun fault = cli({"--set", "Text23=1e999", "solve"});
    EXPECT_EQ(fault.status, exit_fault);
}

} // namespace
} // namespace ardenca::cli
