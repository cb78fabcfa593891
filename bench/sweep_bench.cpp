// Speed of solving a whole sweep: 1,001 points from 1 to 30 MHz, every ground of each
// reading with its uncertainties, tracked; on one and on two threads, and the classic
// two-stage search on the same sweep. Targets on the two-core development machine,
// release build: at most 0.1 s wall on two threads, at least 1.8 times faster than on
// one; the whole sweep at most 0.15 times the classic one-thread sweep; the choice of
// ground over the whole sweep (BM_Tracking) at most 1 ms.
#include "forward_model.h"
#include "sweep/sweep_engine.h"
#include "sweep/tracking.h"

#include <benchmark/benchmark.h>

namespace {

using namespace ardenca::sweep;

struct Case {
    SweepSetup setup;
    Sweep sweep;
};

// Given the rod length, an average soil read through a 9.77 degree section at 7 MHz.
Case make_case(double length_m) {
    Case c;
    c.setup.probe.length_m = length_m;
    c.setup.probe.matching = true;
    c.setup.probe.match_deg = 9.77;
    const Soil soil{"average", 0.01, 0.2, 13, 20, 0.35};
    c.sweep = synthetic(c.setup, soil, 1001, 1e6, 30e6);
    return c;
}

void BM_Sweep(benchmark::State& st, double length_m, SolveMethod method) {
    const Case c = make_case(length_m);
    const EngineOptions options{method, static_cast<int>(st.range(0)), false};
    std::size_t solutions = 0;
    for (auto _ : st) {
        const SweepResult r = solve_sweeps(c.setup, {c.sweep}, options);
        solutions = 0;
        for (const PointResult& p : r.locations[0].points)
            solutions += p.solutions.size();
        benchmark::DoNotOptimize(solutions);
    }
    st.counters["points"] = static_cast<double>(c.sweep.points.size());
    st.counters["solutions"] = static_cast<double>(solutions);
}

// The sequential part: choosing the ground over the solved points of one location.
void BM_Tracking(benchmark::State& st) {
    const Case c = make_case(1.2);
    SweepResult r = solve_sweeps(c.setup, {c.sweep}, {});
    std::size_t solutions = 0;
    for (const PointResult& p : r.locations[0].points)
        solutions += p.solutions.size();
    for (auto _ : st) {
        track_solutions(r.locations[0].points);
        benchmark::DoNotOptimize(r.locations[0].points.data());
    }
    // The same counters as the sweeps, so that every report format takes them.
    st.counters["points"] = static_cast<double>(c.sweep.points.size());
    st.counters["solutions"] = static_cast<double>(solutions);
}
BENCHMARK(BM_Tracking)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(BM_Sweep, all_0_55m, 0.55, SolveMethod::AllSolutions)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sweep, all_1_2m, 1.2, SolveMethod::AllSolutions)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sweep, classic_0_55m, 0.55, SolveMethod::Classic)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sweep, classic_1_2m, 1.2, SolveMethod::Classic)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
