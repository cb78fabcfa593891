// The sweep window's model without a window: the set-up from the main window's fields
// or a ground data file, steps taken in and refused, the table's text.
#include "app/ardenca.h"
#include "app/sweep/number_format.h"
#include "app/sweep/soil_text.h"
#include "app/sweep/sweep_model.h"
#include "app/sweep/sweep_setup.h"
#include "app/sweep/sweep_table.h"
#include "calc/arithmetic_fault.h"
#include "export/export_file.h"

#include "../qt/sweep_fixture.h"
#include "soil_fit/soils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <random>
#include <regex>

using namespace ardenca;

namespace {

using Kind = SweepStep::Kind;

// Every member given, in order: kind, file, point_count, warnings, error, points,
// average, notes.
SweepStep step(Kind kind, std::size_t file, std::vector<sweep::PointResult> points = {},
               std::string error = "") {
    return {kind, file, 0, {}, std::move(error), std::move(points), {}, {}};
}

SweepStep read_step(std::size_t file, std::size_t points, std::vector<std::string> warnings = {}) {
    return {Kind::Read, file, points, std::move(warnings), "", {}, {}, {}};
}

} // namespace

TEST(SweepSetup, FromTheMainWindowFieldsOrAGroundDataFile) {
    Ardenca model;
    FixtureOptions fixture{.lead_nh = 30, .air_m = 0.05};
    SweepSetup setup = setup_from_window(model, fixture);
    const auto& p = setup.engine.probe;
    EXPECT_EQ(std::tie(p.spacing_m, p.radius_m, p.length_m, p.ur, p.lead_nh, p.air_m),
              std::tuple(0.1, 0.007, 0.55, 1.0, 30.0, 0.05));
    // The classic search corrects for no fixture, and the set-up says so.
    fixture.method = sweep::SolveMethod::Classic;
    setup = setup_from_window(model, fixture);
    EXPECT_EQ(std::tie(p.lead_nh, p.air_m), std::tuple(0.0, 0.0));
    EXPECT_NE(describe(setup).find("classic search, without the fixture"), std::string::npos);
    EXPECT_EQ(std::tie(p.matching, setup.engine.setup_freq_hz, setup.method, setup.source),
              std::tuple(false, 7e6, sweep::SolveMethod::Classic, ""));

    model.select_option(MatchingOption::UseMatchingSection);
    model.set_text(Field::Text26, " 12.5 deg");
    setup = setup_from_window(model, fixture);
    // " 12.5 deg" is read as the window reads its fields.
    EXPECT_EQ(std::tie(p.matching, p.match_zo_ohm, p.match_deg), std::tuple(true, 75.0, 12.5));
    EXPECT_NE(describe(setup).find("matching section 75 Ω 12.5° at 7 MHz"), std::string::npos);

    model.set_text(Field::Text3, "1e999");
    EXPECT_THROW(setup_from_window(model, fixture), ArithmeticFault);

    // From a ground data file; its refusals are the engine's set-up tests.
    const std::string path = ARDENCA_EXAMPLES_DIR "/matching-section.gnd";
    setup = setup_from_ground_file(path, {.top_pf = 4.7});
    EXPECT_EQ(std::tie(p.matching, p.match_deg, p.top_pf, setup.source),
              std::tuple(true, 9.77, 4.7, path));
}

TEST(SweepSetup, EveryInputCountsAsAChange) {
    const SweepSetup base = setup_from_window(Ardenca(), FixtureOptions{});
    const std::vector<std::function<void(SweepSetup&)>> changes{
        [](SweepSetup& s) { s.engine.probe.spacing_m = 0.2; },
        [](SweepSetup& s) { s.engine.probe.match_deg = 1; },
        [](SweepSetup& s) { s.engine.probe.lead_nh = 1; },
        [](SweepSetup& s) { s.engine.setup_freq_hz = 3.5e6; },
        [](SweepSetup& s) { s.engine.solve.meter_pct = 2; },
        [](SweepSetup& s) { s.engine.solve.eps_r_max = 100; },
        [](SweepSetup& s) { s.method = sweep::SolveMethod::Classic; },
        [](SweepSetup& s) { s.average = false; },
        [](SweepSetup& s) { s.fit = sweep::FitChoice::Messier; },
        [](SweepSetup& s) { s.source = "a.gnd"; },
    };
    EXPECT_TRUE(same_setup(base, base));
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SweepSetup changed = base;
        changes[i](changed);
        EXPECT_FALSE(same_setup(base, changed)) << "change " << i;
    }
}

