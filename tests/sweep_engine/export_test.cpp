#include "export/csv_export.h"
#include "export/export_file.h"
#include "export/json_export.h"
#include "export/nec_export.h"
#include "files/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <sstream>

namespace ardenca::exports {
namespace {

using ardenca::testing::read_bytes;
using ardenca::testing::TempDir;
using ardenca::testing::write_bytes;

calc::GroundSolution ground(double sigma, double eps_r) {
    return {.sigma_s_per_m = sigma,
            .eps_r = eps_r,
            .gamma_l = {0.3, 1.1},
            .u_sigma_s_per_m = sigma / 30,
            .u_eps_r = eps_r / 7,
            .flags = calc::NearDoubleRoot,
            .skin_depth_m = 1 / (sigma + 0.1)};
}

// Two locations: the first with a point of three grounds, one without any and an open
// reading (its solution never chosen: all of it is an alternative); the second on one
// point. With the average.
sweep::SweepResult sample() {
    sweep::SweepResult r;
    r.setup.matching = true;
    r.setup_freq_hz = 7e6;
    const std::complex<double> z{65.1779, -67.3409}, zp{0.1, 1.0 / 3};
    const sweep::PointResult p1{
        1e6, z, zp, {ground(0.1, 3), ground(0.0123, 17.25), ground(2, 150)}, 1, sweep::Ambiguous};
    r.locations = {{"site, \"north\".s1p",
                    {p1,
                     {2e6, z, zp, {}, std::nullopt, sweep::NoSolution},
                     {3e6, z, zp, {ground(0.02, 15)}, std::nullopt, sweep::InfiniteReading}},
                    {}},
                   {"b.s1p", {p1}, {}}};
    r.average = std::vector<sweep::AveragePoint>{{1e6, 0.0123, 0.001, 17.25, 2, 2, true, {1}}};
    return r;
}

// Every cell: from column 17 the alternatives, the chosen one left out; an open reading
// has no impedance; the model's columns where a point has it; the shortest form of
// each number reads back exactly.
TEST(Csv, RowsColumnsAndAlternatives) {
    const std::string site = "\"site, \"\"north\"\".s1p\"";
    const std::string p1 = ",1e+06,0.0123,0.00041,17.25,2.4642857142857144,8.904719501335707,3,"
                           "ambiguous,65.1779,-67.3409,0.1,0.3333333333333333,,,,,0.1,"
                           "0.0033333333333333335,3,0.42857142857142855,2,0.06666666666666667,150,"
                           "21.428571428571427\n";
    sweep::SweepResult r = sample();
    r.locations[0].points[1].model = calc::ModelGround{2e6, 0.011, 16, 0.0002, 0.4, false};
    EXPECT_EQ(sweep_csv(r),
              "location,f_hz,sigma_s_per_m,u_sigma_s_per_m,eps_r,u_eps_r,skin_depth_m,n_solutions,"
              "flags,r_measured_ohm,x_measured_ohm,r_probe_ohm,x_probe_ohm,model_sigma_s_per_m,"
              "model_u_sigma_s_per_m,model_eps_r,model_u_eps_r,alt1_sigma_s_per_m,"
              "alt1_u_sigma_s_per_m,alt1_eps_r,alt1_u_eps_r,alt2_sigma_s_per_m,"
              "alt2_u_sigma_s_per_m,alt2_eps_r,alt2_u_eps_r\n" +
                  site + p1 + site +
                  ",2e+06,,,,,,0,no_solution,65.1779,-67.3409,0.1,0.3333333333333333,0.011,2e-04,"
                  "16,0.4,,,,,,,,\n" +
                  site +
                  ",3e+06,,,,,,1,infinite_reading,,,,,,,,,0.02,0.0006666666666666666,15,"
                  "2.142857142857143,,,,\nb.s1p" +
                  p1 +
                  "average,1e+06,0.0123,0.001,17.25,2,,2,average|interpolated,,,,,,,,,,,,,,,,\n");
}

TEST(Json, Shape) {
    sweep::SweepResult r = sample();
    const nlohmann::json j = nlohmann::json::parse(sweep_json(r).dump());
    EXPECT_EQ(j["setup"]["matching"], true);
    EXPECT_EQ(j["setup"]["method"], "all");
    ASSERT_EQ(j["files"].size(), 2u);
    const auto& p = j["files"][0]["points"];
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0]["chosen"], 1);
    EXPECT_EQ(p[0]["z_measured_ohm"][1].get<double>(), -67.3409);
    EXPECT_EQ(p[0]["solutions"][1]["sigma_s_per_m"].get<double>(), 0.0123);
    EXPECT_EQ(p[0]["solutions"][1]["flags"][0], "near_double_root");
    EXPECT_EQ(p[0]["flags"], nlohmann::json::array({"ambiguous"}));
    EXPECT_EQ(p[0]["skin_depth_m"].get<double>(), 1 / (0.0123 + 0.1));
    EXPECT_TRUE(p[1]["chosen"].is_null());
    EXPECT_TRUE(p[1]["skin_depth_m"].is_null());
    EXPECT_TRUE(p[2]["z_measured_ohm"].is_null());
    EXPECT_EQ(j["average"]["points"][0]["interpolated_files"][0], "b.s1p");

