// ardenca-cli's commands, settings, JSON, exit statuses and its solve command, run in
// process.
#include "calc/ground_model.h"
#include "calc/probe_fixture.h"
#include "cli_run.h"

#include <algorithm>
#include <complex>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace ardenca::cli {
namespace {

// Each run's expectations: "status" the exit status, "stderr" its errors exactly, "told"
// whether it said no ground reproduces R in 65 + j67; every other key is a JSON pointer
// into the output. 3 for a fault and 4 for a failed file come before 5 for no ground;
// only the last search counts.
TEST(Cli, StatusStderrAndJson) {
    const std::string none =
        R"("/result": {"found": false, "stage": null, "reason": "fault", "outcome": "none"})";
    const std::vector<std::string> far = {"--set", "Text23=65", "--set", "Text24=67"};
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // State values read back to the identical double.
        {{"calc-medium"},
         R"({"status": 0, "stderr": "", "/option": "none", "/caption": "Ardenca",
             "/state/w": 43982297.15025706, "/state/G": 0.011813785075390148,
             "/evaluations": 1, "/fault": null, "/result": null})"},
        // The setting came before the command.
        {{"--set", "Text24=-67.3409", "--set", "Text29=", "--option", "matching", "calculate-a",
          "calc-line"},
         R"({"status": 0, "/option": "matching", "/fields/Text29": "65.1779"})"},
        {{"--set", "Text8=0", "calc-line", "calc-medium"}, // calc-medium does not run
         R"({"status": 3, "/evaluations": 0, "/fault": {"command": "calc-line",)"
         R"( "step": "Calc Line", "message": "division by zero", "check": ["Text8"]}, "stderr":)"
         R"( "ardenca-cli: calc-line: Calc Line stopped: division by zero \u2014 check)"
         R"( Frequency Mhz (0)\n"})"},
        {{"--set", "Text8=14,2", "--set", "Text23=", "calculate"},
         R"({"status": 0, "/partly_read": ["Text8", "Text23"], "stderr":)"
         R"( "ardenca-cli: calculate: Frequency Mhz (Text8) \"14,2\" was read as 14\n)"
         R"(ardenca-cli: calculate: R in (Text23) \"\" was read as 0\n"})"},
        {{"calculate"},
         R"({"status": 0, "told": false, "/result": {"found": true, "stage": "first",)"
         R"( "reason": null, "outcome": "found by the first stage"}})"},
        {{"--set", "Text23=0.402382", "--set", "Text24=0.695330", "calculate"},
         R"({"status": 0, "told": false, "/result": {"found": true, "stage": "first",)"
         R"( "reason": "fault", "outcome": "kept from the first stage"}})"},
        {{"calculate"}, R"({"status": 5, "told": true, )" + none + "}"},
        {{"calculate", "open=" ARDENCA_EXAMPLES_DIR "/lossy-ground.gnd"},
         R"({"status": 0, "told": true, "/result": {"found": true, "stage": "second",)"
         R"( "reason": null, "outcome": "found by the second stage"}})"},
        // A failed Open calculates nothing: no search, no outcome, nothing told.
        {{"--set", "Text23=65", "--set", "Text24=67", "open=/no/such.gnd"},
         R"({"status": 4, "told": false, "/result": null, "/evaluations": 0})"},
        {{"--set", "Text3=0", "calculate"}, R"({"status": 3, "told": false, )" + none + "}"},
        // solve leaves the fields and the evaluations alone; an overflowing field stops it.
        {{"solve"},
         R"({"status": 0, "/fields/Text9": ".01", "/evaluations": 0, "/solve/complete": true,)"
         R"( "/solve/count": 1, "/solve/flags": ["probe-short"],)"
         R"( "/solve/z_probe_ohm": [65.1779, -67.3409]})"},
        {{"--set", "Text23=1e999", "solve"},
         R"({"status": 3, "/fault/message": "overflow", "stderr":)"
         R"( "ardenca-cli: solve: Solve stopped: overflow.\n"})"},
        // solve reads and tells as calculate does, and counts as a search.
        {{"--set", "Text8=14,2", "solve"},
         R"({"status": 0, "/partly_read": ["Text8"], "/solve/count": 1, "stderr":)"
         R"( "ardenca-cli: solve: Frequency Mhz (Text8) \"14,2\" was read as 14\n"})"},
        {{"--set", "Text1=nan", "solve", "calc-line"},
         R"({"status": 3, "/partly_read": ["Text1"], "/fault/command": "solve",)"
         R"( "/fault/step": "Calc Line", "/fault/check": ["Text1", "Text2", "Text3", "Text8",)"
         R"( "Text31"]})"},
        {{"--set", "Text24=900", "solve"},
         R"({"status": 5, "/solve/count": 0, "stderr": "ardenca-cli: solve: no ground in the)"
         R"( range reproduces this reading\n"})"},
        {{"calculate", "--set", "Text24=900", "solve"}, R"({"status": 5})"},
        {{"--set", "Text24=900", "solve", "open=" ARDENCA_EXAMPLES_DIR "/lossy-ground.gnd"},
         R"({"status": 0})"},
        {{"--set", "Text8=1e6", "solve"},
         R"({"status": 5, "/solve/flags": ["can-be-long", "unresolvable"],)"
         R"( "/solve/unresolvable/count": null, "/solve/evaluations": 0})"},
    };
    for (const auto& [more, text] : cases) {
        const auto expected = nlohmann::json::parse(text);
        std::vector<std::string> args = {"--json"};
        if (expected.value("told", false))
            args.insert(args.end(), far.begin(), far.end());
        args.insert(args.end(), more.begin(), more.end());
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun r = run_cli(args);
        const auto j = r.json();
        const bool told =
            r.err.find("No ground found that reproduces R in 65 + j67") != std::string::npos;
        EXPECT_EQ(j["fields"].size(), 33u);
        for (const auto& [key, value] : expected.items())
            if (key == "status")
                EXPECT_EQ(r.status, value) << r.err;
            else if (key == "stderr")
                EXPECT_EQ(r.err, value);
            else if (key == "told")
                EXPECT_EQ(told, value) << r.err;
            else
                EXPECT_EQ(j[nlohmann::json::json_pointer(key)], value) << key;
    }
}

