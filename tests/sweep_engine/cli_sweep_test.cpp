// ardenca-cli sweep, run in-process on files made forward from a soil.
#include "../cli/cli_run.h"
#include "export/export_number.h"
#include "files/temp_dir.h"
#include "forward_model.h"
#include "sweep/touchstone_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace ardenca::sweep {
namespace {

using ardenca::testing::read_bytes;
using ardenca::testing::TempDir;
using ardenca::testing::write_bytes;

using cli::CliRun;

// ardenca-cli sweep on the arguments, after the probe's options unless a set-up file
// gives them.
CliRun sweep_cli(const std::vector<std::string>& args, bool probe = true) {
    std::vector<std::string> all = {"sweep"};
    if (probe)
        all.insert(all.end(), {"--length", "1.2", "--option", "matching", "--match-deg", "9.77",
                               "--setup-mhz", "7"});
    all.insert(all.end(), args.begin(), args.end());
    return cli::run_cli(all);
}

const Soil soil{"average", 0.01, 0.2, 13, 20, 0.35};

// Two locations measured through a 9.77 degree section at 7 MHz, and a refused file.
struct Files {
    TempDir dir;
    std::string a = dir / "a.s1p", b = dir / "b.s1p", bad = dir / "bad.s1p";
    Files() {
        const SweepSetup setup{.probe = {.length_m = 1.2, .matching = true, .match_deg = 9.77},
                               .solve = {}};
        write_bytes(a, write_touchstone(synthetic(setup, soil, 27, 1e6, 27e6)));
        const Soil other{"other", 0.012, 0.2, 13, 20, 0.35};
        write_bytes(b, write_touchstone(synthetic(setup, other, 12, 2.5e6, 24.5e6)));
        write_bytes(bad, "# MHz Z RI R 50\n1 2 3\n1,5 2 3\n");
    }
};

TEST(CliSweep, JsonCsvNecAndARefusedFile) {
    Files f;
    const CliRun ok =
        sweep_cli({f.a, f.bad, f.b, "--average", "--json", "--nec-at", "7", f.dir / "g.nec"});
    EXPECT_EQ(ok.status, 4);
    EXPECT_EQ(ok.err.substr(0, f.bad.size() + 3), f.bad + ":3:");
    const nlohmann::json j = nlohmann::json::parse(ok.out);
    ASSERT_EQ(j["files"].size(), 2u);
    EXPECT_EQ(j["setup"]["match_deg"], 9.77);
    const auto& points = j["files"][0]["points"];
    ASSERT_EQ(points.size(), 27u);
    for (const auto& p : points) {
        ASSERT_FALSE(p["chosen"].is_null());
        const auto& g = p["solutions"][p["chosen"].get<int>()];
        const double fr = p["f_hz"];
        EXPECT_NEAR(g["sigma_s_per_m"].get<double>(), soil.sigma(fr), 1e-9 * soil.sigma(fr));
        EXPECT_NEAR(g["eps_r"].get<double>(), soil.eps_r(fr), 1e-9 * soil.eps_r(fr));
    }
    EXPECT_EQ(j["average"]["points"][0]["f_hz"], 2.5e6); // b's range starts there

    // The NEC card holds the average at 7 MHz, where b's ground is interpolated.
    const std::string nec = read_bytes(f.dir / "g.nec");
    nlohmann::json avg7;
    for (const auto& a : j["average"]["points"])
        if (a["f_hz"] == 7e6)
            avg7 = a;
    ASSERT_EQ(avg7["interpolated_files"], nlohmann::json::array({f.b}));
    EXPECT_NE(nec.find("GN 2 0 0 0 " + exports::shortest(avg7["eps_r_mean"]) + " " +
                       exports::shortest(avg7["sigma_mean_s_per_m"]) + "\n"),
              std::string::npos)
        << nec;
}

TEST(CliSweep, SetupFileEqualsOptionsAndClassicMatchesTheSearch) {
    Files f;
    const std::string gnd = f.dir / "probe.gnd";
    write_bytes(gnd,
                " 1 \r\n 1 \r\n75\r\n9.77\r\n65.1779\r\n-67.3409\r\n.1\r\n.007\r\n1.2\r\n7\r\n");
    const CliRun from_file = sweep_cli({"--setup", gnd, f.a, "--json"}, false);
    EXPECT_EQ(from_file.status, 0) << from_file.err;
    EXPECT_EQ(from_file.out, sweep_cli({f.a, "--json"}).out);

    const CliRun classic = sweep_cli({"--setup", gnd, f.a, "--json", "--method", "classic"}, false);
    EXPECT_EQ(classic.status, 0) << classic.err;
    const nlohmann::json j = nlohmann::json::parse(classic.out);
    EXPECT_EQ(j["setup"]["method"], "classic");
    const auto& p = j["files"][0]["points"][6]; // 7 MHz
    ASSERT_EQ(p["f_hz"], 7e6);
    ASSERT_EQ(p["solutions"].size(), 1u);
    EXPECT_EQ(p["chosen"], 0);
    EXPECT_TRUE(p["solutions"][0]["u_eps_r"].is_null());
    EXPECT_NEAR(p["solutions"][0]["eps_r"].get<double>(), soil.eps_r(7e6), 1e-3);
}

TEST(CliSweep, CsvTablePlotAndExitStatuses) {
    Files f;
    // A file named .csv gets CSV; the rows' numbers are those of the JSON (export tests).
    const CliRun run = sweep_cli({f.a, "--plot", f.dir / "p.svg", "-o", f.dir / "out.csv"});
#ifdef ARDENCA_CLI_PLOT
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(read_bytes(f.dir / "p.svg").find("<svg"), std::string::npos);
#else
    EXPECT_EQ(run.status, 4);
#endif
    const std::string rows = read_bytes(f.dir / "out.csv");
    EXPECT_TRUE(rows.starts_with("location,f_hz,sigma_s_per_m,")) << rows;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 28);
    // Any other name gets the table; a plot it cannot draw is a failed output.
    EXPECT_EQ(sweep_cli({f.a, "--plot", f.dir / "p.gif", "-o", f.dir / "t.txt"}).status, 4);
    EXPECT_NE(read_bytes(f.dir / "t.txt").find("f_MHz"), std::string::npos);

