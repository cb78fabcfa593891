// Speed of the VNA file readers. Target on the two-core development machine, release
// build: a 1,000,000-point one-port Touchstone file (about 40 MB) in at most 1 s.
#include "sweep/sweep_file.h"
#include "sweep/touchstone_reader.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace ardenca::sweep;

// A 1,000,000-point .s1p as a VNA writes it: MHz, S as magnitude and angle.
const std::string& million_point_file() {
    static const std::string text = [] {
        std::string t = "! 1,000,000 points\n# MHz S MA R 50\n";
        t.reserve(42'000'000);
        char line[96];
        for (int i = 0; i < 1'000'000; ++i) {
            const double f_mhz = 0.1 + i * 0.00005;
            const int n = std::snprintf(line, sizeof line, "%.6f %.12f %.9f\n", f_mhz,
                                        0.2 + 0.7 * std::fabs(std::sin(i * 1e-4)),
                                        -179.0 + std::fmod(i * 0.0137, 358.0));
            t.append(line, static_cast<std::size_t>(n));
        }
        return t;
    }();
    return text;
}

void BM_ReadTouchstoneMillionPoints(benchmark::State& st) {
    const std::string& text = million_point_file();
    for (auto _ : st) {
        Sweep s = read_touchstone(text, "bench.s1p");
        benchmark::DoNotOptimize(s.points.data());
    }
    st.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_ReadTouchstoneMillionPoints)->Unit(benchmark::kMillisecond);

void BM_ReadSweepFileMillionPoints(benchmark::State& st) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "ardenca_read_bench.s1p").string();
    std::ofstream(path, std::ios::binary) << million_point_file();
    for (auto _ : st) {
        Sweep s = read_sweep_file(path, {});
        benchmark::DoNotOptimize(s.points.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadSweepFileMillionPoints)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
