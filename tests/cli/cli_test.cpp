// ardenca-cli's commands, settings, JSON, exit statuses and its solve command, run in
// process.
#include "calc/ground_model.h"
#include "calc/probe_fixture.h"
#include "cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace ardenca::cli {
namespace {

TEST(Cli, CalcMediumOnTheDefaultsAsJson) {
    const CliRun r = run_cli({"--json", "calc-medium"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    EXPECT_EQ(r.err, "");
    const auto j = r.json();
    EXPECT_EQ(j["fields"].size(), 33u);
    EXPECT_EQ(j["option"], "none");
    EXPECT_EQ(j["caption"], "Ardenca");
    // State values read back to the identical double.
    EXPECT_EQ(j["state"]["w"].get<double>(), 43982297.15025706);
    EXPECT_EQ(j["state"]["G"].get<double>(), 0.011813785075390148);
    EXPECT_EQ(j["evaluations"], 1);
    EXPECT_TRUE(j["fault"].is_null());
}

TEST(Cli, SettingsOptionAndCommandOrder) {
    const CliRun r = run_cli({"--set", "Text24=-67.3409", "--set", "Text29=", "--option",
                              "matching", "--json", "calculate-a", "calc-line"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    EXPECT_EQ(r.json()["option"], "matching");
    EXPECT_EQ(r.json()["fields"]["Text29"], "65.1779"); // the setting came before the command
}

TEST(Cli, UncaughtFaultStopsTheRunWithStatus3) {
    const CliRun r = run_cli({"--set", "Text8=0", "--json", "calc-line", "calc-medium"});
    EXPECT_EQ(r.status, exit_fault);
    EXPECT_EQ(r.err, "ardenca-cli: calc-line: Calc Line stopped: division by zero \u2014 check "
                     "Frequency Mhz (0)\n");
    const auto j = r.json();
    EXPECT_EQ(j["fault"], nlohmann::json::parse(R"({"command": "calc-line", "step": "Calc Line",
        "message": "division by zero", "check": ["Text8"]})"));
    EXPECT_EQ(j["evaluations"], 0); // calc-medium did not run
}

// The exit status: 3 for a fault and 4 for a failed file come before 5 for no ground.
TEST(Cli, TheLastSearchTellsWhetherItFoundAGround) {
    const std::vector<std::string> no_ground = {"--set", "Text23=65", "--set", "Text24=67"};
    const char* none = R"({"found":false,"stage":null,"reason":"fault","outcome":"none"})";
    const struct {
        std::vector<std::string> args;
        int status;
        const char* result; // the "result" object
        bool told;          // R in 65 + j67 first, and a "No ground found" line on stderr
    } cases[] = {
        {{"calc-line"}, exit_ok, "null", false},
        {{"calculate"},
         exit_ok,
         R"({"found":true,"stage":"first","reason":null,"outcome":"found by the first stage"})",
         false},
        {{"--set", "Text23=0.402382", "--set", "Text24=0.695330", "calculate"},
         exit_ok,
         R"({"found":true,"stage":"first","reason":"fault","outcome":"kept from the first stage"})",
         false},
        {{"calculate"}, exit_no_ground, none, true},
        // Only the last search counts.
        {{"calculate", "open=" ARDENCA_EXAMPLES_DIR "/lossy-ground.gnd"},
         exit_ok,
         R"({"found":true,"stage":"second","reason":null,"outcome":"found by the second stage"})",
         true},
        {{"open=/no/such.gnd"}, exit_file_failed, none, true},
        {{"--set", "Text3=0", "calculate"}, exit_fault, none, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--json"};
        if (c.told)
            args.insert(args.end(), no_ground.begin(), no_ground.end());
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = run_cli(args);
        EXPECT_EQ(r.status, c.status) << c.result << r.err;
        EXPECT_EQ(r.json()["result"], nlohmann::json::parse(c.result));
        EXPECT_EQ(r.err.find("No ground found that reproduces R in 65 + j67") != std::string::npos,
                  c.told)
            << r.err;
    }
}

TEST(Cli, PartlyReadInputsAreListed) {
    const CliRun r = run_cli({"--json", "--set", "Text8=14,2", "--set", "Text23=", "calculate"});
    EXPECT_EQ(r.status, exit_ok);
    EXPECT_EQ(r.json()["partly_read"], nlohmann::json::parse(R"(["Text8","Text23"])"));
    EXPECT_EQ(r.err, "ardenca-cli: calculate: Frequency Mhz (Text8) \"14,2\" was read as 14\n"
                     "ardenca-cli: calculate: R in (Text23) \"\" was read as 0\n");
}

TEST(Cli, UsageErrorsRunNothing) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--set", "Text34=1", "calc-line"},
                                               {"--set", "Text8", "calc-line"},
                                               {"--option", "both", "calc-line"},
                                               {"calc-line", "frobnicate"},
                                               {"--no-such-flag"},
                                               {"--meter", "1+0.5", "solve"},
                                               {"--meter", "1%+x", "solve"},
                                               {"--sigma-range", "5:1", "solve"},
                                               {"--epsr-range", "0:10", "solve"},
                                               {"--epsr-range", "10", "solve"},
                                               {"--lead-nh", "-3", "solve"},
                                               {"--air-m", "1,5", "solve"}}) {
        const CliRun r = run_cli(args);
        EXPECT_EQ(r.status, exit_usage) << args[0] << " " << args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("ardenca-cli:"), std::string::npos);
    }
    EXPECT_NE(run_cli({"--set", "Text34=1"}).err.find("Text34"), std::string::npos);
    EXPECT_NE(run_cli({"frobnicate"}).err.find("frobnicate"), std::string::npos);
    const CliRun help = run_cli({"--help"});
    EXPECT_EQ(help.status, exit_ok);
    EXPECT_NE(help.out.find("calc-medium"), std::string::npos);
}

TEST(Cli, PrintsFieldsByFrameForAPerson) {
    const CliRun r = run_cli({"calc-line"});
    ASSERT_EQ(r.status, exit_ok);
    EXPECT_NE(r.out.find("TL Dimensions\n"), std::string::npos);
    EXPECT_NE(r.out.find("Spacing m"), std::string::npos);
    EXPECT_NE(r.out.find("318.8904"), std::string::npos);
    EXPECT_LT(r.out.find("Matching Section"), r.out.find("TL Dimensions"));
}

nlohmann::json solve_json(std::vector<std::string> args) {
    args.insert(args.begin(), "--json");
    args.push_back("solve");
    const CliRun r = run_cli(args);
    EXPECT_EQ(r.status, exit_ok) << r.err;
    return r.json();
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

// The options that narrow the answer and set the meter's accuracy reach the solver.
TEST(CliSolve, RangesAndMeterAccuracy) {
    const std::vector<std::string> long_probe = {"--set", "Text3=1.2", "--set", "Text8=30",
                                                 "--set", "Text23=20", "--set", "Text24=-10"};
    const auto all = solve_json(long_probe)["solve"];
    ASSERT_EQ(all["count"], 4);
    auto args = long_probe;
    args.insert(args.end(), {"--epsr-range", "10:100", "--sigma-range", "0.005:1"});
    EXPECT_EQ(solve_json(args)["solve"]["count"], 2);

    // Twice the meter's error, twice the uncertainty.
    args = long_probe;
    args.insert(args.end(), {"--meter", "2%+1"});
    const auto doubled = solve_json(args)["solve"]["solutions"][0];
    EXPECT_NEAR(doubled["u_eps_r"].get<double>(), 2 * all["solutions"][0]["u_eps_r"].get<double>(),
                1e-12);
}

// A reading through the fixture and a matching section gives back its ground.
TEST(CliSolve, FixtureAndMatchingSection) {
    const calc::ProbeSetup p{.matching = true,
                             .match_zo_ohm = 50,
                             .match_deg = 120,
                             .lead_nh = 200,
                             .top_pf = 5,
                             .air_m = 0.05};
    const auto line = calc::solver::probe_line(p, 7e6);
    const auto z =
        calc::solver::fixture_to_meter(p, line)(calc::solver::rods_z_classic(line, 0.02, 15));
    const auto s = solve_json({"--option", "matching", "--set", "Text25=50", "--set", "Text26=120",
                               "--set", "Text23=" + nlohmann::json(z.real()).dump(), "--set",
                               "Text24=" + nlohmann::json(z.imag()).dump(), "--lead-nh", "200",
                               "--top-pf", "5", "--air-m", "0.05"})["solve"];
    ASSERT_EQ(s["count"], 1);
    EXPECT_NEAR(s["solutions"][0]["sigma_s_per_m"].get<double>(), 0.02, 1e-9);
    EXPECT_NEAR(s["solutions"][0]["eps_r"].get<double>(), 15, 1e-8);
}

TEST(CliSolve, TableFileAndFault) {
    const CliRun table = run_cli({"open=" ARDENCA_EXAMPLES_DIR "/matching-section.gnd", "solve"});
    ASSERT_EQ(table.status, exit_ok) << table.err;
    EXPECT_NE(table.out.find("Every ground that fits the reading"), std::string::npos);
    EXPECT_NE(table.out.find("1 ground, proved complete"), std::string::npos);
    EXPECT_NE(table.out.find("At the rods 65.1779 - j67.3409 ohm"), std::string::npos);
    EXPECT_NE(run_cli({"--set", "Text24=900", "solve"})
                  .out.find("No ground in the range reproduces this reading."),
              std::string::npos);
    // An overflowing field stops solve like any command.
    EXPECT_EQ(run_cli({"--set", "Text23=1e999", "solve"}).status, exit_fault);
}

} // namespace
} // namespace ardenca::cli
