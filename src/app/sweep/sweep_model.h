// The sweep window's model, without any toolkit: the files (one per probe location),
// the set-up they are solved with, the result as it fills in, the messages for the
// user (reader errors, warnings, notes) and the exports. The window runs the work
// elsewhere and hands each step to apply().
#pragma once

#include "sweep/sweep_result.h"
#include "sweep_setup.h"
#include "sweep_table.h"
#include "sweep_work.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ardenca {

struct SweepMessage {
    enum class Kind { Error, Warning, Note };
    Kind kind = Kind::Note;
    std::string text;
};

// Given an acceptable soil model, "soil model jonscher (chi2/dof 1.02, 220 readings of
// 224): sigma_dc_s_per_m 0.0038 ± 6.4e-05, eps_inf 12 ± 0.047, ..." for the messages.
std::string describe_fit(const calc::SoilFit& fit);

class SweepModel {
  public:
    enum class State { Empty, Running, Finished, Cancelled, Failed };

    // Starts over with these files and this set-up: the result is emptied and the
    // messages cleared. Returns the number of the run; steps of older runs are ignored.
    int start(std::vector<std::string> paths, SweepSetup setup);
    // Takes in a step of run `run`; returns false when it belongs to an older run or the
    // run was cancelled.
    bool apply(int run, SweepStep step);
    // Stops taking steps of the current run. A location cut short is tracked over the
    // points it has and stays Provisional; a cancel that comes after the last point
    // finishes the run here (tracking, average) and the state is Finished.
    void cancel();
    // Ends the current run with an error for the user (a set-up that cannot be read).
    void fail(std::string error);

    State state() const { return state_; }
    int run() const { return run_; }
    const std::vector<std::string>& paths() const { return paths_; }
    const SweepSetup& setup() const { return setup_; }
    const sweep::SweepResult& result() const { return result_; }
    const std::vector<SweepMessage>& messages() const { return messages_; }
    void add_message(SweepMessage::Kind kind, std::string text);
    // Files refused by the reader in this run.
    int refused_count() const { return refused_; }

    // Progress: points solved of the points in the files read so far; files read.
    std::size_t points_done() const { return points_done_; }
    std::size_t points_total() const { return points_total_; }
    std::size_t files_read() const { return files_read_; }
    // How many times points already shown were replaced (a location tracked as a
    // whole); a view compares it to know when to refresh what it shows.
    std::size_t replacements() const { return replacements_; }

    // The table: one row per point of each location, in order.
    std::vector<SweepRow> rows() const;
    std::size_t row_count() const { return points_done_; }

    // Exports of the result through the sweep engine's writers and the atomic writer.
    // They throw files::FileError, or exports::ExportError for a ground card at a
    // frequency without a ground; what() is a sentence for the user. export_nec writes
    // the card at freq_hz (interpolated from the tracked solution or the average).
    void export_csv(const std::string& path) const;
    void export_json(const std::string& path) const;
    void export_nec(const std::string& path, double freq_hz) const;
    // The NEC-2 fragment by bands from the one location's soil model (several: the
    // area's, which the window does not fit); ExportError without an acceptable model.
    void export_nec_bands(const std::string& path, const std::vector<double>& freqs_hz) const;

  private:
    // The run is complete: messages that sum it up, state Finished.
    void finish();

    std::vector<std::string> paths_;
    SweepSetup setup_;
    sweep::SweepResult result_;
    std::vector<std::optional<std::size_t>> location_of_file_;
    std::vector<SweepMessage> messages_;
    State state_ = State::Empty;
    int run_ = 0;
    int refused_ = 0;
    std::size_t points_done_ = 0;
    std::size_t points_total_ = 0;
    std::size_t files_read_ = 0;
    std::size_t replacements_ = 0;
};

} // namespace ardenca
