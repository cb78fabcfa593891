// The one error of the VNA file readers: which file, which line (1-based; 0 when the
// fault is not on one line) and why, in a sentence for the user.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace ardenca::sweep {

class SweepFileError : public std::runtime_error {
  public:
    // what() is "PATH:LINE: REASON".
    SweepFileError(std::string path, std::size_t line, std::string reason);

    const std::string& path() const { return path_; }
    std::size_t line() const { return line_; }
    const std::string& reason() const { return reason_; }

  private:
    std::string path_;
    std::size_t line_;
    std::string reason_;
};

} // namespace ardenca::sweep
