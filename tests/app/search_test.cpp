#include "calc/arithmetic_fault.h"
#include "calc/ground_search.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;

// The fields a completed search writes besides the feed-line fields.
const std::vector<Field> result_fields = {Text9,  Text10, Text11, Text12, Text13, Text14,
                                          Text15, Text16, Text17, Text18, Text27, Text28};

void measure(Ardenca& m, const char* r_in, const char* x_in) {
    set_fields(m, {{Text23, r_in}, {Text24, x_in}});
}

bool results_unchanged(const FieldTexts& before, const Ardenca& m) {
    for (Field f : result_fields)
        if (before[field_index(f)] != m.text(f))
            return false;
    return true;
}

TEST(FirstStage, DefaultMeasurementGivesTheDefaultGround) {
    Ardenca m;
    m.Calc_a_Click();
    EXPECT_EQ(m.evaluations(), 3933u);
    EXPECT_EQ(m.state.error_ct, 0);
    EXPECT_NEAR(m.state.cond, 0.0100000, 5e-8);
    EXPECT_NEAR(m.state.diel, 29.99999, 5e-6);
    expect_texts(m, {{Text9, "00.01"},
                     {Text10, "29.999988"},
                     {Text11, "3.138e-10"},
                     {Text12, "0.01181"},
                     {Text13, "47.6000"},
                     {Text14, "17.5899"},
                     {Text15, "00.3196"},
                     {Text16, "00.8648"},
                     {Text17, "65.1779"},
                     {Text18, "-67.3409"},
                     {Text27, "65.1779"},
                     {Text28, "-67.3409"},
                     {Text32, "49.5094"},
                     {Text33, "-53.5552"},
                     {Text29, ""},
                     {Text30, ""}});
}

TEST(BothStages, MatchingSectionMovesTheTargetToTheProbe) {
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "Calculate b" : "Calculate a");
        Ardenca m;
        set_fields(m, {{Text32, "old"}, {Text33, "old"}});
        m.select_option(MatchingOption::UseMatchingSection);
        second ? m.Calc_b_Click() : m.Calc_a_Click();
        EXPECT_NEAR(m.state.rst, 91.0487, 5e-5);
        EXPECT_NEAR(m.state.xst, -78.8161, 5e-5);
        expect_texts(m, {{Text9, "00.00879"},
                         {Text10, "21.706903"},
                         {Text29, "65.1779"},
                         {Text30, "-67.3409"}});
        // The first stage clears the through-the-section readout; the second leaves it.
        EXPECT_EQ(m.text(Text32), second ? "old" : "");
        EXPECT_EQ(m.state.error_ct, 0);
    }
}

TEST(SecondStage, DefaultMeasurementGivesTheSameGround) {
    Ardenca m;
    m.set_text(Text32, "kept");
    m.Calc_b_Click();
    expect_texts(m, {{Text9, "00.01"},
                     {Text10, "29.999988"},
                     {Text11, "3.138e-10"},
                     {Text12, "0.01181"},
                     {Text17, "65.1779"},
                     {Text18, "-67.3409"},
                     {Text32, "kept"}});
    EXPECT_GT(m.evaluations(), 3000u);
    EXPECT_LT(m.evaluations(), 5000u);
}

TEST(Calculate, LossyGroundNeedsTheSecondStage) {
    Ardenca m;
    measure(m, "4.533605", "4.418232");
    m.Calc_a_Click();
    EXPECT_NEAR(m.state.diel, 506.48, 0.005);

    Ardenca c;
    measure(c, "4.533605", "4.418232");
    c.Command2_Click();
    EXPECT_EQ(c.evaluations(), 11477u);
    EXPECT_EQ(c.state.error_ct, 0);
    expect_texts(c, {{Text9, "01.00"}, {Text10, "80.000385"}, {Text12, "1.18138"}});
}

TEST(Calculate, FirstStageOverflowHandsOverToTheSecond) {
    Ardenca m;
    measure(m, "16.309623", "7.865200");
    const FieldTexts before = texts_of(m);
    m.Calc_a_Click();
    EXPECT_EQ(m.state.error_ct, 1);
    EXPECT_TRUE(results_unchanged(before, m));

    m.Command2_Click();
    EXPECT_EQ(m.state.error_ct, 1);
    EXPECT_EQ(m.text(Text9), "00.10");
    EXPECT_EQ(m.text(Text10), "10.000001");

    Ardenca b;
    measure(b, "7.483915", "7.412295");
    b.Calc_b_Click();
    EXPECT_EQ(b.text(Text9), "00.30");
    EXPECT_EQ(b.text(Text10), "15.000068");
}

