// How often the sweep engine's chosen ground is the physical one, over synthetic field
// sweeps with known soils (branch_eval_cases.h). A point is wrong when its chosen
// ground is not, of its solutions, the nearest to the true soil in (ln sigma, ln eps_r),
// or when it has solutions and none is chosen. Prints: the share of points with
// solutions chosen right, the longest run of consecutive unflagged wrong points, and the
// share of points that are wrong, unflagged and more than 3 u from the true soil.
//
// With a soil model fitted (--fit, default auto) it also judges the model's ground at
// 2, 7 and 14 MHz on the sweeps read with noise at most 1 % + 0.5 ohm: the share of
// (sweep, frequency) pairs within max(3 u, 5 %) of the true soil in both sigma and
// eps_r with u below half the value, and the fit's time.
//
// branch_eval [--cases N] [--first K] [--threads T] [--no-noise] [--verbose] [--dump K]
//             [--fit auto|none|constant|messier|jonscher]
#include "branch_eval_cases.h"
#include "sweep/sweep_engine.h"
#include "sweep/tracking.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

using namespace ardenca;
using namespace ardenca::branch_eval;

// Flags that warn the user off a point's choice.
constexpr unsigned choice_warnings = sweep::Ambiguous | sweep::Outlier | sweep::OffModel |
                                     sweep::NearAlternative | sweep::Unresolvable;

struct Tally {
    long with_solutions = 0;
    long right = 0;
    long flagged = 0;
    long wrong_unflagged = 0;
    long wrong_unflagged_far = 0; // more than 3 u from the true soil
    long longest_run = 0;
    long unchosen = 0;

    void add(const Tally& t) {
        with_solutions += t.with_solutions;
        right += t.right;
        flagged += t.flagged;
        wrong_unflagged += t.wrong_unflagged;
        wrong_unflagged_far += t.wrong_unflagged_far;
        longest_run = std::max(longest_run, t.longest_run);
        unchosen += t.unchosen;
    }
};

// Given a location's solved points and its true soil, the tally.
Tally judge(const std::vector<sweep::PointResult>& points, const EvalSoil& soil) {
    Tally t;
    long run = 0;
    for (const sweep::PointResult& p : points) {
        if (p.solutions.empty())
            continue; // a gap: it neither breaks nor extends a run
        ++t.with_solutions;
        const double sigma = soil.sigma(p.freq_hz), eps_r = soil.eps_r(p.freq_hz);
        std::size_t nearest = 0;
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < p.solutions.size(); ++k) {
            const calc::GroundSolution& g = p.solutions[k];
            const double ds = std::log(g.sigma_s_per_m / sigma), de = std::log(g.eps_r / eps_r);
            if (ds * ds + de * de < best) {
                best = ds * ds + de * de;
                nearest = k;
            }
        }
        const bool flagged = (p.flags & choice_warnings) != 0;
        t.flagged += flagged;
        t.unchosen += !p.chosen.has_value();
        if (p.chosen && *p.chosen == nearest) {
            ++t.right;
            run = 0;
            continue;
        }
        if (flagged) {
            run = 0;
            continue;
        }
        ++t.wrong_unflagged;
        t.longest_run = std::max(t.longest_run, ++run);
        if (p.chosen) {
            const calc::GroundSolution& g = p.solutions[*p.chosen];
            t.wrong_unflagged_far += std::abs(g.sigma_s_per_m - sigma) > 3 * g.u_sigma_s_per_m ||
                                     std::abs(g.eps_r - eps_r) > 3 * g.u_eps_r;
        } else {
            ++t.wrong_unflagged_far;
        }
    }
    return t;
}

// Given a location's points and its soil, one line per point: the true soil, then each
// solution (* chosen) with its relative u, and the flags.
void dump_points(const std::vector<sweep::PointResult>& points, const EvalSoil& soil) {
    for (const sweep::PointResult& p : points) {
        std::printf("%7.3f MHz nu %5.2f true %8.5f %6.2f |", p.freq_hz / 1e6, p.nu,
                    soil.sigma(p.freq_hz), soil.eps_r(p.freq_hz));
        for (std::size_t k = 0; k < p.solutions.size(); ++k) {
            const calc::GroundSolution& g = p.solutions[k];
            std::printf(" %s%8.5f(%.3f) %6.2f(%.3f)", p.chosen == k ? "*" : " ", g.sigma_s_per_m,
                        g.u_sigma_s_per_m / g.sigma_s_per_m, g.eps_r, g.u_eps_r / g.eps_r);
        }
        std::printf(" | flags %x\n", p.flags);
    }
}

double percent(long a, long b) {
    return b ? 100.0 * static_cast<double>(a) / b : 0;
}

} // namespace

