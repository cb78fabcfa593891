// The options that set one field each: every one leaves the program's output, stderr and
// exit status byte for byte as its --set twin does, and they refuse to be doubled.
#include "cli/cli_fields.h"
#include "cli_run.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ardenca::cli {
namespace {

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Each option with a text other than its field's default; "14,2" is partly read and
// "-40.25" starts with a dash, so both reach the field as typed.
TEST(CliFields, EachOptionIsItsSetTwin) {
    const std::vector<std::pair<std::string, std::string>> typed = {
        {"--spacing", ".12"}, {"--radius", "0.0065"}, {"--length", ".6"}, {"--ur", "1.5"},
        {"--match-zo", "50"}, {"--match-deg", "30"},  {"--freq", "14,2"}, {"--r", "52.1"},
        {"--x", "-40.25"},    {"--cond", ".02"},      {"--diel", "20"},
    };
    // Every command that reads the fields, with the matching section switched on: the
    // forward ones first (they leave the input fields as typed), then the searches.
    const std::vector<std::vector<std::string>> runs = {
        {"--json", "--option", "matching", "calc-line", "calc-medium", "solve"},
        {"--json", "--option", "matching", "calculate-a", "calculate-b", "calculate"}};
    ASSERT_EQ(field_options.size(), typed.size());
    for (const auto& [option, text] : typed) {
        SCOPED_TRACE(option + " '" + text + "'");
        const auto* f = std::find_if(field_options.begin(), field_options.end(),
                                     [&](const FieldOption& o) { return o.name == option; });
        ASSERT_NE(f, field_options.end());
        const std::string name(field_name(f->field));
        bool changed = false;
        for (const auto& run : runs) {
            const CliRun named = run_cli(with({option, text}, run));
            const CliRun set = run_cli(with({"--set", name + "=" + text}, run));
            EXPECT_EQ(named.out, set.out);
            EXPECT_EQ(named.err, set.err);
            EXPECT_EQ(named.status, set.status);
            changed = changed || named.out != run_cli(run).out;
            if (run == runs.front()) {
                EXPECT_EQ(named.json()["fields"][name], text);
            }
        }
        // The option made a difference to what was computed.
        EXPECT_TRUE(changed);
    }
}

TEST(CliFields, DoubledIsAUsageError) {
    const std::vector<std::vector<std::string>> doubled = {
        {"--freq", "7", "--freq", "7"},
        {"--x", "-1", "--x=-1"},
        {"--spacing", ".1", "--set", "Text1=.1"},
        {"--set", "Text24=", "--x", "2"},
        {"--option", "none", "--option", "matching"},
        // An empty value is refused as any option's is; --set TextN= empties a field.
        {"--r", ""},
    };
    for (const auto& args : doubled) {
        const CliRun r = run_cli(with(args, {"calc-line"}));
        EXPECT_EQ(r.status, exit_usage) << testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_NE(run_cli({"--diel", "9", "--set", "Text10=9"}).err.find("Text10"), std::string::npos);
    // Another field's --set goes along with an option.
    EXPECT_EQ(run_cli({"--spacing", ".2", "--set", "Text2=.01", "calc-line"}).status, exit_ok);
}

// The named options come first in --help, before --set; every command's parser knows
// --version.
TEST(CliFields, HelpOrderAndVersion) {
    const std::string help = run_cli({"--help"}).out;
    std::size_t at = help.find("Options:");
    for (const FieldOption& f : field_options) {
        const std::size_t next = help.find("  " + std::string(f.name) + " ", at);
        ASSERT_NE(next, std::string::npos) << f.name;
        at = next;
    }
    EXPECT_LT(at, help.find("  --set "));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"read", "--version"}, {"sweep", "--version"}}) {
        const CliRun r = run_cli(args);
        EXPECT_EQ(r.status, exit_ok);
        EXPECT_EQ(r.out, "ardenca " ARDENCA_PROJECT_VERSION "\n");
    }
}

} // namespace
} // namespace ardenca::cli
