// How a search ends, and that it holds no state outside its arguments: run on many
// threads at once, it gives every result bit for bit as it does on one.
#include "calc/air_line.h"
#include "calc/ground_conversion.h"
#include "calc/ground_search.h"
#include "calc/line_models.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ardenca::calc {
namespace {

TEST(GroundSearch, ResultSaysHowTheRunEnded) {
    const AirLine probe = air_line({7, 0.1, 0.007, 0.55, 1});
    // The endless second stage: a feed line and a probe on which it cycles.
    const AirLine cycling = air_line({18.63, 0.271, 0.011, 0.704, 1});
    const AirLine high = air_line({1e300, 0.1, 0.007, 0.55, 1}); // 2 pi f 100 overflows
    const Impedance far_end = Tline_calc(384, 21.6, 38.0199, -180.4741);
    const double far_r = far_end.r_ohm, far_x = -far_end.x_ohm;
    struct Case {
        const char* name;
        const AirLine& line;
        SearchStage stage;
        double rst, xst;
        SearchEnd end;
        FaultKind kind;
        bool started;
        std::uint64_t evaluations;
    };
    using enum SearchStage;
    using enum SearchEnd;
    using enum FaultKind;
    const Case cases[] = {
        {"defaults", probe, First, 65.1779, -67.3409, Completed, {}, true, 3933},
        {"positive reactance", probe, First, 65.1779, 50, Fault, Overflow, true, 293},
        {"dielectric below 1", probe, Second, 65.1779, 50, Fault, DivisionByZero, true, 4402},
        {"start overflows", high, First, 65.1779, -67.3409, Fault, Overflow, false, 0},
        {"cycles", cycling, Second, far_r, far_x, Bound, {}, true, max_search_evaluations},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SearchResult r = search_ground(c.line, c.stage, c.rst, c.xst);
        EXPECT_EQ(r.end, c.end);
        EXPECT_TRUE(c.end != SearchEnd::Fault || r.fault_kind == c.kind);
        EXPECT_EQ(r.started, c.started);
        EXPECT_EQ(r.evaluations, c.evaluations);
    }
    const SearchResult found = search_ground(probe, SearchStage::First, 65.1779, -67.3409);
    EXPECT_EQ(found.g_s_per_m, 0.011813792774315841);
    EXPECT_EQ(found.c_f_per_m, 3.1380429058290872e-10);
    EXPECT_NEAR(found.model.r_out, 65.1779, 1e-9);
    const SearchResult given_up = search_ground(probe, SearchStage::Second, 65.1779, 50);
    EXPECT_EQ(given_up.g_s_per_m + given_up.c_f_per_m, 0); // the exit below eps_r 1
    EXPECT_THROW(search_ground(air_line({0, 0.1, 0.007, 0.55, 1}), SearchStage::First, 1, 1),
                 std::invalid_argument);
}

// Every bit of a result, in one comparable list.
std::vector<std::uint64_t> bits_of(const SearchResult& r) {
    std::vector<std::uint64_t> out{
        static_cast<std::uint64_t>(r.end), static_cast<std::uint64_t>(r.fault_kind),
        static_cast<std::uint64_t>(r.fault_operation), r.started, r.evaluations};
    for (double d : {r.g_s_per_m, r.c_f_per_m, r.model.r_out, r.model.i_out, r.model.Zo_r,
                     r.model.Zo_i, r.model.pc_r, r.model.pc_i})
        out.push_back(std::bit_cast<std::uint64_t>(d));
    return out;
}

TEST(SearchThreads, EightThreadsGiveWhatOneGives) {
    const AirLine line = air_line({7, 0.1, 0.007, 0.55, 1});
    // Reading i: a ground from 0.001 to 0.5 S/m and dielectric constant 2 to 80, searched
    // in either stage; some of the runs end in a fault.
    auto run = [&line](std::size_t i) {
        const ShuntPerMetre shunt =
            line_from_ground({0.001 * (1 + (i * 37) % 500), 2.0 + (i * 53) % 79}, line);
        MediumResult z;
        calc(line, shunt.g_s_per_m, shunt.c_f_per_m, z);
        return search_ground(line, i % 2 ? SearchStage::Second : SearchStage::First, z.r_out,
                             z.i_out);
    };
    std::vector<SearchResult> eight(1000);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = t; i < eight.size(); i += 8)
                eight[i] = run(i);
        });
    for (auto& thread : threads)
        thread.join();

    int completed = 0;
    for (std::size_t i = 0; i < eight.size(); ++i) {
        const SearchResult one = run(i);
        ASSERT_EQ(bits_of(one), bits_of(eight[i])) << "target " << i;
        completed += one.completed();
    }
    // Both ends are exercised: about 600 runs complete, the others fault.
    EXPECT_GT(completed, 500);
    EXPECT_LT(completed, 1000);
}

} // namespace
} // namespace ardenca::calc