int main(int argc, char** argv) {
    int cases = 80, first = 0, threads = 1;
    bool noise = true, verbose = false;
    int dump = -1;
    sweep::FitChoice fit = sweep::FitChoice::Auto;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--cases") && i + 1 < argc)
            cases = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--first") && i + 1 < argc)
            first = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--threads") && i + 1 < argc)
            threads = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-noise"))
            noise = false;
        else if (!std::strcmp(argv[i], "--dump") && i + 1 < argc)
            dump = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--verbose"))
            verbose = true;
        else if (!std::strcmp(argv[i], "--fit") && i + 1 < argc) {
            const std::string m = argv[++i];
            fit = m == "none"       ? sweep::FitChoice::None
                  : m == "constant" ? sweep::FitChoice::Constant
                  : m == "messier"  ? sweep::FitChoice::Messier
                  : m == "jonscher" ? sweep::FitChoice::Jonscher
                                    : sweep::FitChoice::Auto;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--cases N] [--first K] [--threads T] [--no-noise] [--verbose] "
                         "[--dump K]\n",
                         argv[0]);
            return 2;
        }
    }
    Tally all;
    double track_s = 0, fit_s = 0;
    long at_pairs = 0, at_good = 0, at_missing = 0;
    const std::vector<double> at_hz = {2e6, 7e6, 14e6};
    for (int k = first; k < first + cases; ++k) {
        const EvalCase c = make_case(k, noise);
        const sweep::EngineOptions options{.method = sweep::SolveMethod::AllSolutions,
                                           .threads = threads,
                                           .fit = fit,
                                           .at_hz = at_hz};
        sweep::SweepResult r = sweep::solve_sweeps(c.setup, {c.sweep}, options);
        // The choice alone, timed on a copy: the engine already made it (and the model
        // may have re-chosen since).
        std::vector<sweep::PointResult> copy = r.locations[0].points;
        const auto t0 = std::chrono::steady_clock::now();
        sweep::track_solutions(copy);
        const auto t1 = std::chrono::steady_clock::now();
        sweep::LocationResult refit;
        refit.points = copy;
        sweep::fit_location(c.setup, refit, sweep::models_of(fit), at_hz);
        const auto t2 = std::chrono::steady_clock::now();
        track_s += std::chrono::duration<double>(t1 - t0).count();
        fit_s += std::chrono::duration<double>(t2 - t1).count();
        if (c.setup.solve.meter_pct <= 1 && c.setup.solve.meter_ohm <= 0.5 &&
            fit != sweep::FitChoice::None) {
            const std::vector<calc::ModelGround>& at = r.locations[0].at;
            at_pairs += static_cast<long>(at_hz.size());
            at_missing += static_cast<long>(at_hz.size() - at.size());
            for (const calc::ModelGround& m : at)
                at_missing += !m.from_model;
            for (const calc::ModelGround& m : at) {
                const double s = c.soil.sigma(m.freq_hz), e = c.soil.eps_r(m.freq_hz);
                const bool good =
                    std::abs(m.sigma_s_per_m - s) <= std::max(3 * m.u_sigma_s_per_m, 0.05 * s) &&
                    std::abs(m.eps_r - e) <= std::max(3 * m.u_eps_r, 0.05 * e) &&
                    m.u_sigma_s_per_m < m.sigma_s_per_m / 2 && m.u_eps_r < m.eps_r / 2;
                at_good += good;
                if (verbose && !good)
                    std::printf("    at %4.1f MHz: sigma %.5g +- %.2g (true %.5g), eps_r %.4g +- "
                                "%.2g (true %.4g)\n",
                                m.freq_hz / 1e6, m.sigma_s_per_m, m.u_sigma_s_per_m, s, m.eps_r,
                                m.u_eps_r, e);
            }
        }
        if (k == dump) {
            dump_points(r.locations[0].points, c.soil);
            if (const auto& f = r.locations[0].fit) {
                std::printf("fit %s chi2/dof %.4g used %d of %d:",
                            std::string(calc::model_name(f->model)).c_str(), f->chi2_per_dof,
                            f->points_used, f->points_total);
                for (int i = 0; i < calc::parameter_count(f->model); ++i)
                    std::printf(" %.5g +- %.2g", f->value[static_cast<std::size_t>(i)],
                                f->u[static_cast<std::size_t>(i)]);
                std::printf("\ntrue: sigma_dc %.5g eps_inf %.5g chi %.5g n %.4g\n",
                            c.soil.sigma_dc_s_per_m, c.soil.eps_inf, c.soil.chi, c.soil.n);
            }
        }
        const Tally t = judge(r.locations[0].points, c.soil);
        all.add(t);
        if (verbose) {
            const auto& f = r.locations[0].fit;
            std::printf("%3d %-44s points %4ld right %6.2f%% flagged %4ld unchosen %3ld "
                        "unflagged wrong %3ld (far %3ld) longest run %3ld fit %s%s chi2/dof %.3g\n",
                        k, c.name.c_str(), t.with_solutions, percent(t.right, t.with_solutions),
                        t.flagged, t.unchosen, t.wrong_unflagged, t.wrong_unflagged_far,
                        t.longest_run, f ? std::string(calc::model_name(f->model)).c_str() : "-",
                        f && !f->acceptable ? " (not acceptable)" : "", f ? f->chi2_per_dof : 0.0);
            for (const std::string& w : r.locations[0].warnings)
                std::printf("    %s\n", w.c_str());
        }
    }
    std::printf("sweeps %d, points with solutions %ld\n", cases, all.with_solutions);
    std::printf("chosen = nearest the true soil: %.3f %% (target >= 99.5 %%)\n",
                percent(all.right, all.with_solutions));
    std::printf("longest run of unflagged wrong choices: %ld (target < 5)\n", all.longest_run);
    std::printf("unflagged wrong, more than 3 u off: %.3f %% (%ld points; target <= 0.1 %%)\n",
                percent(all.wrong_unflagged_far, all.with_solutions), all.wrong_unflagged_far);
    std::printf("unflagged wrong: %ld; flagged: %.2f %%; with solutions but none chosen: %ld\n",
                all.wrong_unflagged, percent(all.flagged, all.with_solutions), all.unchosen);
    std::printf("choice time: %.3f ms per sweep\n", 1e3 * track_s / std::max(cases, 1));
    std::printf("model at 2, 7, 14 MHz (noise <= 1 %% + 0.5 ohm): %.2f %% of %ld pairs within "
                "max(3 u, 5 %%) with u below half (target >= 95 %%); %ld pairs with no model (from "
                "the readings)\n",
                percent(at_good, at_pairs), at_pairs, at_missing);
    std::printf("fit time: %.3f ms per sweep\n", 1e3 * fit_s / std::max(cases, 1));
    return 0;
}
