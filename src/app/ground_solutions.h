// Every ground of the window's reading, without a toolkit: reading the fields into the
// solver's terms, what to tell the user after "Calculate from Known  Z in", and writing
// a chosen ground back into Cond and Diel C. Shared by the desktop window and
// ardenca-cli.
#pragma once

#include "app/command_report.h"
#include "calc/all_solutions.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace ardenca {

class Ardenca;

// A feed line from a calibration: it takes the place of the matching section.
struct FixtureLine {
    double zo_ohm = 0;
    double deg = 0; // at freq_hz; the degrees grow with f
    double freq_hz = 0;
};

// What the window's fields do not hold about the probe fixture.
struct FixtureExtras {
    double lead_nh = 0;
    double top_pf = 0;
    double air_m = 0;
    calc::FixtureUncertainty u = {}; // u.match_deg at line->freq_hz
    std::optional<FixtureLine> line = std::nullopt;
};

struct FieldReading {
    calc::ProbeSetup probe;
    double freq_hz = 0;
    std::complex<double> z_meter_ohm;
};

// Given the window model, the reading as "Calculate from Known  Z in" reads it: Text1
// spacing, Text2 radius, Text3 length, Text8 frequency in MHz, Text31 ur, Text23 and
// Text24 the meter's R and X, and with "Use Matching Section" Text25 Zo and Text26
// degrees; a fixture line in extras stands in for the section, scaled to the reading's
// frequency. Raises ArithmeticFault when a field's number overflows.
FieldReading reading_from_fields(const Ardenca& model, const FixtureExtras& extras = {});

// Given the window model, the fields its reading is taken from (as above) whose text is
// not wholly a number, in reading order, each with what it was read as.
std::vector<PartlyRead> reading_partly_read(const Ardenca& model);

// Given a reading, the probe's fields with the values read when they make no line in the
// ground (spacing, radius, length, frequency or ur out of their range); empty otherwise.
std::vector<FaultInput> probe_without_line(const FieldReading& reading);

// Given the window model, every ground of its reading.
calc::SolveResult solve_fields(const Ardenca& model, const FixtureExtras& extras = {},
                               const calc::SolveOptions& options = {});

// Given the model after "Calculate from Known  Z in" and the solver's answer for the
// same reading, a notice when the reading fits more than one ground, when the classic
// search found none or one not in the list, or when no ground fits; empty otherwise.
std::string solutions_notice(const Ardenca& model, const calc::SolveResult& result,
                             const calc::SolveOptions& options = {});

// Given the edge of the box, its words: "Diel C at its minimum", "Cond at its maximum".
std::string edge_text(calc::BoxEdge edge);

// Given how many near grounds there are and whether some ground fits exactly, the
// sentence that tells them: "Within the meter's accuracy the reading also fits 2 grounds on the
// edge of the range."
std::string near_grounds_sentence(std::size_t count, bool exact_too);

// Writes the ground into Cond (Text9) and Diel C (Text10) with the searches' display
// pattern and runs "Calc From Medium", so the line-in-ground results match it.
void show_ground(Ardenca& model, const calc::GroundSolution& ground);

// Short names of the flags, for tables and JSON.
std::vector<std::string> solution_flag_names(unsigned flags);
std::vector<std::string> reading_flag_names(unsigned flags);

} // namespace ardenca
