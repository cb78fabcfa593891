#include "ardenca.h"

#include "app/number_text.h"
#include "app/outcome_text.h"
#include "calc/ground_conversion.h"
#include "files/atomic_writer.h"

#include <algorithm>
#include <optional>

namespace ardenca {

using enum Field;

Ardenca::Ardenca() : caption_(window_caption), save_system_(&files::real_save_system()) {
    for (const auto& info : fields())
        texts_[field_index(info.field)] = info.default_text;
    set_load_constants(state_);
    option_ = MatchingOption::None;
}

void Ardenca::set_text(Field field, std::string text) {
    const int i = field_index(field);
    texts_[i] = std::move(text);
    stale_.reset(i);
    if (command_depth_ > 0)
        written_.set(i);
    else
        std::erase_if(partly_read_, [field](const PartlyRead& r) { return r.field == field; });
    if (observer_)
        observer_->field_changed(field);
}

void Ardenca::select_option(MatchingOption option) {
    option_ = option;
    if (observer_)
        observer_->option_changed();
}

void Ardenca::set_caption(std::string caption) {
    caption_ = std::move(caption);
    if (observer_)
        observer_->caption_changed();
}

double Ardenca::number_in(Field field) {
    double value = 0;
    try {
        value = text_to_number(text(field));
    } catch (const ArithmeticFault&) {
        note_reading_fault(field);
        throw;
    }
    read_values_[field_index(field)] = value;
    if (!text_is_whole_number(text(field)) &&
        std::none_of(partly_read_.begin(), partly_read_.end(),
                     [field](const PartlyRead& r) { return r.field == field; }))
        partly_read_.push_back({field, text(field), value});
    return value;
}

void Ardenca::show(Field field, double value, std::string_view pattern) {
    set_text(field, format_number(value, pattern));
}

void Ardenca::Line_Param_Click() {
    CommandScope command(*this, false);
    Calc_Line();
}

namespace {

// A field read ahead of the step that uses it: its value, or the fault reading it
// raised, to be raised at that step.
struct ReadAhead {
    double value = 0;
    std::optional<ArithmeticFault> fault;
    Field field = Text1; // the field whose reading faulted

