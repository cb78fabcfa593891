// Writes a sweep as a Touchstone 2.0 file that reads back to the same doubles.
#pragma once

#include "sweep.h"

#include <string>

namespace ardenca::sweep {

// Given a sweep, the text of a Touchstone 2.0 file holding it, frequencies in Hz and every
// number in its shortest form that reads back exactly:
//  - a two-port sweep (one S matrix per point) as its S matrices, 12_21 order, with the
//    ports' reference resistances: reading it back gives the same matrices and the same
//    series impedances;
//  - a one-port sweep as impedances (Z, RI), which read back unchanged; when some points
//    are open circuits, which no impedance can state, as admittances (Y, RI), the open
//    ones 0: those read back open, the others as 1/(1/Z), equal to Z within rounding.
std::string write_touchstone(const Sweep& sweep);

} // namespace ardenca::sweep
