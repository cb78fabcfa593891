// The main window's model: its 33 fields, the matching-section option, the caption,
// the calculation state and every command. It knows no toolkit: the desktop window
// shows it through an observer and feeds the user's edits back with set_text; the
// command-line program and the tests drive it directly.
#pragma once

#include "app/command_report.h"
#include "app/file_dialog.h"
#include "app/window_layout.h"
#include "calc/air_line.h"
#include "calc/calc_state.h"
#include "calc/ground_search.h"
#include "calc/line_models.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardenca {

namespace files {
class SaveSystem;
}

// Told about every change the model makes to what the window shows.
class ArdencaObserver {
  public:
    virtual ~ArdencaObserver() = default;
    virtual void field_changed(Field field) = 0;
    virtual void option_changed() = 0;
    virtual void caption_changed() = 0;
    // A command (a click handler, Open or Save) has ended, also by an ArithmeticFault:
    // the model's report of it is up to date.
    virtual void command_finished() {}
};

enum class MatchingOption { None, UseMatchingSection };

class Ardenca {
  public:
    // Sets the constants and selects "None"; every field holds its default text.
    Ardenca();
    Ardenca(const Ardenca&) = delete;
    Ardenca& operator=(const Ardenca&) = delete;

    // The calculation state; only the commands write it.
    const CalcState& state = state_;

    // Fields.
    const std::string& text(Field field) const { return texts_[field_index(field)]; }
    void set_text(Field field, std::string text);

    // The option group: exactly one of "None" (Option1) and "Use Matching Section"
    // (Option2) is selected.
    MatchingOption option() const { return option_; }
    bool matching_section_used() const { return option_ == MatchingOption::UseMatchingSection; }
    void select_option(MatchingOption option);

    const std::string& caption() const { return caption_; }
    void set_caption(std::string caption);

    // Runs of the line-in-ground model since start-up.
    std::uint64_t evaluations() const { return evaluations_; }

    // The report of the last command (a click handler, Open or Save), complete when it
    // ends, also by an ArithmeticFault.
    // How its search ended; none for a command that runs no search.
    const std::optional<SearchOutcome>& search_outcome() const { return outcome_; }
    // Whether it wrote the field.
    bool wrote(Field field) const { return written_[field_index(field)]; }
    // The input fields it read whose text is not wholly a number, blanks aside, in the
    // order first read; a field leaves the list when the user edits it.
    const std::vector<PartlyRead>& partly_read() const { return partly_read_; }
    // Where the ArithmeticFault that ended it arose.
    const FaultPlace& fault_place() const { return fault_place_; }
    // A result field that a search which found no ground left as it was: it shows an
    // earlier calculation's value until it is written again, by a command or by typing.
    bool stale(Field field) const { return stale_[field_index(field)]; }

    // At most one observer; nullptr detaches it.
    void set_observer(ArdencaObserver* observer) { observer_ = observer; }

    // The file dialog CD1 that File, Open and File, Save use; the front end owns it.
    void set_file_dialog(FileDialog* dialog) { CD1 = dialog; }
    FileDialog* file_dialog() const { return CD1; }
    // The system calls of a save; tests replace them to make saves fail.
    void set_save_system(files::SaveSystem& system) { save_system_ = &system; }

    // File, Open: reads a ground data file chosen in CD1 into the input fields and
    // recalculates. File, Save: writes the input fields to a file chosen in CD1.
    // Failures are told through CD1 (a cancel is silent). An ArithmeticFault leaves
    // open_Click only when the recalculation of its failure path faults.
    void open_Click();
    void save_Click();

    // Command handlers. An ArithmeticFault that no search catches leaves them: the
    // command stops at the failing step and keeps what it wrote before.
    void Line_Param_Click(); // "Calc Line"
    void Medium_Click();     // "Calc From Medium"
    void Command2_Click();   // "Calculate from Known  Z in"
    void Calc_a_Click();     // "Calculate a"
    void Calc_b_Click();     // "Calculate b"

    // The probe line in air from the dimension fields: sets f, w, L_m, C_o, L_o and ur
    // and fills the "TL_Air Parameters" fields, in that order, as far as it gets before
    // a fault. Returns the line when it completes.
    calc::AirLine Calc_Line();
    // One evaluation of the line in the ground with the air line of the state
    // (counted in evaluations()).
    void calc(const double& G, const double& C, calc::MediumResult& result);

    // The two ground searches. A fault in the search proper adds 1 to error_ct and
    // returns; one before it (air line, field reading, feed line) leaves them.
    void total_calc();
    void total_calc_b();
    // Reset error_ct, first stage, then the second stage if the first faulted, and
    // again, as a separate test, if the dielectric constant is then above 250.
    void recalculate();

  private:
    // Marks a command from start to end; the outermost records the report, so Open's
    // recalculation belongs to Open.
    class CommandScope {
      public:
        CommandScope(Ardenca& model, bool searches)
            : model_(model), exceptions_(std::uncaught_exceptions()) {
            if (model_.command_depth_++ == 0)
                model_.begin_command(searches);
        }
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;
        ~CommandScope() {
            if (--model_.command_depth_ == 0)
                model_.end_command(std::uncaught_exceptions() > exceptions_);
        }

      private:
        Ardenca& model_;
        int exceptions_;
    };
    void begin_command(bool searches);
    void end_command(bool by_fault);
    void note_fault(FaultStep step, const std::vector<Field>& inputs);
    void note_air_line_fault(const calc::AirLine& line);
    void note_reading_fault(Field field);

    double number_in(Field field);
    void show(Field field, double value, std::string_view pattern);
    void show_air_line(const calc::AirLine& line);
    calc::AirLine line_in_state() const;
    void run_search(calc::SearchStage stage);
    void show_medium_results(const calc::MediumResult& result);

    void caption_for_file(const std::string& path);

    CalcState state_;
    std::array<std::string, field_count> texts_;
    MatchingOption option_ = MatchingOption::None;
    std::string caption_;
    std::uint64_t evaluations_ = 0;
    ArdencaObserver* observer_ = nullptr;
    FileDialog* CD1 = nullptr;
    files::SaveSystem* save_system_;
    // Lines 3 to 10 of the file being opened, in slots 1 to 8; kept from one Open to
    // the next.
    std::array<std::string, 101> line_buf;

    // The report of the running or last command.
    int command_depth_ = 0;
    bool searches_ = false;
    std::vector<StageRun> runs_;
    std::optional<SearchOutcome> outcome_;
    std::bitset<field_count> written_;
    std::array<std::optional<double>, field_count> read_values_;
    std::vector<PartlyRead> partly_read_;
    FaultPlace fault_place_;
    std::bitset<field_count> stale_;
};

} // namespace ardenca
