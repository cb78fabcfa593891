// Speed of the line model and of "Calculate from Known  Z in". Targets on the
// two-core development machine, release build: one evaluation at most 250 ns, the
// defaults at most 1 ms, the lossy ground at most 3 ms, the bounded case at most 0.3 s.
#include "app/ardenca.h"
#include "calc/line_models.h"

#include <benchmark/benchmark.h>

namespace {

using ardenca::Ardenca;
using ardenca::Field;

void set_fields(Ardenca& m, std::initializer_list<std::pair<Field, const char*>> texts) {
    for (const auto& [field, text] : texts)
        m.set_text(field, text);
}

void BM_OneEvaluation(benchmark::State& st) {
    Ardenca m;
    const ardenca::calc::AirLine line = m.Calc_Line();
    ardenca::calc::MediumResult r;
    double G = 0.011813785075390148;
    double C = 3.1380441566152763e-10;
    for (auto _ : st) {
        benchmark::DoNotOptimize(G);
        ardenca::calc::calc(line, G, C, r);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_OneEvaluation);

void run_calculate(benchmark::State& st, Ardenca& m) {
    std::uint64_t before = m.evaluations();
    for (auto _ : st)
        m.Command2_Click();
    st.counters["evaluations"] =
        static_cast<double>(m.evaluations() - before) / static_cast<double>(st.iterations());
}

void BM_CalculateDefaults(benchmark::State& st) {
    Ardenca m;
    run_calculate(st, m);
}
BENCHMARK(BM_CalculateDefaults)->Unit(benchmark::kMillisecond);

void BM_CalculateLossyGround(benchmark::State& st) {
    Ardenca m;
    set_fields(m, {{Field::Text23, "4.533605"}, {Field::Text24, "4.418232"}});
    run_calculate(st, m);
}
BENCHMARK(BM_CalculateLossyGround)->Unit(benchmark::kMillisecond);

// The second stage cycles without end here and stops at the evaluation bound.
void BM_CalculateBoundedCase(benchmark::State& st) {
    Ardenca m;
    set_fields(m, {{Field::Text1, ".271"},
                   {Field::Text2, ".011"},
                   {Field::Text3, ".704"},
                   {Field::Text8, "18.63"},
                   {Field::Text25, "384"},
                   {Field::Text26, "21.6"},
                   {Field::Text23, "38.0199"},
                   {Field::Text24, "180.4741"}});
    m.select_option(ardenca::MatchingOption::UseMatchingSection);
    run_calculate(st, m);
}
BENCHMARK(BM_CalculateBoundedCase)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