TEST(SweepModel, TakesTheStepsOfItsOwnRunOnly) {
    auto points = ardenca::testing::made_result(1, 20).locations[0].points;
    points[19].flags |= sweep::Unresolvable; // not searched: not counted as without a ground
    SweepModel model;
    const int old_run = model.start({"a.s1p", "b.s1p"}, SweepSetup{});
    const int run = model.start({"a.s1p", "b.s1p"}, SweepSetup{});
    EXPECT_EQ(model.state(), SweepModel::State::Running);
    EXPECT_FALSE(model.apply(old_run, read_step(0, 20)));

    EXPECT_TRUE(model.apply(run, step(Kind::Refused, 0, {}, "a.s1p:3: not a number")));
    EXPECT_TRUE(model.apply(run, read_step(1, 20, {"|S11| > 1 at 3 points"})));
    // Points of the refused file.
    EXPECT_FALSE(model.apply(run, step(Kind::Points, 0, {points[0]})));
    EXPECT_TRUE(model.apply(run, step(Kind::Points, 1, {points.begin(), points.begin() + 12})));
    EXPECT_TRUE(model.apply(run, step(Kind::Points, 1, {points.begin() + 12, points.end()})));
    EXPECT_EQ(std::tuple(model.points_done(), model.points_total(), model.rows().size()),
              std::tuple(20u, 20u, 20u));
    // A whole location tracked again replaces its points, and only one of the same size.
    EXPECT_FALSE(model.apply(run, step(Kind::Tracked, 1, {points[0]})));
    EXPECT_TRUE(model.apply(run, step(Kind::Tracked, 1, points)));
    EXPECT_EQ(model.replacements(), 1u);
    EXPECT_TRUE(model.apply(run, step(Kind::Finished, 0)));
    EXPECT_EQ(model.state(), SweepModel::State::Finished);
    EXPECT_EQ(model.refused_count(), 1);
    EXPECT_EQ(model.result().locations.size(), 1u);
    EXPECT_EQ(model.result().locations[0].path, "b.s1p");

    using enum SweepMessage::Kind;
    std::vector<std::pair<SweepMessage::Kind, std::string>> seen;
    for (const auto& m : model.messages())
        seen.emplace_back(m.kind, m.text);
    EXPECT_EQ(seen,
              (decltype(seen){{Error, "a.s1p:3: not a number"},
                              {Warning, "b.s1p: |S11| > 1 at 3 points"},
                              {Warning, "1 point was not searched: the probe is too many "
                                        "half-waves long there, or the box holds too many "
                                        "grounds to list."},
                              {Warning, "1 point has no solution in the search box."},
                              {Warning, "1 point is ambiguous: another solution lies within the "
                                        "tracking tolerance."}}));
}

TEST(SweepModel, CancelledOrFailedRunsTakeNothingMore) {
    SweepModel model;
    int run = model.start({"a.s1p"}, SweepSetup{});
    model.cancel();
    EXPECT_EQ(model.state(), SweepModel::State::Cancelled);
    EXPECT_FALSE(model.apply(run, read_step(0, 5)));
    EXPECT_EQ(model.messages().back().text, "Cancelled after 0 of 0 points.");

    run = model.start({"a.s1p"}, SweepSetup{});
    EXPECT_TRUE(model.messages().empty());
    EXPECT_TRUE(
        model.apply(run, step(Kind::Failed, 0, {}, "The radius must be below half the spacing.")));
    EXPECT_EQ(model.state(), SweepModel::State::Failed);
    EXPECT_FALSE(model.apply(run, read_step(0, 5)));
    EXPECT_EQ(model.start({}, SweepSetup{}), run + 1);
    EXPECT_EQ(model.state(), SweepModel::State::Empty);
}

