// What the window model reports after each command: the grounds the two searches find,
// their evaluation counts, how each ended and which results they leave stale; inputs
// read only in part, and where a fault arose.
#include "../files/temp_dir.h"
#include "app/commands.h"
#include "app/outcome_text.h"
#include "calc/arithmetic_fault.h"
#include "calc/ground_search.h"
#include "model_fixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;

// The search's outcome in short: its kind, the stage whose ground the fields show, and
// why a stage ended without a ground.
std::string outcome_of(const Ardenca& m) {
    const SearchOutcome& o = *m.search_outcome();
    std::string s = std::array{"first", "second", "kept", "none"}[static_cast<int>(o.kind)];
    s += !o.stage ? " -" : o.stage == calc::SearchStage::First ? " 1" : " 2";
    if (o.reason)
        s += o.reason == SearchStop::Fault ? " fault" : " bound";
    return s;
}

// The grounds each command finds, or, with no conductivity given, that the results
// stay as they were, stale.
TEST(Searches, GroundsFoundByEachCommand) {
    struct Case {
        const char* r_in;
        const char* x_in;
        bool matching;
        const char* run;  // the command, as run() names it
        const char* cond; // nullptr: no result field changes
        const char* diel;
        int error_ct;
        std::uint64_t evaluations; // 0: not checked
        const char* outcome;
        FieldTextList texts = {}; // more results
        FieldTextList probe = {}; // other inputs
    };
    // The ground's own results are those of Calc From Medium on 0.01 S/m, 30.
    const FieldTextList more = {{Text13, "47.6000"}, {Text17, "65.1779"},  {Text18, "-67.3409"},
                                {Text32, "49.5094"}, {Text33, "-53.5552"}, {Text29, ""}};
    // A probe and feed line on which the second stage cycles until the evaluation bound.
    const FieldTextList endless = {{Text1, ".271"},  {Text2, ".011"}, {Text3, ".704"},
                                   {Text8, "18.63"}, {Text25, "384"}, {Text26, "21.6"}};
    const std::uint64_t bound = calc::max_search_evaluations;
    const Case cases[] = {
        // The default measurement.
        {"65.1779", "-67.3409", false, "a", "00.01", "29.999988", 0, 3933, "first 1", more},
        {"65.1779", "-67.3409", false, "b", "00.01", "29.999988", 0, 3961, "second 2"},
        {"65.1779", "-67.3409", false, "+", "00.01", "29.999988", 0, 0, "first 1"},
        {"65.1779", "-67.3409", true, "a", "00.00879", "21.706903", 0, 0, "first 1"},
        {"65.1779", "-67.3409", true, "b", "00.00879", "21.706903", 0, 0, "second 2"},
        {"4.533605", "4.418232", false, "a", "00.085204", "506.481693", 0, 4135, "first 1"},
        // A dielectric constant above 250 after the first stage runs the second.
        {"4.533605", "4.418232", false, "+", "01.00", "80.000385", 0, 11477, "second 2"},
        {"16.309623", "7.865200", false, "a", nullptr, nullptr, 1, 0, "none - fault"},
        // The first stage overflows, the second finds the ground.
        {"16.309623", "7.865200", false, "+", "00.10", "10.000001", 1, 0, "second 2"},
        {"7.483915", "7.412295", false, "b", "00.30", "15.000068", 0, 0, "second 2"},
        // The second stage gives up; the first stage's results stay on display.
        {"0.402382", "0.695330", false, "+", "00.005", "399.999995", 1, 0, "kept 1 fault"},
        {"65.1779", "50", false, "+", nullptr, nullptr, 2, 0, "none - fault"},
        {"38.0199", "180.4741", true, "b", nullptr, nullptr, 1, bound, "none - bound", {}, endless},
        // A round target.
        {"65", "-30", false, "+", "00.017509", "26.822532", 0, 3626, "first 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.r_in) + " " + c.x_in + (c.matching ? " matching " : " ") +
                     c.run);
        Ardenca m;
        set_fields(m, {{Text23, c.r_in}, {Text24, c.x_in}, {Text32, "old"}, {Text33, "old"}});
        set_fields(m, c.probe);
        if (c.matching)
            m.select_option(MatchingOption::UseMatchingSection);
        const FieldTexts before = texts_of(m);
        run(m, c.run);
        if (c.cond)
            expect_texts(m, {{Text9, c.cond}, {Text10, c.diel}});
        for (Field f : c.cond ? std::vector<Field>{} : ground_fields)
            EXPECT_EQ(m.text(f), before[field_index(f)]) << field_name(f);
        expect_texts(m, c.texts);
        EXPECT_EQ(m.state.error_ct, c.error_ct);
        if (c.evaluations) {
            EXPECT_EQ(m.evaluations(), c.evaluations);
        }
        ASSERT_TRUE(m.search_outcome());
        EXPECT_EQ(outcome_of(m), c.outcome);
        // Not found: the ground results are stale, and the through-the-section readout
        // that "Calculate b" leaves.
        const bool found = c.cond != nullptr;
        std::vector<Field> stale = found ? std::vector<Field>{} : ground_fields;
        if (!found && *c.run == 'b')
            stale.insert(stale.end(), {Text32, Text33});
        EXPECT_EQ(stale_fields(m), stale);
        for (Field f : ground_fields)
            EXPECT_EQ(m.wrote(f), found) << field_name(f);
        EXPECT_EQ(no_ground_message(m).empty(), found);
        if (c.matching && c.probe.empty()) { // the default probe and feed line
            EXPECT_NEAR(m.state.rst, 91.0487, 5e-5);
            EXPECT_NEAR(m.state.xst, -78.8161, 5e-5);
            expect_texts(m, {{Text29, "65.1779"}, {Text30, "-67.3409"}});
        }
        // The two-stage policy on values finds what the window shows.
        if (*c.run == '+') {
            const calc::ClassicSolution sol = calc::solve_classic(
                calc::air_line({7, .1, .007, .55, 1}), m.state.rst, m.state.xst);
            EXPECT_EQ(
                std::tuple(sol.found, sol.failed_runs, sol.evaluations, sol.ground.sigma_s_per_m,
                           sol.ground.eps_r),
                std::tuple(found, m.state.error_ct, m.evaluations(), m.state.cond, m.state.diel));
        }
        // The first stage clears the through-the-section readout; the second leaves it.
        if (*c.run == 'b' || (*c.run == 'a' && c.matching)) {
            EXPECT_EQ(m.text(Text32), *c.run == 'b' ? "old" : "");
        }
    }
}

