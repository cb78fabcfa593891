#include "cli_output.h"

#include "app/ardenca.h"
#include "app/outcome_text.h"
#include "cli_solve.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

namespace ardenca::cli {

namespace {

nlohmann::ordered_json result_json(const std::optional<SearchOutcome>& result) {
    if (!result)
        return nullptr;
    nlohmann::ordered_json j;
    j["found"] = result->found();
    if (result->stage)
        j["stage"] = *result->stage == calc::SearchStage::First ? "first" : "second";
    else
        j["stage"] = nullptr;
    if (result->reason)
        j["reason"] = *result->reason == SearchStop::Bound ? "bound" : "fault";
    else
        j["reason"] = nullptr;
    switch (result->kind) {
    case GroundOutcome::FoundByFirstStage:
        j["outcome"] = "found by the first stage";
        break;
    case GroundOutcome::FoundBySecondStage:
        j["outcome"] = "found by the second stage";
        break;
    case GroundOutcome::KeptFromFirstStage:
        j["outcome"] = "kept from the first stage";
        break;
    case GroundOutcome::NotFound:
        j["outcome"] = "none";
        break;
    }
    return j;
}

} // namespace

void print_json(std::ostream& out, const Ardenca& model, const RunReport& report,
                const calc::SolveResult* solved, const calc::SolveOptions* options) {
    const auto& fault = report.fault;
    nlohmann::ordered_json doc;
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    for (int i = 0; i < field_count; ++i)
        fields[std::string(field_name(field_at(i)))] = model.text(field_at(i));
    doc["fields"] = fields;
    doc["option"] = model.matching_section_used() ? "matching" : "none";
    doc["caption"] = model.caption();

    const CalcState& s = model.state;
    nlohmann::ordered_json state;
    state["f"] = s.f;
    state["w"] = s.w;
    state["L_m"] = s.L_m;
    state["C_o"] = s.C_o;
    state["L_o"] = s.L_o;
    state["ur"] = s.ur;
    state["C"] = s.C;
    state["G"] = s.G;
    state["cond"] = s.cond;
    state["diel"] = s.diel;
    state["rst"] = s.rst;
    state["xst"] = s.xst;
    state["error_ct"] = s.error_ct;
    doc["state"] = state;
    doc["evaluations"] = model.evaluations();
    if (fault) {
        nlohmann::ordered_json check = nlohmann::ordered_json::array();
        for (const FaultInput& input : fault->place.inputs)
            check.push_back(std::string(field_name(input.field)));
        doc["fault"] = {{"command", fault->command},
                        {"message", fault->message},
                        {"step", fault_step_name(fault->place)},
                        {"check", check}};
    } else {
        doc["fault"] = nullptr;
    }
    doc["result"] = result_json(report.result);
    nlohmann::ordered_json partly = nlohmann::ordered_json::array();
    for (const PartlyRead& read : report.partly_read)
        partly.push_back(std::string(field_name(read.field)));
    doc["partly_read"] = partly;
    if (solved)
        doc["solve"] = solve_json(*solved, options ? *options : calc::SolveOptions{});
    // Field texts, the caption and the lines of a file are bytes, not always UTF-8:
    // each byte sequence that is not valid UTF-8 is written as U+FFFD, so the output is
    // always valid JSON.
    out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

namespace {

std::string pad(std::string_view text, std::size_t width) {
    std::string s(text);
    // Greek captions take two bytes for one column.
    std::size_t columns = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++columns;
    if (columns < width)
        s.append(width - columns, ' ');
    return s;
}

std::string_view group_title(Container c) {
    switch (c) {
    case Container::Picture1:
        return "Line diagram";
    case Container::Window:
        return "Below the diagram";
    default:
        return container_info(c).caption;
    }
}

} // namespace

void print_fields(std::ostream& out, const Ardenca& model) {
    std::vector<Container> order;
    for (const auto& c : containers())
        order.push_back(c.id);
    order.push_back(Container::Window);

    out << model.caption() << "\n\n";
    for (Container c : order) {
        out << group_title(c) << '\n';
        if (c == Container::Frame5) {
            const bool used = model.matching_section_used();
            out << "  (" << (used ? ' ' : '*') << ") None   (" << (used ? '*' : ' ')
                << ") Use Matching Section\n";
        }
        std::vector<const FieldInfo*> in_group;
        for (const auto& f : fields())
            if (f.container == c)
                in_group.push_back(&f);
        std::stable_sort(in_group.begin(), in_group.end(), [](const auto* a, const auto* b) {
            return a->rect.top != b->rect.top ? a->rect.top < b->rect.top
                                              : a->rect.left < b->rect.left;
        });
        for (const FieldInfo* f : in_group) {
            std::string caption(f->label.caption);
            if (f->field == Field::Text16)
                caption = "j" + caption;
            if (f->field == Field::Text32 || f->field == Field::Text33)
                caption = "Z_in if Matching Section Used, " + caption;
            if (f->field == Field::Text27 || f->field == Field::Text28)
                caption += " at the probe";
            if (f->field == Field::Text29 || f->field == Field::Text30)
                caption += " at the meter";
            out << "  " << pad(caption, 36) << pad(field_name(f->field), 8) << model.text(f->field)
                << '\n';
        }
    }
}

} // namespace ardenca::cli
