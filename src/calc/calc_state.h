// The named values that live between the steps of a calculation. Units: frequency in
// Hz, lengths in metres, C_o and C in F/m, L_o in H/m, G and cond in S/m, impedances
// in ohms. A value never set reads as 0.
#pragma once

#include "constants.h"

namespace ardenca {

struct CalcState {
    // Constants, set once when the window loads.
    double pi = 0;
    double e = 0;
    double co = 0; // speed of light, m/s
    double eo = 0; // permittivity of free space, F/m
    double resolution = 0;

    // Relative permeability of the ground: 1 at load, then from the "ur" field.
    double ur = 0;

    // The probe line in air, from the dimension fields.
    double f = 0;   // Hz
    double w = 0;   // rad/s
    double L_m = 0; // m
    double L_o = 0; // H/m
    double C_o = 0; // F/m

    // The line in the ground.
    double C = 0;    // F/m
    double G = 0;    // S/m
    double cond = 0; // S/m
    double diel = 0;

    // The target impedance of the searches.
    double rst = 0; // ohm
    double xst = 0; // ohm

    // Faults caught by the searches since the last recalculation.
    int error_ct = 0;
};

// The constants the window sets when it loads. pi and e are the program's own
// 15-digit values, not the library's.
inline void set_load_constants(CalcState& s) {
    s.pi = calc::pi;
    s.e = calc::e;
    s.ur = 1;
    s.co = calc::co_m_per_s;
    s.eo = calc::eo_f_per_m;
    s.resolution = calc::resolution;
}

} // namespace ardenca
