#include "app/outcome_text.h"

#include "app/ardenca.h"

#include <charconv>

namespace ardenca {

std::string shortest_number(double value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string quoted_text(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    out += text.size() > 40 ? "...\"" : "\"";
    return out;
}

std::string_view field_caption(Field field) {
    return field_info(field).label.caption;
}

std::string read_as_text(const PartlyRead& read) {
    return "read as " + shortest_number(read.value);
}

std::string partly_read_line(const PartlyRead& read) {
    std::string line(field_caption(read.field));
    line += " (";
    line += field_name(read.field);
    line += ") ";
    line += quoted_text(read.text);
    line += " was ";
    line += read_as_text(read);
    return line;
}

std::string partly_read_notice(const std::vector<PartlyRead>& reads) {
    std::string text = reads.size() == 1 ? "A field is not wholly a number and was read in part: "
                                         : "Some fields are not wholly a number and were read "
                                           "in part: ";
    for (std::size_t i = 0; i < reads.size(); ++i) {
        if (i > 0)
            text += "; ";
        text += std::string(field_caption(reads[i].field)) + " " + quoted_text(reads[i].text) +
                " was " + read_as_text(reads[i]);
    }
    return text + ". The results use these values.";
}

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// "65 + j67 Ω" from the texts of R in and X_in as typed.
std::string typed_impedance(std::string_view r, std::string_view x) {
    std::string out(trimmed(r));
    x = trimmed(x);
    if (!x.empty() && (x.front() == '-' || x.front() == '+')) {
        out += x.front() == '-' ? " - j" : " + j";
        x.remove_prefix(1);
    } else {
        out += " + j";
    }
    out += x;
    return out + " \u03a9";
}

} // namespace

std::string no_ground_message(const Ardenca& model) {
    const auto& outcome = model.search_outcome();
    if (!outcome || outcome->found())
        return "";
    std::string text = "No ground found that reproduces R in " +
                       typed_impedance(model.text(Field::Text23), model.text(Field::Text24)) +
                       " with this probe; the Cond and Diel C shown are from an earlier "
                       "calculation.";
    text += outcome->reason == SearchStop::Bound
                ? " The search gave up after its limit of model evaluations."
                : " The search ended on an arithmetic fault.";
    return text;
}

std::string fault_check(const FaultPlace& place) {
    if (place.inputs.empty())
        return "";
    std::string text = " \u2014 check ";
    for (std::size_t i = 0; i < place.inputs.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += field_caption(place.inputs[i].field);
        text += " (" + place.inputs[i].shown + ")";
    }
    return text;
}

std::string fault_step_name(const FaultPlace& place) {
    switch (place.step) {
    case FaultStep::AirLine:
        return "Calc Line";
    case FaultStep::MatchingSection:
        return "the matching section";
    case FaultStep::GroundModel:
        return "Calc From Medium";
    case FaultStep::Reading:
        return place.inputs.empty()
                   ? "reading a field"
                   : "reading " + std::string(field_caption(place.inputs[0].field));
    case FaultStep::None:
        break;
    }
    return "";
}

} // namespace ardenca
