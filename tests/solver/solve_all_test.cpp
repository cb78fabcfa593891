// The all-solutions solver: its forward model against the classic line models, and every
// ground of a reading against an independent dense search, over realistic set-ups and the
// hard ones: long probes, fixtures, matching sections past 90 degrees, ur != 1, grounds on
// the box's edge, nearly merging grounds and readings no ground makes.
#include "app/ardenca.h"
#include "calc/all_solutions.h"
#include "calc/ground_model.h"
#include "calc/line_models.h"
#include "calc/probe_fixture.h"
#include "calc/root_count.h"
#include "calc/root_search.h"
#include "reference_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <tuple>

namespace ardenca::solver_test {
namespace {

using calc::GroundSolution;
using calc::SolveOptions;
using calc::SolveResult;

using reference::pi;
using namespace calc::solver;

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
        const auto line = probe_line(p, f);
        const std::string what = std::string(c.length) + " m at " + c.freq_mhz + " MHz";
        EXPECT_NEAR(line.C_o_f_per_m, m.state.C_o, 1e-12 * m.state.C_o) << what;
        EXPECT_NEAR(line.L_o_h_per_m, m.state.L_o, 1e-12 * m.state.L_o) << what;
        expect_near_rel(rods_z_classic(line, c.sigma, c.eps_r), want, 1e-9, what);
        const cplx u = u_from_eps(line, ground_eps(line, c.sigma, c.eps_r));
        expect_near_rel(rods_z_from_u(line, u), want, 1e-9, what + " in u");
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
        const auto chain = fixture_to_meter(p, probe_line(p, 7e6));
        const std::string what = std::to_string(deg) + " degrees";
        expect_near_rel(chain.inverse()(z), want, 1e-9, what);
        expect_near_rel(chain(want), z, 1e-9, what + " forwards");
    }
}

TEST(SolverForwardModel, SkinDepth) {
    // A good conductor: sqrt(2 / (w mu sigma)); a weak one: (2 / sigma) sqrt(eps / mu).
    using reference::co, reference::eo;
    const double mu0 = 1 / (co * co * eo);
    EXPECT_NEAR(skin_depth_m(20, 1, 1, 1e5), std::sqrt(2 / (2 * pi * 1e5 * mu0 * 20)), 1e-7);
    EXPECT_NEAR(skin_depth_m(1e-5, 10, 1, 30e6), 2 / 1e-5 * std::sqrt(10 * eo / mu0), 1e-3);
    EXPECT_NEAR(skin_depth_m(0.01, 30, 4, 7e6) * 2, skin_depth_m(0.01, 30, 1, 7e6), 1e-9);
}

struct Reading {
    ProbeSetup p;
    double f_hz;
    cplx z_meter;
    double sigma = 0; // the ground that made it, 0 when none did
    double eps_r = 0;
    std::string what;
};

bool near_rel(double a, double b, double rel) {
    return std::abs(a - b) <= rel * std::abs(b);
}

std::string describe(const Reading& r) {
    const ProbeSetup& p = r.p;
    std::ostringstream o;
    o.precision(17);
    o << r.what << ": " << p.spacing_m << " " << p.radius_m << " " << p.length_m << " ur " << p.ur
      << " f " << r.f_hz << " match " << p.matching << " " << p.match_zo_ohm << "/" << p.match_deg
      << " fixture " << p.lead_nh << " " << p.top_pf << " " << p.air_m << " z " << r.z_meter;
    return o.str();
}

class Maker {
  public:
    explicit Maker(unsigned seed) : rng_(seed) {}
    double uniform(double a, double b) { return std::uniform_real_distribution<>(a, b)(rng_); }
    double log_uniform(double a, double b) { return std::exp(uniform(std::log(a), std::log(b))); }

    ProbeSetup realistic_probe() {
        ProbeSetup p;
        p.spacing_m = uniform(0.05, 0.3);
        p.radius_m = uniform(0.002, std::min(0.012, p.spacing_m / 4));
        p.length_m = uniform(0.2, 1.2);
        return p;
    }
    ProbeSetup fixture_probe() {
        ProbeSetup p = realistic_probe();
        p.ur = uniform(0, 1) < 0.5 ? 1 : uniform(1, 6);
        if (uniform(0, 1) < 0.6) {
            p.matching = true;
            p.match_zo_ohm = uniform(0, 1) < 0.5 ? 50 : 75;
            p.match_deg = uniform(0, 330);
        }
        p.lead_nh = uniform(0, 1) < 0.5 ? 0 : uniform(0, 400);
        p.top_pf = uniform(0, 1) < 0.5 ? 0 : uniform(0, 15);
        p.air_m = uniform(0, 1) < 0.5 ? 0 : uniform(0, 0.15);
        return p;
    }
    Reading from_ground(const ProbeSetup& p, double f, double sigma, double eps_r,
                        std::string what) {
        return {p, f, meter_reading(p, f, ground(f, sigma, eps_r)), sigma, eps_r, std::move(what)};
    }
    // A common ground at an amateur band's frequency.
    Reading common_ground(const ProbeSetup& p, std::string what) {
        return from_ground(p, log_uniform(1.8e6, 30e6), log_uniform(5e-4, 0.5), uniform(3, 60),
                           std::move(what));
    }

