#include "cli_plot.h"

namespace ardenca::cli {

bool plot_sweep(const sweep::SweepResult&, const std::string& path, std::string& error) {
    error = "The chart was not saved: " + path +
            ": this ardenca-cli was built without the Qt charts (ARDENCA_BUILD_GUI=OFF).";
    return false;
}

bool report_sweep(const sweep::SweepResult&, const exports::ReportInfo&, const std::string& path,
                  std::string& error) {
    error = "The report was not saved: " + path +
            ": this ardenca-cli was built without the Qt charts (ARDENCA_BUILD_GUI=OFF).";
    return false;
}

} // namespace ardenca::cli
