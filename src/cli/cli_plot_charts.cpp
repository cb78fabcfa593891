#include "cli_plot.h"

#include "report_pdf.h"
#include "sweep_chart_file.h"

namespace ardenca::cli {

bool plot_sweep(const sweep::SweepResult& result, const std::string& path, std::string& error) {
    return charts::render_sweep_chart(result, path, error);
}

bool report_sweep(const sweep::SweepResult& result, const exports::ReportInfo& info,
                  const std::string& path, std::string& error) {
    return report::write_sweep_report(result, info, path, error);
}

} // namespace ardenca::cli