    double get() const {
        if (fault)
            throw *fault;
        return value;
    }
};

} // namespace

calc::AirLine Ardenca::Calc_Line() {
    using Step = calc::AirLine::Step;
    calc::AirLineInput in;
    in.freq_mhz = number_in(Text8);
    // Spacing, radius and length are read after the wavelength is computed, ur at the
    // very end: a fault reading one of them is raised at its place.
    ReadAhead dimensions;
    try {
        for (const Field field : {Text1, Text2, Text3}) {
            dimensions.field = field;
            const double value = number_in(field);
            (field == Text1 ? in.spacing_m : field == Text2 ? in.radius_m : in.length_m) = value;
        }
    } catch (const ArithmeticFault& fault) {
        dimensions.fault = fault;
    }
    dimensions.value = in.length_m;
    ReadAhead ur;
    ur.field = Text31;
    try {
        ur.value = number_in(Text31);
    } catch (const ArithmeticFault& fault) {
        ur.fault = fault;
    }
    in.ur = ur.value;
    const calc::AirLine line = calc::air_line(in);

    CalcState& s = state_;
    if (line.has(Step::FreqHz))
        s.f = line.freq_hz;
    if (line.has(Step::WRadPerS))
        s.w = line.w_rad_per_s;
    if (!line.has(Step::WaveLen))
        note_air_line_fault(line);
    if (!line.has(Step::WaveLen))
        line.throw_if_fault();
    if (dimensions.fault)
        note_reading_fault(dimensions.field);
    s.L_m = dimensions.get();
    show_air_line(line);
    note_air_line_fault(line);
    line.throw_if_fault();
    if (ur.fault)
        note_reading_fault(Text31);
    s.ur = ur.get();
    return line;
}

// The "TL_Air Parameters" fields and C_o, L_o, in the order they are computed, as
// far as the line got.
void Ardenca::show_air_line(const calc::AirLine& line) {
    using Step = calc::AirLine::Step;
    CalcState& s = state_;
    if (line.has(Step::LenRads))
        show(Text20, line.len_rads, pattern::two_digits);
    if (line.has(Step::LenDegs)) {
        show(Text19, line.len_degs, pattern::two_digits);
        show(Text4, line.zo_air_ohm, pattern::zo_air);
    }
    if (line.has(Step::XcOpen))
        show(Text5, line.xc_open_ohm, pattern::two_digits);
    if (line.has(Step::COPerM)) {
        s.C_o = line.c_o_f_per_m;
        show(Text21, s.C_o, pattern::scientific);
    }
    if (line.has(Step::LOPerM)) {
        s.L_o = line.l_o_h_per_m;
        show(Text22, s.L_o, pattern::scientific);
    }
    if (line.has(Step::CTot))
        show(Text6, line.c_tot_f, pattern::scientific);
    if (line.has(Step::LTot))
        show(Text7, line.l_tot_h, pattern::scientific);
}

// The members of the line in air that the state keeps, for a model evaluation
// outside a command.
calc::AirLine Ardenca::line_in_state() const {
    calc::AirLine line;
    line.freq_hz = state_.f;
    line.w_rad_per_s = state_.w;
    line.length_m = state_.L_m;
    line.c_o_f_per_m = state_.C_o;
    line.l_o_h_per_m = state_.L_o;
    line.ur = state_.ur;
    line.computed = calc::AirLine::Step::LTot;
    return line;
}

void Ardenca::calc(const double& G, const double& C, calc::MediumResult& result) {
    ++evaluations_;
    calc::calc(line_in_state(), G, C, result);
}

void Ardenca::Medium_Click() {
    CommandScope command(*this, false);
    CalcState& s = state_;
    const calc::AirLine line = Calc_Line();
    s.cond = number_in(Text9);
    s.diel = number_in(Text10);
    note_fault(FaultStep::GroundModel, {Text9, Text10});
    // The medium fills the whole space around the wires.
    s.C = calc::c_from_eps_r(s.diel, line);
    s.G = calc::g_from_sigma(s.cond, line);
    calc::MediumResult result;
    ++evaluations_;
    calc::calc(line, s.G, s.C, result);
    show_medium_results(result);
}

void Ardenca::show_medium_results(const calc::MediumResult& r) {
    show(Text11, state_.C, pattern::scientific);
    show(Text12, state_.G, pattern::conductance);
    show(Text13, r.Zo_r, pattern::impedance);
    show(Text14, r.Zo_i, pattern::impedance);
    show(Text15, r.pc_r, pattern::two_digits);
    show(Text16, r.pc_i, pattern::two_digits);
    show(Text17, r.r_out, pattern::two_digits);
    show(Text18, r.i_out, pattern::two_digits);
    show(Text27, r.r_out, pattern::two_digits);
    show(Text28, r.i_out, pattern::two_digits);
}

void Ardenca::Calc_a_Click() {
    CommandScope command(*this, true);
    total_calc();
}
void Ardenca::Calc_b_Click() {
    CommandScope command(*this, true);
    total_calc_b();
}
void Ardenca::Command2_Click() {
    CommandScope command(*this, true);
    recalculate();
}

void Ardenca::total_calc() {
    run_search(calc::SearchStage::First);
}
void Ardenca::total_calc_b() {
    run_search(calc::SearchStage::Second);
}

void Ardenca::recalculate() {
    state_.error_ct = 0;
    total_calc();
    if (state_.error_ct > 0)
        total_calc_b();
    if (state_.diel > 250)
        total_calc_b();
}

void Ardenca::run_search(calc::SearchStage stage) {
    CalcState& s = state_;
    const bool first = stage == calc::SearchStage::First;

    // Until the search proper begins, faults go to the caller.
    const calc::AirLine line = Calc_Line();
    s.rst = number_in(Text23);
    s.xst = number_in(Text24);
    if (s.rst == 0)
        s.rst = 1e-32;
    set_text(Text29, "");
    set_text(Text30, "");

    if (matching_section_used()) {
        // Move the meter's reading back through the feed line: conjugate, transform,
        // conjugate again.
        const double Zo = number_in(Text25);
        const double Ld = number_in(Text26);
        note_fault(FaultStep::MatchingSection, {Text25, Text26, Text23, Text24});
        const calc::Impedance probe = calc::probe_from_meter(Zo, Ld, {s.rst, s.xst});
        s.rst = probe.r_ohm;
        s.xst = probe.x_ohm;
        set_text(Text29, text(Text23));
        set_text(Text30, text(Text24));
        if (first) {
            set_text(Text32, "");
            set_text(Text33, "");
        }
    }
    if (first && !matching_section_used()) {
        // Show what the meter would read through the feed line.
        const double Zo = number_in(Text25);
        const double Ld = number_in(Text26);
        note_fault(FaultStep::MatchingSection, {Text25, Text26, Text23, Text24});
        const calc::Impedance at_meter = calc::Tline_calc(Zo, Ld, s.rst, s.xst);
        show(Text32, at_meter.r_ohm, pattern::two_digits);
        show(Text33, at_meter.x_ohm, pattern::two_digits);
    }

    note_fault(FaultStep::None, {});
    const calc::SearchResult found = calc::search_ground(line, stage, s.rst, s.xst);
    evaluations_ += found.evaluations;
    if (found.started) {
        s.G = found.g_s_per_m;
        s.C = found.c_f_per_m;
    }
    if (!found.completed()) {
        s.error_ct += 1;
        runs_.push_back(
            {stage, false,
             found.end == calc::SearchEnd::Bound ? SearchStop::Bound : SearchStop::Fault});
        return;
    }
    try {
        s.cond = calc::sigma_from_g(s.G, line);
        s.diel = calc::eps_r_from_c(s.C, line);
    } catch (const ArithmeticFault&) {
        s.error_ct += 1;
        runs_.push_back({stage, false, SearchStop::Fault});
        return;
    }
    runs_.push_back({stage, true, SearchStop::Fault});

    show(Text9, s.cond, pattern::ground);
    show(Text10, s.diel, pattern::ground);
    show_medium_results(found.model);
}

void Ardenca::begin_command(bool searches) {
    searches_ = searches;
    runs_.clear();
    written_.reset();
    read_values_.fill(std::nullopt);
    partly_read_.clear();
    fault_place_ = {};
}

void Ardenca::end_command(bool by_fault) {
    // Ended normally: no fault ended it, whatever step was noted last.
    if (!by_fault)
        fault_place_ = {};
    if (searches_) {
        outcome_ = outcome_of(runs_);
        // The results this search did not write show an earlier calculation.
        if (!outcome_->found())
            for (int i = 0; i < field_count; ++i)
                if (is_result_field(field_at(i)) && !written_[i])
                    stale_.set(i);
    } else {
        outcome_.reset();
    }
    if (observer_)
        observer_->command_finished();
}

// Records where a fault would arise from here on; FaultStep::None once past the
// steps whose faults end the command.
void Ardenca::note_fault(FaultStep step, const std::vector<Field>& inputs) {
    fault_place_ = {step, {}};
    for (const Field field : inputs) {
        const auto& value = read_values_[field_index(field)];
        fault_place_.inputs.push_back({field, value ? shortest_number(*value) : "?"});
    }
}

void Ardenca::note_reading_fault(Field field) {
    fault_place_ = {FaultStep::Reading, {{field, quoted_text(text(field))}}};
}

namespace {

// The input fields that a step of the line in air reads, as a user would check them.
// By the step that faults, the frequency is known to be usable; a tangent of zero
// means a length of zero.
std::vector<Field> air_line_inputs(calc::AirLine::Step failed) {
    using Step = calc::AirLine::Step;
    switch (failed) {
    case Step::None:
    case Step::FreqHz:
    case Step::WRadPerS:
    case Step::WaveLen:
        return {Text8};
    case Step::Length:
    case Step::XcOpen:
        return {Text3};
    case Step::LenRads:
    case Step::LenDegs:
        return {Text3, Text8};
    case Step::ZoAir:
    case Step::COPerM:
    case Step::LOPerM:
        return {Text1, Text2};
    case Step::CTot:
    case Step::LTot:
        break;
    }
    return {Text1, Text2, Text3};
}

} // namespace

void Ardenca::note_air_line_fault(const calc::AirLine& line) {
    if (!line.fault)
        return;
    const auto failed = static_cast<calc::AirLine::Step>(static_cast<int>(line.computed) + 1);
    note_fault(FaultStep::AirLine, air_line_inputs(failed));
}

} // namespace ardenca
