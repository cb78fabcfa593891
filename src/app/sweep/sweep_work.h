// Solving a sweep as a series of small pieces of work, so that a front end can run it
// on another thread, show progress after each piece and stop it at any time. Each piece
// hands back what it produced by value; only the stop request and the count of points
// solved are shared with the caller, both atomic.
#pragma once

#include "sweep/sweep_result.h"
#include "sweep_setup.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ardenca {

// What one piece of work produced.
struct SweepStep {
    enum class Kind {
        Read,     // a file was read: point_count, warnings
        Refused,  // a file was refused: error ("FILE:LINE: reason")
        Points,   // the next points of a location, solved, in order; their tracking is
                  // provisional (each step's points tracked on their own) and they carry
                  // the Provisional flag
        Tracked,  // all points of a location, tracked as a whole and chosen by its soil
                  // model when one fits: they replace its points; fit, warnings
        Finished, // every location is done: average and area fit (when asked for), notes
        Failed,   // nothing can be solved (a set-up the engine refuses): error
    };
    Kind kind = Kind::Finished;
    std::size_t file = 0; // index into the paths the work was given
    std::size_t point_count = 0;
    std::vector<std::string> warnings;
    std::string error;
    std::vector<sweep::PointResult> points;
    std::optional<std::vector<sweep::AveragePoint>> average;
    std::vector<std::string> notes;
    std::optional<calc::SoilFit> fit{};      // Tracked: the location's soil model, when fitted
    std::optional<calc::SoilFit> area_fit{}; // Finished: one model over all locations
};

// What the caller and the work share: a stop request and the count of points solved.
struct SweepWorkControl {
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> points_solved{0};
};

class SweepWork {
  public:
    virtual ~SweepWork() = default;
    // The next piece: files are read first, one step each; then the points are solved
    // a few at a time; the last step is Finished or Failed, after which next() is not
    // called again. Throws nothing. After request_stop() a next() under way returns
    // within a few tens of milliseconds (a Failed step that the caller drops).
    virtual SweepStep next() = 0;

    // Asks the work to stop; safe from any thread.
    void request_stop() noexcept { control_->stop = true; }
    bool stop_requested() const noexcept { return control_->stop; }
    // Points solved so far, also while next() runs; safe from any thread.
    std::size_t points_solved() const noexcept { return control_->points_solved; }

  protected:
    // Shared with the threads the work starts, which may end after the work is gone.
    std::shared_ptr<SweepWorkControl> control_ = std::make_shared<SweepWorkControl>();
};

// Points handed back per step at most; a step also ends after step_ms with what is
// solved by then, so that slow points still show one by one.
inline constexpr std::size_t sweep_chunk_points = 256;
inline constexpr int sweep_step_ms = 150;

// Given a location's points solved in pieces, the tracking the engine gives a whole
// location: chosen grounds and the flags that follow from them set afresh over all the
// points (the classic method chooses its one ground per point).
void track_location(std::vector<sweep::PointResult>& points, sweep::SolveMethod method);

// Given the set-up and a location solved in pieces, the location as the engine gives it
// whole: tracked afresh, no longer provisional, chosen by its soil model when one fits.
void finish_location(const SweepSetup& setup, sweep::LocationResult& location);

// Given the set-up and the locations, the area's soil model over all their readings, as
// the engine fits it with the average; nothing for one location or no model asked for.
std::optional<calc::SoilFit> area_fit(const SweepSetup& setup,
                                      std::span<const sweep::LocationResult> locations);

// The work of reading the files and solving them with the sweep engine.
std::unique_ptr<SweepWork> make_sweep_work(std::vector<std::string> paths, SweepSetup setup);

} // namespace ardenca
