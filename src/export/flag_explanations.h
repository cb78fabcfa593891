// What each point flag means to a user and what to do about it, in the words of the
// user guide (docs/guide.html, section "Flags and chart marks"): one table for every
// front end that explains flags in full sentences.
#pragma once

#include <span>
#include <string_view>

namespace ardenca::exports {

struct FlagExplanation {
    unsigned bit;                // a sweep::PointFlag
    std::string_view name;       // as the windows and the report name it: "ambiguous"
    std::string_view anchor;     // the guide's section: "flag-ambiguous"
    std::string_view meaning;    // what it says about the point
    std::string_view what_to_do; // what the user can do about it
};

// Every point flag's explanation, in the order of the bits.
std::span<const FlagExplanation> flag_explanations();

// Given one PointFlag bit, its explanation; nullptr for a bit that is no flag.
const FlagExplanation* flag_explanation(unsigned bit);

} // namespace ardenca::exports
