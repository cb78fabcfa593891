// Following the physical ground through a sweep. At a frequency where the reading fits
// several grounds, the one chosen is the one that continues the grounds chosen at the
// neighbouring frequencies.
//
// The track lives in (ln sigma, ln eps_r). It starts at the lowest frequency whose
// reading fits exactly one ground (a short probe) and no near ground, and runs from there up to the
// top of the sweep and down to its bottom. At each point the next ground is predicted by extending
// the least-squares line through the last four grounds on the track (in ln f), and every candidate
// is measured against that prediction in units of the track's relative uncertainty (u_sigma /
// sigma, u_eps_r / eps_r, widened by the predicted change and by an allowance for a change of
// slope, large while the track is young). The nearest candidate is chosen.
//
// A candidate is compatible with the track when it lies within tracking_tolerance of
// the prediction, its own uncertainty added to the scale. The point is flagged
// Ambiguous when two candidates are compatible, when none is and there was a choice, or
// when the runner-up lies less than twice as far from the prediction as the chosen one.
// A chosen ground that is not compatible is a jump: it is reported, but the track keeps
// predicting from the grounds before it, so that a reading spoilt by noise does not
// pull the track onto another branch. Only a reading that fits exactly one ground and
// no near ground restarts the track from that ground: whatever the soil does, if it is
// in the box it is that ground. (With near grounds the soil may have just left the box,
// and the one ground listed is another branch.)
//
// When no reading fits exactly one ground, the track starts at the lowest frequency
// with the fewest grounds, from the candidate whose track makes the fewest jumps (then
// the smallest steps); that start is flagged Ambiguous.
#pragma once

#include "sweep_result.h"

#include <vector>

namespace ardenca::sweep {

inline constexpr double tracking_tolerance = 3;

// Given one location's points in increasing frequency with their solutions filled in,
// sets each point's chosen index and its Ambiguous flag. Points without solutions are
// left unchosen. Other flags are left as they are.
void track_solutions(std::vector<PointResult>& points);

} // namespace ardenca::sweep