  private:
    std::mt19937_64 rng_;
};

// The readings: realistic, with fixtures, long probes, box edges, noise.
std::vector<Reading> readings() {
    Maker m(20261206);
    std::vector<Reading> out;
    for (int i = 0; i < 30; ++i)
        out.push_back(m.common_ground(m.realistic_probe(), "realistic"));
    for (int i = 0; i < 24; ++i)
        out.push_back(m.common_ground(m.fixture_probe(), "fixture"));
    for (int i = 0; i < 16; ++i) {
        ProbeSetup p = m.realistic_probe();
        p.length_m = m.uniform(1, 3);
        p.ur = m.uniform(1, 4);
        out.push_back(m.from_ground(p, m.log_uniform(10e6, 30e6), m.log_uniform(1e-5, 0.05),
                                    m.uniform(1, 200), "long"));
    }
    const double edges[][2] = {{1e-5, 1},  {1e-5, 200}, {20, 1},   {20, 200},
                               {1e-5, 30}, {20, 30},    {0.01, 1}, {0.01, 200}};
    for (const auto& e : edges) {
        const ProbeSetup p = m.realistic_probe();
        out.push_back(m.from_ground(p, m.log_uniform(1.8e6, 30e6), e[0], e[1], "box edge"));
    }
    for (int i = 0; i < 12; ++i) {
        Reading r = m.common_ground(m.fixture_probe(), "noisy");
        r.z_meter *= cplx(m.uniform(0.6, 1.4), m.uniform(-0.4, 0.4));
        r.sigma = 0;
        out.push_back(r);
    }
    for (int i = 0; i < 6; ++i) {
        ProbeSetup p = m.realistic_probe();
        p.length_m = m.uniform(0.2, 0.5);
        out.push_back({p, m.log_uniform(1.8e6, 7e6), cplx(m.uniform(1, 200), m.uniform(10, 500)), 0,
                       0, "inductive"});
    }
    return out;
}

// Readings made a hair away from a double root: two grounds very close together.
std::vector<Reading> near_double_readings() {
    Maker m(77);
    std::vector<Reading> out;
    const cplx guesses[] = {{1.1254, 2.1062}, {1.5516, 5.3563}, {1.7756, 8.5367}};
    for (cplx guess : guesses) {
        const cplx u_star = double_root(guess);
        for (double offset : {1e-2, 1e-3, 1e-4, 1e-5, 1e-6}) {
            ProbeSetup p = m.realistic_probe();
            const double f = m.log_uniform(5e6, 30e6);
            // Scale the length (q grows with its square) so that the double root lands at
            // eps_r = 20 .. 100.
            const double q_wanted = -(u_star * u_star).real() / m.uniform(20, 100);
            p.length_m *= std::sqrt(q_wanted / probe_line(p, f).q);
            const auto line = probe_line(p, f);
            const cplx u = u_star * (1.0 + offset * std::polar(1.0, m.uniform(0, 2 * pi)));
            const cplx eps = eps_from_u(line, u);
            out.push_back(
                m.from_ground(p, f, sigma_from_eps(line, eps), eps.real(), "near double root"));
        }
    }
    return out;
}

SolveResult check_against_reference(const Reading& r) {
    const SolveOptions box;
    const SolveResult got = calc::solve_all(r.p, r.f_hz, r.z_meter, box);
    const auto want = grid_search(r.p, r.f_hz, r.z_meter, box);
    SCOPED_TRACE(describe(r));
    EXPECT_TRUE(got.complete);
    EXPECT_EQ(got.solutions.size(), want.size());
    if (got.solutions.size() != want.size())
        return got;
    EXPECT_EQ((got.flags & calc::NoSolution) != 0, want.empty());
    auto found = [&](double sigma, double eps_r) {
        return std::ranges::any_of(got.solutions, [&](const GroundSolution& s) {
            return near_rel(s.sigma_s_per_m, sigma, 1e-7) && near_rel(s.eps_r, eps_r, 1e-7);
        });
    };
    for (const ReferenceRoot& w : want)
        EXPECT_TRUE(found(w.sigma_s_per_m, w.eps_r))
            << "missing " << w.sigma_s_per_m << " " << w.eps_r;
    EXPECT_TRUE(r.sigma == 0 || found(r.sigma, r.eps_r));
    EXPECT_TRUE(std::ranges::is_sorted(
        got.solutions, {}, [](const GroundSolution& s) { return std::abs(s.gamma_l); }));
    for (const GroundSolution& s : got.solutions) {
        EXPECT_LT(s.residual_ohm, 1e-8 * std::abs(r.z_meter) + 1e-9);
        EXPECT_EQ(s.multiplicity, 1);
        EXPECT_TRUE(!(s.flags & calc::BeyondQuarterWave) || (s.flags & calc::ElectricallyLong));
        EXPECT_EQ((s.flags & calc::BeyondQuarterWave) != 0, s.gamma_l.imag() > pi / 2);
    }
    EXPECT_TRUE(!(got.flags & calc::ProbeShort) || got.solutions.size() <= 1);
    return got;
}

