#include "flag_help.h"

#include "calc/all_solutions.h"

#include <utility>

namespace ardenca {

namespace {

constexpr std::pair<unsigned, FlagHelp> solution_flags[] = {
    {calc::ElectricallyLong,
     {"electrically-long",
      "Electrically long: the probe is longer than an eighth of a wavelength in this ground, "
      "so several grounds can fit one reading. Sweep the probe over frequency to tell them "
      "apart, or use shorter rods.",
      "flag-electrically-long"}},
    {calc::BeyondQuarterWave,
     {"beyond-quarter-wave",
      "Beyond a quarter wave: the probe is longer than a quarter wavelength in this ground; "
      "grounds far apart give the same reading. Trust this one only where a sweep follows "
      "it up from lower frequencies; else measure lower in frequency or use shorter rods.",
      "flag-beyond-quarter-wave"}},
    {calc::NearDoubleRoot,
     {"near-double-root",
      "Near a double root: another ground lies so close that the two nearly merge; a small "
      "change in the reading moves both or removes both, and the uncertainty understates "
      "the error. Measure again a little higher or lower in frequency.",
      "flag-near-double-root"}},
    {calc::PoorlyDetermined,
     {"poorly-determined",
      "Poorly determined: an uncertainty is more than half its value, so the reading hardly "
      "fixes it. Calibrate the meter at the rods, check its accuracy setting, or measure "
      "where the probe is more sensitive (lower in frequency for the conductivity, higher "
      "for the dielectric constant).",
      "flag-poorly-determined"}},
};

constexpr FlagHelp multiplicity_help{
    "multiplicity",
    "Multiplicity: the search found this ground more than once, as two or more solutions "
    "that coincide; a small change in the reading may split them. Treat it as uncertain, as "
    "a ground near a double root.",
    "flag-near-double-root"};

constexpr std::pair<std::string_view, std::string_view> column_help[] = {
    {"Cond S/m", "Conductivity σ of the ground, in siemens per metre, that reproduces the "
                 "reading."},
    {"± S/m", "One standard deviation of the conductivity, carried from the meter's accuracy "
              "and the fixture's. Large against the value: the reading says little about σ."},
    {"Diel C", "Relative dielectric constant εr of the ground that reproduces the reading."},
    {"±", "One standard deviation of the dielectric constant, carried from the meter's "
          "accuracy and the fixture's."},
    {"Correlation", "How the errors of σ and εr go together, from -1 to +1. Near ±1 the "
                    "reading fixes a mix of the two rather than each: a change in one is "
                    "traded for a change in the other."},
    {"γ·l", "Propagation constant times the rod length in the ground. The imaginary part is "
            "the rods' electrical length in radians: above 0.785 (an eighth of a wavelength) "
            "several grounds can fit one reading. The list is sorted by its size."},
    {"Skin depth m", "How deep the field reaches in this ground at this frequency, in metres."},
    {"Depth / length", "Skin depth over the rod length: well below 1, the wave along the "
                       "rods dies out before their far ends, and the reading tells of the "
                       "ground near the top of the rods."},
    {"Residual Ω", "How far the probe's model with this ground lies from the reading at the "
                   "rods, in ohms: near zero for a ground that truly fits."},
    {"Flags", "Warnings about this ground. Rest the pointer on a flag to read what it means; "
              "double-click it to open the user guide at its section."},
};

} // namespace

std::vector<FlagHelp> solution_flag_help(unsigned flags, int multiplicity) {
    std::vector<FlagHelp> help;
    for (const auto& [bit, entry] : solution_flags)
        if (flags & bit)
            help.push_back(entry);
    if (multiplicity > 1)
        help.push_back(multiplicity_help);
    return help;
}

std::string_view solutions_column_help(std::string_view header) {
    for (const auto& [name, text] : column_help)
        if (name == header)
            return text;
    return {};
}

} // namespace ardenca
