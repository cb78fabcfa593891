#include "field_hints.h"

#include <array>

namespace ardenca::qt {

namespace {

using enum FieldRole;

constexpr std::string_view ohm = "\u03a9";

// In the order Text1 ... Text33.
constexpr std::array<FieldHint, field_count> hint_table{{
    {Input, "m", "Spacing of the two rods, axis to axis"},
    {Input, "m", "Radius of each rod"},
    {Input, "m", "Length of the rods in the ground"},
    {Output, ohm, "Characteristic impedance of the line in air"},
    {Output, ohm, "Reactance of the open-ended line in air"},
    {Output, "F", "Total capacitance of the line in air"},
    {Output, "H", "Total inductance of the line in air"},
    {Input, "MHz", "Frequency"},
    {Answer, "S/m", "Ground conductivity"},
    {Answer, "relative, no unit", "Relative dielectric constant of the ground"},
    {Output, "F/m", "Capacitance per metre of the line in the ground"},
    {Output, "S/m", "Conductance per metre of the line in the ground"},
    {Output, ohm, "Characteristic impedance in the ground, real part"},
    {Output, ohm, "Characteristic impedance in the ground, imaginary part"},
    {Output, "Np/m", "Attenuation constant \u03b1"},
    {Output, "rad/m", "Phase constant \u03b2"},
    {Output, ohm, "Modelled input resistance of the probe"},
    {Output, ohm, "Modelled input reactance of the probe"},
    {Output, "degrees", "Electrical length of the probe line"},
    {Output, "radians", "Electrical length of the probe line"},
    {Output, "F/m", "Capacitance per metre of the line in air"},
    {Output, "H/m", "Inductance per metre of the line in air"},
    {Input, ohm, "Measured input resistance"},
    {Input, ohm, "Measured input reactance"},
    {Input, ohm, "Characteristic impedance of the matching section"},
    {Input, "degrees", "Electrical length of the matching section"},
    {Output, ohm, "Modelled input resistance of the probe"},
    {Output, ohm, "Modelled input reactance of the probe"},
    {Output, ohm, "Measured resistance at the meter, through the matching section"},
    {Output, ohm, "Measured reactance at the meter, through the matching section"},
    {Input, "relative, no unit", "Relative permeability of the ground"},
    {Output, ohm, "Resistance the meter would read through the matching section"},
    {Output, ohm, "Reactance the meter would read through the matching section"},
}};

} // namespace

const FieldHint& field_hint(Field field) {
    return hint_table[field_index(field)];
}

std::string_view role_note(FieldRole role) {
    switch (role) {
    case Input:
        return "";
    case Answer:
        return "Found by \"Calculate from Known  Z in\"; typed, it is the input of \"Calc From "
               "Medium\".";
    case Output:
        return "Calculated; the next calculation overwrites it.";
    }
    return "";
}

bool below_design_area(Field field) {
    const FieldInfo& info = field_info(field);
    return info.container == Container::Window && info.rect.top >= client_height_twips;
}

} // namespace ardenca::qt
