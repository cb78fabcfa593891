// The sweep report as a PDF of two A4 pages: the set-up and both charts, then the ground
// values at chosen frequencies, the fitted soil models and the flags explained.
#pragma once

#include "export/report_text.h"
#include "sweep/sweep_result.h"

#include <string>

namespace ardenca::report {

// Given a result and what it does not hold (date, version, set-up and fixture files),
// writes the report to path; an existing file is replaced only by a complete new one.
// False with a sentence for the user in error when it cannot. Must run on the program's
// main thread; starts an offscreen Qt application when the program has none.
bool write_sweep_report(const sweep::SweepResult& result, const exports::ReportInfo& info,
                        const std::string& path, std::string& error);

} // namespace ardenca::report
