#include "calc/arithmetic_fault.h"
#include "model_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;

calc::MediumResult evaluate(Ardenca& m) {
    m.Medium_Click();
    calc::MediumResult r;
    m.calc(m.state.G, m.state.C, r);
    return r;
}

TEST(CalcFromMedium, DefaultGroundReproducesTheDefaultMeasurement) {
    Ardenca m;
    const FieldTexts before = texts_of(m);
    m.Medium_Click();
    EXPECT_EQ(changed_fields(before, texts_of(m)),
              (std::vector<Field>{Text4, Text5, Text6, Text7, Text11, Text12, Text13, Text14,
                                  Text15, Text16, Text17, Text18, Text19, Text20, Text21, Text22,
                                  Text27, Text28}));
    expect_texts(m, {{Text11, "3.138e-10"}, {Text12, "0.01181"}, {Text13, "47.6000"}});
    expect_texts(m, {{Text14, "17.5899"}, {Text15, "00.3196"}, {Text16, "00.8648"}});
    EXPECT_EQ(m.text(Text17), m.text(Text23));
    EXPECT_EQ(m.text(Text18), m.text(Text24));
    EXPECT_EQ(m.text(Text27), "65.1779");
    EXPECT_EQ(m.text(Text28), "-67.3409");
    EXPECT_EQ(m.state.cond, 0.01);
    EXPECT_EQ(m.state.diel, 30);
    EXPECT_NEAR(m.state.G, 0.011813785, 5e-10);
    EXPECT_EQ(m.evaluations(), 1u);
}

TEST(CalcFromMedium, OtherGrounds) {
    struct Case {
        const char* cond;
        const char* diel;
        double Zo_r, Zo_i, pc_r, pc_i, r_in, x_in;
    };
    const Case cases[] = {
        {"0", "30", 58.221163, 0, 0, 0.80355912, 0, -123.04385},
        {".005", "15", 67.316550, 24.875850, 0.22596539, 0.61148507, 130.20595, -143.42738},
        {".01", "0", 44.497931, 44.497931, 0.52568900, 0.52568900, 153.99899, 8.5755716},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cond) + " S/m, " + c.diel);
        Ardenca m;
        set_fields(m, {{Text9, c.cond}, {Text10, c.diel}});
        const calc::MediumResult r = evaluate(m);
        EXPECT_NEAR(r.Zo_r, c.Zo_r, 5e-6);
        EXPECT_NEAR(r.Zo_i, c.Zo_i, 5e-6);
        EXPECT_NEAR(r.pc_r, c.pc_r, 5e-8);
        EXPECT_NEAR(r.pc_i, c.pc_i, 5e-8);
        EXPECT_NEAR(r.r_out, c.r_in, 5e-5);
        EXPECT_NEAR(r.i_out, c.x_in, 5e-5);
    }
}

TEST(CalcFromMedium, PermeabilityScalesTheSeriesImpedance) {
    Ardenca one;
    Ardenca two;
    two.set_text(Text31, "2");
    const calc::MediumResult a = evaluate(one);
    const calc::MediumResult b = evaluate(two);
    EXPECT_NEAR(b.Zo_r / a.Zo_r, std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(b.pc_i / a.pc_i, std::sqrt(2.0), 1e-12);
}

// No ground at all makes the admittance zero; a very lossy one overflows the hyperbolic
// tangent. Either way only the air-line results were written.
TEST(CalcFromMedium, FaultsWriteOnlyTheAirLineResults) {
    const std::tuple<const char*, const char*, FaultKind> cases[] = {
        {"0", "0", FaultKind::DivisionByZero}, {"1e6", "30", FaultKind::Overflow}};
    for (const auto& [cond, diel, kind] : cases) {
        Ardenca m;
        set_fields(m, {{Text9, cond}, {Text10, diel}});
        const FieldTexts before = texts_of(m);
        try {
            m.Medium_Click();
            ADD_FAILURE() << "no fault for " << cond;
        } catch (const ArithmeticFault& f) {
            EXPECT_EQ(f.kind(), kind);
        }
        for (Field f : changed_fields(before, texts_of(m)))
            EXPECT_EQ(field_info(f).container, Container::Frame2) << field_name(f);
        EXPECT_EQ(m.text(Text17), "");
    }
}

} // namespace
} // namespace ardenca
