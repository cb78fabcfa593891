// The sweep charts as a picture file, and the printable report, when the program was
// built with its windows.
#pragma once

#include "export/report_text.h"
#include "sweep/sweep_result.h"

#include <string>

namespace ardenca::cli {

// Given a result, writes its charts to path (.png or .svg); false with a sentence for
// the user in error when it cannot (also when the program was built without charts).
bool plot_sweep(const sweep::SweepResult& result, const std::string& path, std::string& error);

// Given a result and the report's particulars, writes the PDF report to path; false with
// a sentence for the user in error when it cannot (also when built without charts).
bool report_sweep(const sweep::SweepResult& result, const exports::ReportInfo& info,
                  const std::string& path, std::string& error);

} // namespace ardenca::cli