    // A box that holds none of the soil: no point has a ground.
    const CliRun none = sweep_cli({f.a, "--sigma-range", "1:20", "--csv"});
    EXPECT_EQ(none.status, 5);
    EXPECT_NE(none.out.find("no_solution"), std::string::npos);
    EXPECT_EQ(sweep_cli({f.bad}, false).status, 4); // a file refused and nothing else
}

// Arguments that would lose a measurement or mean nothing run nothing, with exit status 2
// and the option named; the input stays as it was, under any of its names.
TEST(CliSweep, OddArgumentsAndOutputsOntoAnInputAreRefused) {
    Files f;
    const std::string before = read_bytes(f.a);
    const std::string other_name = f.dir / "same.s1p";
    ASSERT_EQ(::link(f.a.c_str(), other_name.c_str()), 0);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{f.a, "--csv", "-o", f.a}, "-o '" + f.a + "' is the input file"},
        {{f.a, "-o", other_name}, "-o '" + other_name + "' is the input file"},
        {{f.b, f.a, "--nec-at", "7", f.a}, "--nec-at '" + f.a + "' is the input"},
        {{f.a, "--plot", other_name}, "--plot '" + other_name + "' is the input"},
        {{f.b, f.a, "--report", other_name}, "--report '" + other_name + "' is the input"},
        {{f.a, "--plot", ""}, "--plot was given an empty value"},
        {{f.a, "--meter", ""}, "--meter was given an empty value"},
        {{f.a, "-o", ""}, "-o was given an empty value"},
        {{f.a, "--nec-at", "7", ""}, "--nec-at was given an empty value"},
        {{f.a, "--match-deg", "1e300"}, "--match-deg '1e300' is beyond 1000000 degrees"},
    };
    for (const auto& [args, told] : cases) {
        const CliRun run = sweep_cli(args, false);
        EXPECT_EQ(run.status, 2) << told;
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find(told), std::string::npos) << run.err;
        EXPECT_EQ(read_bytes(f.a), before);
    }
}

// Points at which the probe is hundreds of half-waves long are flagged and explained,
// not searched, and not taken for points without a ground.
TEST(CliSweep, PointsBeyondTheSearchAreFlaggedUnresolvable) {
    TempDir dir;
    const SweepSetup setup{.probe = {}, .solve = {}};
    write_bytes(dir / "w.s1p", write_touchstone(synthetic(setup, soil, 11, 75e9, 110e9)));
    const CliRun run = sweep_cli({dir / "w.s1p", "--json"}, false);
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find("11 points were not searched"), std::string::npos) << run.err;
    const auto points = nlohmann::json::parse(run.out)["files"][0]["points"];
    ASSERT_EQ(points.size(), 11u);
    for (const auto& p : points) {
        EXPECT_EQ(p["flags"], nlohmann::json::array({"unresolvable"}));
        EXPECT_GT(p["nu"].get<double>(), 100);
        EXPECT_NE(p["unresolvable"]["reason"].get<std::string>().find("half-waves"),
                  std::string::npos);
        EXPECT_TRUE(p["unresolvable"]["count"].is_null());
    }
}

} // namespace
} // namespace ardenca::sweep
