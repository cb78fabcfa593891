#include "soil_words.h"

#include <array>
#include <utility>

namespace ardenca::exports {

std::string_view model_words(calc::SoilModel model) {
    switch (model) {
    case calc::SoilModel::Constant:
        return "constant";
    case calc::SoilModel::Messier:
        return "Messier";
    case calc::SoilModel::Jonscher:
        break;
    }
    return "constant phase";
}

ParameterLabel parameter_label(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, ParameterLabel>, 6> labels{{
        {"sigma_s_per_m", {"σ", " S/m"}},
        {"eps_r", {"εr", ""}},
        {"sigma_dc_s_per_m", {"σdc", " S/m"}},
        {"eps_inf", {"ε∞", ""}},
        {"chi", {"χ (at 1 MHz)", ""}},
        {"n", {"n", ""}},
    }};
    for (const auto& [known, label] : labels)
        if (known == name)
            return label;
    return {name, ""};
}

} // namespace ardenca::exports
