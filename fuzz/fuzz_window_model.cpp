// The window model driven by arbitrary field texts and an arbitrary sequence of
// commands. Every command ends: with its results, with faults counted in error_ct, or
// with an ArithmeticFault that no search caught; nothing else ever leaves a command.
// Every text a calculation writes is a number in its field's pattern (never "inf" or
// "nan"), or one of the few plain texts the searches write (empty, or a copy of the
// measured impedance). Save then Open gives back the inputs as they were; Save refuses
// an input that holds a line break (which would end its line in the file).
//
// The input is text, one step per line:
//   Text8=7.5          set a field's text (the rest of the line, verbatim)
//   option=matching    select "Use Matching Section" (any other value: "None")
//   calculate          run a command by its command-line name
//   save-open          File, Save, then File, Open of the same file in a scratch folder
// Other lines are ignored. At most max_commands commands run per input, so that even a
// run of searches that each reach their bound stays well inside the time limit.
#include "app/ardenca.h"
#include "app/commands.h"
#include "app/file_dialog.h"
#include "app/number_text.h"
#include "calc/ground_search.h"
#include "pattern_check.h"
#include "scratch_dir.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace ardenca;
using enum Field;

constexpr int max_commands = 4;

// The pattern each calculated field is written with; empty for the fields no
// calculation writes a number into.
std::string_view pattern_of(Field f) {
    switch (f) {
    case Text4:
        return pattern::zo_air;
    case Text5:
    case Text15:
    case Text16:
    case Text17:
    case Text18:
    case Text19:
    case Text20:
    case Text27:
    case Text28:
    case Text32:
    case Text33:
        return pattern::two_digits;
    case Text6:
    case Text7:
    case Text11:
    case Text21:
    case Text22:
        return pattern::scientific;
    case Text9:
    case Text10:
        return pattern::ground;
    case Text12:
        return pattern::conductance;
    case Text13:
    case Text14:
        return pattern::impedance;
    case Text31:
        return pattern::permeability;
    default:
        return {};
    }
}

// The fields of lines 3 to 10 of a ground data file.
constexpr std::array<Field, 8> file_fields{Text25, Text26, Text23, Text24,
                                           Text1,  Text2,  Text3,  Text8};

[[noreturn]] void fail(const char* what, Field f, const std::string& text) {
    std::fprintf(stderr, "%s: %s = \"%s\"\n", what, std::string(field_name(f)).c_str(),
                 text.c_str());
    std::abort();
}

// Checks every field as the model writes it.
class WriteChecker : public ArdencaObserver {
  public:
    explicit WriteChecker(const Ardenca& model) : model_(model) {}

    // File, Open fills the input fields verbatim.
    bool opening = false;

    void field_changed(Field f) override {
        const std::string& text = model_.text(f);
        if (opening && std::find(file_fields.begin(), file_fields.end(), f) != file_fields.end())
            return;
        if (f == Text29 || f == Text30) {
            // Emptied, or the measured impedance copied verbatim.
            if (!text.empty() && text != model_.text(f == Text29 ? Text23 : Text24))
                fail("neither empty nor a copy of the measured impedance", f, text);
            return;
        }
        if ((f == Text32 || f == Text33) && text.empty())
            return;
        const std::string_view pat = pattern_of(f);
        if (pat.empty())
            fail("a calculation wrote into an input field", f, text);
        if (!fuzz::matches_pattern(text, pat))
            fail("not a number in the field's pattern", f, text);
    }
    void option_changed() override {}
    void caption_changed() override {}

  private:
    const Ardenca& model_;
};

// The report agrees with what the command wrote: a search found a ground exactly when
// it wrote Cond, and left the ground results stale exactly when it found none; every
// input listed as partly read is not wholly a number.
void check_report(const Ardenca& model, Command command) {
    const bool searches = command == Command::Calculate || command == Command::CalculateA ||
                          command == Command::CalculateB;
    const auto& outcome = model.search_outcome();
    if (outcome.has_value() != searches)
        std::abort();
    if (outcome) {
        const bool found = outcome->found();
        if (found != model.wrote(Text9) || found == model.stale(Text9) ||
            found == model.stale(Text17) || found == !outcome->stage.has_value() ||
            found == (outcome->kind == GroundOutcome::KeptFromFirstStage
                          ? false
                          : outcome->reason.has_value()))
            fail("the search's report disagrees with its writes", Text9, model.text(Text9));
    }
    for (const PartlyRead& read : model.partly_read())
        if (text_is_whole_number(read.text) || read.text != model.text(read.field))
            fail("listed as partly read", read.field, read.text);
}

