#include "sweep_work.h"

#include "calc/solve_stop.h"
#include "number_format.h"
#include "sweep/averaging.h"
#include "sweep/sweep_engine.h"
#include "sweep/sweep_file.h"
#include "sweep/tracking.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#ifdef __linux__
#include <pthread.h>
#endif

namespace ardenca {

namespace {

// The points of one location, solved on threads of their own that take the next
// unsolved point until none is left or a stop is asked for. The threads hold the job
// and end by themselves; a stop ends a point under way as well.
struct LocationJob {
    sweep::SweepSetup engine;
    sweep::SolveMethod method = sweep::SolveMethod::AllSolutions;
    std::vector<sweep::SweepPoint> in;
    std::shared_ptr<SweepWorkControl> control;

    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable solved_one;
    std::vector<std::optional<sweep::PointResult>> out; // guarded by mutex

    void run() {
#ifdef __linux__
        pthread_setname_np(pthread_self(), "sweep_point");
#endif
        // A stop ends a reading under way too, within one evaluation of the equation.
        const calc::StopScope scope(&control->stop);
        try {
            solve_points();
        } catch (const calc::SolveStopped&) {
        }
    }

    void solve_points() {
        for (;;) {
            if (control->stop)
                return;
            const std::size_t i = next++;
            if (i >= in.size())
                return;
            sweep::PointResult point = sweep::solve_sweep_point(engine, in[i], method);
            {
                std::lock_guard lock(mutex);
                out[i] = std::move(point);
            }
            ++control->points_solved;
            solved_one.notify_all();
        }
    }
};

// How many threads solve the points of a location.
unsigned solver_threads(std::size_t points) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(cores, points));
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

struct Stopped : std::runtime_error {
    Stopped() : std::runtime_error("Stopped.") {}
};

class EngineWork : public SweepWork {
  public:
    EngineWork(std::vector<std::string> paths, SweepSetup setup)
        : paths_(std::move(paths)), setup_(std::move(setup)) {}
    // Threads still solving points of this work take no further point.
    ~EngineWork() override { control_->stop = true; }

    SweepStep next() override {
        try {
            if (control_->stop)
                throw Stopped();
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
            const bool retrack = !done.points.empty();
            if (retrack) {
                const std::size_t warned = done.warnings.size();
                finish_location(setup_, done);
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
            finished.area_fit = area_fit(setup_, done_);
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

    // The points of the current location that are solved and not yet handed back, in
    // order: at most sweep_chunk_points of them, and no later than sweep_step_ms after
    // the call unless none is ready yet.
    SweepStep solve_chunk(const sweep::Sweep& sweep) {
        if (!job_) {
            job_ = std::make_shared<LocationJob>();
            job_->engine = setup_.engine;
            job_->method = setup_.method;
            job_->in = sweep.points;
            job_->control = control_;
            job_->out.resize(sweep.points.size());
            for (unsigned t = 0; t < solver_threads(sweep.points.size()); ++t)
                std::thread([job = job_] { job->run(); }).detach();
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(sweep_step_ms);
        SweepStep step;
        step.kind = SweepStep::Kind::Points;
        step.file = files_[location_];
        std::unique_lock lock(job_->mutex);
        for (;;) {
            while (offset_ < job_->out.size() && job_->out[offset_] &&
                   step.points.size() < sweep_chunk_points) {
                step.points.push_back(std::move(*job_->out[offset_]));
                job_->out[offset_].reset();
                ++offset_;
            }
            if (control_->stop)
                throw Stopped();
            const bool full =
                offset_ == job_->out.size() || step.points.size() == sweep_chunk_points;
            if (full || (!step.points.empty() && std::chrono::steady_clock::now() >= deadline))
                break;
            // Woken by each point solved; the timeout only looks at the stop request.
            job_->solved_one.wait_for(lock, std::chrono::milliseconds(20));
        }
        lock.unlock();
        if (offset_ == job_->out.size())
            job_.reset();
        track_location(step.points, setup_.method);
        for (auto& point : step.points)
            point.flags |= sweep::Provisional;
        solved_.insert(solved_.end(), step.points.begin(), step.points.end());
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
    std::shared_ptr<LocationJob> job_; // the current location's points being solved
};

} // namespace

void track_location(std::vector<sweep::PointResult>& points, sweep::SolveMethod method) {
    for (auto& point : points) {
        if (method == sweep::SolveMethod::AllSolutions)
            point.chosen.reset();
        point.flags &=
            ~(sweep::Ambiguous | sweep::Outlier | sweep::OffModel | sweep::ElectricallyLong);
    }
    if (method == sweep::SolveMethod::AllSolutions)
        sweep::track_solutions(points);
    for (auto& point : points)
        if (point.chosen && (point.solutions[*point.chosen].flags & calc::ElectricallyLong))
            point.flags |= sweep::ElectricallyLong;
}

void finish_location(const SweepSetup& setup, sweep::LocationResult& location) {
    for (auto& point : location.points)
        point.flags &= ~sweep::Provisional;
    track_location(location.points, setup.method);
    if (setup.method != sweep::SolveMethod::AllSolutions)
        return;
    sweep::fit_location(setup.engine, location, sweep::models_of(setup.fit), {});
    // The model may have chosen other grounds than the tracking did.
    for (auto& point : location.points) {
        point.flags &= ~sweep::ElectricallyLong;
        if (point.chosen && (point.solutions[*point.chosen].flags & calc::ElectricallyLong))
            point.flags |= sweep::ElectricallyLong;
    }
}

std::optional<calc::SoilFit> area_fit(const SweepSetup& setup,
                                      std::span<const sweep::LocationResult> locations) {
    const auto models = sweep::models_of(setup.fit);
    if (setup.method != sweep::SolveMethod::AllSolutions || models.empty() || locations.size() < 2)
        return std::nullopt;
    return sweep::fit_area(setup.engine, locations, models);
}

std::unique_ptr<SweepWork> make_sweep_work(std::vector<std::string> paths, SweepSetup setup) {
    return std::make_unique<EngineWork>(std::move(paths), std::move(setup));
}

} // namespace ardenca