// Positive reactance: both stages fail and leave the dielectric constant as it was.
// "Calculate a" and "Calculate b" add to the count, "Calculate from Known  Z in" starts
// it again; a dielectric constant above 250 left from "Calc From Medium" runs the
// failing second stage a second time.
TEST(Calculate, FaultCountRunsFromZeroToThree) {
    const std::tuple<const char*, int, double> cases[] = {
        {"+ab", 4, 0}, {"ab+", 2, 0}, {"m+", 3, 300}};
    for (const auto& [commands, error_ct, diel] : cases) {
        Ardenca m;
        set_fields(m, {{Text10, "300"}, {Text23, "65.1779"}, {Text24, "50"}});
        run(m, commands);
        EXPECT_EQ(std::tuple(m.state.error_ct, m.state.diel), std::tuple(error_ct, diel))
            << commands;
    }
}

TEST(Calculate, ZeroResistanceEnds) {
    Ardenca m;
    set_fields(m, {{Text23, "0"}, {Text24, "-67.3409"}});
    m.Calc_a_Click();
    EXPECT_EQ(m.state.rst, 1e-32);
    EXPECT_GT(m.evaluations(), 10000u);
    m.Calc_b_Click();
}

// An Open whose search fails leaves the old ground on display, stale until written
// again; a command without a search has no outcome.
TEST(SearchOutcome, StaleUntilWrittenAgainAndNoOutcomeWithoutASearch) {
    TempDir dir;
    write_bytes(dir / "bad.gnd",
                " 0 \r\n 1 \r\n75\r\n9.77\r\n65\r\n67\r\n.1\r\n.007\r\n.55\r\n7\r\n");
    Ardenca m;
    ScriptedFileDialog dialog;
    m.set_file_dialog(&dialog);
    m.Command2_Click();
    const FieldTexts before = texts_of(m);
    dialog.answer(dir / "bad.gnd");
    m.open_Click();
    EXPECT_EQ(m.caption(), "Ardenca - bad.gnd");
    EXPECT_EQ(no_ground_message(m),
              "No ground found that reproduces R in 65 + j67 \u03a9 with this probe; the Cond and "
              "Diel C shown are from an earlier calculation. The search ended on an arithmetic "
              "fault.");
    EXPECT_EQ(stale_fields(m), ground_fields);
    EXPECT_EQ(m.text(Text10), before[field_index(Text10)]);
    m.save_Click(); // cancelled; a command without a search
    EXPECT_FALSE(m.search_outcome());
    EXPECT_EQ(stale_fields(m), ground_fields);

    m.Medium_Click(); // writes the line in the ground, not Cond and Diel C
    EXPECT_FALSE(m.search_outcome());
    EXPECT_EQ(m.fault_place().step, FaultStep::None); // as it ended normally
    EXPECT_EQ(stale_fields(m), (std::vector<Field>{Text9, Text10}));
    m.set_text(Text9, ".02"); // typing counts as writing
    EXPECT_EQ(stale_fields(m), std::vector<Field>{Text10});
    m.Line_Param_Click();
    EXPECT_EQ(stale_fields(m), std::vector<Field>{Text10});
}

