// Tick marks for an axis whose data are plotted as log10 of the value: labelled at
// 1-2-5 or 1..9 steps in each decade, so that a range of less than a decade still shows
// several numbers.
#pragma once

#include <string>
#include <vector>

namespace ardenca::charts {

struct Tick {
    double log10_value = 0; // where the tick stands on the plotted (log10) axis
    std::string label;      // the value itself, e.g. "2", "0.005", "1e-05"
};

// Given a plotted range [lo, hi] in log10 units, the ticks inside it: the finest of
// decades, 1-2-5 and 1..9 steps that gives at most max_ticks; when even 1..9 steps give
// fewer than three, evenly spaced round values.
std::vector<Tick> log_ticks(double lo_log10, double hi_log10, int max_ticks = 10);

// Ticks for a linear axis over [lo, hi]: round values 1, 2 or 5 times a power of ten
// apart, at most max_ticks of them; log10_value then holds the value itself.
std::vector<Tick> linear_ticks(double lo, double hi, int max_ticks = 7);

// The smallest of 1, 2 or 5 times a power of ten that is at least raw (raw > 0).
double nice_step(double raw);

// A value written for an axis or a read-out: at most `digits` significant digits,
// trailing zeros dropped, plain between 1e-4 and 1e6, else with an exponent.
std::string short_number(double value, int digits = 4);

} // namespace ardenca::charts