TEST(Cli, UsageErrorsRunNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"--set", "Text34=1", "calc-line"},
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
        {"--air-m", "1,5", "solve"},
        // Before any file is read.
        {"sweep"},
        {"sweep", "a.s1p", "--json", "--csv"},
        {"sweep", "a.s1p", "--meter", "1%"},
        {"sweep", "a.s1p", "--sigma-range", "1e-5"},
        {"sweep", "a.s1p", "--spacing", "0,1"},
        {"sweep", "a.s1p", "--method", "newton"},
        {"sweep", "a.s1p", "--method", "classic", "--lead-nh", "20"},
        {"sweep", "a.s1p", "--radius", "0.2"}, // touching rods
        {"sweep", "a.s1p", "--setup", "/no/such.gnd"},
        {"sweep", "a.s1p", "--freq-unit", "furlong"},
        {"sweep", "a.s1p", "--threads", "1.5"},
    };
    for (const auto& args : cases) {
        const CliRun r = run_cli(args);
        EXPECT_EQ(r.status, exit_usage) << testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with(args[0] == "sweep" ? "ardenca-cli sweep: " : "ardenca-cli: "))
            << r.err;
    }
    EXPECT_NE(run_cli({"--set", "Text34=1"}).err.find("Text34"), std::string::npos);
    EXPECT_NE(run_cli({"frobnicate"}).err.find("frobnicate"), std::string::npos);
}

// Text for a person: each run's lines appear in this order.
TEST(Cli, PrintsForAPerson) {
    const std::pair<std::vector<std::string>, std::vector<const char*>> cases[] = {
        {{"--help"}, {"calc-medium"}},
        {{"calc-line"}, {"Matching Section", "TL Dimensions\n", "Spacing m", "318.8904"}},
        {{"open=" ARDENCA_EXAMPLES_DIR "/matching-section.gnd", "solve"},
         {"Every ground that fits the reading", "At the rods 65.1779 - j67.3409 ohm",
          "1 ground, proved complete"}},
        {{"--set", "Text24=900", "solve"}, {"No ground in the range reproduces this reading."}},
        {{"--set", "Text8=1e6", "solve"}, {"Not searched: the probe is 5.189e+04 half-waves"}},
    };
    for (const auto& [args, lines] : cases) {
        const CliRun r = run_cli(args);
        EXPECT_EQ(r.status, args.back() == "solve" && args.size() == 3 ? exit_no_ground : exit_ok)
            << r.err;
        std::size_t at = 0;
        for (const char* line : lines) {
            at = r.out.find(line, at);
            EXPECT_NE(at, std::string::npos) << line << "\n" << r.out;
        }
    }
}

nlohmann::json solved(std::vector<std::string> args, const std::vector<std::string>& more = {}) {
    args.insert(args.begin(), "--json");
    args.insert(args.end(), more.begin(), more.end());
    args.push_back("solve");
    const CliRun r = run_cli(args);
    EXPECT_EQ(r.status, exit_ok) << r.err;
    return r.json()["solve"];
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
    const auto s = solved({"--option", "matching", "--set", "Text25=50", "--set", "Text26=120",
                           "--set", "Text23=" + nlohmann::json(z.real()).dump(), "--set",
                           "Text24=" + nlohmann::json(z.imag()).dump(), "--lead-nh", "200",
                           "--top-pf", "5", "--air-m", "0.05"});
    ASSERT_EQ(s["count"], 1);
    const auto& g = s["solutions"][0];
    EXPECT_NEAR(g["sigma_s_per_m"].get<double>(), 0.02, 1e-9);
    EXPECT_NEAR(g["eps_r"].get<double>(), 15, 1e-8);
    for (const char* key : {"gamma_l", "residual_ohm", "u_sigma_s_per_m", "u_eps_r", "corr",
                            "multiplicity", "flags", "skin_depth_m"})
        EXPECT_TRUE(g.contains(key)) << key;
}

