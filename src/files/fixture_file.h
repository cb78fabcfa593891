// The probe fixture file: a calibration's lead inductance, top capacitance and feed-line
// length with their uncertainties, and the probe they were measured on, as a small
// versioned JSON object:
//   {"format": "ardenca-fixture", "version": 1,
//    "date": "2026-12-07T09:30:00Z",
//    "probe": {"spacing_m", "radius_m", "length_m", "air_m"},
//    "lead_nh": {"value", "u"}, "top_pf": {"value", "u"},
//    "line_deg": {"value", "u"}, "line_zo_ohm", "setup_mhz"   (only with a fitted line;
//                                 the degrees are at setup_mhz and grow with f)
//    "correlation": [[...]]       (of lead, top and, with a line, line: 2x2 or 3x3)
//    "chi2_per_dof", "points_used"}
// u is one standard deviation. Written through the atomic writer.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

namespace ardenca::files {

inline constexpr int fixture_file_version = 1;

struct FixtureValue {
    double value = 0;
    double u = 0;
};

struct FixtureFile {
    // The probe the calibration was made for: the whole rod is length_m + air_m.
    double spacing_m = 0, radius_m = 0, length_m = 0, air_m = 0;
    FixtureValue lead_nh, top_pf;
    std::optional<FixtureValue> line_deg; // at setup_freq_hz
    double line_zo_ohm = 0;
    double setup_freq_hz = 0;
    std::array<std::array<double, 3>, 3> correlation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    std::string date; // ISO 8601, UTC
    double chi2_per_dof = 0;
    int points_used = 0;
};

// A fixture file that cannot be read; what() is "PATH: reason".
class FixtureFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Given a fixture, its file's text.
std::string fixture_text(const FixtureFile& fixture);

// Given the file's text and its name for messages, the fixture. Throws FixtureFileError.
FixtureFile parse_fixture(const std::string& text, const std::string& path);

// Reads a fixture file. Throws FixtureFileError.
FixtureFile read_fixture_file(const std::string& path);

// Writes the fixture through the atomic writer. Throws FileError.
void write_fixture_file(const std::string& path, const FixtureFile& fixture);

} // namespace ardenca::files
