// The two searches of the window model: the grounds they find, their evaluation counts,
// how each ended, and which results they leave stale.
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

bool results_unchanged(const FieldTexts& before, const Ardenca& m) {
    return std::ranges::all_of(ground_fields,
                               [&](Field f) { return before[field_index(f)] == m.text(f); });
}

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
    };
    // The ground's own results are those of Calc From Medium on 0.01 S/m, 30.
    const FieldTextList more = {{Text13, "47.6000"}, {Text17, "65.1779"},  {Text18, "-67.3409"},
                                {Text32, "49.5094"}, {Text33, "-53.5552"}, {Text29, ""}};
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.r_in) + " " + c.x_in + (c.matching ? " matching " : " ") +
                     c.run);
        Ardenca m;
        set_fields(m, {{Text23, c.r_in}, {Text24, c.x_in}, {Text32, "old"}, {Text33, "old"}});
        if (c.matching)
            m.select_option(MatchingOption::UseMatchingSection);
        const FieldTexts before = texts_of(m);
        run(m, c.run);
        if (c.cond)
            expect_texts(m, {{Text9, c.cond}, {Text10, c.diel}});
        else
            EXPECT_TRUE(results_unchanged(before, m));
        expect_texts(m, c.texts);
        EXPECT_EQ(m.state.error_ct, c.error_ct);
        if (c.evaluations) {
            EXPECT_EQ(m.evaluations(), c.evaluations);
        }
        ASSERT_TRUE(m.search_outcome());
        EXPECT_EQ(outcome_of(m), c.outcome);
        // Not found: exactly the ground results are stale.
        const bool found = c.cond != nullptr;
        EXPECT_EQ(stale_fields(m), found ? std::vector<Field>{} : ground_fields);
        for (Field f : ground_fields)
            EXPECT_EQ(m.wrote(f), found) << field_name(f);
        EXPECT_EQ(no_ground_message(m).empty(), found);
        if (c.matching) {
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

TEST(Calculate, ZeroResistanceAndRoundTargetsEnd) {
    Ardenca m;
    set_fields(m, {{Text23, "0"}, {Text24, "-67.3409"}});
    m.Calc_a_Click();
    EXPECT_EQ(m.state.rst, 1e-32);
    EXPECT_GT(m.evaluations(), 10000u);
    m.Calc_b_Click();

    Ardenca round;
    set_fields(round, {{Text23, "65"}, {Text24, "-30"}});
    round.Command2_Click();
    EXPECT_LE(round.evaluations(), 3 * calc::max_search_evaluations);
}

TEST(Calculate, EndlessSecondStageStopsAtTheEvaluationBound) {
    // A probe and feed line on which the second stage cycles until the evaluation bound.
    Ardenca m;
    set_fields(m, {{Text1, ".271"}, {Text2, ".011"}, {Text3, ".704"}, {Text8, "18.63"}});
    set_fields(m, {{Text25, "384"}, {Text26, "21.6"}, {Text23, "38.0199"}, {Text24, "180.4741"}});
    m.select_option(MatchingOption::UseMatchingSection);
    m.Calc_a_Click();
    ASSERT_EQ(m.state.error_ct, 1);
    const std::uint64_t first_stage = m.evaluations();

    const FieldTexts before = texts_of(m);
    m.Calc_b_Click();
    EXPECT_EQ(m.state.error_ct, 2);
    EXPECT_EQ(m.evaluations() - first_stage, calc::max_search_evaluations);
    EXPECT_TRUE(results_unchanged(before, m));
    EXPECT_EQ(outcome_of(m), "none - bound");
}

} // namespace
} // namespace ardenca
