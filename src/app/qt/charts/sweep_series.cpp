#include "sweep_series.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ardenca::charts {

using sweep::LocationResult;
using sweep::PointResult;

std::optional<double> plotted(Quantity quantity, double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    if (quantity == Quantity::Conductivity) {
        if (value <= 0)
            return std::nullopt;
        return std::log10(value);
    }
    return value;
}

double unplotted(Quantity quantity, double y) {
    return quantity == Quantity::Conductivity ? std::pow(10.0, y) : y;
}

double plotted_freq(double freq_hz) {
    return std::log10(freq_hz / 1e6);
}

double unplotted_freq(double x) {
    return std::pow(10.0, x) * 1e6;
}

double value_of(const calc::GroundSolution& s, Quantity quantity) {
    return quantity == Quantity::Conductivity ? s.sigma_s_per_m : s.eps_r;
}

double uncertainty_of(const calc::GroundSolution& s, Quantity quantity) {
    return quantity == Quantity::Conductivity ? s.u_sigma_s_per_m : s.u_eps_r;
}

namespace {

// The band of value +- u on the plotted axis. An infinite or huge uncertainty is cut at
// a factor of 100 on the log axis and at ten times the value on the linear one; an
// unknown one (NaN: the classic search gives none) makes no band.
std::pair<double, double> band(Quantity quantity, double value, double u) {
    if (std::isnan(u))
        u = 0;
    if (!std::isfinite(u) || u < 0)
        u = std::numeric_limits<double>::max();
    if (quantity == Quantity::Conductivity) {
        const double hi = std::min(value + u, value * 100);
        const double lo = value - u > value / 100 ? value - u : value / 100;
        return {std::log10(lo), std::log10(hi)};
    }
    const double cut = std::min(u, 10 * std::max(std::fabs(value), 1.0));
    return {value - cut, value + cut};
}

// Keeps the lowest and the highest value of each of max_points / 2 buckets along x.
Run thinned(const Run& run, std::size_t max_points) {
    const std::size_t n = run.line.size();
    if (n <= max_points || max_points < 4)
        return run;
    const std::size_t buckets = max_points / 2;
    const double x0 = run.line.front().x;
    const double span = run.line.back().x - x0;
    Run out;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t bucket =
            span > 0 ? std::min(buckets - 1, static_cast<std::size_t>((run.line[i].x - x0) / span *
                                                                      static_cast<double>(buckets)))
                     : i * buckets / n;
        std::size_t lo_at = i, hi_at = i;
        double upper = run.upper[i].y, lower = run.lower[i].y;
        std::size_t j = i + 1;
        for (; j < n; ++j) {
            const std::size_t b =
                span > 0
                    ? std::min(buckets - 1, static_cast<std::size_t>((run.line[j].x - x0) / span *
                                                                     static_cast<double>(buckets)))
                    : j * buckets / n;
            if (b != bucket)
                break;
            if (run.line[j].y < run.line[lo_at].y)
                lo_at = j;
            if (run.line[j].y > run.line[hi_at].y)
                hi_at = j;
            upper = std::max(upper, run.upper[j].y);
            lower = std::min(lower, run.lower[j].y);
        }
        for (std::size_t k : {std::min(lo_at, hi_at), std::max(lo_at, hi_at)}) {
            out.line.push_back(run.line[k]);
            out.upper.push_back({run.line[k].x, upper});
            out.lower.push_back({run.line[k].x, lower});
            if (lo_at == hi_at)
                break;
        }
        i = j;
    }
    return out;
}

// Joins neighbouring runs until at most max_runs remain.
std::vector<Run> joined(std::vector<Run> runs, std::size_t max_runs) {
    if (runs.size() <= max_runs || max_runs == 0)
        return runs;
    const std::size_t group = (runs.size() + max_runs - 1) / max_runs;
    std::vector<Run> out;
    for (std::size_t i = 0; i < runs.size(); i += group) {
        Run run;
        for (std::size_t k = i; k < std::min(i + group, runs.size()); ++k) {
            run.line.insert(run.line.end(), runs[k].line.begin(), runs[k].line.end());
            run.upper.insert(run.upper.end(), runs[k].upper.begin(), runs[k].upper.end());
            run.lower.insert(run.lower.end(), runs[k].lower.begin(), runs[k].lower.end());
        }
        out.push_back(std::move(run));
    }
    return out;
}

