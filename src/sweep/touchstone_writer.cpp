#include "touchstone_writer.h"

#include "text_scan.h"

#include <algorithm>

namespace ardenca::sweep {

namespace {

void append_pair(std::string& out, Complex c) {
    out += ' ';
    out += shortest_text(c.real());
    out += ' ';
    out += shortest_text(c.imag());
}

} // namespace

std::string write_touchstone(const Sweep& sweep) {
    const bool two_port = !sweep.s_matrices.empty();
    const bool any_open = std::any_of(sweep.points.begin(), sweep.points.end(),
                                      [](const SweepPoint& p) { return p.infinite; });
    const char* parameter = two_port ? "S" : any_open ? "Y" : "Z";
    double r1 = sweep.r_ohm, r2 = sweep.r_ohm;
    if (!sweep.port_r_ohm.empty())
        r1 = r2 = sweep.port_r_ohm[0];
    if (sweep.port_r_ohm.size() > 1)
        r2 = sweep.port_r_ohm[1];

    std::string out;
    out.reserve(64 + sweep.points.size() * (two_port ? 200 : 60));
    out += "! Written by Ardenca\n[Version] 2.0\n# Hz ";
    out += parameter;
    out += " RI R ";
    out += shortest_text(r1);
    out += '\n';
    out += "[Number of Ports] ";
    out += two_port ? "2" : "1";
    out += '\n';
    if (two_port)
        out += "[Two-Port Data Order] 12_21\n";
    out += "[Number of Frequencies] ";
    out += std::to_string(sweep.points.size());
    out += "\n[Reference] ";
    out += shortest_text(r1);
    if (two_port) {
        out += ' ';
        out += shortest_text(r2);
    }
    out += "\n[Network Data]\n";
    for (std::size_t i = 0; i < sweep.points.size(); ++i) {
        const SweepPoint& p = sweep.points[i];
        out += shortest_text(p.freq_hz);
        if (two_port) {
            for (const Complex& s : sweep.s_matrices[i])
                append_pair(out, s);
        } else if (any_open) {
            append_pair(out, p.infinite ? Complex{} : 1.0 / p.z_ohm);
        } else {
            append_pair(out, p.z_ohm);
        }
        out += '\n';
    }
    out += "[End]\n";
    return out;
}

} // namespace ardenca::sweep
