// The probe line in the ground and the lossless feed line of the matching section.
#pragma once

#include "air_line.h"

namespace ardenca::calc {

// What one evaluation of the line in the ground gives.
struct MediumResult {
    double r_out = 0; // input resistance of the open-ended line, ohm
    double i_out = 0; // input reactance, ohm
    double Zo_r = 0;  // characteristic impedance, real part, ohm
    double Zo_i = 0;  // characteristic impedance, imaginary part, ohm
    double pc_r = 0;  // propagation constant, attenuation, Np/m
    double pc_i = 0;  // propagation constant, phase, rad/m
};

// Given a shunt conductance G (S/m) and capacitance C (F/m) and the line in air (its
// w, L_o, length and ur), the line in the ground: Zo = sqrt(Z/Y), gamma = sqrt(ZY),
// Z_in = Zo / tanh(gamma L_m), open at the far end. Slots written before a fault keep
// their new values.
void calc(const AirLine& line, const double& G, const double& C, double& r_out, double& i_out,
          double& Zo_r, double& Zo_i, double& pc_r, double& pc_i);

inline void calc(const AirLine& line, const double& G, const double& C, MediumResult& out) {
    calc(line, G, C, out.r_out, out.i_out, out.Zo_r, out.Zo_i, out.pc_r, out.pc_i);
}

struct Impedance {
    double r_ohm = 0;
    double x_ohm = 0;
};

// Given the impedance Rs_in + j Xs_in at the far end of a lossless line of impedance
// Zo (ohm) and electrical length Ld (degrees), the impedance at its near end.
Impedance Tline_calc(double Zo, double Ld, double Rs_in, double Xs_in);

// Given what the meter reads through that line, the impedance at its far end (the
// probe's): the line is lossless, so conjugating before and after the transformation
// runs it backwards.
Impedance probe_from_meter(double Zo, double Ld, Impedance meter);

} // namespace ardenca::calc