TEST(SolveAll, FindsWhatADenseSearchFinds) {
    // The set must reach the hard part: readings without a ground and with many.
    std::map<std::size_t, int> by_count;
    for (const Reading& r : readings())
        ++by_count[check_against_reference(r).solutions.size()];
    EXPECT_GE(by_count[0], 2);
    EXPECT_GE(by_count[2], 5);
    EXPECT_GE(by_count.rbegin()->first, 6u);
}

TEST(SolveAll, NearlyMergingGroundsAreBothFound) {
    for (const Reading& r : near_double_readings()) {
        int flagged = 0;
        for (const GroundSolution& s : check_against_reference(r).solutions)
            flagged += (s.flags & calc::NearDoubleRoot) != 0;
        EXPECT_GE(flagged, 2) << describe(r);
    }
}

// Short probes have one ground at most; a long one may have several.
TEST(SolveAll, ReadingFlagsAndCounts) {
    ProbeSetup p;
    const SolveResult short_probe =
        calc::solve_all(p, 7e6, meter_reading(p, 7e6, ground(7e6, 0.01, 30)));
    EXPECT_EQ(short_probe.flags, unsigned{calc::ProbeShort});
    EXPECT_NEAR(short_probe.nu, 2 * pi * 7e6 * 0.55 / 299792458 * std::sqrt(200) / pi, 1e-12);
    ASSERT_EQ(short_probe.solutions.size(), 1u);
    const GroundSolution& s = short_probe.solutions[0];
    EXPECT_NEAR(s.sigma_s_per_m, 0.01, 1e-12);
    EXPECT_NEAR(s.eps_r, 30, 1e-10);
    EXPECT_NEAR(s.skin_depth_m, skin_depth_m(0.01, 30, 1, 7e6), 1e-12);

    p.length_m = 1.2;
    const cplx z_long = meter_reading(p, 30e6, ground(30e6, 0.003, 40));
    EXPECT_TRUE(calc::solve_all(p, 30e6, z_long).flags & calc::CanBeLong);
    // A narrower box keeps only its own grounds.
    const SolveResult one = calc::solve_all(p, 30e6, z_long, {.eps_r_min = 20, .eps_r_max = 60});
    ASSERT_EQ(one.solutions.size(), 1u);
    EXPECT_NEAR(one.solutions[0].eps_r, 40, 1e-9);
}

TEST(SolveAll, ReadingsNoGroundCanMakeAreNoFault) {
    // The last is inductive and large: nothing in the box makes it.
    const cplx odd[] = {{0, 0}, {0, -50}, {1e300, 1e300}, {-20, 5}, {1e-12, 0}, {40, 900}};
    for (cplx z : odd) {
        SolveResult r;
        EXPECT_NO_THROW(r = calc::solve_all(ProbeSetup{}, 7e6, z)) << z;
        EXPECT_TRUE(r.solutions.empty()) << z;
        EXPECT_TRUE(r.flags & calc::NoSolution) << z;
    }
    EXPECT_THROW(calc::solve_all(ProbeSetup{}, 7e6, {65, -67}, {.sigma_min_s_per_m = 0}),
                 std::invalid_argument);
}

