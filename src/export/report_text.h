// The words and numbers of the printable sweep report, without a toolkit: the set-up,
// the rows of ground values at chosen frequencies, the fitted soil models and the flags
// that occur, explained. A front end lays them out around the charts.
#pragma once

#include "sweep/sweep_result.h"

#include <chrono>
#include <span>
#include <string>
#include <vector>

namespace ardenca::exports {

// What the result itself does not hold.
struct ReportInfo {
    std::string program_version;
    std::string date;         // as it is printed, e.g. local_date_text(now)
    std::string setup_file;   // the ground data file the probe came from; empty: none
    std::string fixture_file; // the fixture file in use; empty: none
};

struct ReportTable {
    std::string title; // the location's file name, or the average's
    std::string note;  // which frequencies the rows are at
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
};

struct ReportFlag {
    std::string name;
    std::string meaning;
    std::string what_to_do;
    std::string where; // "site-a.s1p: 12 points, 3.2–7.1 MHz; site-b.s1p: 1 point, 40 MHz"
};

struct ReportText {
    std::string title;
    std::string stamp;                                      // date and program version
    std::vector<std::pair<std::string, std::string>> setup; // label, value
    std::vector<ReportTable> tables; // each location, then the average when there is one
    std::vector<std::string> fits;   // the soil models, one paragraph per location or area
    std::vector<ReportFlag> flags;   // only the flags some point has
};

// Given a result, the report's text with at most max_rows rows in each table (at least 1).
ReportText report_text(const sweep::SweepResult& result, const ReportInfo& info, int max_rows);

// Given a band and a row budget, round frequencies inside the band: the finest of the
// series 1-3, 1-2-5, 1-2-3-5, 1-1.5-2-3-5-7 and 1-1.5-2-2.5-3-4-5-6-7-8-9 per decade that
// gives at most max_rows of them; whole decades when only they fit; none when even those
// are more than that.
std::vector<double> round_freqs_hz(double lo_hz, double hi_hz, int max_rows);

// Given frequencies (any order) and a row budget, which of them the report's table
// shows, in rising frequency, and a note saying how they were chosen: every one when
// they fit, else those nearest round frequencies in the band, else (when fewer than three
// round ones fall in the band) ones spread evenly in ln f.
std::vector<std::size_t> report_rows(std::span<const double> freqs_hz, int max_rows,
                                     std::string& note);

// Given a value and its 1-sigma uncertainty, "0.00612 ± 0.00021": u to two significant
// digits, the value to the same place; the value alone (4 digits) when u is not finite
// or not above zero, "–" when the value is not finite; 6 digits for a value whose u is
// below a millionth of it.
std::string value_with_u(double value, double u);

// Given a time, the local date and time as the report prints it: "2026-12-07 14:05".
std::string local_date_text(std::chrono::system_clock::time_point when);

} // namespace ardenca::exports
