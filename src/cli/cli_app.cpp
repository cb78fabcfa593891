#include "cli_app.h"

#include "app/ardenca.h"
#include "app/commands.h"
#include "app/outcome_text.h"
#include "cli_calibrate.h"
#include "cli_fields.h"
#include "cli_output.h"
#include "cli_read.h"
#include "cli_solve.h"
#include "cli_sweep.h"
#include "files/fixture_file.h"
#include "sweep/calibration.h"

#include "cli_parse.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <new>
#include <ostream>
#include <vector>

namespace ardenca::cli {

namespace {

constexpr const char* description =
    R"(Ardenca: ground conductivity and dielectric constant from the input
impedance of a two-rod probe, without a window.

Fields are set first (the options below, --set), then the commands run in
the order given, each exactly like a click on its button:
  calc-line     "Calc Line": the probe line in air
  calc-medium   "Calc From Medium": the line in the ground from Cond (Text9)
                and Diel C (Text10)
  calculate     "Calculate from Known  Z in": the ground from the measured
                impedance R in (Text23) and X_in (Text24)
  calculate-a   "Calculate a": the first-stage search alone
  calculate-b   "Calculate b": the second-stage search alone
  open=PATH     File, Open with PATH chosen in the file dialog: reads the
                ground data file into the input fields and recalculates as
                "calculate" does; "open=" cancels the dialog
  save=PATH     File, Save with PATH chosen in the file dialog: writes the
                input fields to a ground data file (".gnd", ten lines,
                CR LF line ends), replacing PATH only once the new file is
                complete; "save=" cancels the dialog
  solve         every ground in the range (--sigma-range, --epsr-range) that
                reproduces the reading "calculate" reads, proved complete,
                with 1-sigma uncertainties from the meter's accuracy (--meter)
                and the probe fixture (--lead-nh, --top-pf, --air-m, or
                --fixture FILE from "ardenca-cli calibrate", whose feed line
                replaces the matching section and whose uncertainties are
                carried into each ground's), and the near grounds: grounds
                on the range's edges that fit the reading within the
                meter's accuracy (--near-chi2); the fields stay as they are.
                It reads the fields as "calculate" does, tells the same way
                of fields read in part, stops (exit 3) when the probe makes
                no line, and counts as a search that found no ground when
                none fits. A probe more than 100 half-waves long in the
                densest ground of the box, or a box holding more than 120
                grounds, is not searched: "unresolvable" says why

Open reads regular files only (a named pipe or device is refused at once);
a file without any CR has LF line ends. Save refuses a field holding a line
break or more than 64 KiB, follows symbolic links, keeps an existing file's
mode, owner and group, replaces a hard-linked file under PATH only, writes
character devices in place and refuses named pipes.

--json: one JSON object: "fields", "option", "caption", "state",
"evaluations", "fault" (null, or the command, message, step and the fields
to check), "result" of the last command that searched (null when none did:
{"found", "stage": "first"|"second"|null, "reason": null|"fault"|"bound",
"outcome"}; a ground kept from the first stage has found true, stage first
and the second stage's reason), and "partly_read" (the fields of the run not
wholly a number). Texts (fields, caption) are bytes; each sequence that is
not valid UTF-8 is written as U+FFFD, so the output always parses.

Fields: Text1 Spacing m, Text2 Radius m, Text3 Length m, Text8 Frequency Mhz,
Text25 Zo and Text26 L Degrees (matching section), Text23 R in, Text24 X_in,
Text31 ur, Text9 Cond, Text10 Diel C; the others hold results. Each of these
has an option of its own (--spacing .1 sets Text1 to ".1" exactly as
--set Text1=.1 does); an option given twice, or together with --set of its
field, is a usage error. --set FIELD=TEXT sets any field.

Three more commands take options of their own: "ardenca-cli read FILE..."
reads VNA files, "ardenca-cli sweep FILE..." solves whole sweeps and
"ardenca-cli calibrate" measures the probe's fixture (see "ardenca-cli read
--help", "ardenca-cli sweep --help" and "ardenca-cli calibrate --help").

After each command, stderr gets a line per input field whose text is not
wholly a number ("14,2" is read as 14), and one when a search found no
ground (the Cond and Diel C shown are then from an earlier calculation).

Exit status: 0 done; 2 usage error (nothing ran); 3 a command stopped on an
arithmetic fault (the later commands did not run; the fields show what it
wrote before the fault; the message names the step and the inputs it read);
4 an open or save failed (its message went to stderr; the later commands
still ran), or standard output could not be written; 5 the last command that
searched (calculate, calculate-a, calculate-b, open, solve) found no ground;
6 out of memory. A cancelled dialog is no failure. When several apply, the first in the
order 3, 4, 5 is the exit status.)";

// One command of the run: a button, or File, Open / File, Save with the file the
// dialog answers.
struct Step {
    std::optional<Command> command;
    DialogKind file_kind = DialogKind::Open;
    std::string path;
    std::string name;    // as the fault report names it
    std::string caption; // as the window names it: "Calc Line", "Open"
    bool solve = false;
};

std::optional<Step> step_from_arg(const std::string& arg) {
    for (const auto& [prefix, kind] :
         {std::pair{"open=", DialogKind::Open}, std::pair{"save=", DialogKind::Save}}) {
        const std::string_view p(prefix);
        if (arg.starts_with(p))
            return Step{std::nullopt, kind, arg.substr(p.size()),
                        std::string(p.substr(0, p.size() - 1)),
                        kind == DialogKind::Open ? "Open" : "Save"};
    }
    if (arg == "solve")
        return Step{std::nullopt, DialogKind::Open, {}, arg, "Solve", true};
    if (const auto command = command_from_cli_name(arg))
        return Step{
            *command, DialogKind::Open, {}, arg, std::string(command_info(*command).caption)};
    return std::nullopt;
}

} // namespace

namespace {

int run_commands(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                 std::string& doing) {
    CLI::App app(description, "ardenca-cli");
    std::vector<std::string> set_args;
    FieldArgs field_args;
    bool json = false;
    std::vector<std::string> command_args;

    add_field_options(app, field_args);
    app.add_option("--set", set_args, "Set a field's text verbatim before any command runs")
        ->type_name("FIELD=TEXT")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--json", json, "Print one JSON object instead of the fields");
    SolveArgs solve_args;
    add_solve_options(app, solve_args, "solve: ");
    std::string fixture_path;
    app.add_option("--fixture", fixture_path,
                   "solve: lead, top capacitance and feed line from a calibration "
                   "(calibrate -o); --lead-nh and --top-pf override its values")
        ->type_name("FIXTURE.json");
    app.add_option("commands", command_args, "Commands to run, in order")->type_name("COMMAND");

    if (const auto status = parse_arguments(app, argc, argv, out, err, "ardenca-cli"))
        return *status;

    SolveSettings solve_settings;
    if (const auto problem = parse_solve_args(solve_args, solve_settings)) {
        err << "ardenca-cli: " << *problem << '\n';
        return exit_usage;
    }
    std::optional<files::FixtureFile> fixture;
    if (!fixture_path.empty()) {
        try {
            fixture = files::read_fixture_file(fixture_path);
        } catch (const files::FixtureFileError& e) {
            err << "ardenca-cli: " << e.what() << '\n';
            return exit_usage;
        }
        FixtureExtras& x = solve_settings.extras;
        if (solve_args.lead_nh.empty()) {
            x.lead_nh = std::max(fixture->lead_nh.value, 0.0);
            x.u.lead_nh = fixture->lead_nh.u;
        }
        if (solve_args.top_pf.empty()) {
            x.top_pf = std::max(fixture->top_pf.value, 0.0);
            x.u.top_pf = fixture->top_pf.u;
        }
        if (solve_args.lead_nh.empty() && solve_args.top_pf.empty())
            x.u.corr_lead_top = fixture->correlation[0][1];
        if (fixture->line_deg) {
            x.line =
                FixtureLine{fixture->line_zo_ohm, fixture->line_deg->value, fixture->setup_freq_hz};
            x.u.match_deg = fixture->line_deg->u;
            x.u.corr_lead_match = solve_args.lead_nh.empty() ? fixture->correlation[0][2] : 0;
            x.u.corr_top_match = solve_args.top_pf.empty() ? fixture->correlation[1][2] : 0;
        }
    }
    std::vector<FieldSetting> settings;
    for (const std::string& arg : set_args) {
        const auto eq = arg.find('=');
        const auto field = field_from_name(arg.substr(0, eq));
        if (eq == std::string::npos || !field) {
            err << "ardenca-cli: unknown field in --set '" << arg
                << "': expected FIELD=TEXT with FIELD one of Text1 ... Text33\n";
            return exit_usage;
        }
        settings.push_back({*field, arg.substr(eq + 1)});
    }
    if (const auto problem = add_field_settings(field_args, settings)) {
        err << "ardenca-cli: " << *problem << '\n';
        return exit_usage;
    }
    const std::string& option_arg = field_args.option;
    std::optional<MatchingOption> option;
    if (option_arg == "none")
        option = MatchingOption::None;
    else if (option_arg == "matching")
        option = MatchingOption::UseMatchingSection;
    else if (!option_arg.empty()) {
        err << "ardenca-cli: unknown option '" << option_arg << "': expected none or matching\n";
        return exit_usage;
    }
    std::vector<Step> to_run;
    for (const std::string& name : command_args) {
        auto step = step_from_arg(name);
        if (!step) {
            err << "ardenca-cli: unknown command '" << name << "'\n";
            return exit_usage;
        }
        to_run.push_back(std::move(*step));
    }

    Ardenca model;
    ScriptedFileDialog dialog;
    bool file_failed = false;
    dialog.on_failure([&](const std::string& message) {
        err << "ardenca-cli: " << message << '\n';
        file_failed = true;
    });
    model.set_file_dialog(&dialog);
    for (const FieldSetting& s : settings)
        model.set_text(s.field, s.text);
    if (option)
        model.select_option(*option);

    std::optional<calc::SolveResult> solved;
    RunReport report;
    // Whether the last command that searched (solve among them) found a ground.
    std::optional<bool> last_found;
    // After each command: a line per partly read field, and one for a search that
    // found no ground. "solve" reads the fields itself and tells its own.
    const auto tell = [&](const Step& step) {
        const std::vector<PartlyRead> reads =
            step.solve ? reading_partly_read(model) : model.partly_read();
        for (const PartlyRead& read : reads) {
            err << "ardenca-cli: " << step.name << ": " << partly_read_line(read) << '\n';
            if (std::none_of(report.partly_read.begin(), report.partly_read.end(),
                             [&](const PartlyRead& r) { return r.field == read.field; }))
                report.partly_read.push_back(read);
        }
        if (step.solve) {
            if (solved && !report.fault && solved->solutions.empty())
                err << "ardenca-cli: " << step.name << ": "
                    << (solved->flags & calc::Unresolvable
                            ? "not searched: " + calc::unresolved_reason(solved->unresolved,
                                                                         solved->nu, solved->count,
                                                                         solve_settings.options)
                            : std::string("no ground in the range reproduces this reading"))
                    << '\n';
            return;
        }
        if (model.search_outcome()) {
            report.result = model.search_outcome();
            last_found = report.result->found();
            if (!report.result->found() && !report.fault)
                err << "ardenca-cli: " << step.name << ": " << no_ground_message(model) << '\n';
        }
    };
    for (const Step& step : to_run) {
        doing = "running " + step.name;
        try {
            if (step.solve) {
                solved.reset();
                const FieldReading reading = reading_from_fields(model, solve_settings.extras);
                if (std::vector<FaultInput> check = probe_without_line(reading); !check.empty()) {
                    // As "calculate" stops on the line it cannot make.
                    std::string fields;
                    for (const FaultInput& in : check)
                        fields += (fields.empty() ? "" : ", ") +
                                  std::string(field_info(in.field).label.caption) + " (" +
                                  in.shown + ")";
                    err << "ardenca-cli: solve: the probe makes no line in the ground — check "
                        << fields << '\n';
                    report.fault = FaultReport{step.name, "no line in the ground",
                                               FaultPlace{FaultStep::AirLine, std::move(check)}};
                    tell(step);
                    break;
                }
                if (fixture)
                    for (const std::string& w :
                         sweep::fixture_probe_warnings(*fixture, reading.probe, fixture_path))
                        err << "ardenca-cli: solve: warning: " << w << '\n';
                solved = calc::solve_all(reading.probe, reading.freq_hz, reading.z_meter_ohm,
                                         solve_settings.options);
                last_found = !solved->solutions.empty();
            } else if (step.command) {
                run_command(model, *step.command);
            } else {
                // An empty path is the user pressing Cancel.
                if (step.path.empty())
                    dialog.answer_cancel();
                else
                    dialog.answer(step.path);
                if (step.file_kind == DialogKind::Open)
                    model.open_Click();
                else
                    model.save_Click();
            }
        } catch (const ArithmeticFault& f) {
            err << "ardenca-cli: " << step.name << ": "
                << fault_message(step.caption, f, model.fault_place()) << '\n';
            report.fault = FaultReport{step.name, f.what(), model.fault_place()};
            tell(step);
            break;
        }
        tell(step);
    }

    doing = "writing the output";
    if (json) {
        print_json(out, model, report, solved ? &*solved : nullptr, &solve_settings.options);
    } else {
        print_fields(out, model);
        if (solved)
            print_solve_table(out, *solved, solve_settings.options);
    }
    if (report.fault)
        return exit_fault;
    if (file_failed)
        return exit_file_failed;
    return last_found && !*last_found ? exit_no_ground : exit_ok;
}

} // namespace

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    if (argc > 1 && std::string_view(argv[1]) == "read")
        return run_read(argc - 1, argv + 1, out, err);
    if (argc > 1 && std::string_view(argv[1]) == "sweep")
        return run_sweep(argc - 1, argv + 1, out, err);
    if (argc > 1 && std::string_view(argv[1]) == "calibrate")
        return run_calibrate(argc - 1, argv + 1, out, err);
    std::string doing = "reading the arguments";
    try {
        return run_commands(argc, argv, out, err, doing);
    } catch (const std::bad_alloc&) {
        err << "ardenca-cli: out of memory while " << doing << '\n';
        return exit_out_of_memory;
    }
}

} // namespace ardenca::cli
