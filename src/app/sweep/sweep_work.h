// Solving a sweep as a series of small pieces of work, so that a front end can run it
// on another thread, show progress after each piece and stop between two pieces. Each
// piece hands back what it produced by value; nothing is shared with the caller.
#pragma once

#include "sweep/sweep_result.h"
#include "sweep_setup.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ardenca {

// What one piece of work produced.
struct SweepStep {
    enum class Kind {
        Read,     // a file was read: point_count, warnings
        Refused,  // a file was refused: error ("FILE:LINE: reason")
        Points,   // the next points of a location, solved, in order; the tracking so far
                  // is provisional (each chunk tracked on its own)
        Tracked,  // all points of a location, tracked as a whole and chosen by its soil
                  // model when one fits: they replace its points; fit, warnings
        Finished, // every location is done: average (when asked for), notes
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
    std::optional<calc::SoilFit> fit{}; // Tracked: the location's soil model, when fitted
};

class SweepWork {
  public:
    virtual ~SweepWork() = default;
    // The next piece: files are read first, one step each; then the points are solved
    // a chunk at a time; the last step is Finished or Failed, after which next() is not
    // called again. Throws nothing.
    virtual SweepStep next() = 0;
};

// Points solved per step: small enough that a step takes well under a tenth of a second.
inline constexpr std::size_t sweep_chunk_points = 256;

// The work of reading the files and solving them with the sweep engine.
std::unique_ptr<SweepWork> make_sweep_work(std::vector<std::string> paths, SweepSetup setup);

} // namespace ardenca
