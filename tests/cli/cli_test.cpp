#include "cli/cli_app.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace ardenca::cli {
namespace {

struct CliRun {
    int status;
    std::string out, err;
    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), "ardenca-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(Cli, CalcMediumOnTheDefaultsAsJson) {
    const CliRun r = cli({"--json", "calc-medium"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    EXPECT_EQ(r.err, "");
    const auto j = r.json();
    EXPECT_EQ(j["fields"].size(), 33u);
    EXPECT_EQ(j["fields"]["Text17"], "65.1779");
    EXPECT_EQ(j["option"], "none");
    EXPECT_EQ(j["caption"], "Ardenca");
    // State values read back to the identical double.
    EXPECT_EQ(j["state"]["w"].get<double>(), 43982297.15025706);
    EXPECT_EQ(j["state"]["G"].get<double>(), 0.011813785075390148);
    EXPECT_EQ(j["state"]["error_ct"], 0);
    EXPECT_EQ(j["evaluations"], 1);
    EXPECT_TRUE(j["fault"].is_null());
}

TEST(Cli, SettingsOptionAndCommandOrder) {
    const CliRun r = cli({"--set", "Text24=-67.3409", "--set", "Text29=", "--option", "matching",
                          "--json", "calculate-a", "calc-line"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    const auto j = r.json();
    EXPECT_EQ(j["option"], "matching");
    EXPECT_EQ(j["fields"]["Text29"], "65.1779"); // the setting came before the command
}

TEST(Cli, UncaughtFaultStopsTheRunWithStatus3) {
    const CliRun r = cli({"--set", "Text8=0", "--json", "calc-line", "calc-medium"});
    EXPECT_EQ(r.status, exit_fault);
    EXPECT_NE(r.err.find("calc-line"), std::string::npos);
    EXPECT_NE(r.err.find("division by zero"), std::string::npos);
    const auto j = r.json();
    EXPECT_EQ(j["fault"]["command"], "calc-line");
    EXPECT_EQ(j["fault"]["message"], "division by zero");
    EXPECT_EQ(j["evaluations"], 0); // calc-medium did not run
}

TEST(Cli, TheLastSearchTellsWhetherItFoundAGround) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* result; // the "result" object, compact
        bool told;          // a "No ground found" line on stderr
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
        {{"--set", "Text23=65", "--set", "Text24=67", "calculate"},
         exit_no_ground,
         R"({"found":false,"stage":null,"reason":"fault","outcome":"none"})",
         true},
        // Only the last search counts.
        {{"--set", "Text23=65", "--set", "Text24=67", "calculate",
          "open=" ARDENCA_EXAMPLES_DIR "/lossy-ground.gnd"},
         exit_ok,
         R"({"found":true,"stage":"second","reason":null,"outcome":"found by the second stage"})",
         true},
        // 4 and 3 come before 5.
        {{"--set", "Text23=65", "--set", "Text24=67", "open=/no/such.gnd"},
         exit_file_failed,
         R"({"found":false,"stage":null,"reason":"fault","outcome":"none"})",
         true},
        {{"--set", "Text3=0", "calculate"},
         exit_fault,
         R"({"found":false,"stage":null,"reason":"fault","outcome":"none"})",
         false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--json");
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, c.status) << c.result << r.err;
        EXPECT_EQ(r.json()["result"], nlohmann::json::parse(c.result));
        EXPECT_EQ(r.err.find("No ground found that reproduces R in 65 + j67") != std::string::npos,
                  c.told)
            << r.err;
    }
}

TEST(Cli, PartlyReadInputsAndFaultsNameTheirFields) {
    CliRun r = cli({"--json", "--set", "Text8=14,2", "--set", "Text23=", "calculate"});
    EXPECT_EQ(r.status, exit_ok);
    EXPECT_EQ(r.json()["partly_read"], nlohmann::json::parse(R"(["Text8","Text23"])"));
    EXPECT_EQ(r.err, "ardenca-cli: calculate: Frequency Mhz (Text8) \"14,2\" was read as 14\n"
                     "ardenca-cli: calculate: R in (Text23) \"\" was read as 0\n");

    r = cli({"--json", "--set", "Text3=0", "calc-medium"});
    EXPECT_EQ(r.err, "ardenca-cli: calc-medium: Calc From Medium stopped in Calc Line: division by "
                     "zero \u2014 check Length m (0)\n");
    EXPECT_EQ(r.json()["fault"]["check"], nlohmann::json::parse(R"(["Text3"])"));
    EXPECT_EQ(r.json()["fault"]["step"], "Calc Line");
}

TEST(Cli, UsageErrorsRunNothing) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--set", "Text34=1", "calc-line"},
                                               {"--set", "Text8", "calc-line"},
                                               {"--option", "both", "calc-line"},
                                               {"calc-line", "frobnicate"},
                                               {"--no-such-flag"}}) {
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, exit_usage) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("ardenca-cli:"), std::string::npos);
    }
    EXPECT_NE(cli({"--set", "Text34=1"}).err.find("Text34"), std::string::npos);
    EXPECT_NE(cli({"frobnicate"}).err.find("frobnicate"), std::string::npos);

    const CliRun help = cli({"--help"});
    EXPECT_EQ(help.status, exit_ok);
    for (const char* word :
         {"--set", "--option", "--json", "calc-line", "calc-medium", "calculate-b"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST(Cli, PrintsFieldsByFrameForAPerson) {
    const CliRun r = cli({"calc-line"});
    ASSERT_EQ(r.status, exit_ok);
    EXPECT_NE(r.out.find("TL Dimensions\n"), std::string::npos);
    EXPECT_NE(r.out.find("Spacing m"), std::string::npos);
    EXPECT_NE(r.out.find("318.8904"), std::string::npos);
    EXPECT_LT(r.out.find("Matching Section"), r.out.find("TL Dimensions"));
}

TEST(Cli, ExecutableKeepsStdoutForTheResult) {
    const std::string command =
        std::string(ARDENCA_CLI_PATH) + " --json --set Text8=0 calc-line 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, pipe))
        out.append(buf, n);
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), exit_fault);
    EXPECT_EQ(nlohmann::json::parse(out)["fault"]["message"], "division by zero");
}

} // namespace
} // namespace ardenca::cli
