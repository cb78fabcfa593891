#include "sweep_engine.h"

#include "averaging.h"
#include "classic_point.h"
#include "tracking.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

namespace ardenca::sweep {

namespace {

PointResult solve_point(const SweepSetup& setup, const SweepPoint& in, SolveMethod method,
                        PointSolver solver) {
    PointResult p;
    p.freq_hz = in.freq_hz;
    p.z_measured_ohm = in.z_ohm;
    const calc::ProbeSetup probe = probe_at(setup, in.freq_hz);
    if (in.infinite) {
        p.flags = InfiniteReading | NoSolution;
        p.nu = probe_nu(in.freq_hz, probe.length_m, probe.ur, setup.solve.eps_r_max);
        return p;
    }
    if (method == SolveMethod::Classic) {
        ClassicPoint c = classic_point(probe, in.freq_hz, in.z_ohm);
        p.z_probe_ohm = c.z_probe_ohm;
        p.nu = probe_nu(in.freq_hz, probe.length_m, probe.ur, setup.solve.eps_r_max);
        if (c.ground) {
            p.solutions.push_back(*c.ground);
            p.chosen = 0;
        }
    } else {
        calc::SolveResult r = solver(probe, in.freq_hz, in.z_ohm, setup.solve);
        p.z_probe_ohm = r.z_probe_ohm;
        p.nu = r.nu;
        p.solutions = std::move(r.solutions);
        p.near = std::move(r.near);
        p.count = r.count;
        p.unresolved = r.unresolved;
        if (r.flags & calc::Unresolvable)
            p.flags |= Unresolvable;
        else if ((r.flags & calc::Incomplete) || !r.complete)
            p.flags |= IncompleteCount;
        if (r.flags & calc::NearAlternative)
            p.flags |= NearAlternative;
    }
    // An unresolved reading may well have grounds: it was not searched.
    if (p.solutions.empty() && !(p.flags & Unresolvable))
        p.flags |= NoSolution;
    return p;
}

} // namespace

SweepResult solve_sweeps(const SweepSetup& setup, const std::vector<Sweep>& sweeps,
                         const EngineOptions& options, PointSolver solver) {
    check_setup(setup);
    SweepResult result;
    result.setup = setup.probe;
    result.setup_freq_hz = setup.setup_freq_hz;
    result.options = setup.solve;
    result.method = options.method;

    // Every point of every location is one task, each writing its own slot.
    std::vector<std::pair<std::size_t, std::size_t>> work;
    for (const Sweep& s : sweeps) {
        LocationResult loc;
        loc.path = s.path;
        loc.warnings = s.warnings;
        loc.points.resize(s.points.size());
        for (std::size_t i = 0; i < s.points.size(); ++i)
            work.emplace_back(result.locations.size(), i);
        result.locations.push_back(std::move(loc));
    }
    auto solve_range = [&](const tbb::blocked_range<std::size_t>& range) {
        for (std::size_t w = range.begin(); w != range.end(); ++w) {
            const auto [l, i] = work[w];
            result.locations[l].points[i] =
                solve_point(setup, sweeps[l].points[i], options.method, solver);
        }
    };
    // All cores: the calling thread's own arena, whose workers stay with it from one
    // sweep to the next. Fewer: an arena of that many. More than the machine runs at
    // once would only wait.
    const int cores = tbb::info::default_concurrency();
    std::optional<tbb::task_arena> arena;
    if (options.threads > 0 && options.threads < cores)
        arena.emplace(options.threads);
    const auto run_on = [&](const tbb::blocked_range<std::size_t>& range, const auto& body) {
        if (arena)
            arena->execute([&] { tbb::parallel_for(range, body); });
        else
            tbb::parallel_for(range, body);
    };
    run_on(tbb::blocked_range<std::size_t>(0, work.size()), solve_range);

    const std::vector<calc::SoilModel> models = options.method == SolveMethod::AllSolutions
                                                    ? models_of(options.fit)
                                                    : std::vector<calc::SoilModel>{};
    // Each location tracked and fitted on its own, in parallel: nothing is shared.
    auto finish_range = [&](const tbb::blocked_range<std::size_t>& locs) {
        for (std::size_t l = locs.begin(); l != locs.end(); ++l) {
            LocationResult& loc = result.locations[l];
            if (options.method == SolveMethod::AllSolutions)
                track_solutions(loc.points);
            fit_location(setup, loc, models, options.at_hz);
            for (PointResult& p : loc.points)
                if (p.chosen && (p.solutions[*p.chosen].flags & calc::ElectricallyLong))
                    p.flags |= ElectricallyLong;
        }
    };
    run_on(tbb::blocked_range<std::size_t>(0, result.locations.size(), 1), finish_range);
    if (options.average) {
        result.average = average_locations(result.locations);
        if (!models.empty() && result.locations.size() > 1) {
            result.area_fit = fit_area(setup, result.locations, models);
            if (result.area_fit && result.area_fit->acceptable)
                for (double f : options.at_hz)
                    result.area_at.push_back(calc::model_ground(*result.area_fit, f));
        }
    }
    return result;
}

PointResult solve_sweep_point(const SweepSetup& setup, const SweepPoint& point, SolveMethod method,
                              PointSolver solver) {
    return solve_point(setup, point, method, solver);
}

} // namespace ardenca::sweep
