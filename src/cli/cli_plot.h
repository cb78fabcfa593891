// The sweep charts as a picture file, when the program was built with its windows.
#pragma once

#include "sweep/sweep_result.h"

#include <string>

namespace ardenca::cli {

// Given a result, writes its charts to path (.png or .svg); false with a sentence for
// the user in error when it cannot (also when the program was built without charts).
bool plot_sweep(const sweep::SweepResult& result, const std::string& path, std::string& error);

} // namespace ardenca::cli
