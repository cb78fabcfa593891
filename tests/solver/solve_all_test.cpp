// Every ground of a reading, against an independent dense search, over realistic set-ups
// and the hard ones: long probes, fixtures, matching sections past 90 degrees, ur != 1,
// grounds on the box's edge, nearly merging grounds and readings no ground makes.
#include "calc/all_solutions.h"
#include "calc/ground_model.h"
#include "reference_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace ardenca::solver_test {
namespace {

using calc::GroundSolution;
using calc::SolveOptions;
using calc::SolveResult;

using reference::pi;

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
    void add_fixture(ProbeSetup& p) {
        p.ur = uniform(0, 1) < 0.5 ? 1 : uniform(1, 6);
        if (uniform(0, 1) < 0.6) {
            p.matching = true;
            p.match_zo_ohm = uniform(0, 1) < 0.5 ? 50 : 75;
            p.match_deg = uniform(0, 330);
        }
        p.lead_nh = uniform(0, 1) < 0.5 ? 0 : uniform(0, 400);
        p.top_pf = uniform(0, 1) < 0.5 ? 0 : uniform(0, 15);
        p.air_m = uniform(0, 1) < 0.5 ? 0 : uniform(0, 0.15);
    }
    Reading from_ground(const ProbeSetup& p, double f, double sigma, double eps_r,
                        std::string what) {
        return {p, f, meter_reading(p, f, ground(f, sigma, eps_r)), sigma, eps_r, std::move(what)};
    }

  private:
    std::mt19937_64 rng_;
};

// The readings: realistic, with fixtures, long probes, box edges, noise.
std::vector<Reading> readings() {
    Maker m(20261206);
    std::vector<Reading> out;
    for (int i = 0; i < 30; ++i) {
        const ProbeSetup p = m.realistic_probe();
        out.push_back(m.from_ground(p, m.log_uniform(1.8e6, 30e6), m.log_uniform(5e-4, 0.5),
                                    m.uniform(3, 60), "realistic"));
    }
    for (int i = 0; i < 24; ++i) {
        ProbeSetup p = m.realistic_probe();
        m.add_fixture(p);
        out.push_back(m.from_ground(p, m.log_uniform(1.8e6, 30e6), m.log_uniform(5e-4, 0.5),
                                    m.uniform(3, 60), "fixture"));
    }
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
        ProbeSetup p = m.realistic_probe();
        out.push_back(m.from_ground(p, m.log_uniform(1.8e6, 30e6), e[0], e[1], "box edge"));
    }
    for (int i = 0; i < 12; ++i) {
        ProbeSetup p = m.realistic_probe();
        m.add_fixture(p);
        Reading r = m.from_ground(p, m.log_uniform(1.8e6, 30e6), m.log_uniform(5e-4, 0.5),
                                  m.uniform(3, 60), "noisy");
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
            // Choose the length so that the double root lands at eps_r = 20 .. 100.
            const double target_eps = m.uniform(20, 100);
            const auto line1 = calc::solver::probe_line(p, f);
            const double q_per_l2 = line1.q / (p.length_m * p.length_m);
            const double q = (-(u_star * u_star)).real() / target_eps;
            p.length_m = std::sqrt(q / q_per_l2);
            const auto line = calc::solver::probe_line(p, f);
            const cplx u = u_star * (1.0 + offset * std::polar(1.0, m.uniform(0, 2 * pi)));
            const cplx eps = calc::solver::eps_from_u(line, u);
            const double sigma = calc::solver::sigma_from_eps(line, eps);
            out.push_back(m.from_ground(p, f, sigma, eps.real(), "near double root"));
        }
    }
    return out;
}

// Returns the number of grounds found.
std::size_t check_against_reference(const Reading& r) {
    const SolveOptions box;
    const SolveResult got = calc::solve_all(r.p, r.f_hz, r.z_meter, box);
    const auto want = grid_search(r.p, r.f_hz, r.z_meter, box);
    const std::string what = describe(r);
    EXPECT_TRUE(got.complete) << what;
    EXPECT_EQ(got.solutions.size(), want.size()) << what;
    if (got.solutions.size() != want.size())
        return got.solutions.size();
    EXPECT_EQ((got.flags & calc::NoSolution) != 0, want.empty()) << what;
    for (const ReferenceRoot& w : want) {
        const bool matched =
            std::any_of(got.solutions.begin(), got.solutions.end(), [&](const GroundSolution& s) {
                return near_rel(s.sigma_s_per_m, w.sigma_s_per_m, 1e-7) &&
                       near_rel(s.eps_r, w.eps_r, 1e-7);
            });
        EXPECT_TRUE(matched) << what << "\n  missing " << w.sigma_s_per_m << " " << w.eps_r;
    }
    if (r.sigma > 0) {
        const bool has_own =
            std::any_of(got.solutions.begin(), got.solutions.end(), [&](const GroundSolution& s) {
                return near_rel(s.sigma_s_per_m, r.sigma, 1e-7) && near_rel(s.eps_r, r.eps_r, 1e-7);
            });
        EXPECT_TRUE(has_own) << what;
    }
    for (std::size_t i = 0; i < got.solutions.size(); ++i) {
        const GroundSolution& s = got.solutions[i];
        EXPECT_LT(s.residual_ohm, 1e-8 * std::abs(r.z_meter) + 1e-9) << what;
        EXPECT_EQ(s.multiplicity, 1) << what;
        if (i > 0) {
            EXPECT_LE(std::abs(got.solutions[i - 1].gamma_l), std::abs(s.gamma_l)) << what;
        }
        if (s.flags & calc::BeyondQuarterWave) {
            EXPECT_TRUE(s.flags & calc::ElectricallyLong) << what;
        }
        EXPECT_EQ((s.flags & calc::BeyondQuarterWave) != 0, s.gamma_l.imag() > pi / 2) << what;
    }
    if (got.flags & calc::ProbeShort) {
        EXPECT_LE(got.solutions.size(), 1u) << what;
    }
    return got.solutions.size();
}

