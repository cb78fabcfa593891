// What a command of the window model did, beyond the field texts: how its search
// ended, which inputs it read only in part, and where an arithmetic fault that ended
// it arose. The front ends tell the user from these; they change no field text.
#pragma once

#include "app/window_layout.h"
#include "calc/ground_search.h"

#include <optional>
#include <string>
#include <vector>

namespace ardenca {

// Whether the ground the fields show came from this command's search.
enum class GroundOutcome {
    FoundByFirstStage,
    FoundBySecondStage,
    // The second stage ended without a ground after a first stage that completed: the
    // fields show the first stage's ground.
    KeptFromFirstStage,
    // No stage completed: the ground fields hold what an earlier command wrote.
    NotFound,
};

// Why a stage ended without a ground.
enum class SearchStop { Fault, Bound };

struct SearchOutcome {
    GroundOutcome kind = GroundOutcome::NotFound;
    // The stage whose ground the fields show; none when nothing was found.
    std::optional<calc::SearchStage> stage;
    // Why the stage that decided the outcome ended without a ground: the second stage
    // for KeptFromFirstStage, the last stage run for NotFound (a fault also when the
    // command stopped before any search began); none for a ground found.
    std::optional<SearchStop> reason;

    bool found() const { return kind != GroundOutcome::NotFound; }
};

// A field that a calculation writes (all but the inputs: the dimensions, the frequency,
// ur, the matching section and the measured impedance). Cond and Diel C are inputs of
// "Calc From Medium" and results of the searches: they count as results.
bool is_result_field(Field field);

// How each run of a search stage of one command ended, in order, to its outcome.
struct StageRun {
    calc::SearchStage stage;
    bool completed;
    SearchStop stop; // when not completed
};
SearchOutcome outcome_of(const std::vector<StageRun>& runs);

// An input field whose text is not wholly a number, blanks aside, and what it was
// read as under the field rule ("14,2" is read as 14).
struct PartlyRead {
    Field field;
    std::string text;
    double value;
};

// The part of a command in which an arithmetic fault arose, and the input fields that
// part read.
enum class FaultStep {
    None,            // no fault ended the last command
    AirLine,         // "Calc Line", the probe line in air
    MatchingSection, // moving the impedance through the feed line
    GroundModel,     // the line in the ground of "Calc From Medium"
    Reading,         // reading a field's text as a number
};
struct FaultInput {
    Field field;
    std::string shown; // the value read, or for a reading fault the quoted text
};
struct FaultPlace {
    FaultStep step = FaultStep::None;
    std::vector<FaultInput> inputs;
};

} // namespace ardenca