template <typename T> std::vector<T> sampled(std::vector<T> items, std::size_t max_items) {
    if (items.size() <= max_items || max_items == 0)
        return items;
    std::vector<T> out;
    out.reserve(max_items);
    for (std::size_t k = 0; k < max_items; ++k)
        out.push_back(items[k * items.size() / max_items]);
    return out;
}

void add_mark(LocationSeries& series, Mark mark, std::size_t index, double x,
              std::optional<double> y) {
    series.marks[static_cast<int>(mark)].push_back({{x, y.value_or(0)}, index, !y});
}

// Given a point left out and the plotted chosen values of its location, where its mark
// stands: at the solution nearest the model there, else nearest the chosen value of the
// closest point that has one; nothing when it has no solution the axis can show.
std::optional<double> outlier_y(const LocationResult& location, std::size_t index,
                                const std::vector<std::optional<double>>& chosen_y,
                                Quantity quantity) {
    const PointResult& point = location.points[index];
    if (chosen_y[index]) // a point off the model keeps the ground nearest it
        return chosen_y[index];
    std::optional<double> reference;
    if (point.model)
        reference =
            plotted(quantity, quantity == Quantity::Conductivity ? point.model->sigma_s_per_m
                                                                 : point.model->eps_r);
    for (std::size_t d = 1; !reference && (index >= d || index + d < chosen_y.size()); ++d) {
        if (index >= d && chosen_y[index - d])
            reference = chosen_y[index - d];
        else if (index + d < chosen_y.size() && chosen_y[index + d])
            reference = chosen_y[index + d];
    }
    std::optional<double> best;
    for (const calc::GroundSolution& s : point.solutions) {
        const auto y = plotted(quantity, value_of(s, quantity));
        if (y &&
            (!best || (reference && std::fabs(*y - *reference) < std::fabs(*best - *reference))))
            best = y;
    }
    return best;
}

} // namespace

LocationSeries location_series(const LocationResult& location, Quantity quantity,
                               const SeriesLimits& limits) {
    LocationSeries series;
    std::vector<Run> runs;
    Run current;
    auto close_run = [&] {
        if (!current.line.empty())
            runs.push_back(std::move(current));
        current = Run{};
    };
    std::vector<std::optional<double>> chosen_y(location.points.size());
    for (std::size_t i = 0; i < location.points.size(); ++i) {
        const PointResult& point = location.points[i];
        const double x = plotted_freq(point.freq_hz);
        std::optional<double> y;
        if (point.chosen && *point.chosen < point.solutions.size()) {
            const auto& chosen = point.solutions[*point.chosen];
            y = plotted(quantity, value_of(chosen, quantity));
            if (y) {
                const auto [lo, hi] =
                    band(quantity, value_of(chosen, quantity), uncertainty_of(chosen, quantity));
                current.line.push_back({x, *y});
                current.upper.push_back({x, hi});
                current.lower.push_back({x, lo});
            }
        }
        chosen_y[i] = y;
        if (!y)
            close_run();
        for (std::size_t k = 0; k < point.solutions.size(); ++k) {
            if (point.chosen && k == *point.chosen)
                continue;
            if (auto other = plotted(quantity, value_of(point.solutions[k], quantity)))
                series.alternatives.push_back({x, *other});
        }
        const unsigned flags = point.flags;
        if (flags & sweep::Provisional)
            series.provisional = true;
        if (flags & sweep::Ambiguous)
            add_mark(series, Mark::Ambiguous, i, x, y);
        if (flags & sweep::InfiniteReading)
            add_mark(series, Mark::OpenCircuit, i, x, std::nullopt);
        else if (flags & sweep::NoSolution)
            add_mark(series, Mark::NoSolution, i, x, std::nullopt);
        // Long stretches of the sweep are electrically long: marked along the bottom, not
        // over the lines.
        if (flags & sweep::ElectricallyLong)
            add_mark(series, Mark::ElectricallyLong, i, x, std::nullopt);
        if (flags & sweep::IncompleteCount)
            add_mark(series, Mark::Incomplete, i, x, y);
        if (flags & sweep::OffModel)
            add_mark(series, Mark::OffModel, i, x, y);
    }
    close_run();
    for (std::size_t i = 0; i < location.points.size(); ++i)
        if (location.points[i].flags & sweep::Outlier)
            add_mark(series, Mark::Outlier, i, plotted_freq(location.points[i].freq_hz),
                     outlier_y(location, i, chosen_y, quantity));
    // The soil model: one run over the points that have it.
    Run model;
    for (const sweep::PointResult& point : location.points) {
        if (!point.model)
            continue;
        const double value =
            quantity == Quantity::Conductivity ? point.model->sigma_s_per_m : point.model->eps_r;
        const double u = quantity == Quantity::Conductivity ? point.model->u_sigma_s_per_m
                                                            : point.model->u_eps_r;
        const auto y = plotted(quantity, value);
        if (!y)
            continue;
        const double x = plotted_freq(point.freq_hz);
        const auto [lo, hi] = band(quantity, value, u);
        model.line.push_back({x, *y});
        model.upper.push_back({x, hi});
        model.lower.push_back({x, lo});
    }
    if (!model.line.empty())
        series.model.push_back(thinned(model, limits.max_points));
    for (Run& run : runs)
        run = thinned(run, limits.max_points);
    series.runs = joined(std::move(runs), limits.max_runs);
    series.alternatives = sampled(std::move(series.alternatives), limits.max_alternatives);
    for (auto& marks : series.marks)
        marks = sampled(std::move(marks), limits.max_marks);
    return series;
}

