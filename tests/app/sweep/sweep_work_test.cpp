// The work of a sweep run and its cancel: the points come back in order and as the
// engine solves them in one call, a stop reaches a step that is solving slow points at
// once, and a cancelled run keeps a partial location tracked as a whole, marked
// provisional, while a cancel after the last point gives the complete result.
#include "app/ardenca.h"
#include "app/sweep/sweep_model.h"
#include "app/sweep/sweep_setup.h"
#include "app/sweep/sweep_work.h"
#include "calc/all_solutions.h"
#include "calc/solve_stop.h"
#include "sweep/sweep_engine.h"
#include "sweep/sweep_file.h"

#include "../../files/temp_dir.h"
#include "../qt/sweep_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

using namespace ardenca;

namespace {

using Kind = SweepStep::Kind;

SweepSetup default_setup(sweep::SolveMethod method = sweep::SolveMethod::AllSolutions) {
    const Ardenca window;
    FixtureOptions fixture;
    fixture.method = method;
    return setup_from_window(window, fixture);
}

// The engine's result for the first `points` points of a file, solved in one call.
sweep::LocationResult engine_location(const SweepSetup& setup, const std::string& path,
                                      std::size_t points, sweep::FitChoice fit) {
    sweep::Sweep sweep = sweep::read_sweep_file(path, {});
    sweep.points.resize(std::min(points, sweep.points.size()));
    sweep::EngineOptions options;
    options.method = setup.method;
    options.fit = fit;
    return sweep::solve_sweeps(setup.engine, {sweep}, options).locations.front();
}

// Runs the work to its end, applying each step to the model.
void run_to_end(SweepWork& work, SweepModel& model, int run) {
    for (;;) {
        SweepStep step = work.next();
        const Kind kind = step.kind;
        model.apply(run, std::move(step));
        if (kind == Kind::Finished || kind == Kind::Failed)
            return;
    }
}

// Threads of this process solving points of a sweep.
int solving_threads() {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        count += name == "sweep_point";
    }
    return count;
}

void expect_same_grounds(const sweep::LocationResult& got, const sweep::LocationResult& want) {
    ASSERT_EQ(got.points.size(), want.points.size());
    for (std::size_t i = 0; i < got.points.size(); ++i) {
        const auto& g = got.points[i];
        const auto& w = want.points[i];
        EXPECT_EQ(g.freq_hz, w.freq_hz) << i;
        EXPECT_EQ(g.flags & ~sweep::Provisional, w.flags) << i;
        ASSERT_EQ(g.chosen, w.chosen) << i;
        if (g.chosen) {
            EXPECT_EQ(g.solutions[*g.chosen].sigma_s_per_m, w.solutions[*w.chosen].sigma_s_per_m)
                << i;
        }
    }
}

} // namespace

TEST(SweepWork, PointsComeBackInOrderAsTheEngineSolvesThem) {
    ardenca::testing::TempDir dir;
    const std::string path = dir / "a.s1p";
    ardenca::testing::write_synthetic(path, 400, 1, 0.004, 40e6);
    for (auto method : {sweep::SolveMethod::AllSolutions, sweep::SolveMethod::Classic}) {
        const SweepSetup setup = default_setup(method);
        auto work = make_sweep_work({path}, setup);
        SweepModel model;
        const int run = model.start({path}, setup);
        std::size_t steps = 0, largest = 0;
        for (;;) {
            SweepStep step = work->next();
            if (step.kind == Kind::Points) {
                ++steps;
                largest = std::max(largest, step.points.size());
                for (const auto& point : step.points)
                    EXPECT_TRUE(point.flags & sweep::Provisional);
            }
            const Kind kind = step.kind;
            model.apply(run, std::move(step));
            if (kind == Kind::Finished)
                break;
        }
        EXPECT_GE(steps, 2u); // at most 256 points a step
        EXPECT_LE(largest, sweep_chunk_points);
        EXPECT_EQ(work->points_solved(), 400u);
        EXPECT_EQ(model.state(), SweepModel::State::Finished);
        expect_same_grounds(model.result().locations.front(),
                            engine_location(setup, path, 400, setup.fit));
    }
}

