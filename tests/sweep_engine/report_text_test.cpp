// The printable report's content, without a toolkit: which rows, which frequencies, the
// soil models and the flags explained.
#include "export/flag_explanations.h"
#include "export/report_text.h"
#include "files/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <regex>
#include <set>

namespace ardenca::exports {
namespace {

// Frequencies from lo to hi, evenly spaced in f (as analysers sweep).
std::vector<double> linear_freqs(double lo_hz, double hi_hz, int n) {
    std::vector<double> f;
    for (int i = 0; i < n; ++i)
        f.push_back(lo_hz + (hi_hz - lo_hz) * i / (n - 1));
    return f;
}

TEST(ReportText, RoundFrequenciesLieInTheBandOnTheSeriesAndWithinTheBudget) {
    const std::set<double> mantissas{1, 1.5, 2, 2.5, 3, 4, 5, 6, 7, 8, 9};
    const std::pair<double, double> bands[] = {
        {1e6, 60e6}, {1.8e6, 30e6}, {0.13e6, 0.9e6}, {3.3e6, 4.1e6}, {5e3, 2e9}};
    for (const auto& [lo, hi] : bands)
        for (int rows = 1; rows <= 14; ++rows) {
            const std::vector<double> f = round_freqs_hz(lo, hi, rows);
            EXPECT_LE(f.size(), static_cast<std::size_t>(rows));
            for (std::size_t i = 0; i < f.size(); ++i) {
                EXPECT_GE(f[i], lo * (1 - 1e-9));
                EXPECT_LE(f[i], hi * (1 + 1e-9));
                if (i > 0) {
                    EXPECT_GT(f[i], f[i - 1]);
                }
                const double m = f[i] / std::pow(10.0, std::floor(std::log10(f[i]) + 1e-12));
                EXPECT_TRUE(mantissas.count(std::round(m * 10) / 10)) << f[i];
            }
        }
    // By hand: 1–60 MHz holds 1, 2, 5, 10, 20, 50 MHz in the 1-2-5 series and two more
    // (3, 30) in 1-2-3-5; a band edge on a round value counts.
    EXPECT_EQ(round_freqs_hz(1e6, 60e6, 7).size(), 6u);
    EXPECT_EQ(round_freqs_hz(1e6, 60e6, 8).size(), 8u);
    EXPECT_DOUBLE_EQ(round_freqs_hz(1e6, 60e6, 6).front(), 1e6);
    EXPECT_EQ(round_freqs_hz(1e6, 60e6, 5).size(), 4u); // 1, 3, 10, 30
    EXPECT_TRUE(round_freqs_hz(1e6, 60e6, 1).empty());  // 1 and 10 MHz are already two
}

TEST(ReportText, RowsAreMeasuredPointsNearTheRoundFrequenciesOrSpreadEvenly) {
    std::string note;
    // Few points: every one, in rising frequency even when given falling.
    const std::vector<double> few{9e6, 5e6, 2e6};
    EXPECT_EQ(report_rows(few, 8, note), (std::vector<std::size_t>{2, 1, 0}));
    EXPECT_NE(note.find("every"), std::string::npos);

    // Many points over a wide band: each row is the point nearest a round frequency.
    const std::vector<double> wide = linear_freqs(1e6, 60e6, 301);
    const std::vector<std::size_t> rows = report_rows(wide, 8, note);
    const std::vector<double> targets = round_freqs_hz(1e6, 60e6, 8);
    ASSERT_EQ(rows.size(), targets.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const double d = std::fabs(std::log(wide[rows[k]] / targets[k]));
        for (double f : wide)
            EXPECT_LE(d, std::fabs(std::log(f / targets[k])) + 1e-15);
    }
    EXPECT_NE(note.find("1, 2, 3, 5, 10, 20, 30 and 50 MHz"), std::string::npos) << note;

    // A narrow band holds too few round values: rows spread evenly, both ends included.
    const std::vector<double> narrow = linear_freqs(7.0e6, 7.3e6, 61);
    const std::vector<std::size_t> spread = report_rows(narrow, 6, note);
    ASSERT_EQ(spread.size(), 6u);
    EXPECT_EQ(spread.front(), 0u);
    EXPECT_EQ(spread.back(), 60u);
    EXPECT_NE(note.find("evenly"), std::string::npos);
}

TEST(ReportText, ValuesCarryTheirUncertaintyToItsSecondDigit) {
    EXPECT_EQ(value_with_u(0.006123, 0.00021), "0.00612 ± 0.00021");
    EXPECT_EQ(value_with_u(12.3456, 0.96), "12.35 ± 0.96");
    EXPECT_EQ(value_with_u(0.0123, 0.000996), "0.0123 ± 0.0010"); // u rounds up a digit
    EXPECT_EQ(value_with_u(1234.7, 56), "1235 ± 56");
    EXPECT_EQ(value_with_u(1e-5, 2e-7), "(1.000 ± 0.020)e-5");
    EXPECT_EQ(value_with_u(12.3456, std::nan("")), "12.35");
    EXPECT_EQ(value_with_u(std::nan(""), 1), "–");
    EXPECT_EQ(value_with_u(0.0110798, 1.7e-18), "0.0110798 ± 1.7e-18"); // no 20 digits
}

calc::GroundSolution ground(double sigma, double eps_r) {
    calc::GroundSolution g;
    g.sigma_s_per_m = sigma;
    g.eps_r = eps_r;
    g.u_sigma_s_per_m = sigma / 20;
    g.u_eps_r = eps_r / 10;
    return g;
}

// Two locations over 1–30 MHz; the first with an acceptable soil model and some points
// ambiguous, the second with none acceptable and one point without a ground.
sweep::SweepResult sample() {
    sweep::SweepResult r;
    for (int l = 0; l < 2; ++l) {
        sweep::LocationResult loc;
        loc.path = l == 0 ? "/field/day/north.s1p" : "south.s1p";
        for (double f : linear_freqs(1e6, 30e6, 59)) {
            sweep::PointResult p;
            p.freq_hz = f;
            p.solutions = {ground(0.01 * (1 + l), 20 - f / 2e6)};
            p.chosen = 0;
            if (l == 0 && f > 20e6) // 20.5 to 30 MHz: 20 points
                p.flags = sweep::Ambiguous;
            loc.points.push_back(p);
        }
        loc.points[3].chosen.reset();
        loc.points[3].flags = l == 1 ? unsigned{sweep::NoSolution} : 0u;
        calc::SoilFit fit;
        fit.model = l == 0 ? calc::SoilModel::Messier : calc::SoilModel::Constant;
        fit.value = {0.0123, 9.5};
        fit.u = {0.00056, 0.25};
        fit.acceptable = l == 0;
        fit.chi2_per_dof = l == 0 ? 1.1 : 40;
        fit.points_used = fit.points_total = 59;
        fit.f_min_hz = 1e6;
        fit.f_max_hz = 30e6;
        loc.fit = fit;
        r.locations.push_back(loc);
    }
    return r;
}

TEST(ReportText, TablesFitsAndOnlyTheFlagsThatOccur) {
    const ReportInfo info{"9.8.7", "2026-01-02 03:04", "probe.gnd", "/x/fixture.json"};
    const sweep::SweepResult r = sample();
    const ReportText text = report_text(r, info, 6);
    EXPECT_NE(text.stamp.find("9.8.7"), std::string::npos);
    EXPECT_NE(text.stamp.find("2026-01-02 03:04"), std::string::npos);

    // One table per location, named by the file, rows within the budget and the band.
    ASSERT_EQ(text.tables.size(), 2u);
    EXPECT_EQ(text.tables[0].title, "north.s1p");
    for (const ReportTable& t : text.tables) {
        EXPECT_LE(t.rows.size(), 6u);
        EXPECT_GE(t.rows.size(), 3u);
        for (const auto& row : t.rows) {
            ASSERT_EQ(row.size(), t.headings.size());
            const double mhz = std::stod(row[0]);
            EXPECT_TRUE(mhz >= 1 && mhz <= 30) << mhz;
        }
    }
    // The first row (1 MHz) shows the chosen ground with its u.
    EXPECT_EQ(text.tables[1].rows[0][1], value_with_u(0.02, 0.001));

    // The acceptable model with its parameters ± u; the other location told it has none.
    ASSERT_EQ(text.fits.size(), 2u);
    EXPECT_NE(text.fits[0].find("Messier"), std::string::npos) << text.fits[0];
    EXPECT_NE(text.fits[0].find("0.01230 ± 0.00056 S/m"), std::string::npos) << text.fits[0];
    EXPECT_NE(text.fits[0].find("9.50 ± 0.25"), std::string::npos) << text.fits[0];
    EXPECT_NE(text.fits[1].find("no acceptable soil model"), std::string::npos);

    // Ambiguous and no solution occur, with where; no other flag is explained.
    std::set<std::string> told;
    for (const ReportFlag& flag : text.flags)
        told.insert(flag.name);
    EXPECT_EQ(told, (std::set<std::string>{"ambiguous", "no solution"}));
    EXPECT_NE(text.flags[0].where.find("north.s1p: 20 points, 20.5–30 MHz"), std::string::npos)
        << text.flags[0].where;
    EXPECT_EQ(text.flags[1].where.find("north"), std::string::npos);

    // The set-up names the files it came from; no average table without an average.
    std::string setup;
    for (const auto& [label, value] : text.setup)
        setup += label + ": " + value + "\n";
    EXPECT_NE(setup.find("probe.gnd"), std::string::npos);
    EXPECT_NE(setup.find("fixture.json"), std::string::npos);

    sweep::SweepResult averaged = r;
    sweep::AveragePoint a;
    a.freq_hz = 5e6;
    a.locations = 2;
    averaged.average = std::vector<sweep::AveragePoint>{a};
    EXPECT_EQ(report_text(averaged, info, 6).tables.size(), 3u);
    averaged.method = sweep::SolveMethod::Classic;
    EXPECT_EQ(report_text(averaged, info, 6).fits.size(), 1u);
}

// The explanations are the guide's own sentences, under the anchors the windows link to.
TEST(ReportText, FlagExplanationsAreTheGuides) {
    std::string guide = testing::read_bytes(ARDENCA_GUIDE_PATH);
    guide = std::regex_replace(guide, std::regex("\\s+"), " ");
    unsigned bits = 0;
    for (const FlagExplanation& flag : flag_explanations()) {
        bits |= flag.bit;
        const std::string anchor =
            "flag-" + std::regex_replace(std::string(flag.name), std::regex(" "), "-");
        EXPECT_EQ(flag.anchor, anchor);
        const std::size_t at = guide.find("name=\"" + anchor + "\"");
        ASSERT_NE(at, std::string::npos) << anchor;
        const std::string entry = guide.substr(at, guide.find("</dd>", at) - at);
        for (std::string_view words : {flag.meaning, flag.what_to_do})
            EXPECT_NE(entry.find(std::string(words)), std::string::npos) << anchor << ": " << words;
        EXPECT_EQ(flag_explanation(flag.bit), &flag);
    }
    EXPECT_EQ(bits, (sweep::Provisional << 1) - 1); // every flag, none twice
    EXPECT_EQ(flag_explanations().size(), static_cast<std::size_t>(std::popcount(bits)));
    EXPECT_EQ(flag_explanation(sweep::Provisional << 1), nullptr);
}

} // namespace
} // namespace ardenca::exports