TEST(SolveAll, FindsWhatADenseSearchFinds) {
    // The set must reach the hard part: readings without a ground and with many.
    std::map<std::size_t, int> by_count;
    for (const Reading& r : readings())
        ++by_count[check_against_reference(r)];
    EXPECT_GE(by_count[0], 2);
    EXPECT_GE(by_count[2], 5);
    EXPECT_GE(by_count.rbegin()->first, 6u);
    for (const auto& [count, n] : by_count)
        std::cout << count << " grounds: " << n << " readings\n";
}

TEST(SolveAll, NearlyMergingGroundsAreBothFound) {
    for (const Reading& r : near_double_readings()) {
        check_against_reference(r);
        const SolveResult got = calc::solve_all(r.p, r.f_hz, r.z_meter);
        const auto flagged =
            std::count_if(got.solutions.begin(), got.solutions.end(), [](const GroundSolution& s) {
                return (s.flags & calc::NearDoubleRoot) != 0;
            });
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
    EXPECT_NEAR(short_probe.solutions[0].sigma_s_per_m, 0.01, 1e-12);
    EXPECT_NEAR(short_probe.solutions[0].eps_r, 30, 1e-10);
    EXPECT_NEAR(short_probe.solutions[0].skin_depth_m, calc::solver::skin_depth_m(0.01, 30, 1, 7e6),
                1e-12);

    p.length_m = 1.2;
    const SolveResult long_probe =
        calc::solve_all(p, 30e6, meter_reading(p, 30e6, ground(30e6, 0.003, 40)));
    EXPECT_TRUE(long_probe.flags & calc::CanBeLong);

    // A narrower box keeps only its own grounds.
    const SolveOptions narrow{.eps_r_min = 20, .eps_r_max = 60};
    const SolveResult one =
        calc::solve_all(p, 30e6, meter_reading(p, 30e6, ground(30e6, 0.003, 40)), narrow);
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
    std::vector<Reading> cases;
    Maker m(5);
    for (int i = 0; i < 6; ++i) {
        ProbeSetup p = m.realistic_probe();
        if (i % 2)
            m.add_fixture(p);
        cases.push_back(m.from_ground(p, m.log_uniform(1.8e6, 30e6), m.log_uniform(5e-4, 0.5),
                                      m.uniform(3, 60), "uncertainty"));
    }
    const SolveOptions options{.meter_pct = 2, .meter_ohm = 0.3};
    for (const Reading& r : cases) {
        const SolveResult base = calc::solve_all(r.p, r.f_hz, r.z_meter, options);
        ASSERT_FALSE(base.solutions.empty()) << describe(r);
        const double sr = 0.02 * std::abs(r.z_meter.real()) + 0.3;
        const double sx = 0.02 * std::abs(r.z_meter.imag()) + 0.3;
        for (const GroundSolution& s : base.solutions) {
            // d(eps_r, sigma) / dR and / dX from the solver itself.
            double d[2][2];
            for (int part = 0; part < 2; ++part) {
                const double h = 1e-6 * std::abs(r.z_meter);
                const cplx dz = part == 0 ? cplx(h, 0) : cplx(0, h);
                GroundSolution ends[2];
                for (int side = 0; side < 2; ++side) {
                    const SolveResult moved =
                        calc::solve_all(r.p, r.f_hz, r.z_meter + (side ? 1.0 : -1.0) * dz, options);
                    ends[side] =
                        *std::min_element(moved.solutions.begin(), moved.solutions.end(),
                                          [&](const GroundSolution& a, const GroundSolution& b) {
                                              return std::abs(a.gamma_l - s.gamma_l) <
                                                     std::abs(b.gamma_l - s.gamma_l);
                                          });
                }
                d[0][part] = (ends[1].eps_r - ends[0].eps_r) / (2 * h);
                d[1][part] = (ends[1].sigma_s_per_m - ends[0].sigma_s_per_m) / (2 * h);
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

} // namespace
} // namespace ardenca::solver_test