void run(Ardenca& model, Command command) {
    const int errors_before = model.state.error_ct;
    const std::uint64_t evaluations_before = model.evaluations();
    try {
        run_command(model, command);
    } catch (const ArithmeticFault&) {
        return; // an uncaught fault: the command stops, what it wrote stays
    }
    const std::uint64_t evaluations = model.evaluations() - evaluations_before;
    const int errors = model.state.error_ct;
    bool ok = true;
    switch (command) {
    case Command::CalcLine:
        ok = evaluations == 0 && errors == errors_before;
        break;
    case Command::CalcMedium:
        ok = evaluations == 1 && errors == errors_before;
        break;
    case Command::Calculate:
        // Up to three search runs, each stopped at its bound.
        ok = errors >= 0 && errors <= 3 && evaluations <= 3 * calc::max_search_evaluations;
        break;
    case Command::CalculateA:
    case Command::CalculateB:
        ok = (errors == errors_before || errors == errors_before + 1) &&
             evaluations <= calc::max_search_evaluations;
        break;
    }
    if (!ok) {
        std::fprintf(stderr, "%s: %llu evaluations, error_ct %d -> %d\n",
                     std::string(command_info(command).caption).c_str(),
                     static_cast<unsigned long long>(evaluations), errors_before, errors);
        std::abort();
    }
    check_report(model, command);
}

void save_then_open(Ardenca& model, ScriptedFileDialog& dialog, WriteChecker& checker) {
    static const std::string path = fuzz::scratch_dir() + "/model.gnd";
    std::array<std::string, file_fields.size()> before;
    bool has_line_break = false;
    for (std::size_t i = 0; i < file_fields.size(); ++i) {
        before[i] = model.text(file_fields[i]);
        has_line_break = has_line_break || before[i].find_first_of("\r\n") != std::string::npos;
    }
    const MatchingOption option = model.option();

    const std::size_t failures = dialog.failures().size();
    dialog.answer(path);
    model.save_Click();
    const bool saved = dialog.failures().size() == failures;
    if (saved && model.caption() != "Ardenca - model.gnd")
        std::abort();

    dialog.answer(path);
    checker.opening = true;
    try {
        model.open_Click();
    } catch (const ArithmeticFault&) {
        // The recalculation of the failure path faulted: it leaves the command.
    }
    checker.opening = false;
    if (has_line_break && saved)
        std::abort(); // a field with a line break was saved
    if (!saved)
        return;
    if (dialog.failures().size() != failures || model.caption() != "Ardenca - model.gnd")
        std::abort();
    for (std::size_t i = 0; i < file_fields.size(); ++i)
        if (model.text(file_fields[i]) != before[i])
            fail("not restored by Save and Open", file_fields[i], model.text(file_fields[i]));
    if (model.option() != option)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Ardenca model;
    WriteChecker checker(model);
    ScriptedFileDialog dialog;
    model.set_file_dialog(&dialog);

    int commands = 0;
    while (!input.empty() && commands < max_commands) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);

        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            const std::string_view name = line.substr(0, eq);
            const std::string_view value = line.substr(eq + 1);
            if (name == "option")
                model.select_option(value == "matching" ? MatchingOption::UseMatchingSection
                                                        : MatchingOption::None);
            else if (const auto field = field_from_name(name))
                model.set_text(*field, std::string(value));
            continue;
        }
        if (line == "save-open") {
            ++commands;
            model.set_observer(&checker);
            save_then_open(model, dialog, checker);
            model.set_observer(nullptr);
            continue;
        }
        if (const auto command = command_from_cli_name(line)) {
            ++commands;
            model.set_observer(&checker);
            run(model, *command);
            model.set_observer(nullptr);
        }
    }
    return 0;
}
