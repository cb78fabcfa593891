#include "sweep_builder.h"

#include "sweep_file_error.h"
#include "text_scan.h"

#include <cmath>

namespace ardenca::sweep {

void SweepBuilder::check_frequency(double freq_hz, std::string_view freq_text,
                                   std::size_t line) const {
    if (!std::isfinite(freq_hz))
        throw SweepFileError(sweep_.path, line,
                             "the frequency " + quoted(freq_text) + " is too large");
    if (freq_hz < 0)
        throw SweepFileError(sweep_.path, line,
                             "the frequency " + quoted(freq_text) + " is negative");
    if (sweep_.points.empty() || freq_hz > sweep_.points.back().freq_hz)
        return;
    const std::string previous = " (line " + std::to_string(last_line_) + ")";
    if (freq_hz == sweep_.points.back().freq_hz)
        throw SweepFileError(sweep_.path, line,
                             "the frequency " + quoted(freq_text) +
                                 " repeats the previous point's" + previous +
                                 "; a segmented sweep repeats the frequency where two segments "
                                 "meet: keep one point per frequency");
    throw SweepFileError(sweep_.path, line,
                         "the frequency " + quoted(freq_text) +
                             " is lower than the previous point's" + previous +
                             "; frequencies must increase from point to point");
}

void SweepBuilder::add(double freq_hz, const Impedance& z, std::size_t line) {
    if (sweep_.points.size() == max_points)
        throw SweepFileError(sweep_.path, line,
                             "more than 1000000 points; a sweep may have at most 1000000");
    sweep_.points.push_back({freq_hz, z.infinite ? Complex{} : z.z_ohm, z.infinite});
    last_line_ = line;
    if (z.infinite) {
        ++open_;
    } else if (z.z_ohm.real() < 0) {
        if (negative_r_++ == 0)
            first_negative_hz_ = freq_hz;
    }
}

void SweepBuilder::add(double freq_hz, const Impedance& z, const SMatrix2& s, std::size_t line) {
    add(freq_hz, z, line);
    sweep_.s_matrices.push_back(s);
}

void SweepBuilder::check_polar(double magnitude, bool linear, double angle_deg, std::size_t line) {
    if (linear && magnitude < 0 && negative_magnitudes_++ == 0)
        negative_magnitude_line_ = line;
    if (!(std::abs(angle_deg) <= max_angle_deg) && odd_angles_++ == 0)
        odd_angle_line_ = line;
}

void SweepBuilder::finish() {
    if (sweep_.points.empty())
        throw SweepFileError(sweep_.path, 0, "the file holds no data points");
    if (negative_r_ > 0)
        sweep_.warnings.push_back(
            std::to_string(negative_r_) + " point(s), the first at " +
            shortest_text(first_negative_hz_) +
            " Hz, have a negative resistance (|S11| > 1): was the instrument calibrated?");
    if (open_ > 0)
        sweep_.warnings.push_back(std::to_string(open_) +
                                  " point(s) read as an open circuit (infinite impedance)");
    if (negative_magnitudes_ > 0)
        sweep_.warnings.push_back(std::to_string(negative_magnitudes_) +
                                  " pair(s), the first on line " +
                                  std::to_string(negative_magnitude_line_) +
                                  ", have a negative magnitude: read as the opposite angle");
    if (odd_angles_ > 0)
        sweep_.warnings.push_back(std::to_string(odd_angles_) + " pair(s), the first on line " +
                                  std::to_string(odd_angle_line_) + ", have an angle beyond " +
                                  shortest_text(max_angle_deg) +
                                  " degrees, which no longer says which way the value points");
}

} // namespace ardenca::sweep
