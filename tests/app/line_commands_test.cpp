// Calc Line and Calc From Medium: the probe as a line in air, then in the ground.
#include "calc/arithmetic_fault.h"
#include "model_fixture.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;

// The default probe in air, then in the default ground, which reproduces the default
// measurement.
TEST(CalcLine, DefaultLineThenDefaultGround) {
    Ardenca m;
    m.Line_Param_Click();
    // w is 2 x the program's pi, not the library's.
    EXPECT_EQ(std::tuple(m.state.f, m.state.w), std::tuple(7e6, 43982297.15025706));
    expect_texts(m, {{Text20, "00.0807"}, {Text19, "04.6232"}, {Text4, "318.8904"}});
    expect_texts(m, {{Text5, "-3943.4617"}, {Text21, "1.046e-11"}, {Text22, "1.064e-6"}});
    expect_texts(m, {{Text6, "5.753e-12"}, {Text7, "5.85e-7"}});

    // Calc From Medium runs Calc Line again, which shows the same.
    const FieldTexts once = texts_of(m);
    m.Medium_Click();
    EXPECT_EQ(changed_fields(once, m),
              (std::vector<Field>{Text11, Text12, Text13, Text14, Text15, Text16, Text17, Text18,
                                  Text27, Text28}));
    // Text17 and Text18 show the measurement, R in and X_in, again.
    expect_texts(m, {{Text11, "3.138e-10"}, {Text12, "0.01181"}, {Text13, "47.6000"}});
    expect_texts(m, {{Text14, "17.5899"}, {Text15, "00.3196"}, {Text16, "00.8648"}});
    expect_texts(m, {{Text17, "65.1779"}, {Text18, "-67.3409"}, {Text27, "65.1779"}});
    expect_texts(m, {{Text28, "-67.3409"}});
    EXPECT_EQ(std::tuple(m.state.cond, m.state.diel, m.evaluations()), std::tuple(0.01, 30.0, 1u));
    EXPECT_NEAR(m.state.G, 0.011813785, 5e-10);
}

TEST(CalcLine, OtherLineAndNoFaultCases) {
    Ardenca m;
    set_fields(m,
               {{Text1, "0.3"}, {Text2, ".002"}, {Text3, "10"}, {Text8, "3.5"}, {Text31, " 2 "}});
    m.Line_Param_Click();
    expect_texts(
        m, {{Text4, "600.8603"}, {Text19, "42.0291"}, {Text20, "00.7335"}, {Text5, "-666.6423"}});
    EXPECT_EQ(m.state.ur, 2);

    // A spacing below the radius is no fault: the line's values come out negative.
    set_fields(m, {{Text1, ".005"}, {Text2, ".007"}});
    m.Line_Param_Click();
    EXPECT_LT(m.state.C_o, 0);
    EXPECT_EQ(m.text(Text4).front(), '-');

    Ardenca quarter_wave; // the line's reactance passes through zero
    set_fields(quarter_wave, {{Text3, "10.7068735"}});
    quarter_wave.Line_Param_Click();
    EXPECT_EQ(quarter_wave.text(Text5), "00.0000");
}

// Calc Line, and Calc From Medium after it: in the ground, no ground at all makes the
// admittance zero; a very lossy one overflows the hyperbolic tangent.
TEST(CalcLine, FaultsStopAtTheFailingStepKeepingEarlierWrites) {
    using enum FaultKind;
    const std::vector<Field> air_line = {Text4,  Text5,  Text6,  Text7,
                                         Text19, Text20, Text21, Text22};
    const struct {
        const char* name;
        FieldTextList fields;
        FaultKind kind;
        std::vector<Field> written; // fields written before the fault, in field order
        const char* command = "l";  // as run() names it
    } cases[] = {
        {"frequency 0", {{Text8, "0"}}, DivisionByZero, {}},
        {"frequency empty", {{Text8, ""}}, DivisionByZero, {}},
        {"frequency 1e999", {{Text8, "1e999"}}, Overflow, {}},
        {"radius 0", {{Text2, "0"}}, DivisionByZero, {Text20}},
        {"spacing and radius 0", {{Text1, "0"}, {Text2, "0"}}, DivisionByZero, {Text20}},
        {"spacing 0", {{Text1, "0"}}, InvalidOperation, {Text20}},
        {"opposite signs", {{Text1, "-.1"}}, InvalidOperation, {Text20}},
        {"length 0", {{Text3, "0"}}, DivisionByZero, {Text4, Text19, Text20}},
        {"spacing = radius", {{Text1, ".007"}}, DivisionByZero, {Text4, Text5, Text19, Text20}},
        {"no ground", {{Text9, "0"}, {Text10, "0"}}, DivisionByZero, air_line, "m"},
        {"very lossy ground", {{Text9, "1e6"}}, Overflow, air_line, "m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ardenca m;
        set_fields(m, c.fields);
        const FieldTexts before = texts_of(m);
        try {
            run(m, c.command);
            ADD_FAILURE() << "no fault";
        } catch (const ArithmeticFault& f) {
            EXPECT_EQ(f.kind(), c.kind);
        }
        EXPECT_EQ(changed_fields(before, m), c.written);
        if (*c.command == 'l') {
            // C_o and ur are never written.
            EXPECT_EQ(std::tuple(m.state.C_o, m.state.ur), std::tuple(0.0, 1.0));
        }
    }
}

calc::MediumResult evaluate(Ardenca& m) {
    m.Medium_Click();
    calc::MediumResult r;
    m.calc(m.state.G, m.state.C, r);
    return r;
}

TEST(CalcFromMedium, OtherGrounds) {
    struct Case {
        const char* cond;
        const char* diel;
        std::array<double, 6> expected; // Zo_r, Zo_i, pc_r, pc_i, r_out, i_out
    };
    const Case cases[] = {
        {"0", "30", {58.221163, 0, 0, 0.80355912, 0, -123.04385}},
        {".005", "15", {67.316550, 24.875850, 0.22596539, 0.61148507, 130.20595, -143.42738}},
        {".01", "0", {44.497931, 44.497931, 0.52568900, 0.52568900, 153.99899, 8.5755716}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cond) + " S/m, " + c.diel);
        Ardenca m;
        set_fields(m, {{Text9, c.cond}, {Text10, c.diel}});
        const calc::MediumResult r = evaluate(m);
        const double got[] = {r.Zo_r, r.Zo_i, r.pc_r, r.pc_i, r.r_out, r.i_out};
        const double tolerance[] = {5e-6, 5e-8, 5e-5};
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(got[i], c.expected[i], tolerance[i / 2]) << i;
    }
}

TEST(CalcFromMedium, PermeabilityScalesTheSeriesImpedance) {
    Ardenca one, two;
    two.set_text(Text31, "2");
    const calc::MediumResult a = evaluate(one);
    const calc::MediumResult b = evaluate(two);
    EXPECT_NEAR(b.Zo_r / a.Zo_r, std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(b.pc_i / a.pc_i, std::sqrt(2.0), 1e-12);
}

} // namespace
} // namespace ardenca
