// The window model's side of the all-solutions solver: reading the fields, the notice
// after "Calculate from Known  Z in", the list, and showing a chosen ground.
#include "app/ground_solutions.h"
#include "app/number_text.h"
#include "app/solutions_list.h"
#include "model_fixture.h"

#include <gtest/gtest.h>
#include <iomanip>
#include <sstream>

namespace ardenca {
namespace {

using enum Field;
using testing::FieldTextList;
using testing::set_fields;

// The matching section and the fixture's extras are cli_test's (solve through a fixture).
TEST(GroundSolutions, ReadsTheFieldsTheSearchReads) {
    Ardenca m;
    set_fields(m, {{Text1, ".2"}, {Text2, ".005"}, {Text3, "1.1"}, {Text8, "14"}});
    set_fields(m, {{Text31, "2"}, {Text23, "12.5"}, {Text24, "-30"}});
    const FieldReading r = reading_from_fields(m);
    const auto& p = r.probe;
    EXPECT_EQ(std::tie(p.spacing_m, p.radius_m, p.length_m, p.ur, r.freq_hz, p.matching),
              std::tuple(0.2, 0.005, 1.1, 2.0, 14e6, false));
    EXPECT_EQ(r.z_meter_ohm, std::complex<double>(12.5, -30));
}

// A 1.095 m probe at 12.2 MHz: the reading fits 0.0068 S/m with Diel C 38.8 exactly, and
// within the meter's accuracy 0.32 S/m with Diel C 1.
FieldTextList near_reading() {
    return {{Text1, "0.245"}, {Text2, "0.0119"}, {Text3, "1.095"},
            {Text8, "12.2"},  {Text23, "11.65"}, {Text24, "11.94"}};
}

TEST(GroundSolutions, NoticeAfterTheSearch) {
    struct Case {
        FieldTextList fields;
        const char* expected; // a part of the notice; "" for no notice
        calc::SolveOptions options = {};
    };
    const auto long_probe = [](const char* r_in, const char* x_in) {
        return FieldTextList{{Text3, "1.2"}, {Text8, "30"}, {Text23, r_in}, {Text24, x_in}};
    };
    const Case cases[] = {
        {{}, ""},
        // The search's 1 S/m, 80 is the one ground of the box.
        {{{Text23, "4.533605"}, {Text24, "4.418232"}}, ""},
        {long_probe("20", "-10"), "This reading fits 4 grounds"},
        // The search finds the long probe's first ground (dielectric constant 3.9); a
        // range from 10 up leaves it out.
        {long_probe("20", "-10"), "not among the 3 grounds", {.eps_r_min = 10}},
        // Both stages miss this reading of the long probe, though three grounds fit it.
        {long_probe("189.6", "-273.8"), "The search found no ground, but"},
        // Dielectric constant 400 lies outside the box.
        {{{Text23, "0.402382"}, {Text24, "0.695330"}}, "The search's result lies outside"},
        // Both stages fault.
        {{{Text24, "50"}}, "No ground with conductivity 1e-05 to 20 S/m"},
        // A long probe whose reading's own ground left the box below Diel C 1: the one
        // ground listed is not the whole story, and with it outside the range the near
        // grounds are all there is.
        {near_reading(), "within the meter's accuracy it also fits Cond 0.32"},
        {near_reading(),
         "reproduces this reading exactly; within the meter's accuracy it fits",
         {.eps_r_max = 30}},
        // Not searched, not said to have no ground.
        {{{Text8, "1e6"}}, "not searched: the probe is 5.189e+04 half-waves long"},
        {long_probe("20", "-10"),
         "not searched: the box holds 4 grounds, above the 2",
         {.max_count = 2}},
    };
    for (const Case& c : cases) {
        Ardenca m;
        set_fields(m, c.fields);
        m.Command2_Click();
        const std::string notice = solutions_notice(m, solve_fields(m, {}, c.options), c.options);
        EXPECT_TRUE(*c.expected ? notice.find(c.expected) != std::string::npos : notice.empty())
            << notice;
    }
}

// The near grounds follow the grounds as rows of their own, with a note; the choice
// stays among the grounds.
TEST(GroundSolutions, ListsNearGroundsBelowTheGrounds) {
    Ardenca m;
    set_fields(m, near_reading());
    SolutionsList list;
    list.solve(m);
    ASSERT_EQ(list.count() * 10 + list.near_count(), 11);
    const auto cells = list.near_row(0);
    ASSERT_EQ(cells.size(), SolutionsList::headers().size());
    EXPECT_NEAR(std::stod(cells[0]), 0.32, 0.01);
    EXPECT_EQ(cells[1] + "|" + cells[2], "|1");
    EXPECT_EQ(cells.back().rfind("near ground, Diel C at its minimum, chi2 0.", 0), 0u);
    EXPECT_NE(list.near_note().find("chi2 at most 4"), std::string::npos);
    EXPECT_NE(list.summary().find("also fits 1 ground on the edge"), std::string::npos);
    list.choose(1);
    EXPECT_EQ(list.chosen(), 0);
}

TEST(GroundSolutions, ListRowsSummaryAndChoice) {
    Ardenca m;
    set_fields(m, {{Text3, "1.2"}, {Text8, "30"}, {Text23, "20"}, {Text24, "-10"}});
    SolutionsList list;
    list.solve(m);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.chosen(), 0);
    EXPECT_EQ(list.summary().rfind("4 grounds fit 20.0000 - j10.0000 ohm at the rods", 0), 0u);
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.row(i).size(), SolutionsList::headers().size());
    // Skin depth against the rod length.
    const auto& g = list.result().solutions[0];
    EXPECT_EQ(
        list.row(0)[7],
        (std::ostringstream() << std::fixed << std::setprecision(2) << g.skin_depth_m / 1.2).str());
    list.choose(9);
    EXPECT_EQ(list.chosen(), 0);
    list.choose(3);
    const std::uint64_t before = m.evaluations();
    ASSERT_TRUE(list.show_chosen(m));
    const calc::GroundSolution& shown = list.result().solutions[3];
    EXPECT_EQ(m.text(Text9), format_number(shown.sigma_s_per_m, pattern::ground));
    EXPECT_EQ(m.text(Text10), format_number(shown.eps_r, pattern::ground));
    // Calc From Medium ran: the line-in-ground results show the reading again, to the
    // rounding of Cond and Diel C.
    EXPECT_EQ(m.evaluations(), before + 1);
    EXPECT_NEAR(text_to_number(m.text(Text17)), 20, 2e-3);
    EXPECT_NEAR(text_to_number(m.text(Text18)), -10, 2e-3);

    // Narrower ranges leave fewer; a reading no ground makes leaves nothing to show.
    list.options().eps_r_max = 50;
    list.solve(m);
    EXPECT_EQ(list.count(), 2);
    set_fields(m, {{Text3, ".55"}, {Text8, "7"}, {Text24, "900"}});
    list.solve(m);
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(list.chosen());
    EXPECT_FALSE(list.show_chosen(m));
    EXPECT_EQ(list.summary().rfind("No ground fits", 0), 0u);
}

} // namespace
} // namespace ardenca
