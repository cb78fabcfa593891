// What each flag and column of the Solutions window means and what to do about it, in
// plain words for tooltips, with the section of the user guide (docs/guide.html) that
// explains it.
#pragma once

#include <string_view>
#include <vector>

namespace ardenca {

struct FlagHelp {
    std::string_view name;    // as the Flags column shows it, e.g. "electrically-long"
    std::string_view meaning; // what it means and what to do
    std::string_view section; // the guide's anchor, e.g. "flag-electrically-long"
};

// Given a solution's calc::SolutionFlag bits and its multiplicity, the help for each
// flag the Flags column names, in the order it names them.
std::vector<FlagHelp> solution_flag_help(unsigned flags, int multiplicity);

// Given the header of a Solutions column, what the column tells; empty for an unknown
// header.
std::string_view solutions_column_help(std::string_view header);

} // namespace ardenca
