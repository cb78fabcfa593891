// A frequency sweep as a VNA or an antenna analyser saved it: the impedance the meter
// saw at each frequency, and where the numbers came from.
#pragma once

#include <array>
#include <complex>
#include <string>
#include <vector>

namespace ardenca::sweep {

using Complex = std::complex<double>;

// The meter's reading at one frequency.
struct SweepPoint {
    double freq_hz = 0;
    Complex z_ohm;         // not meaningful when infinite
    bool infinite = false; // S11 exactly 1 or Y exactly 0: an open circuit
};

// A two-port point's scattering matrix, row by row: S11, S12, S21, S22.
using SMatrix2 = std::array<Complex, 4>;

enum class FileFormat { Touchstone, Csv };

struct Sweep {
    std::string path;
    FileFormat format = FileFormat::Touchstone;
    std::string version;     // "1.1", "2.0", "2.1" for Touchstone; empty for CSV
    std::string parameter;   // "S", "Y" or "Z" as the file holds it
    std::string data_format; // "RI", "MA" or "DB"
    double r_ohm = 50;       // reference resistance
    // Each port's reference resistance as read; r_ohm is port 1's.
    std::vector<double> port_r_ohm;
    int ports = 1;
    std::vector<SweepPoint> points;    // strictly increasing in frequency
    std::vector<SMatrix2> s_matrices;  // two-port files: one per point; else empty
    std::vector<std::string> warnings; // for the user, one sentence each
};

} // namespace ardenca::sweep
