// Speed of fitting a soil model to a 1,001-point sweep (auto: the three models tried,
// the best acceptable kept) on one thread, after the sweep is solved and tracked; and
// the whole engine with the fit. Target on the development machine, release build:
// at most 50 ms for the fit.
#include "soil_fit/soils.h"
#include "sweep/soil_choice.h"
#include "sweep/sweep_engine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace ardenca;

struct Case {
    sweep::SweepSetup setup;
    sweep::Sweep sweep;
};

// A constant-phase soil read at 1 % + 0.5 ohm through a 1.2 m probe and a 9.77 degree
// section (up to three grounds per reading), 1 to 30 MHz.
Case make_case() {
    Case c;
    c.setup.probe = {.length_m = 1.2, .matching = true, .match_deg = 9.77};
    c.setup.solve.meter_pct = 1;
    c.setup.solve.meter_ohm = 0.5;
    std::mt19937 rng(1);
    for (int i = 0; i < 1001; ++i) {
        const double f = 1e6 + 29e6 * i / 1000;
        const soil_test::Ground g = soil_test::jonscher(0.002, 8, 30, 0.4, f);
        c.sweep.points.push_back(
            {f, soil_test::noisy_reading(sweep::probe_at(c.setup, f), f, g, 1, 0.5, rng), false});
    }
    return c;
}

void BM_FitAuto(benchmark::State& st) {
    const Case c = make_case();
    const sweep::SweepResult solved = sweep::solve_sweeps(c.setup, {c.sweep}, {});
    const auto models = sweep::models_of(sweep::FitChoice::Auto);
    const std::vector<double> at = {2e6, 7e6, 14e6};
    for (auto _ : st) {
        sweep::LocationResult loc = solved.locations[0];
        sweep::fit_location(c.setup, loc, models, at);
        benchmark::DoNotOptimize(loc.fit);
    }
    st.counters["points"] = 1001;
}
BENCHMARK(BM_FitAuto)->Unit(benchmark::kMillisecond);

void BM_SweepWithFit(benchmark::State& st) {
    const Case c = make_case();
    const sweep::EngineOptions options{.threads = static_cast<int>(st.range(0)),
                                       .fit = sweep::FitChoice::Auto};
    for (auto _ : st) {
        const sweep::SweepResult r = sweep::solve_sweeps(c.setup, {c.sweep}, options);
        benchmark::DoNotOptimize(r.locations[0].fit);
    }
}
BENCHMARK(BM_SweepWithFit)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SweepClassic(benchmark::State& st) {
    const Case c = make_case();
    const sweep::EngineOptions options{.method = sweep::SolveMethod::Classic, .threads = 1};
    for (auto _ : st) {
        const sweep::SweepResult r = sweep::solve_sweeps(c.setup, {c.sweep}, options);
        benchmark::DoNotOptimize(r.locations[0].points.data());
    }
}
BENCHMARK(BM_SweepClassic)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
