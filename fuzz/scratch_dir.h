// A folder of this fuzzing process's own for the files its targets write, removed at
// exit.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdlib.h>
#include <string>

namespace ardenca::fuzz {

inline const std::string& scratch_dir() {
    static const std::string dir = [] {
        std::string d = (std::filesystem::temp_directory_path() / "ardenca-fuzz-XXXXXX").string();
        if (!mkdtemp(d.data()))
            std::abort();
        return d;
    }();
    static const bool cleanup_registered = [] {
        return std::atexit([] {
                   std::error_code ec;
                   std::filesystem::remove_all(scratch_dir(), ec);
               }) == 0;
    }();
    (void)cleanup_registered;
    return dir;
}

} // namespace ardenca::fuzz
