// What every sweep a reader returns must satisfy, and the Touchstone writer's round trip,
// for the VNA file fuzz targets: a violation prints what and aborts.
#pragma once

#include "sweep/sweep.h"
#include "sweep/sweep_file_error.h"
#include "sweep/text_scan.h"
#include "sweep/touchstone_reader.h"
#include "sweep/touchstone_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace ardenca::fuzz {

[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "%s %s\n", what, detail.substr(0, 200).c_str());
    std::abort();
}

inline std::size_t count_lines(std::string_view text) {
    sweep::LineSplitter lines(text);
    std::string_view line;
    while (lines.next(line)) {
    }
    return lines.number();
}

inline bool finite(sweep::Complex c) {
    return std::isfinite(c.real()) && std::isfinite(c.imag());
}

inline bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The sweep is within the bounds and keeps its promises.
inline void check_sweep(const sweep::Sweep& s) {
    if (s.points.empty() || s.points.size() > sweep::max_points)
        fail("point count out of bounds");
    if (s.ports != 1 && s.ports != 2)
        fail("port count");
    if (s.s_matrices.size() != (s.ports == 2 ? s.points.size() : 0))
        fail("S matrices do not match the points");
    if (s.port_r_ohm.size() != static_cast<std::size_t>(s.ports) || !(s.r_ohm > 0))
        fail("reference resistances");
    for (double r : s.port_r_ohm)
        if (!(r > 0) || !std::isfinite(r))
            fail("a reference resistance not positive and finite");
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        const auto& p = s.points[i];
        if (!std::isfinite(p.freq_hz) || p.freq_hz < 0)
            fail("frequency out of range");
        if (i > 0 && !(p.freq_hz > s.points[i - 1].freq_hz))
            fail("frequencies not strictly increasing");
        if (!p.infinite && !finite(p.z_ohm))
            fail("an impedance that is not finite and not flagged");
        if (s.ports == 2)
            for (const auto& c : s.s_matrices[i])
                if (!finite(c))
                    fail("an S matrix entry that is not finite");
    }
}

// A refusal names a line of the text (or none).
inline void check_refusal(const sweep::SweepFileError& e, std::string_view text) {
    if (e.line() > count_lines(text))
        fail("the refusal names a line past the end", e.what());
    const std::string expected = e.path() + ":" + std::to_string(e.line()) + ": " + e.reason();
    if (expected != e.what())
        fail("what() is not FILE:LINE: reason", e.what());
}

// Written and read back, the sweep is the same: bit for bit, except a one-port with open
// circuits, written as admittances, whose other impedances come back within rounding.
inline void check_round_trip(const sweep::Sweep& s) {
    const std::string written = sweep::write_touchstone(s);
    sweep::Sweep back;
    try {
        back = sweep::read_touchstone(written, "written.s1p");
    } catch (const sweep::SweepFileError& e) {
        fail("the writer's file is refused", e.what());
    }
    check_sweep(back);
    bool any_open = false;
    for (const auto& p : s.points)
        any_open = any_open || p.infinite;
    const bool exact = s.ports == 2 || !any_open;
    if (back.points.size() != s.points.size() || back.ports != s.ports)
        fail("round trip: points or ports differ");
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        const auto &a = s.points[i], &b = back.points[i];
        if (!same_bits(a.freq_hz, b.freq_hz) || a.infinite != b.infinite)
            fail("round trip: frequency or open circuit differs", written);
        if (a.infinite)
            continue;
        if (exact) {
            if (!same_bits(a.z_ohm.real(), b.z_ohm.real()) ||
                !same_bits(a.z_ohm.imag(), b.z_ohm.imag()))
                fail("round trip: impedance differs", written);
        } else if (std::abs(a.z_ohm - b.z_ohm) > 1e-14 * std::abs(a.z_ohm)) {
            fail("round trip: impedance too far", written);
        }
    }
    for (std::size_t i = 0; i < s.s_matrices.size(); ++i)
        for (int k = 0; k < 4; ++k)
            if (!same_bits(s.s_matrices[i][k].real(), back.s_matrices[i][k].real()) ||
                !same_bits(s.s_matrices[i][k].imag(), back.s_matrices[i][k].imag()))
                fail("round trip: S matrix differs", written);
}

// The input's first byte repeats the rest 2^(0..8) times, so that short inputs make long
// files.
inline std::string repeated_input(const std::uint8_t* data, std::size_t size) {
    const int repeats = 1 << (data[0] % 9);
    const std::string_view unit(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string content;
    content.reserve(unit.size() * static_cast<std::size_t>(repeats));
    for (int i = 0; i < repeats && !unit.empty(); ++i)
        content += unit;
    return content;
}

} // namespace ardenca::fuzz
