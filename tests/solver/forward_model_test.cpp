// The solver's forward model against the classic line models.
#include "app/ardenca.h"
#include "calc/ground_model.h"
#include "calc/line_models.h"
#include "calc/probe_fixture.h"
#include "reference_model.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace ardenca::solver_test {
namespace {

using calc::solver::cplx;

void expect_near_rel(cplx got, cplx want, double rel, const std::string& what) {
    EXPECT_LE(std::abs(got - want), rel * std::abs(want)) << what << ": " << got << " vs " << want;
}

struct LineCase {
    const char *spacing, *radius, *length, *freq_mhz, *ur;
    double sigma, eps_r;
};

TEST(SolverForwardModel, AgreesWithTheClassicLineInTheGround) {
    const LineCase cases[] = {
        {".1", ".007", ".55", "7", "1", 0.01, 30},   {".1", ".007", ".55", "7", "1", 1, 80},
        {".3", ".002", "1.2", "30", "1", 5e-4, 3},   {".05", ".004", ".2", "1.8", "2", 0.5, 60},
        {".2", ".005", "1", "14", "5", 1e-5, 200},   {".15", ".003", ".8", "21", "1", 20, 1},
        {".1", ".007", ".55", "7", "1", 0.005, 400}, {".25", ".006", "1.1", "28", "1.5", 0.02, 15},
    };
    for (const LineCase& c : cases) {
        Ardenca m;
        m.set_text(Field::Text1, c.spacing);
        m.set_text(Field::Text2, c.radius);
        m.set_text(Field::Text3, c.length);
        m.set_text(Field::Text8, c.freq_mhz);
        m.set_text(Field::Text31, c.ur);
        m.Calc_Line();
        const double G = c.sigma * m.state.C_o / m.state.eo;
        const double C = c.eps_r * m.state.C_o;
        calc::MediumResult classic;
        m.calc(G, C, classic);
        const cplx want(classic.r_out, classic.i_out);

        const calc::ProbeSetup p{std::stod(c.spacing), std::stod(c.radius), std::stod(c.length),
                                 std::stod(c.ur)};
        const double f = std::stod(c.freq_mhz) * 1e6;
        const auto line = calc::solver::probe_line(p, f);
        const std::string what = std::string(c.length) + " m at " + c.freq_mhz + " MHz";
        EXPECT_NEAR(line.C_o_f_per_m, m.state.C_o, 1e-12 * m.state.C_o) << what;
        EXPECT_NEAR(line.L_o_h_per_m, m.state.L_o, 1e-12 * m.state.L_o) << what;
        expect_near_rel(calc::solver::rods_z_classic(line, c.sigma, c.eps_r), want, 1e-9, what);
        const cplx u =
            calc::solver::u_from_eps(line, calc::solver::ground_eps(line, c.sigma, c.eps_r));
        expect_near_rel(calc::solver::rods_z_from_u(line, u), want, 1e-9, what + " in u");
        expect_near_rel(meter_reading(p, f, ground(f, c.sigma, c.eps_r)), want, 1e-9,
                        what + " reference");
        // gamma l is the classic propagation constant times the length.
        expect_near_rel(u, cplx(classic.pc_r, classic.pc_i) * p.length_m, 1e-9, what + " gamma");
    }
}

// The chain's inverse carries a reading back through the matching section as the
// classic search does: conjugate, transform, conjugate.
TEST(SolverForwardModel, MatchingSectionUndoneAsTheClassicSearchDoes) {
    const std::tuple<double, double, cplx> cases[] = {{75, 9.77, {65.1779, -67.3409}},
                                                      {50, 45, {25, 10}},
                                                      {50, 90, {25, 0}},
                                                      {50, 135, {3, -40}},
                                                      {300, 200, {120, 85}},
                                                      {75, 359, {0.4, 0.7}}};
    for (const auto& [zo, deg, z] : cases) {
        const calc::Impedance probe = calc::probe_from_meter(zo, deg, {z.real(), z.imag()});
        const cplx want(probe.r_ohm, probe.x_ohm);
        const calc::ProbeSetup p{.matching = true, .match_zo_ohm = zo, .match_deg = deg};
        const auto chain = calc::solver::fixture_to_meter(p, calc::solver::probe_line(p, 7e6));
        const std::string what = std::to_string(deg) + " degrees";
        expect_near_rel(chain.inverse()(z), want, 1e-9, what);
        expect_near_rel(chain(want), z, 1e-9, what + " forwards");
    }
}

TEST(SolverForwardModel, SkinDepth) {
    // A good conductor: sqrt(2 / (w mu sigma)); a weak one: (2 / sigma) sqrt(eps / mu).
    const double pi = 3.14159265358979, co = 299792458, eo = 8.854187817e-12;
    const double mu0 = 1 / (co * co * eo);
    using calc::solver::skin_depth_m;
    EXPECT_NEAR(skin_depth_m(20, 1, 1, 1e5), std::sqrt(2 / (2 * pi * 1e5 * mu0 * 20)), 1e-7);
    EXPECT_NEAR(skin_depth_m(1e-5, 10, 1, 30e6), 2 / 1e-5 * std::sqrt(10 * eo / mu0), 1e-3);
    EXPECT_NEAR(skin_depth_m(0.01, 30, 4, 7e6) * 2, skin_depth_m(0.01, 30, 1, 7e6), 1e-9);
}

} // namespace
} // namespace ardenca::solver_test