std::vector<Run> average_runs(const std::vector<sweep::AveragePoint>& average, Quantity quantity) {
    std::vector<Run> runs;
    Run current;
    for (const auto& point : average) {
        const double mean =
            quantity == Quantity::Conductivity ? point.sigma_mean_s_per_m : point.eps_r_mean;
        const double sd =
            quantity == Quantity::Conductivity ? point.sigma_sd_s_per_m : point.eps_r_sd;
        const auto y = point.locations > 0 ? plotted(quantity, mean) : std::nullopt;
        if (!y) {
            if (!current.line.empty())
                runs.push_back(std::move(current));
            current = Run{};
            continue;
        }
        const double x = plotted_freq(point.freq_hz);
        const auto [lo, hi] = band(quantity, mean, sd);
        current.line.push_back({x, *y});
        current.upper.push_back({x, hi});
        current.lower.push_back({x, lo});
    }
    if (!current.line.empty())
        runs.push_back(std::move(current));
    return runs;
}

namespace {

struct Extent {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    bool empty() const { return lo > hi; }
};

} // namespace

std::optional<Range> value_range(const sweep::SweepResult& result, Quantity quantity) {
    Extent values, bands;
    auto add = [&](double value, double u) {
        if (const auto y = plotted(quantity, value)) {
            values.add(*y);
            const auto [lo, hi] = band(quantity, value, u);
            bands.add(lo);
            bands.add(hi);
        }
    };
    for (const auto& location : result.locations)
        for (const auto& point : location.points)
            if (point.chosen && *point.chosen < point.solutions.size()) {
                const auto& s = point.solutions[*point.chosen];
                add(value_of(s, quantity), uncertainty_of(s, quantity));
            }
    if (result.average)
        for (const auto& point : *result.average)
            if (point.locations > 0) {
                if (quantity == Quantity::Conductivity)
                    add(point.sigma_mean_s_per_m, point.sigma_sd_s_per_m);
                else
                    add(point.eps_r_mean, point.eps_r_sd);
            }
    if (values.empty())
        return std::nullopt;
    const double minimum_span =
        quantity == Quantity::Conductivity ? 0.4 : std::max(2.0, 0.2 * std::fabs(values.hi));
    const double span = std::max(values.hi - values.lo, minimum_span);
    double lo = std::max(bands.lo, values.lo - span);
    double hi = std::min(bands.hi, values.hi + span);
    if (hi - lo < minimum_span) {
        const double middle = (hi + lo) / 2;
        lo = middle - minimum_span / 2;
        hi = middle + minimum_span / 2;
    }
    // More room below, where the marks of unsolved and electrically long points stand.
    return Range{lo - 0.22 * (hi - lo), hi + 0.05 * (hi - lo)};
}

std::optional<Range> freq_range(const sweep::SweepResult& result) {
    Extent x;
    for (const auto& location : result.locations)
        for (const auto& point : location.points)
            if (point.freq_hz > 0)
                x.add(plotted_freq(point.freq_hz));
    if (x.empty())
        return std::nullopt;
    if (x.hi - x.lo < 1e-9)
        return Range{x.lo - 0.05, x.hi + 0.05};
    const double margin = 0.02 * (x.hi - x.lo);
    return Range{x.lo - margin, x.hi + margin};
}

} // namespace ardenca::charts
