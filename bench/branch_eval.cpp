// How often the sweep engine's chosen ground is the physical one, over synthetic field
// sweeps with known soils (branch_eval_cases.h). A point is wrong when its chosen
// ground is not, of its solutions, the nearest to the true soil in (ln sigma, ln eps_r),
// or when it has solutions and none is chosen. Prints: the share of points with
// solutions chosen right, the longest run of consecutive unflagged wrong points, and the
// share of points that are wrong, unflagged and more than 3 u from the true soil.
//
// branch_eval [--cases N] [--first K] [--threads T] [--no-noise] [--verbose] [--dump K]
#include "branch_eval_cases.h"
#include "sweep/sweep_engine.h"
#include "sweep/tracking.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

using namespace ardenca;
using namespace ardenca::branch_eval;

// Flags that warn the user off a point's choice: Ambiguous, Outlier, NearAlternative,
// and the model's OffModel and Unresolvable (bits 6 and 8, set by other stages).
constexpr unsigned choice_warnings =
    sweep::Ambiguous | sweep::Outlier | sweep::NearAlternative | (1u << 6) | (1u << 8);

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

// Given a point with solutions and the soil, the index of the solution nearest the soil
// in (ln sigma, ln eps_r).
std::size_t nearest_index(const sweep::PointResult& p, const EvalSoil& soil) {
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
    return nearest;
}

// Given a location's solved points and its true soil, the tally.
Tally judge(const std::vector<sweep::PointResult>& points, const EvalSoil& soil) {
    Tally t;
    long run = 0;
    for (const sweep::PointResult& p : points) {
        if (p.solutions.empty())
            continue; // a gap: it neither breaks nor extends a run
        ++t.with_solutions;
        const double sigma = soil.sigma(p.freq_hz), eps_r = soil.eps_r(p.freq_hz);
        const std::size_t nearest = nearest_index(p, soil);
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
        std::printf(" | flags %x%s\n", p.flags,
                    p.chosen && *p.chosen == nearest_index(p, soil) ? "" : " WRONG");
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
        else {
            std::fprintf(stderr,
                         "usage: %s [--cases N] [--first K] [--threads T] [--no-noise] [--verbose] "
                         "[--dump K]\n",
                         argv[0]);
            return 2;
        }
    }
    Tally all;
    Tally by_noise[std::size(noise_levels)];
    double track_s = 0;
    for (int k = first; k < first + cases; ++k) {
        const EvalCase c = make_case(k, noise);
        const sweep::EngineOptions options{sweep::SolveMethod::AllSolutions, threads, false};
        sweep::SweepResult r = sweep::solve_sweeps(c.setup, {c.sweep}, options);
        // The choice alone, timed: the engine already made it; making it again is the same.
        const auto t0 = std::chrono::steady_clock::now();
        sweep::track_solutions(r.locations[0].points);
        track_s += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (k == dump)
            dump_points(r.locations[0].points, c.soil);
        const Tally t = judge(r.locations[0].points, c.soil);
        all.add(t);
        by_noise[noise_level_of(k)].add(t);
        if (verbose)
            std::printf("%3d %-44s points %4ld right %6.2f%% flagged %4ld unchosen %3ld "
                        "unflagged wrong %3ld (far %3ld) longest run %3ld\n",
                        k, c.name.c_str(), t.with_solutions, percent(t.right, t.with_solutions),
                        t.flagged, t.unchosen, t.wrong_unflagged, t.wrong_unflagged_far,
                        t.longest_run);
    }
    std::printf("sweeps %d, points with solutions %ld\n", cases, all.with_solutions);
    std::printf("chosen = nearest the true soil: %.3f %% (target >= 99.5 %%)\n",
                percent(all.right, all.with_solutions));
    std::printf("longest run of unflagged wrong choices: %ld (target < 5)\n", all.longest_run);
    std::printf("unflagged wrong, more than 3 u off: %.3f %% (%ld points; target <= 0.1 %%)\n",
                percent(all.wrong_unflagged_far, all.with_solutions), all.wrong_unflagged_far);
    std::printf("unflagged wrong: %ld; flagged: %.2f %%; with solutions but none chosen: %ld\n",
                all.wrong_unflagged, percent(all.flagged, all.with_solutions), all.unchosen);
    for (std::size_t l = 0; l < std::size(noise_levels); ++l)
        std::printf(
            "  noise %.1f %% + %.1f ohm: right %.3f %%, longest run %ld, far %.3f %% of %ld\n",
            noise_levels[l][0], noise_levels[l][1],
            percent(by_noise[l].right, by_noise[l].with_solutions), by_noise[l].longest_run,
            percent(by_noise[l].wrong_unflagged_far, by_noise[l].with_solutions),
            by_noise[l].with_solutions);
    std::printf("choice time: %.3f ms per sweep\n", 1e3 * track_s / std::max(cases, 1));
    return 0;
}