TEST(SweepTable, CellsKeysCopiedTextAndNumbers) {
    auto result = ardenca::testing::made_result(1, 30);
    result.locations[0].points[5].flags |= sweep::InfiniteReading;
    const SweepRow solved{0, 0}, unsolved{0, 10}, open_row{0, 5};
    const auto& p = result.locations[0].points[0];
    using enum SweepColumn;
    EXPECT_EQ(cell_text(result, solved, Location), "site1.s1p");
    EXPECT_EQ(cell_text(result, solved, FreqMhz), "1");
    EXPECT_EQ(cell_text(result, solved, Sigma), plain_number(p.solutions[0].sigma_s_per_m));
    EXPECT_EQ(cell_key(result, solved, UEpsR), p.solutions[0].u_eps_r);
    EXPECT_EQ(cell_text(result, unsolved, Sigma), "");
    EXPECT_TRUE(std::isnan(cell_key(result, unsolved, SkinDepth)));
    EXPECT_EQ(cell_text(result, unsolved, Solutions), "0");
    EXPECT_EQ(cell_text(result, unsolved, Flags), "no solution");
    EXPECT_EQ(cell_text(result, open_row, RMeasured), "");
    EXPECT_EQ(point_flag_text(sweep::Ambiguous | sweep::ElectricallyLong | sweep::IncompleteCount |
                              sweep::Outlier),
              "ambiguous, electrically long, count not proved, left out");
    EXPECT_EQ(point_flag_text(sweep::NearAlternative), "near ground fits too");

    const std::string text = tab_separated(result, {solved, unsolved});
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "Location\tf (MHz)\tR meas (Ω)\tX meas (Ω)\tR probe (Ω)\tX probe (Ω)\t"
              "σ (S/m)\tu σ (S/m)\tεr\tu εr\tSkin depth (m)\tSolutions\tFlags");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 3 * (sweep_column_count - 1));

    const double values[] = {0.00601234567, 12.5, 1.5e-7, 0, -3, HUGE_VAL};
    const char* shown[] = {"0.00601235", "12.5", "1.5e-07", "0", "-3", "inf"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(plain_number(values[i]), shown[i]) << values[i];
    EXPECT_EQ(plain_number(7.040207123, 7), "7.040207");
    EXPECT_EQ(counted(1, "point", "points"), "1 point");
    EXPECT_EQ(counted(0, "point", "points"), "0 points");
}

// Given a line "... σ X ± U S/m, εr Y ± V ...", whether both lie within max(3 u, 5 %) of
// the soil's own and their u below half their value.
void expect_near_soil(const std::string& line, soil_test::Ground soil) {
    static const std::regex numbers("σ (\\S+) ± (\\S+) S/m, εr (\\S+) ± (\\S+)");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(line, m, numbers)) << line;
    const double sigma = std::stod(m[1]), u_sigma = std::stod(m[2]);
    const double eps = std::stod(m[3]), u_eps = std::stod(m[4]);
    EXPECT_LE(std::abs(sigma - soil.sigma), std::max(3 * u_sigma, 0.05 * soil.sigma)) << line;
    EXPECT_LE(std::abs(eps - soil.eps_r), std::max(3 * u_eps, 0.05 * soil.eps_r)) << line;
    EXPECT_LT(u_sigma, sigma / 2) << line;
    EXPECT_LT(u_eps, eps / 2) << line;
}

// A constant-phase soil read through the default probe, solved by the work with a soil
// model asked for: the location gets the model and a note with its parameters; without
// one, neither.
TEST(SweepModel, SoilModelFittedWhenAskedFor) {
    const std::string path = ::testing::TempDir() + "/constant_phase.s1p";
    sweep::Sweep sweep;
    sweep.parameter = "Z";
    sweep.data_format = "RI";
    std::mt19937 rng(2);
    for (int i = 0; i < 120; ++i) {
        const double f = 1e6 + 29e6 * i / 119;
        const auto g = soil_test::jonscher(0.004, 9, 40, 0.35, f);
        sweep.points.push_back({f, soil_test::noisy_reading({}, f, g, 1, 0.5, rng), false});
    }
    std::ofstream(path, std::ios::binary) << sweep::write_touchstone(sweep);
    for (auto fit : {sweep::FitChoice::Auto, sweep::FitChoice::None}) {
        Ardenca main_window;
        FixtureOptions fixture;
        fixture.fit = fit;
        SweepModel model;
        const int run = model.start({path}, setup_from_window(main_window, fixture));
        auto work = make_sweep_work({path}, model.setup());
        for (bool more = true; more;) {
            SweepStep s = work->next();
            more = s.kind != Kind::Finished && s.kind != Kind::Failed;
            model.apply(run, std::move(s));
        }
        ASSERT_EQ(model.result().locations.size(), 1u);
        const auto& location = model.result().locations[0];
        const auto note = std::ranges::find_if(model.messages(), [](const SweepMessage& m) {
            return m.text.find("soil model jonscher") != std::string::npos;
        });
        // The ground at 7 MHz in the panel's words: the soil's own within its u, from the
        // model or, without one, from the chosen grounds; past the band only a model can
        // say, and says it extrapolates.
        const soil_test::Ground at7 = soil_test::jonscher(0.004, 9, 40, 0.35, 7e6);
        const auto ground7 = ground_at_lines(model.result(), 7e6);
        const auto ground50 = ground_at_lines(model.result(), 50e6);
        ASSERT_EQ(ground7.size(), 1u);
        ASSERT_EQ(ground50.size(), 1u);
        expect_near_soil(ground7[0], at7);
        const auto words = soil_model_lines(model.result(), fit);
        if (fit == sweep::FitChoice::None) {
            EXPECT_TRUE(words.empty());
            EXPECT_NE(ground7[0].find("from the chosen grounds around it"), std::string::npos);
            EXPECT_NE(ground50[0].find("no ground: outside the measured band"), std::string::npos)
                << ground50[0];
            EXPECT_FALSE(location.fit);
            EXPECT_EQ(note, model.messages().end());
            EXPECT_THROW(model.export_nec_bands(::testing::TempDir() + "/none.nec", {7e6}),
                         exports::ExportError);
            continue;
        }
        ASSERT_TRUE(location.fit && location.fit->acceptable);
        EXPECT_EQ(location.fit->model, calc::SoilModel::Jonscher);
        ASSERT_EQ(words.size(), 1u);
        EXPECT_EQ(words[0].find("constant_phase.s1p: constant phase: σdc "), 0u) << words[0];
        EXPECT_NE(ground7[0].find("from the soil model."), std::string::npos) << ground7[0];
        EXPECT_NE(ground50[0].find("from the soil model, EXTRAPOLATED"), std::string::npos)
            << ground50[0];
        ASSERT_NE(note, model.messages().end());
        EXPECT_NE(note->text.find("n 0.3"), std::string::npos) << note->text;
        for (const auto& p : location.points)
            EXPECT_TRUE(p.model.has_value());
        // The model by bands for a NEC deck: one block per band.
        const std::string nec = ::testing::TempDir() + "/bands.nec";
        model.export_nec_bands(nec, {3.5e6, 7e6, 14e6});
        std::ifstream in(nec);
        int gn = 0, xq = 0;
        for (std::string line; std::getline(in, line);) {
            gn += line.starts_with("GN 2 0 0 0 ");
            xq += line.starts_with("XQ");
        }
        EXPECT_EQ(gn, 3);
        EXPECT_EQ(xq, 3);
    }
}

