#include "ardenca.h"

#include "../calc/checked_math.h"
#include "../files/atomic_writer.h"
#include "number_text.h"

namespace ardenca {

using ck::add;
using ck::div;
using ck::mul;
using ck::sub;
using enum Field;

Ardenca::Ardenca() : caption_(window_caption), save_system_(&files::real_save_system()) {
    for (const auto& info : fields())
        texts_[field_index(info.field)] = info.default_text;
    set_load_constants(state);
    option_ = MatchingOption::None;
}

void Ardenca::set_text(Field field, std::string text) {
    texts_[field_index(field)] = std::move(text);
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

double Ardenca::number_in(Field field) const {
    return text_to_number(text(field));
}

void Ardenca::show(Field field, double value, std::string_view pattern) {
    set_text(field, format_number(value, pattern));
}

void Ardenca::Line_Param_Click() {
    Calc_Line();
}

void Ardenca::Calc_Line() {
    CalcState& s = state;
    const double freq_mhz = number_in(Text8);
    s.f = mul(1e6, freq_mhz);
    s.w = mul(mul(2.0, s.pi), s.f);
    const double wave_len = div(s.co, s.f);

    const double spacing = number_in(Text1);
    const double radius = number_in(Text2);
    s.L_m = number_in(Text3);

    const double len_rads = div(mul(mul(s.L_m, 2.0), s.pi), wave_len);
    show(Text20, len_rads, pattern::two_digits);

    // Thin-wire two-wire line: (eta0 / pi) ln(spacing / radius), eta0 = 1 / (co eo).
    const double log_ratio = ck::ln(div(spacing, radius));
    const double Zo_air = mul(log_ratio, div(div(1.0, mul(s.co, s.eo)), s.pi));

    const double len_degs = div(mul(s.L_m, 360.0), wave_len);
    show(Text19, len_degs, pattern::two_digits);
    show(Text4, Zo_air, pattern::zo_air);

    // The reactance of a lossless open-ended line, -Zo cot(beta l).
    const double Xc_open = div(-Zo_air, ck::tan(len_rads));
    show(Text5, Xc_open, pattern::two_digits);

    s.C_o = div(1.0, mul(Zo_air, s.co));
    show(Text21, s.C_o, pattern::scientific);
    s.L_o = div(Zo_air, s.co);
    show(Text22, s.L_o, pattern::scientific);
    show(Text6, mul(s.C_o, s.L_m), pattern::scientific);
    show(Text7, mul(s.L_o, s.L_m), pattern::scientific);

    s.ur = number_in(Text31);
}

void Ardenca::calc(const double& G, const double& C, calc::MediumResult& result) {
    ++evaluations_;
    calc::calc(state, G, C, result);
}

void Ardenca::Tline_calc(const double& Zo, const double& Ld, const double& Rs_in,
                         const double& Xs_in, double& Rs_out, double& Xs_out) const {
    calc::Tline_calc(state, Zo, Ld, Rs_in, Xs_in, Rs_out, Xs_out);
}

void Ardenca::Medium_Click() {
    CalcState& s = state;
    Calc_Line();
    s.cond = number_in(Text9);
    s.diel = number_in(Text10);
    // The medium fills the whole space around the wires.
    s.C = mul(s.diel, s.C_o);
    s.G = div(mul(s.cond, s.C_o), s.eo);
    calc::MediumResult result;
    calc(s.G, s.C, result);
    show_medium_results(result);
}

void Ardenca::show_medium_results(const calc::MediumResult& r) {
    show(Text11, state.C, pattern::scientific);
    show(Text12, state.G, pattern::conductance);
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
    total_calc();
}
void Ardenca::Calc_b_Click() {
    total_calc_b();
}
void Ardenca::Command2_Click() {
    recalculate();
}

void Ardenca::total_calc() {
    run_search(calc::SearchStage::First);
}
void Ardenca::total_calc_b() {
    run_search(calc::SearchStage::Second);
}

void Ardenca::recalculate() {
    state.error_ct = 0;
    total_calc();
    if (state.error_ct > 0)
        total_calc_b();
    if (state.diel > 250)
        total_calc_b();
}

void Ardenca::run_search(calc::SearchStage stage) {
    CalcState& s = state;
    const bool first = stage == calc::SearchStage::First;

    // Until the search proper begins, faults go to the caller.
    Calc_Line();
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
        double Rs_out = 0, Xs_out = 0;
        Tline_calc(Zo, Ld, s.rst, -s.xst, Rs_out, Xs_out);
        s.rst = Rs_out;
        s.xst = -Xs_out;
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
        double Rs_out = 0, Xs_out = 0;
        Tline_calc(Zo, Ld, s.rst, s.xst, Rs_out, Xs_out);
        show(Text32, Rs_out, pattern::two_digits);
        show(Text33, Xs_out, pattern::two_digits);
    }

    calc::MediumResult result;
    try {
        result = calc::search_ground(s, stage, evaluations_);
        s.cond = div(mul(s.G, s.eo), s.C_o);
        s.diel = div(s.C, s.C_o);
    } catch (const ArithmeticFault&) {
        s.error_ct += 1;
        return;
    } catch (const calc::SearchBoundReached&) {
        s.error_ct += 1;
        return;
    }

    show(Text9, s.cond, pattern::ground);
    show(Text10, s.diel, pattern::ground);
    show_medium_results(result);
}

} // namespace ardenca
