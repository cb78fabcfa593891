// Speed of the fixture calibration. Target on the two-core development machine, release
// build: a 1,001-point air sweep calibrated in at most 50 ms. Also timed: the same with a
// 1,001-point short sweep, and with a feed line of unknown length.
#include "calc/fixture_fit.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace ardenca::calc;

// Given the sweeps wanted, readings of a probe (25 nH, 6 pF, 10 cm above the ground)
// from 1 to 30 MHz with 0.3 % + 0.2 ohm of noise.
FixtureFitInput sweeps(bool with_short, bool line) {
    FixtureFitInput in;
    in.probe.spacing_m = 0.12;
    in.probe.radius_m = 0.006;
    in.probe.length_m = 0.6;
    in.probe.air_m = 0.1;
    in.probe.match_zo_ohm = 50;
    in.fit_line = line;
    in.meter_pct = 0.3;
    in.meter_ohm = 0.2;
    ProbeSetup truth = in.probe;
    truth.lead_nh = 25;
    truth.top_pf = 6;
    truth.matching = line;
    std::mt19937_64 rng(1);
    std::normal_distribution<double> n(0, 1);
    auto noisy = [&](std::complex<double> z) {
        return std::complex<double>(z.real() + n(rng) * (0.003 * std::abs(z.real()) + 0.2),
                                    z.imag() + n(rng) * (0.003 * std::abs(z.imag()) + 0.2));
    };
    for (int i = 0; i < 1001; ++i) {
        const double f = 1e6 + 29e6 * i / 1000.0;
        truth.match_deg = 70 * f / in.setup_freq_hz;
        in.air.push_back({f, noisy(air_reading(truth, f))});
        if (with_short)
            in.shorted.push_back({f, noisy(short_reading(truth, f))});
    }
    return in;
}

void BM_AirSweep1001(benchmark::State& state) {
    const FixtureFitInput in = sweeps(false, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(fit_fixture(in));
}
BENCHMARK(BM_AirSweep1001)->Unit(benchmark::kMillisecond);

void BM_AirAndShort1001(benchmark::State& state) {
    const FixtureFitInput in = sweeps(true, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(fit_fixture(in));
}
BENCHMARK(BM_AirAndShort1001)->Unit(benchmark::kMillisecond);

void BM_AirAndShortWithLine1001(benchmark::State& state) {
    const FixtureFitInput in = sweeps(true, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(fit_fixture(in));
}
BENCHMARK(BM_AirAndShortWithLine1001)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
