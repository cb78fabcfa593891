// What the window model reports after each command: how its search ended, which
// result fields it left stale, which inputs it read only in part, and where a fault
// that ended it arose.
#include "../files/temp_dir.h"
#include "app/commands.h"
#include "app/outcome_text.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;
using calc::SearchStage;
using G = GroundOutcome;

// The results a search writes only when it completes.
const std::vector<Field> ground_fields = {Text9,  Text10, Text11, Text12, Text13, Text14,
                                          Text15, Text16, Text17, Text18, Text27, Text28};

// The probe whose second stage cycles until the evaluation bound.
const std::vector<std::pair<Field, const char*>> endless_second_stage = {
    {Text1, ".271"}, {Text2, ".011"},  {Text3, ".704"},     {Text8, "18.63"},
    {Text25, "384"}, {Text26, "21.6"}, {Text23, "38.0199"}, {Text24, "180.4741"}};

std::vector<Field> stale_fields(const Ardenca& m) {
    std::vector<Field> out;
    for (int i = 0; i < field_count; ++i)
        if (m.stale(field_at(i)))
            out.push_back(field_at(i));
    return out;
}

TEST(SearchOutcome, EachWayASearchCommandCanEnd) {
    const struct {
        const char* name;
        std::vector<std::pair<Field, const char*>> fields;
        bool matching;
        Command command;
        G kind;
        std::optional<SearchStage> stage;
        std::optional<SearchStop> reason;
    } cases[] = {
        {"defaults", {}, false, Command::Calculate, G::FoundByFirstStage, SearchStage::First, {}},
        {"1 S/m, 80: diel above 250 after the first stage",
         {{Text23, "4.533605"}, {Text24, "4.418232"}},
         false,
         Command::Calculate,
         G::FoundBySecondStage,
         SearchStage::Second,
         {}},
        {"0.1 S/m, 10: the first stage overflows",
         {{Text23, "16.309623"}, {Text24, "7.865200"}},
         false,
         Command::Calculate,
         G::FoundBySecondStage,
         SearchStage::Second,
         {}},
        {"0.005 S/m, 400: the second stage gives up",
         {{Text23, "0.402382"}, {Text24, "0.695330"}},
         false,
         Command::Calculate,
         G::KeptFromFirstStage,
         SearchStage::First,
         SearchStop::Fault},
        {"R in 65, X_in +67",
         {{Text23, "65"}, {Text24, "67"}},
         false,
         Command::Calculate,
         G::NotFound,
         {},
         SearchStop::Fault},
        {"positive reactance",
         {{Text24, "50"}},
         false,
         Command::Calculate,
         G::NotFound,
         {},
         SearchStop::Fault},
        {"Calculate a alone",
         {{Text23, "65"}, {Text24, "67"}},
         false,
         Command::CalculateA,
         G::NotFound,
         {},
         SearchStop::Fault},
        {"Calculate b alone",
         {},
         false,
         Command::CalculateB,
         G::FoundBySecondStage,
         SearchStage::Second,
         {}},
        {"second stage at its bound",
         endless_second_stage,
         true,
         Command::Calculate,
         G::NotFound,
         {},
         SearchStop::Bound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ardenca m;
        set_fields(m, c.fields);
        if (c.matching)
            m.select_option(MatchingOption::UseMatchingSection);
        const FieldTexts before = texts_of(m);
        run_command(m, c.command);
        ASSERT_TRUE(m.search_outcome());
        EXPECT_EQ(m.search_outcome()->kind, c.kind);
        EXPECT_EQ(m.search_outcome()->stage, c.stage);
        EXPECT_EQ(m.search_outcome()->reason, c.reason);

        // Not found: exactly the ground results are stale, and keep their texts.
        const bool found = c.kind != G::NotFound;
        EXPECT_EQ(stale_fields(m), found ? std::vector<Field>{} : ground_fields);
        for (Field f : ground_fields) {
            EXPECT_EQ(m.wrote(f), found) << field_name(f);
            EXPECT_TRUE(found || m.text(f) == before[field_index(f)]) << field_name(f);
        }
        EXPECT_EQ(no_ground_message(m).empty(), found);
    }
}

TEST(SearchOutcome, StaleUntilWrittenAgainAndNoOutcomeWithoutASearch) {
    Ardenca m;
    m.Command2_Click();
    const std::string ground = m.text(Text10);
    set_fields(m, {{Text23, "65"}, {Text24, "67"}});
    m.Command2_Click();
    EXPECT_EQ(m.text(Text10), ground);
    EXPECT_EQ(no_ground_message(m),
              "No ground found that reproduces R in 65 + j67 \u03a9 with this probe; the Cond and "
              "Diel C shown are from an earlier calculation. The search ended on an arithmetic "
              "fault.");

    m.Medium_Click(); // writes the line in the ground, not Cond and Diel C
    EXPECT_FALSE(m.search_outcome());
    EXPECT_EQ(stale_fields(m), (std::vector<Field>{Text9, Text10}));
    m.set_text(Text9, ".02"); // typing counts as writing
    EXPECT_EQ(stale_fields(m), std::vector<Field>{Text10});
    m.Line_Param_Click();
    EXPECT_EQ(stale_fields(m), std::vector<Field>{Text10});
}

TEST(SearchOutcome, AnOpenWhoseSearchFailsLeavesTheOldGroundStale) {
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
    ASSERT_TRUE(m.search_outcome());
    EXPECT_FALSE(m.search_outcome()->found());
    EXPECT_EQ(stale_fields(m), ground_fields);
    EXPECT_EQ(m.text(Text10), before[field_index(Text10)]);
    m.save_Click(); // cancelled; a command without a search
    EXPECT_FALSE(m.search_outcome());
    EXPECT_EQ(stale_fields(m), ground_fields);
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

TEST(FaultPlace, MessagesNameTheStepAndTheInputsItRead) {
    const struct {
        std::vector<std::pair<Field, const char*>> fields;
        bool matching;
        Command command;
        std::string message;
    } cases[] = {
        {{{Text3, "0"}},
         false,
         Command::CalcLine,
         "Calc Line stopped: division by zero \u2014 check Length m (0)"},
        {{{Text3, "0abc"}},
         false,
         Command::Calculate,
         "Calculate from Known  Z in stopped in Calc Line: division by zero \u2014 check Length "
         "m (0)"},
        {{{Text8, "0"}},
         false,
         Command::CalcMedium,
         "Calc From Medium stopped in Calc Line: division by zero \u2014 check Frequency Mhz (0)"},
        {{{Text1, ".007"}},
         false,
         Command::CalcLine,
         "Calc Line stopped: division by zero \u2014 check Spacing m (0.007), Radius m (0.007)"},
        {{{Text25, "0"}},
         true,
         Command::CalculateB,
         "Calculate b stopped in the matching section: division by zero \u2014 check Zo (0), L "
         "Degrees (9.77), R in (65.1779), X_in (-67.3409)"},
        {{{Text31, "1e999"}},
         false,
         Command::CalcLine,
         "Calc Line stopped: overflow \u2014 check ur (\"1e999\")"},
        {{{Text10, "1e300"}},
         false,
         Command::CalcMedium,
         "Calc From Medium stopped: overflow \u2014 check Cond (0.01), Diel C (1e+300)"},
    };
    for (const auto& c : cases) {
        Ardenca m;
        set_fields(m, c.fields);
        if (c.matching)
            m.select_option(MatchingOption::UseMatchingSection);
        try {
            run_command(m, c.command);
            ADD_FAILURE() << "no fault: " << c.message;
        } catch (const ArithmeticFault& fault) {
            EXPECT_EQ(fault_message(c.command, fault, m.fault_place()), c.message);
        }
    }
    Ardenca m;
    m.Line_Param_Click(); // a command that ends normally leaves no place
    EXPECT_EQ(m.fault_place().step, FaultStep::None);
}

} // namespace
} // namespace ardenca