// The 1-sigma figures against the spread a difference quotient of the whole solver gives.
TEST(SolveAll, UncertaintyMatchesDifferenceQuotients) {
    Maker m(5);
    const SolveOptions options{.meter_pct = 2, .meter_ohm = 0.3};
    for (int i = 0; i < 6; ++i) {
        const Reading r =
            m.common_ground(i % 2 ? m.fixture_probe() : m.realistic_probe(), "uncertainty");
        const SolveResult base = calc::solve_all(r.p, r.f_hz, r.z_meter, options);
        ASSERT_FALSE(base.solutions.empty()) << describe(r);
        const double sr = 0.02 * std::abs(r.z_meter.real()) + 0.3;
        const double sx = 0.02 * std::abs(r.z_meter.imag()) + 0.3;
        const double h = 1e-6 * std::abs(r.z_meter);
        for (const GroundSolution& s : base.solutions) {
            // The ground of the reading moved by dz that continues s.
            auto moved = [&](cplx dz) {
                const SolveResult near = calc::solve_all(r.p, r.f_hz, r.z_meter + dz, options);
                return *std::ranges::min_element(near.solutions, {}, [&](const GroundSolution& o) {
                    return std::abs(o.gamma_l - s.gamma_l);
                });
            };
            // d(eps_r, sigma) / dR and / dX from the solver itself.
            double d[2][2];
            for (int part = 0; part < 2; ++part) {
                const cplx dz = part == 0 ? cplx(h, 0) : cplx(0, h);
                const GroundSolution up = moved(dz), down = moved(-dz);
                d[0][part] = (up.eps_r - down.eps_r) / (2 * h);
                d[1][part] = (up.sigma_s_per_m - down.sigma_s_per_m) / (2 * h);
            }
            const double u_eps = std::hypot(d[0][0] * sr, d[0][1] * sx);
            const double u_sigma = std::hypot(d[1][0] * sr, d[1][1] * sx);
            const double corr =
                (d[0][0] * d[1][0] * sr * sr + d[0][1] * d[1][1] * sx * sx) / (u_eps * u_sigma);
            EXPECT_NEAR(s.u_eps_r, u_eps, 1e-5 * u_eps) << describe(r);
            EXPECT_NEAR(s.u_sigma_s_per_m, u_sigma, 1e-5 * u_sigma) << describe(r);
            EXPECT_NEAR(s.corr, corr, 1e-5) << describe(r);
        }
    }
}

struct Equation {
    ProbeLine line;
    ProbeEquation eq;
    GroundBox box;
};

// The equation of a long probe's reading of one ground, over the default box.
Equation long_probe(double length_m, double freq_hz, double sigma, double eps_r, double ur) {
    Equation e;
    e.line = probe_line({.length_m = length_m, .ur = ur}, freq_hz);
    const cplx z = rods_z_classic(e.line, sigma, eps_r);
    e.eq = ProbeEquation{cplx(0, e.line.zs_ohm) / z};
    const double s = 1 / (e.line.w_rad_s * prog_eo);
    e.box = {1, 200, 1e-5 * s, 20 * s};
    return e;
}

const Equation cases[] = {long_probe(1.2, 30e6, 0.003, 40, 1), long_probe(2.5, 28e6, 0.001, 12, 2),
                          long_probe(3, 30e6, 2e-4, 150, 3), long_probe(0.55, 7e6, 0.01, 30, 1)};

// Without seeds, or from one poor seed, halving the box and deflation find every zero.
TEST(RootSearch, FallbacksFindWhatTheSeedsFind) {
    for (const Equation& e : cases) {
        long evals = 0;
        const int count = *count_zeros(e.eq, e.line.q, e.box, evals);
        const auto seeds = local_seeds(e.eq, e.line.q, e.box);
        const RootSearch seeded = find_roots(e.eq, e.line.q, e.box, count, seeds, evals);
        ASSERT_TRUE(seeded.complete);
        ASSERT_GE(seeded.roots.size(), 1u);
        const cplx poor[] = {cplx(0.3, 0.3)};
        for (std::span<const cplx> start : {std::span<const cplx>(), std::span<const cplx>(poor)}) {
            const RootSearch r = find_roots(e.eq, e.line.q, e.box, count, start, evals);
            EXPECT_TRUE(r.complete);
            ASSERT_EQ(r.roots.size(), seeded.roots.size());
            for (const FoundRoot& want : seeded.roots)
                EXPECT_TRUE(std::ranges::any_of(r.roots, [&](const FoundRoot& got) {
                    return std::abs(got.u - want.u) < 1e-10 * std::abs(want.u);
                })) << want.u;
        }
    }
}

// A reading made exactly at a double root has one ground of multiplicity two, whose
// uncertainty is unbounded.
TEST(RootSearch, DoubleRootCountsTwice) {
    const cplx u = double_root({1.1254, 2.1062});
    const ProbeSetup p{.length_m = 2};
    const SolveResult r = calc::solve_all(p, 20e6, rods_z_from_u(probe_line(p, 20e6), u));
    EXPECT_TRUE(r.complete);
    int at_u = 0;
    for (const GroundSolution& s : r.solutions) {
        if (std::abs(s.gamma_l - u) < 1e-4) {
            at_u += s.multiplicity;
            EXPECT_TRUE(s.flags & calc::NearDoubleRoot);
            EXPECT_TRUE(s.flags & calc::PoorlyDetermined);
        }
    }
    EXPECT_EQ(at_u, 2);
}

} // namespace
} // namespace ardenca::solver_test
