// What the sweep charts draw, computed from a sweep result without any toolkit: for one
// quantity (conductivity or dielectric constant) and one location, the tracked solution
// as unbroken runs with their uncertainty band, the other solutions, and the flagged
// points. The frequency axis is log10 of the frequency in MHz; conductivity is plotted
// as log10 of S/m, the dielectric constant as itself.
//
// Long sweeps are thinned for drawing: beyond max_points points per run, each run keeps
// the lowest and highest value of every frequency bucket (so spikes stay visible), and
// the other solutions are sampled evenly. Read-outs use the full result.
#pragma once

#include "sweep/sweep_result.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace ardenca::charts {

enum class Quantity { Conductivity, DielectricConstant };

struct XY {
    double x = 0;
    double y = 0;
};

// One unbroken run of the tracked (or averaged) value.
struct Run {
    std::vector<XY> line;
    std::vector<XY> upper; // value + uncertainty (or spread), same x as line
    std::vector<XY> lower;
};

// Outlier: a reading left out of the sweep's ground, marked at its solution nearest the
// soil model there, else nearest the chosen ground of the closest point that has one.
enum class Mark {
    Ambiguous,
    NoSolution,
    ElectricallyLong,
    Incomplete,
    OpenCircuit,
    OffModel,
    Outlier
};
inline constexpr int mark_count = 7;

struct MarkedPoint {
    XY at;
    std::size_t index = 0;  // the point's index in its location
    bool at_bottom = false; // no value to show: the chart puts it at the bottom edge
};

struct LocationSeries {
    bool provisional = false; // some point's tracking may still change (flag Provisional)
    std::vector<Run> runs;
    std::vector<XY> alternatives;
    std::vector<MarkedPoint> marks[mark_count];
    std::vector<Run> model; // the location's soil model with its 1-sigma band, when one fits
};

struct SeriesLimits {
    std::size_t max_points = 3000;       // per run before thinning
    std::size_t max_alternatives = 1000; // per location
    std::size_t max_marks = 400;         // per location and kind of mark
    std::size_t max_runs = 60;           // more runs are joined across their gaps
};

// Where a value stands on the plotted axis: log10 for conductivity, itself otherwise;
// nullopt for a value the axis cannot show (not positive on a log axis, not finite).
std::optional<double> plotted(Quantity quantity, double value);
// The inverse of plotted.
double unplotted(Quantity quantity, double y);
// log10 of the frequency in MHz.
double plotted_freq(double freq_hz);
double unplotted_freq(double x);

// The value and uncertainty of a solution for a quantity.
double value_of(const calc::GroundSolution& s, Quantity quantity);
double uncertainty_of(const calc::GroundSolution& s, Quantity quantity);

LocationSeries location_series(const sweep::LocationResult& location, Quantity quantity,
                               const SeriesLimits& limits = {});
// The average over locations, its band the standard deviation.
std::vector<Run> average_runs(const std::vector<sweep::AveragePoint>& average, Quantity quantity);

// The plotted y range that shows the tracked values, the average and their bands (the
// bands at most as far again as the values' own spread), with a margin above and a
// wider one below for the marks that stand at the bottom; nullopt when nothing is
// tracked.
struct Range {
    double lo = 0;
    double hi = 0;
};
std::optional<Range> value_range(const sweep::SweepResult& result, Quantity quantity);
std::optional<Range> freq_range(const sweep::SweepResult& result);

} // namespace ardenca::charts
