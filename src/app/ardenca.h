// The main window's model: its 33 fields, the matching-section option, the caption,
// the calculation state and every command. It knows no toolkit: the desktop window
// shows it through an observer and feeds the user's edits back with set_text; the
// command-line program and the tests drive it directly.
#pragma once

#include "app/file_dialog.h"
#include "app/window_layout.h"
#include "calc/air_line.h"
#include "calc/calc_state.h"
#include "calc/ground_search.h"
#include "calc/line_models.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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
    double number_in(Field field) const;
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
};

} // namespace ardenca