TEST(Calculate, FailedSecondStageKeepsTheFirstStagesResults) {
    Ardenca m;
    measure(m, "0.402382", "0.695330");
    m.Command2_Click();
    EXPECT_EQ(m.state.error_ct, 1);
    EXPECT_EQ(m.text(Text9), "00.005");
    EXPECT_EQ(m.text(Text10), "399.999995");
    EXPECT_GT(m.state.diel, 250);
}

TEST(Calculate, FaultCountRunsFromZeroToThree) {
    // Positive reactance: both stages fail.
    Ardenca m;
    measure(m, "65.1779", "50");
    const FieldTexts before = texts_of(m);
    m.Command2_Click();
    EXPECT_EQ(m.state.error_ct, 2);
    EXPECT_EQ(m.state.diel, 0);
    EXPECT_TRUE(results_unchanged(before, m));

    // "Calculate a" and "Calculate b" add to the count without resetting it.
    m.Calc_a_Click();
    m.Calc_b_Click();
    EXPECT_EQ(m.state.error_ct, 4);

    // A dielectric constant above 250 left from "Calc From Medium" runs the failing
    // second stage a second time.
    Ardenca d;
    d.set_text(Text10, "300");
    d.Medium_Click();
    measure(d, "65.1779", "50");
    d.Command2_Click();
    EXPECT_EQ(d.state.error_ct, 3);

    d.Medium_Click();
    measure(d, "65.1779", "-67.3409");
    d.Command2_Click();
    EXPECT_EQ(d.state.error_ct, 0);
}

TEST(Calculate, FaultsBeforeTheSearchProperReachTheCaller) {
    Ardenca m;
    m.set_text(Text8, "0");
    EXPECT_THROW(m.Command2_Click(), ArithmeticFault);
    EXPECT_EQ(m.state.error_ct, 0);
    EXPECT_EQ(m.evaluations(), 0u);

    Ardenca t;
    t.select_option(MatchingOption::UseMatchingSection);
    t.set_text(Text25, "0");
    t.set_text(Text29, "x");
    EXPECT_THROW(t.Calc_a_Click(), ArithmeticFault);
    EXPECT_EQ(t.text(Text29), ""); // cleared before the feed line faulted
    EXPECT_EQ(t.state.error_ct, 0);

    Ardenca r;
    r.set_text(Text23, "1e999");
    EXPECT_THROW(r.Calc_b_Click(), ArithmeticFault);
}

TEST(Calculate, ZeroResistanceAndRoundTargetsEnd) {
    Ardenca m;
    measure(m, "0", "-67.3409");
    m.Calc_a_Click();
    EXPECT_EQ(m.state.rst, 1e-32);
    EXPECT_GT(m.evaluations(), 10000u);
    m.Calc_b_Click();

    Ardenca round;
    measure(round, "65", "-30");
    round.Command2_Click();
    EXPECT_LE(round.evaluations(), 3 * calc::max_search_evaluations);
}

TEST(Calculate, EndlessSecondStageStopsAtTheEvaluationBound) {
    Ardenca m;
    set_fields(m, {{Text1, ".271"},
                   {Text2, ".011"},
                   {Text3, ".704"},
                   {Text8, "18.63"},
                   {Text25, "384"},
                   {Text26, "21.6"},
                   {Text23, "38.0199"},
                   {Text24, "180.4741"}});
    m.select_option(MatchingOption::UseMatchingSection);
    m.Calc_a_Click();
    ASSERT_EQ(m.state.error_ct, 1);
    const std::uint64_t first_stage = m.evaluations();

    const FieldTexts before = texts_of(m);
    m.Calc_b_Click();
    EXPECT_EQ(m.state.error_ct, 2);
    EXPECT_EQ(m.evaluations() - first_stage, calc::max_search_evaluations);
    EXPECT_TRUE(results_unchanged(before, m));
}

} // namespace
} // namespace ardenca