TEST(PartlyRead, InputsNotWhollyANumberAreListedWithWhatTheyReadAs) {
    Ardenca m;
    set_fields(m, {{Text8, "14,2"}, {Text1, " .1 "}, {Text2, "7 mm"}, {Text24, ""}});
    m.set_text(Text2, ".007");  // edited before the command: not listed
    m.set_text(Text3, "0.5 5"); // blanks are skipped: a whole number, 0.55
    run(m, "++");               // listed once however often read
    ASSERT_EQ(m.partly_read().size(), 2u);
    EXPECT_EQ(partly_read_line(m.partly_read()[0]),
              "Frequency Mhz (Text8) \"14,2\" was read as 14");
    EXPECT_EQ(partly_read_line(m.partly_read()[1]), "X_in (Text24) \"\" was read as 0");
    EXPECT_EQ(read_as_text(m.partly_read()[0]), "read as 14");

    m.set_text(Text8, "14.2"); // the user's edit clears its mark
    EXPECT_EQ(m.partly_read().size(), 1u);
    m.Line_Param_Click(); // a new command reports only its own reads
    EXPECT_TRUE(m.partly_read().empty());
}

// "Calc Line stopped: division by zero \u2014 check Frequency Mhz (0)" is cli_test's.
// A fault before the search proper reaches the caller: it is no failed search, and the
// line in the ground was not evaluated.
TEST(FaultPlace, MessagesNameTheStepAndTheInputsItRead) {
    using enum Command;
    const std::tuple<Command, Field, const char*, std::string> cases[] = {
        {Calculate, Text3, "0abc",
         "Calculate from Known  Z in stopped in Calc Line: division by zero \u2014 check Length "
         "m (0)"},
        {CalcMedium, Text8, "0",
         "Calc From Medium stopped in Calc Line: division by zero \u2014 check Frequency Mhz (0)"},
        {CalcLine, Text1, ".007",
         "Calc Line stopped: division by zero \u2014 check Spacing m (0.007), Radius m (0.007)"},
        // With the matching section used.
        {CalculateA, Text25, "0",
         "Calculate a stopped in the matching section: division by zero \u2014 check Zo (0), L "
         "Degrees (9.77), R in (65.1779), X_in (-67.3409)"},
        {CalculateB, Text23, "1e999",
         "Calculate b stopped: overflow \u2014 check R in (\"1e999\")"},
        {CalcLine, Text31, "1e999", "Calc Line stopped: overflow \u2014 check ur (\"1e999\")"},
        {CalcMedium, Text10, "1e300",
         "Calc From Medium stopped: overflow \u2014 check Cond (0.01), Diel C (1e+300)"},
    };
    for (const auto& [command, field, text, message] : cases) {
        Ardenca m;
        set_fields(m, {{Text29, "x"}, {field, text}});
        if (command == CalculateA)
            m.select_option(MatchingOption::UseMatchingSection);
        try {
            run_command(m, command);
            ADD_FAILURE() << "no fault: " << message;
        } catch (const ArithmeticFault& fault) {
            EXPECT_EQ(fault_message(command, fault, m.fault_place()), message);
        }
        // Only Calc From Medium's own evaluation overflows.
        EXPECT_EQ(std::tuple(m.state.error_ct, m.evaluations()),
                  std::tuple(0, field == Text10 ? 1u : 0u));
        // "Calculate a" cleared it before the feed line faulted; the others fault earlier.
        EXPECT_EQ(m.text(Text29), command == CalculateA ? "" : "x");
    }
}

} // namespace
} // namespace ardenca
