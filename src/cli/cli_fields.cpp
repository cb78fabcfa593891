#include "cli_fields.h"

#include <algorithm>

namespace ardenca::cli {

void add_field_options(CLI::App& app, FieldArgs& args) {
    for (std::size_t i = 0; i < field_options.size(); ++i) {
        const FieldOption& f = field_options[i];
        args.given[i] = app.add_option(std::string(f.name), args.texts[i], std::string(f.help))
                            ->type_name(std::string(f.type));
        // The matching-section choice goes with the section's fields.
        if (f.field == Field::Text31)
            app.add_option("--option", args.option, "Matching section: none or matching")
                ->type_name("none|matching");
    }
}

std::optional<std::string> add_field_settings(const FieldArgs& args,
                                              std::vector<FieldSetting>& settings) {
    for (std::size_t i = 0; i < field_options.size(); ++i) {
        if (args.given[i] == nullptr || args.given[i]->count() == 0)
            continue;
        const FieldOption& f = field_options[i];
        // Each option has a field of its own, so only a --set can be there already.
        if (std::any_of(settings.begin(), settings.end(),
                        [&](const FieldSetting& s) { return s.field == f.field; }))
            return std::string(f.name) + " and --set " + std::string(field_name(f.field)) +
                   "= both set " + std::string(field_name(f.field)) + "; give one of them";
        settings.push_back({f.field, args.texts[i]});
    }
    return std::nullopt;
}

} // namespace ardenca::cli
