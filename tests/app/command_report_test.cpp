// What the window model reports after each command besides the searches' outcomes
// (search_test): stale results, inputs read only in part, and where a fault arose.
#include "../files/temp_dir.h"
#include "app/commands.h"
#include "app/outcome_text.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;

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
    m.Command2_Click();
    m.Command2_Click(); // listed once however often read
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
        if (command == CalculateA) {
            EXPECT_EQ(m.text(Text29), ""); // cleared before the feed line faulted
        }
    }
    Ardenca m;
    m.Line_Param_Click(); // a command that ends normally leaves no place
    EXPECT_EQ(m.fault_place().step, FaultStep::None);
}

} // namespace
} // namespace ardenca
