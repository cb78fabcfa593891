// Hand-made sweep results for the chart and window tests: a ground whose conductivity
// and dielectric constant drift with frequency, one tracked solution per point with a
// 4 % uncertainty, a second solution where the probe is electrically long, and a few
// flagged points.
#pragma once

#include "sweep/sweep_result.h"

#include <cmath>
#include <string>

namespace ardenca::testing {

inline double sigma_at(double freq_hz, double scale) {
    return scale * 0.01 * std::pow(freq_hz / 1e6, 0.25);
}
inline double eps_r_at(double freq_hz, double scale) {
    return scale * (12 + 30 / std::sqrt(freq_hz / 1e6));
}

inline sweep::LocationResult made_location(const std::string& path, int points, double scale,
                                           double f_lo_hz = 1e6, double f_hi_hz = 30e6) {
    sweep::LocationResult location;
    location.path = path;
    for (int i = 0; i < points; ++i) {
        const double t = points > 1 ? double(i) / (points - 1) : 0;
        sweep::PointResult point;
        point.freq_hz = f_lo_hz * std::pow(f_hi_hz / f_lo_hz, t);
        point.z_measured_ohm = {40 + 10 * t, -60 + 30 * t};
        point.z_probe_ohm = point.z_measured_ohm;
        calc::GroundSolution s;
        s.sigma_s_per_m = sigma_at(point.freq_hz, scale);
        s.eps_r = eps_r_at(point.freq_hz, scale);
        s.u_sigma_s_per_m = 0.04 * s.sigma_s_per_m;
        s.u_eps_r = 0.04 * s.eps_r;
        s.skin_depth_m = 1 / std::sqrt(3.14159 * point.freq_hz * 4e-7 * 3.14159 * s.sigma_s_per_m);
        point.solutions.push_back(s);
        point.chosen = 0;
        if (t > 0.7) {
            calc::GroundSolution other = s;
            other.sigma_s_per_m *= 3;
            other.eps_r *= 2.5;
            point.solutions.push_back(other);
            point.flags |= sweep::ElectricallyLong;
        }
        if (i == points / 2)
            point.flags |= sweep::Ambiguous;
        if (i == points / 3) {
            point.solutions.clear();
            point.chosen.reset();
            point.flags |= sweep::NoSolution;
        }
        location.points.push_back(point);
    }
    return location;
}

inline sweep::SweepResult made_result(int locations, int points) {
    sweep::SweepResult result;
    result.setup_freq_hz = 7e6;
    for (int k = 0; k < locations; ++k)
        result.locations.push_back(
            made_location("/data/site" + std::to_string(k + 1) + ".s1p", points, 1 + 0.08 * k));
    if (locations > 1) {
        std::vector<sweep::AveragePoint> average;
        for (std::size_t i = 0; i < result.locations[0].points.size(); ++i) {
            sweep::AveragePoint a;
            a.freq_hz = result.locations[0].points[i].freq_hz;
            a.sigma_mean_s_per_m = sigma_at(a.freq_hz, 1 + 0.04 * (locations - 1));
            a.sigma_sd_s_per_m = 0.05 * a.sigma_mean_s_per_m;
            a.eps_r_mean = eps_r_at(a.freq_hz, 1 + 0.04 * (locations - 1));
            a.eps_r_sd = 0.05 * a.eps_r_mean;
            a.locations = locations;
            average.push_back(a);
        }
        result.average = average;
    }
    return result;
}

} // namespace ardenca::testing
