// "ardenca-cli read": its output, its JSON and its exit statuses.
#include "../cli/cli_run.h"
#include "../files/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ardenca::cli {
namespace {

using ardenca::testing::write_bytes;

TEST(CliRead, JsonTextRefusalsAndUsageErrors) {
    const ardenca::testing::TempDir dir;
    const std::string good = write_bytes(dir / "good.s1p", "# MHz S RI R 50\n1 0.5 0\n2 1 0\n");
    const std::string bad = write_bytes(dir / "bad\xff.s1p", "# MHz S RI\n1 0,5 0\n");
    const std::string csv = write_bytes(dir / "c.csv", "Frequency,R,X\n3,4,5\n");
    const CliRun r = run_cli({"read", good, bad, csv, "--json", "--freq-unit", "khz"});
    EXPECT_EQ(r.status, exit_file_failed);
    EXPECT_EQ(r.err, bad + ":2: a decimal comma in '0,5': numbers are written with a decimal "
                           "point\n");
    const auto j = r.json();
    ASSERT_EQ(j["files"].size(), 2u);
    auto first = nlohmann::json::parse(R"j({"format": "touchstone", "version": "1.1",
        "parameter": "S", "data_format": "RI", "r_ohm": 50.0, "ports": 1,
        "warnings": ["1 point(s) read as an open circuit (infinite impedance)"],
        "points": [{"f_hz": 1e6, "z_ohm": [150, 0]}, {"f_hz": 2e6, "z_ohm": null}]})j");
    first["path"] = good;
    EXPECT_EQ(j["files"][0], first);
    EXPECT_EQ(j["files"][1]["format"], "csv");
    EXPECT_EQ(j["files"][1]["points"][0]["f_hz"], 3000.0);
    EXPECT_EQ(j["refused"][0]["line"], 2);

    const std::string z = write_bytes(dir / "g.s1p", "# Hz Z RI R 50\n1 1 -0.5\n");
    const CliRun text = run_cli({"read", z});
    EXPECT_EQ(text.status, exit_ok);
    EXPECT_NE(text.out.find("points: 1\n"), std::string::npos);
    EXPECT_NE(text.out.find("  1 50 -25\n"), std::string::npos);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"read"}, {"read", z, "--freq-unit", "THz"}, {"read", z, "--z0", "-50"}})
        EXPECT_EQ(run_cli(args).status, exit_usage);
}

} // namespace
} // namespace ardenca::cli
