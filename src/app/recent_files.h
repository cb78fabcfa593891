// The files a window lists under File, Open Recent: the newest first, each file once
// (by its canonical path), at most ten. Kept as plain paths so that a front end can
// store them in its settings and read them back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ardenca {

class RecentFiles {
  public:
    static constexpr std::size_t max_entries = 10;

    RecentFiles() = default;
    // A list read back from settings: entries are made canonical, repeats and empty
    // ones dropped, and the list cut to max_entries.
    explicit RecentFiles(const std::vector<std::string>& paths);

    // Puts path first; the same file further down goes, the oldest falls off the end.
    void add(const std::string& path);
    // Takes path out of the list (a file found missing when chosen).
    void remove(const std::string& path);
    void clear() { paths_.clear(); }

    const std::vector<std::string>& paths() const { return paths_; }

  private:
    std::vector<std::string> paths_;
};

// Given a path, the form a recent list holds it in: absolute, with "." and ".." and
// symbolic links resolved as far as the path exists.
std::string canonical_path(const std::string& path);

// The kinds of file a dialog can be for; each remembers its own last folder.
enum class FolderKind { Ground, Sweep, Session, Export, Fixture };

// Given a kind, the settings key of its last folder: "folders/ground" and so on.
std::string folder_key(FolderKind kind);

} // namespace ardenca
