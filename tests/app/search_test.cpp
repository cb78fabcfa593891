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

// The grounds each command finds, or, with no conductivity given, that the results
// stay as they were.
TEST(Searches, GroundsFoundByEachCommand) {
    enum Run { A, B, Both };
    struct Case {
        const char* r_in;
        const char* x_in;
        bool matching;
        Run run;
        const char* cond; // nullptr: no result field changes
        const char* diel;
        int error_ct;
        std::uint64_t evaluations; // 0: not checked
    };
    const Case cases[] = {
        {"65.1779", "-67.3409", false, A, "00.01", "29.999988", 0, 3933},
        {"65.1779", "-67.3409", false, B, "00.01", "29.999988", 0, 3961},
        {"65.1779", "-67.3409", true, A, "00.00879", "21.706903", 0, 0},
        {"65.1779", "-67.3409", true, B, "00.00879", "21.706903", 0, 0},
        {"4.533605", "4.418232", false, A, "00.085204", "506.481693", 0, 4135},
        {"4.533605", "4.418232", false, Both, "01.00", "80.000385", 0, 11477},
        {"16.309623", "7.865200", false, A, nullptr, nullptr, 1, 0},
        {"16.309623", "7.865200", false, Both, "00.10", "10.000001", 1, 0},
        {"7.483915", "7.412295", false, B, "00.30", "15.000068", 0, 0},
        // The second stage gives up; the first stage's results stay on display.
        {"0.402382", "0.695330", false, Both, "00.005", "399.999995", 1, 0},
        {"65.1779", "50", false, Both, nullptr, nullptr, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.r_in) + " " + c.x_in + (c.matching ? " matching" : "") +
                     " run " + "ab+"[c.run]);
        Ardenca m;
        measure(m, c.r_in, c.x_in);
        set_fields(m, {{Text32, "old"}, {Text33, "old"}});
        if (c.matching)
            m.select_option(MatchingOption::UseMatchingSection);
        const FieldTexts before = texts_of(m);
        c.run == A ? m.Calc_a_Click() : c.run == B ? m.Calc_b_Click() : m.Command2_Click();
        if (c.cond) {
            expect_texts(m, {{Text9, c.cond}, {Text10, c.diel}});
        } else {
            EXPECT_TRUE(results_unchanged(before, m));
        }
        EXPECT_EQ(m.state.error_ct, c.error_ct);
        if (c.evaluations) {
            EXPECT_EQ(m.evaluations(), c.evaluations);
        }
        if (c.matching) {
            EXPECT_NEAR(m.state.rst, 91.0487, 5e-5);
            EXPECT_NEAR(m.state.xst, -78.8161, 5e-5);
            expect_texts(m, {{Text29, "65.1779"}, {Text30, "-67.3409"}});
        }
        // The two-stage policy on values finds what the window shows.
        if (c.run == Both) {
            const calc::ClassicSolution sol = calc::solve_classic(
                calc::air_line({7, .1, .007, .55, 1}), m.state.rst, m.state.xst);
            EXPECT_EQ(sol.found, c.cond != nullptr);
            EXPECT_EQ(sol.failed_runs, m.state.error_ct);
            EXPECT_EQ(sol.evaluations, m.evaluations());
            EXPECT_EQ(sol.ground.sigma_s_per_m, m.state.cond);
            EXPECT_EQ(sol.ground.eps_r, m.state.diel);
        }
        // The first stage clears the through-the-section readout; the second leaves it.
        if (c.run == B) {
            EXPECT_EQ(m.text(Text32), "old");
        }
        if (c.run == A && c.matching) {
            EXPECT_EQ(m.text(Text32), "");
        }
    }
}

TEST(Calculate, FaultCountRunsFromZeroToThree) {
    // Positive reactance: both stages fail.
    Ardenca m;
    measure(m, "65.1779", "50");
    m.Command2_Click();
    EXPECT_EQ(m.state.diel, 0);
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
