#include "sweep_work.h"

#include "number_format.h"
#include "sweep/averaging.h"
#include "sweep/sweep_engine.h"
#include "sweep/sweep_file.h"
#include "sweep/tracking.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>

namespace ardenca {

namespace {

// Given a location's points solved chunk by chunk (each chunk tracked on its own), the
// tracking the engine gives a whole location: chosen grounds and the flags that follow
// from them set afresh over all the points.
void track_location(std::vector<sweep::PointResult>& points) {
    for (auto& point : points) {
        point.chosen.reset();
        point.flags &= ~(sweep::Ambiguous | sweep::Outlier | sweep::ElectricallyLong);
    }
    sweep::track_solutions(points);
    for (auto& point : points)
        if (point.chosen && (point.solutions[*point.chosen].flags & calc::ElectricallyLong))
            point.flags |= sweep::ElectricallyLong;
}

std::string file_name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// Which files the average had to interpolate, and at how many frequencies.
std::vector<std::string> interpolation_warnings(const std::vector<sweep::AveragePoint>& average,
                                                const std::vector<sweep::LocationResult>& done) {
    std::map<int, int> count;
    for (const auto& point : average)
        for (int location : point.interpolated_locations)
            ++count[location];
    std::vector<std::string> warnings;
    for (const auto& [location, n] : count)
        if (location >= 0 && static_cast<std::size_t>(location) < done.size())
            warnings.push_back("The average interpolates " +
                               file_name(done[static_cast<std::size_t>(location)].path) + " at " +
                               std::to_string(n) +
                               " frequencies it does not hold (linearly in ln f).");
    return warnings;
}

class EngineWork : public SweepWork {
  public:
    EngineWork(std::vector<std::string> paths, SweepSetup setup)
        : paths_(std::move(paths)), setup_(std::move(setup)) {}

    SweepStep next() override {
        try {
            return step();
        } catch (const std::exception& error) {
            SweepStep failed;
            failed.kind = SweepStep::Kind::Failed;
            failed.error = error.what();
            return failed;
        }
    }

  private:
    SweepStep step() {
        if (read_ < paths_.size())
            return read_next();
        if (!checked_) {
            sweep::check_setup(setup_.engine);
            checked_ = true;
        }
        while (location_ < sweeps_.size()) {
            const sweep::Sweep& sweep = sweeps_[location_];
            if (offset_ < sweep.points.size())
                return solve_chunk(sweep);
            SweepStep tracked;
            tracked.kind = SweepStep::Kind::Tracked;
            tracked.file = files_[location_];
            sweep::LocationResult done;
            done.path = sweep.path;
            done.warnings = sweep.warnings;
            done.points = std::move(solved_);
            const bool retrack =
                setup_.method == sweep::SolveMethod::AllSolutions && !done.points.empty();
            if (retrack) {
                track_location(done.points);
                const std::size_t warned = done.warnings.size();
                sweep::fit_location(setup_.engine, done, sweep::models_of(setup_.fit), {});
                tracked.points = done.points;
                tracked.fit = done.fit;
                tracked.warnings.assign(done.warnings.begin() + static_cast<std::ptrdiff_t>(warned),
                                        done.warnings.end());
            }
            done_.push_back(std::move(done));
            solved_.clear();
            offset_ = 0;
            ++location_;
            if (retrack)
                return tracked;
        }
        SweepStep finished;
        finished.kind = SweepStep::Kind::Finished;
        if (setup_.average && done_.size() > 1) {
            finished.average = sweep::average_locations(done_);
            finished.warnings = interpolation_warnings(*finished.average, done_);
        }
        return finished;
    }

    SweepStep read_next() {
        const std::size_t file = read_++;
        SweepStep step;
        step.file = file;
        try {
            sweep::Sweep sweep = sweep::read_sweep_file(paths_[file], {});
            step.kind = SweepStep::Kind::Read;
            step.point_count = sweep.points.size();
            step.warnings = sweep.warnings;
            const auto open = std::count_if(sweep.points.begin(), sweep.points.end(),
                                            [](const sweep::SweepPoint& p) { return p.infinite; });
            if (open > 0)
                step.warnings.push_back(counted(static_cast<std::size_t>(open), "point", "points") +
                                        " read as an open circuit (infinite impedance): kept, "
                                        "without a solution.");
            sweep.path = paths_[file];
            sweeps_.push_back(std::move(sweep));
            files_.push_back(file);
        } catch (const std::exception& error) {
            step.kind = SweepStep::Kind::Refused;
            step.error = error.what();
        }
        return step;
    }

    SweepStep solve_chunk(const sweep::Sweep& sweep) {
        const std::size_t end = std::min(sweep.points.size(), offset_ + sweep_chunk_points);
        sweep::Sweep chunk;
        chunk.path = sweep.path;
        chunk.points.assign(sweep.points.begin() + static_cast<std::ptrdiff_t>(offset_),
                            sweep.points.begin() + static_cast<std::ptrdiff_t>(end));
        sweep::EngineOptions options;
        options.method = setup_.method;
        options.average = false;
        sweep::SweepResult part = sweep::solve_sweeps(setup_.engine, {chunk}, options);
        SweepStep step;
        step.kind = SweepStep::Kind::Points;
        step.file = files_[location_];
        step.points = std::move(part.locations.front().points);
        solved_.insert(solved_.end(), step.points.begin(), step.points.end());
        offset_ = end;
        return step;
    }

    std::vector<std::string> paths_;
    SweepSetup setup_;
    std::size_t read_ = 0;
    bool checked_ = false;
    std::vector<sweep::Sweep> sweeps_;
    std::vector<std::size_t> files_; // the path index of each sweep read
    std::size_t location_ = 0;
    std::size_t offset_ = 0;
    std::vector<sweep::PointResult> solved_;
    std::vector<sweep::LocationResult> done_;
};

} // namespace

std::unique_ptr<SweepWork> make_sweep_work(std::vector<std::string> paths, SweepSetup setup) {
    return std::make_unique<EngineWork>(std::move(paths), std::move(setup));
}

} // namespace ardenca
