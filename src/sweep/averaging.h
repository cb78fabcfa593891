// The ground of one location at any frequency inside its sweep, and the average of
// several locations.
#pragma once

#include "sweep_result.h"

#include <optional>
#include <vector>

namespace ardenca::sweep {

// The chosen ground of a location at one frequency.
struct GroundAt {
    double sigma_s_per_m = 0;
    double eps_r = 0;
    double u_sigma_s_per_m = 0;
    double u_eps_r = 0;
    bool interpolated = false;
    double lower_hz = 0; // the points it came from (both the frequency itself when exact)
    double upper_hz = 0;
};

// Given a location and a frequency, its chosen ground there: the point's own when the
// sweep has that frequency, else interpolated linearly in ln f between the nearest
// points below and above that have a chosen ground (sigma, eps_r and their uncertainties
// alike). Nothing outside the sweep's range, and nothing at a point of the sweep that
// has no chosen ground.
std::optional<GroundAt> chosen_ground_at(const LocationResult& location, double freq_hz);

// Given the locations, the mean and the sample standard deviation (n - 1; NaN for one
// location) of sigma and eps_r over the locations at each common frequency: every
// frequency of any location that lies inside the range of every location (from the
// highest lowest frequency to the lowest highest one). A location that lacks the
// frequency contributes its ground interpolated in ln f (the point is then marked
// interpolated); one with no chosen ground there does not contribute. Frequencies where
// no location contributes are left out.
std::vector<AveragePoint> average_locations(const std::vector<LocationResult>& locations);

} // namespace ardenca::sweep
