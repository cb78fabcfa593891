#include "sweep_file_error.h"

namespace ardenca::sweep {

namespace {

std::string located(const std::string& path, std::size_t line, const std::string& reason) {
    std::string text = path;
    text += ':';
    text += std::to_string(line);
    text += ": ";
    text += reason;
    return text;
}

} // namespace

SweepFileError::SweepFileError(std::string path, std::size_t line, std::string reason)
    : std::runtime_error(located(path, line, reason)), path_(std::move(path)), line_(line),
      reason_(std::move(reason)) {}

} // namespace ardenca::sweep