// The options that narrow the answer and set the meter's accuracy reach the solver.
TEST(CliSolve, RangesAndMeterAccuracy) {
    const std::vector<std::string> long_probe = {"--set", "Text3=1.2", "--set", "Text8=30",
                                                 "--set", "Text23=20", "--set", "Text24=-10"};
    const auto all = solved(long_probe);
    ASSERT_EQ(all["count"], 4);
    EXPECT_EQ(solved(long_probe, {"--epsr-range", "10:100", "--sigma-range", "0.005:1"})["count"],
              2);
    // Twice the meter's error, twice the uncertainty.
    EXPECT_NEAR(solved(long_probe, {"--meter", "2%+1"})["solutions"][0]["u_eps_r"].get<double>(),
                2 * all["solutions"][0]["u_eps_r"].get<double>(), 1e-12);
}

// A long probe whose reading's own ground left the box below eps_r 1: the one ground
// listed is not called unique, the near ground is told with its edge and misfit, and
// --near-chi2 below that misfit leaves it out.
TEST(CliSolve, NearGroundsAndTheVerdict) {
    std::vector<std::string> reading = {"--set", "Text1=0.245",  "--set", "Text2=0.0119",
                                        "--set", "Text3=1.095",  "--set", "Text8=12.2",
                                        "--set", "Text23=11.65", "--set", "Text24=11.94"};
    const auto s = solved(reading);
    ASSERT_EQ(s["count"], 1);
    EXPECT_EQ(s["unique"], false);
    EXPECT_NE(std::ranges::find(s["flags"], "near-alternative"), s["flags"].end());
    ASSERT_EQ(s["near"].size(), 1u);
    EXPECT_EQ(s["near"][0]["edge"], "eps_r_min");
    EXPECT_NEAR(s["near"][0]["sigma_s_per_m"].get<double>(), 0.33, 0.03);
    const double chi2 = s["near"][0]["chi2"].get<double>();
    const auto tight = solved(reading, {"--near-chi2", std::to_string(0.5 * chi2)});
    EXPECT_TRUE(tight["near"].empty());
    EXPECT_EQ(tight["unique"], true);
    EXPECT_EQ(solved(reading, {"--near-chi2", std::to_string(2 * chi2)})["near"].size(), 1u);

    reading.push_back("solve");
    EXPECT_NE(run_cli(reading).out.find("eps_r_min"), std::string::npos);
    for (const char* bad : {"-1", "x"})
        EXPECT_EQ(run_cli({"--near-chi2", bad, "solve"}).status, exit_usage) << bad;
}

// A reading made at a double root: one entry of multiplicity 2 that counts twice, and
// with its uncertainties unknown its correlation is unknown too.
TEST(CliSolve, DoubleRootCountsTwiceWithoutACorrelation) {
    std::complex<double> u(1.1254, 2.1062); // sinh 2u + 2u = 0 there
    for (int i = 0; i < 50; ++i)
        u -= (std::sinh(2.0 * u) + 2.0 * u) / (2.0 * std::cosh(2.0 * u) + 2.0);
    const calc::ProbeSetup p{.length_m = 2};
    const auto z = calc::solver::rods_z_from_u(calc::solver::probe_line(p, 20e6), u);
    const auto s = solved({"--set", "Text1=0.1", "--set", "Text2=0.007", "--set", "Text3=2",
                           "--set", "Text8=20", "--set", "Text31=1", "--set",
                           "Text23=" + nlohmann::json(z.real()).dump(), "--set",
                           "Text24=" + nlohmann::json(z.imag()).dump()});
    int multiplicities = 0, doubles = 0;
    for (const auto& g : s["solutions"]) {
        multiplicities += g["multiplicity"].get<int>();
        if (g["multiplicity"] == 2) {
            ++doubles;
            EXPECT_TRUE(g["u_eps_r"].is_null());
            EXPECT_TRUE(g["corr"].is_null());
        } else {
            EXPECT_TRUE(g["corr"].is_number());
        }
    }
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(s["count"], multiplicities);
    EXPECT_EQ(s["count"], s["solutions"].size() + 1);
    EXPECT_EQ(s["unique"], false);
}

} // namespace
} // namespace ardenca::cli
