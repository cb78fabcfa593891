// Collects a reader's points: frequencies strictly increasing and in range, at most
// max_points of them, and the warnings that concern the sweep as a whole.
#pragma once

#include "network_math.h"
#include "sweep.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ardenca::sweep {

class SweepBuilder {
  public:
    explicit SweepBuilder(Sweep& sweep) : sweep_(sweep) {}

    // Checks a point's frequency as read at line: freq_text is its word in the file, for
    // messages. Throws SweepFileError when it is negative, too large, or not above the
    // previous point's.
    void check_frequency(double freq_hz, std::string_view freq_text, std::size_t line) const;
    // Adds a point whose frequency passed check_frequency; throws past max_points.
    void add(double freq_hz, const Impedance& z, std::size_t line);
    void add(double freq_hz, const Impedance& z, const SMatrix2& s, std::size_t line);

    // Notes a pair read as magnitude (linear when `linear`) and angle at line: a negative
    // linear magnitude (read as the opposite angle) and an angle too large to mean a
    // direction are each warned about once, at their first line.
    void check_polar(double magnitude, bool linear, double angle_deg, std::size_t line);

    std::size_t size() const { return sweep_.points.size(); }
    double last_freq_hz() const { return sweep_.points.back().freq_hz; }

    // Refuses an empty sweep, then adds the warnings about negative resistances and open
    // circuits.
    void finish();

  private:
    Sweep& sweep_;
    std::size_t last_line_ = 0;
    std::size_t negative_r_ = 0, open_ = 0;
    double first_negative_hz_ = 0;
    std::size_t negative_magnitude_line_ = 0, odd_angle_line_ = 0;
    std::size_t negative_magnitudes_ = 0, odd_angles_ = 0;
};

// Angles beyond this many degrees are taken for a fault in the file: even a phase
// unwrapped over a long sweep of a long cable stays far below it.
inline constexpr double max_angle_deg = 1e6;

} // namespace ardenca::sweep
