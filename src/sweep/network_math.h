// The network arithmetic of the VNA readers: number pairs to complex values, one-port
// parameters to an impedance, two-port parameters to a scattering matrix and the
// series impedance of a two-port.
#pragma once

#include "sweep.h"

namespace ardenca::sweep {

enum class Parameter { S, Y, Z, H, G };
enum class PairFormat { RI, MA, DB };

// A reading's impedance, or an open circuit.
struct Impedance {
    Complex z_ohm;
    bool infinite = false;
};

// Given a magnitude and an angle in degrees, the complex number; whole quarter turns
// are exact and the angle is reduced before the trigonometry, so that nearly real or
// nearly imaginary values keep their small part to full precision.
Complex polar_deg(double magnitude, double angle_deg);

// Given the two numbers of a pair in the file's format, the complex value
// (DB: 20 log10 of the magnitude, then the angle in degrees).
Complex pair_value(PairFormat format, double first, double second);

// Given a one-port reading (S relative to r_ohm, Y in siemens or Z in ohms), the
// impedance: S exactly 1 or Y exactly 0 is an open circuit, as is a result that does
// not fit in a double.
Impedance one_port_impedance(Parameter parameter, Complex value, double r_ohm);

// Given a two-port's S, Y (siemens), Z (ohms), H or G matrix (row by row: 11, 12, 21,
// 22) and the real reference resistances of its ports, its scattering matrix.
SMatrix2 to_s_matrix(Parameter parameter, const SMatrix2& m, double r1_ohm, double r2_ohm);

// Given a two-port's S matrix, the impedance of the element in series between its ports,
// Z = -1/Y21 = sqrt(r1 r2)((1 + S11)(1 + S22) - S12 S21) / (2 S21); S21 = 0 is an open
// circuit.
Impedance series_impedance(const SMatrix2& s, double r1_ohm, double r2_ohm);

} // namespace ardenca::sweep
