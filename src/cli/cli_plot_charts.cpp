#include "cli_plot.h"

#include "sweep_chart_file.h"

namespace ardenca::cli {

bool plot_sweep(const sweep::SweepResult& result, const std::string& path, std::string& error) {
    return charts::render_sweep_chart(result, path, error);
}

} // namespace ardenca::cli
