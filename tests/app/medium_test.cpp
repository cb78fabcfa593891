#include "model_fixture.h"

#include <array>
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
    EXPECT_EQ(changed_fields(before, m),
              (std::vector<Field>{Text4, Text5, Text6, Text7, Text11, Text12, Text13, Text14,
                                  Text15, Text16, Text17, Text18, Text19, Text20, Text21, Text22,
                                  Text27, Text28}));
    // Text17 and Text18 show the measurement, R in and X_in, again.
    expect_texts(m, {{Text11, "3.138e-10"}, {Text12, "0.01181"}, {Text13, "47.6000"}});
    expect_texts(m, {{Text14, "17.5899"}, {Text15, "00.3196"}, {Text16, "00.8648"}});
    expect_texts(m, {{Text17, "65.1779"}, {Text18, "-67.3409"}, {Text27, "65.1779"}});
    expect_texts(m, {{Text28, "-67.3409"}});
    EXPECT_EQ(std::tuple(m.state.cond, m.state.diel, m.evaluations()), std::tuple(0.01, 30.0, 1u));
    EXPECT_NEAR(m.state.G, 0.011813785, 5e-10);
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
