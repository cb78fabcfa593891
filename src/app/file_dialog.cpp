#include "file_dialog.h"

#include <filesystem>

namespace ardenca {

namespace fs = std::filesystem;

std::vector<FilterEntry> filter_entries(std::string_view filter) {
    std::vector<std::string_view> parts;
    while (!filter.empty()) {
        const std::size_t bar = filter.find('|');
        parts.push_back(filter.substr(0, bar));
        if (bar == std::string_view::npos)
            break;
        filter.remove_prefix(bar + 1);
    }
    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        entries.push_back({std::string(parts[i]), std::string(parts[i + 1])});
    return entries;
}

std::vector<std::string> name_filters(std::string_view filter) {
    std::vector<std::string> out;
    for (const FilterEntry& entry : filter_entries(filter)) {
        std::string description = entry.description;
        if (const std::size_t open = description.rfind(" (");
            open != std::string::npos && description.back() == ')')
            description.erase(open);
        std::string patterns;
        std::string_view rest = entry.patterns;
        while (!rest.empty()) {
            const std::size_t semicolon = rest.find(';');
            std::string_view pattern = rest.substr(0, semicolon);
            rest = semicolon == std::string_view::npos ? "" : rest.substr(semicolon + 1);
            if (pattern.empty())
                continue;
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern == "*.*" ? "*" : std::string(pattern);
        }
        out.push_back(description + " (" + patterns + ")");
    }
    return out;
}

FileDialog::FileDialog() {
    std::error_code ec;
    initial_dir_ = fs::current_path(ec).string();
    chosen_folder_ = initial_dir_;
}

void FileDialog::show(DialogKind kind) {
    const std::optional<std::string> chosen = ask(kind);
    cancelled_ = !chosen;
    if (!chosen) {
        if (cancel_error_)
            throw DialogCancelled{};
        return;
    }
    file_name_ = *chosen;
    // The folder the next dialog starts in, as an absolute path even when the script
    // or the user gave a relative name.
    std::error_code ec;
    fs::path folder = fs::path(*chosen).parent_path();
    if (folder.empty())
        folder = ".";
    const fs::path absolute = fs::absolute(folder, ec);
    chosen_folder_ = (ec ? folder : absolute.lexically_normal()).string();
    if (chosen_folder_.size() > 1 && chosen_folder_.back() == '/')
        chosen_folder_.pop_back();
}

void ScriptedFileDialog::tell_failure(const std::string& message) {
    failures_.push_back(message);
    if (sink_)
        sink_(message);
}

std::optional<std::string> ScriptedFileDialog::ask(DialogKind kind) {
    shown_.push_back({kind, filter(), filter_index(), initial_dir(), file_name()});
    if (next_answer_ >= answers_.size())
        return std::nullopt;
    return answers_[next_answer_++];
}

} // namespace ardenca