    r.average.reset();
    r.locations[0].points[0].solutions[1].u_eps_r = NAN;
    const auto k = sweep_json(r);
    EXPECT_TRUE(k["average"].is_null());
    EXPECT_TRUE(k["files"][0]["points"][0]["solutions"][1]["u_eps_r"].is_null());
}

// The JSON written point by point is the document, byte for byte, also with bytes that
// are not UTF-8 and an unresolvable point; written to a file it arrives whole, and a
// writer that fails half-way leaves the old file.
TEST(Json, StreamedAsTheDocument) {
    sweep::SweepResult r = sample();
    r.locations[1].path = "b-\xff.s1p";
    sweep::PointResult unsearched{9e10, {50, 1}, {50, 1}, {}, std::nullopt, sweep::Unresolvable,
                                  3900};
    unsearched.unresolved = calc::Unresolved::ProbeTooLong;
    r.locations[1].points.push_back(unsearched);
    const std::string whole =
        sweep_json(r).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::ostringstream streamed;
    write_sweep_json(streamed, r);
    EXPECT_EQ(streamed.str(), whole);
    const auto point = nlohmann::json::parse(whole)["files"][1]["points"][1];
    EXPECT_EQ(point["flags"], nlohmann::json::array({"unresolvable"}));
    EXPECT_NE(point["unresolvable"]["reason"].get<std::string>().find("3900 half-waves"),
              std::string::npos);

    TempDir dir;
    const std::string path = dir / "out.json";
    write_bytes(path, "old");
    EXPECT_THROW(write_export(path,
                              [&](std::ostream& out) {
                                  out << std::string(200000, 'x');
                                  throw std::bad_alloc();
                              }),
                 std::bad_alloc);
    EXPECT_EQ(read_bytes(path), "old");
    EXPECT_EQ(dir.entries().size(), 1u);
    write_export(path, [&](std::ostream& out) { write_sweep_json(out, r); });
    EXPECT_EQ(read_bytes(path), whole);
}

TEST(Nec, GroundAtAFrequency) {
    sweep::SweepResult one = sample();
    one.locations.resize(1);
    one.locations[0].points[1].solutions = {ground(0.02, 16)};
    one.locations[0].points[1].chosen = 0;
    // Exactly at a point, between two points in ln f, and refused outside or where the
    // neighbours have no ground.
    const NecGround at = nec_ground_at(one, 2e6);
    EXPECT_EQ(at.sigma_s_per_m, 0.02);
    EXPECT_NEAR(nec_ground_at(one, 1.5e6).eps_r, 17.25 - 1.25 * std::log(1.5) / std::log(2.0),
                1e-12);
    EXPECT_THROW(nec_ground_at(one, 0.5e6), ExportError);
    EXPECT_THROW(nec_ground_at(one, 2.5e6), ExportError); // 3 MHz has no chosen ground
    // Several locations: the average.
    EXPECT_EQ(nec_ground_at(sample(), 1e6).eps_r, 17.25);

    const std::string cards = nec_ground_cards(at);
    EXPECT_NE(cards.find("\nGN 2 0 0 0 16 0.02\n"), std::string::npos);
    std::istringstream in(cards);
    for (std::string line; std::getline(in, line);)
        EXPECT_TRUE(line.starts_with("CM ") || line.starts_with("GN ")) << line;
}

// nec2c reads a deck of a half-wave dipole 10 m above the exported ground.
TEST(Nec, Nec2cRunsADeckWithTheCard) {
    const std::string nec2c = ARDENCA_NEC2C;
    if (nec2c.empty())
        GTEST_SKIP() << "nec2c is not installed";
    const NecGround g{7.1e6, 0.0123, 17.25, 0.001, 1.5, "test.s1p, at a measured point"};
    const std::string cards = nec_ground_cards(g);
    const std::size_t gn = cards.find("\nGN ") + 1; // the comments go before CE
    const std::string deck = cards.substr(0, gn) +
                             "CE\nGW 1 21 0 -10.5 10 0 10.5 10 0.001\nGE 1\n" + cards.substr(gn) +
                             "FR 0 1 0 0 7.1 0\nEX 0 1 11 0 1 0\nRP 0 1 1 1000 45 90 0 0\nEN\n";
    TempDir dir;
    write_bytes(dir / "dipole.nec", deck);
    const std::string cmd = nec2c + " -i " + dir / "dipole.nec" + " -o " + dir / "dipole.out" +
                            " > " + dir / "log" + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << read_bytes(dir / "log");
    const std::string out = read_bytes(dir / "dipole.out");
    EXPECT_NE(out.find("SOMMERFELD"), std::string::npos) << out.substr(0, 3000);
    EXPECT_NE(out.find("1.7250E+01"), std::string::npos) << out.substr(0, 3000);
    EXPECT_NE(out.find("INPUT PARAMETERS"), std::string::npos);
}

} // namespace
} // namespace ardenca::exports
