#include "file_error.h"

#include <system_error>

namespace ardenca::files {

FileError::FileError(FileErrorKind kind, std::string path, const std::string& message)
    : std::runtime_error(message), kind_(kind), path_(std::move(path)) {}

FileError open_error(FileErrorKind kind, const std::string& path, const std::string& detail) {
    return FileError(kind, path, "Could not open " + path + ": " + detail + ".");
}

FileError save_error(FileErrorKind kind, const std::string& path, const std::string& detail) {
    return FileError(kind, path,
                     "The file was not saved: " + path + ": " + detail +
                         ". Any earlier file of that name is unchanged.");
}

std::string system_reason(int error) {
    return std::generic_category().message(error);
}

} // namespace ardenca::files
