#include "file_error.h"

#include <cerrno>
#include <initializer_list>
#include <string_view>
#include <sys/stat.h>
#include <system_error>

namespace ardenca::files {

FileError::FileError(FileErrorKind kind, std::string path, const std::string& message)
    : std::runtime_error(message), kind_(kind), path_(std::move(path)) {}

namespace {

// Joins the pieces of a message by appending; GCC 12 misreports chains of operator+
// on strings as overlapping copies.
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces)
        text += piece;
    return text;
}

} // namespace

FileError open_error(FileErrorKind kind, const std::string& path, const std::string& detail) {
    return FileError(kind, path, joined({"Could not open ", path, ": ", detail, "."}));
}

FileError save_error(FileErrorKind kind, const std::string& path, const std::string& detail) {
    return FileError(kind, path,
                     joined({"The file was not saved: ", path, ": ", detail,
                             ". Any earlier file of that name is unchanged."}));
}

std::string system_reason(int error) {
    return std::generic_category().message(error);
}

std::string not_a_file_reason(unsigned mode) {
    if (S_ISDIR(mode))
        return system_reason(EISDIR);
    const char* type = S_ISFIFO(mode)   ? "a named pipe (FIFO)"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "of an unknown type";
    return joined({"it is ", type, ", not a regular file"});
}

} // namespace ardenca::files
