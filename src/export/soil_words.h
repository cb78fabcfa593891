// The soil models and their parameters as people read them, for the window's panel and
// the printed report alike.
#pragma once

#include "calc/soil_model.h"

#include <string_view>

namespace ardenca::exports {

// Given a model, its name in words: "constant", "Messier" or "constant phase".
std::string_view model_words(calc::SoilModel model);

// A parameter's symbol and the unit after its value (empty when it has none).
struct ParameterLabel {
    std::string_view symbol, unit;
};
// Given a parameter's name (calc::parameter_names), its label; an unknown name is its own
// symbol.
ParameterLabel parameter_label(std::string_view name);

} // namespace ardenca::exports