TEST(SweepWork, AStopReachesAStepSolvingSlowPoints) {
    ardenca::testing::TempDir dir;
    const std::string path = ardenca::testing::write_slow_band(dir / "w-band.s1p");
    auto work = make_sweep_work({path}, default_setup());
    ASSERT_EQ(work->next().kind, Kind::Read);
    // The stop comes while the step is solving its first readings.
    auto step = std::async(std::launch::async, [&work] { return work->next(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const auto asked = std::chrono::steady_clock::now();
    work->request_stop();
    ASSERT_EQ(step.wait_for(std::chrono::milliseconds(500)), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(200));
    step.get(); // whatever it holds, the caller drops it
    EXPECT_EQ(work->next().kind, Kind::Failed);
    // The readings under way end too: no solving thread outlives the run by a second.
    const auto stopped = std::chrono::steady_clock::now();
    while (solving_threads() > 0 &&
           std::chrono::steady_clock::now() - stopped < std::chrono::seconds(1))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(solving_threads(), 0);
}

TEST(SolveStop, AStopFlagEndsTheSolveOfItsOwnThreadOnly) {
    // Far past a quarter wave: thousands of evaluations.
    calc::ProbeSetup probe;
    probe.length_m = 30;
    std::atomic<bool> stop{true};
    {
        const calc::StopScope scope(&stop);
        EXPECT_THROW(calc::solve_all(probe, 30e6, {95, -18}), calc::SolveStopped);
    }
    // Outside the scope, or with the flag clear, the solve runs to its end.
    EXPECT_GT(calc::solve_all(probe, 30e6, {95, -18}).evaluations, 0);
    stop = false;
    const calc::StopScope scope(&stop);
    EXPECT_GT(calc::solve_all(probe, 30e6, {95, -18}).evaluations, 0);
}

TEST(SweepModel, ACancelledLocationIsTrackedAsAWholeAndProvisional) {
    ardenca::testing::TempDir dir;
    const std::string path = dir / "a.s1p";
    // Past 23 MHz (point 230) two grounds fit, and a few points tracked on their own
    // can choose otherwise than the whole location does.
    ardenca::testing::write_synthetic(path, 301, 1, 0.003, 60e6);
    const SweepSetup setup = default_setup();
    const std::size_t kept = 280;
    // A location cut short is tracked, not fitted: its readings may not span the band.
    sweep::LocationResult solved = engine_location(setup, path, kept, sweep::FitChoice::None);
    SweepModel model;
    const int run = model.start({path}, setup);
    SweepStep read{Kind::Read, 0, 301, {}, "", {}, {}, {}};
    model.apply(run, std::move(read));
    // Slow points come back a few at a time, each piece tracked on its own.
    std::size_t differ = 0;
    for (std::size_t from = 0; from < kept; from += 5) {
        std::vector<sweep::PointResult> piece(solved.points.begin() + long(from),
                                              solved.points.begin() + long(from + 5));
        track_location(piece, setup.method);
        for (std::size_t i = 0; i < piece.size(); ++i) {
            differ += piece[i].chosen != solved.points[from + i].chosen ||
                      piece[i].flags != solved.points[from + i].flags;
            piece[i].flags |= sweep::Provisional;
        }
        model.apply(run, {Kind::Points, 0, 0, {}, "", std::move(piece), {}, {}});
    }
    ASSERT_GT(differ, 0u); // else this check would not tell anything
    model.cancel();
    EXPECT_EQ(model.state(), SweepModel::State::Cancelled);
    const auto& location = model.result().locations.front();
    for (const auto& point : location.points)
        EXPECT_TRUE(point.flags & sweep::Provisional);
    expect_same_grounds(location, solved);
    EXPECT_NE(model.messages().back().text.find("a.s1p was cut short"), std::string::npos);
}

TEST(SweepModel, ACancelAfterTheLastPointGivesTheCompleteResult) {
    ardenca::testing::TempDir dir;
    const std::string a = dir / "a.s1p", b = dir / "b.s1p";
    ardenca::testing::write_synthetic(a, 300, 1, 0.003, 40e6);
    ardenca::testing::write_synthetic(b, 300, 1.1, 0.004, 40e6);
    const SweepSetup setup = default_setup();
    auto work = make_sweep_work({a, b}, setup);
    SweepModel model;
    const int run = model.start({a, b}, setup);
    // Every point in, neither the last tracking nor the average.
    while (model.files_read() < 2 || model.points_done() < model.points_total()) {
        SweepStep step = work->next();
        if (step.kind == Kind::Tracked && step.file == 1)
            break;
        model.apply(run, std::move(step));
    }
    ASSERT_EQ(model.points_done(), 600u);
    model.cancel();
    EXPECT_EQ(model.state(), SweepModel::State::Finished);
    ASSERT_TRUE(model.result().average.has_value());

    SweepModel whole;
    auto whole_work = make_sweep_work({a, b}, setup);
    run_to_end(*whole_work, whole, whole.start({a, b}, setup));
    for (std::size_t l = 0; l < 2; ++l)
        expect_same_grounds(model.result().locations[l], whole.result().locations[l]);
    ASSERT_EQ(model.result().average->size(), whole.result().average->size());
    for (std::size_t i = 0; i < whole.result().average->size(); ++i)
        EXPECT_EQ((*model.result().average)[i].sigma_mean_s_per_m,
                  (*whole.result().average)[i].sigma_mean_s_per_m);
}
