// The sweep charts as a picture file, for reports and for ardenca-cli sweep --plot:
// σ and εr against frequency, drawn offscreen (no display needed) and written through
// the atomic writer.
#pragma once

#include "sweep/sweep_result.h"

#include <string>

namespace ardenca::charts {

// Given a sweep result, writes its charts to path as PNG or SVG, chosen by the name's
// ending (.png, .svg, any case). Returns false with a sentence for the user in error
// when the name has another ending or the file cannot be written; an existing file is
// replaced only by a complete new one. Must run on the program's main thread; starts
// an offscreen Qt application when the program has none.
bool render_sweep_chart(const sweep::SweepResult& result, const std::string& path,
                        std::string& error);

} // namespace ardenca::charts
