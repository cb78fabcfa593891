#include "app/command_report.h"

namespace ardenca {

bool is_result_field(Field field) {
    using enum Field;
    switch (field) {
    case Text1:
    case Text2:
    case Text3:
    case Text8:
    case Text23:
    case Text24:
    case Text25:
    case Text26:
    case Text31:
        return false;
    default:
        return true;
    }
}

SearchOutcome outcome_of(const std::vector<StageRun>& runs) {
    // A command that stopped before its first search began.
    if (runs.empty())
        return {GroundOutcome::NotFound, std::nullopt, SearchStop::Fault};
    const StageRun& last = runs.back();
    if (last.completed)
        return {last.stage == calc::SearchStage::First ? GroundOutcome::FoundByFirstStage
                                                       : GroundOutcome::FoundBySecondStage,
                last.stage, std::nullopt};
    // The latest run that completed wrote the ground the fields show.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        if (run->completed)
            return run->stage == calc::SearchStage::First
                       ? SearchOutcome{GroundOutcome::KeptFromFirstStage, run->stage, last.stop}
                       : SearchOutcome{GroundOutcome::FoundBySecondStage, run->stage, std::nullopt};
    return {GroundOutcome::NotFound, std::nullopt, last.stop};
}

} // namespace ardenca