// What the panel says when no model fits, for one model asked for or the best, and for the
// area of several locations.
TEST(SoilText, NoModelAndTheAreaInPlainWords) {
    sweep::SweepResult result;
    result.locations = {ardenca::testing::made_location("/data/site1.s1p", 30, 1),
                        ardenca::testing::made_location("/data/site2.s1p", 30, 1.1),
                        ardenca::testing::made_location("/data/site3.s1p", 30, 1.2)};
    calc::SoilFit missed;
    missed.model = calc::SoilModel::Messier;
    missed.chi2_per_dof = 250;
    missed.points_used = 20;
    missed.points_total = 30;
    result.locations[0].fit = missed;
    result.locations[2].points[4].flags |= sweep::Provisional; // still solving: no line yet
    const auto asked = soil_model_lines(result, sweep::FitChoice::Messier);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].find("The Messier model does not fit site1.s1p (χ²/dof 250, 20 of 30"), 0u)
        << asked[0];
    EXPECT_EQ(asked[1].find("No soil model fits site2.s1p: "), 0u) << asked[1];
    for (const std::string& line : asked)
        EXPECT_NE(line.find("Check the probe"), std::string::npos) << line;
    EXPECT_EQ(soil_model_lines(result, sweep::FitChoice::Auto)[0].find("No soil model fits"), 0u);
    result.method = sweep::SolveMethod::Classic;
    EXPECT_TRUE(soil_model_lines(result, sweep::FitChoice::Auto).empty());
    result.method = sweep::SolveMethod::AllSolutions;

    // The area: a constant ground, so its u at any frequency is the parameters' own.
    calc::SoilFit area;
    area.model = calc::SoilModel::Constant;
    area.value = {0.01, 20};
    area.u = {0.001, 2};
    area.covariance[0][0] = 1e-6;
    area.covariance[1][1] = 4;
    area.acceptable = true;
    area.f_min_hz = 1e6;
    area.f_max_hz = 30e6;
    result.area_fit = area;
    EXPECT_EQ(soil_model_lines(result, sweep::FitChoice::Auto)
                  .back()
                  .find("Area (3 locations): constant: σ 0.01 ± 0.001 S/m, εr 20 ± 2"),
              0u);
    for (double f_hz : {7e6, 60e6}) {
        const auto at = ground_at_lines(result, f_hz);
        ASSERT_EQ(at.size(), 4u);
        expect_near_soil(at.back(), {0.01, 20});
        EXPECT_EQ(at.back().find("EXTRAPOLATED") != std::string::npos, f_hz > 30e6) << at.back();
    }
    result.area_fit->acceptable = false;
    EXPECT_NE(soil_model_lines(result, sweep::FitChoice::Auto).back().find("no one soil model"),
              std::string::npos);
    EXPECT_EQ(ground_at_lines(result, 7e6).size(), 3u);
}
