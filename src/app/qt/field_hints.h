// What each field of the main window holds, for the user: whether it is typed, an
// answer or a computed value, and a tooltip that names the quantity and its unit.
#pragma once

#include "app/window_layout.h"

#include <string_view>

namespace ardenca::qt {

enum class FieldRole {
    Input,  // typed by the user and read by the calculations
    Answer, // the ground found by the searches: "Cond" and "Diel C"
    Output  // written by the calculations; editable, but the next one overwrites it
};

struct FieldHint {
    FieldRole role;
    std::string_view unit;    // as the field shows it: "S/m", "Ω", "relative" ...
    std::string_view meaning; // "Ground conductivity"
};

const FieldHint& field_hint(Field field);

// "Ground conductivity, S/m", with a line on how the field is used for answers and
// outputs.
std::string_view role_note(FieldRole role);

// Whether the field stands below the design's client area (ur, the impedance through
// the matching section): out of sight until the window is enlarged.
bool below_design_area(Field field);

} // namespace ardenca::qt
