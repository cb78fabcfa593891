#include "recent_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ardenca {

namespace fs = std::filesystem;

std::string canonical_path(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec)
        return path;
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    if (ec)
        canonical = absolute.lexically_normal();
    return canonical.string();
}

RecentFiles::RecentFiles(const std::vector<std::string>& paths) {
    // Oldest first, so that each add puts the newer one in front of it.
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        if (!it->empty())
            add(*it);
}

void RecentFiles::add(const std::string& path) {
    if (path.empty())
        return;
    const std::string canonical = canonical_path(path);
    std::erase(paths_, canonical);
    paths_.insert(paths_.begin(), canonical);
    if (paths_.size() > max_entries)
        paths_.resize(max_entries);
}

void RecentFiles::remove(const std::string& path) {
    std::erase(paths_, path);
    std::erase(paths_, canonical_path(path));
}

std::string folder_key(FolderKind kind) {
    switch (kind) {
    case FolderKind::Ground:
        return "folders/ground";
    case FolderKind::Sweep:
        return "folders/sweep";
    case FolderKind::Session:
        return "folders/session";
    case FolderKind::Export:
        return "folders/export";
    case FolderKind::Fixture:
        return "folders/fixture";
    }
    return "folders/other";
}

} // namespace ardenca
