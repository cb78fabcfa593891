// Writing an export to a file: whole or not at all, through the atomic writer.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace ardenca::exports {

// An export that cannot be made (no ground at the frequency asked for, ...); what() is
// a sentence for the user.
class ExportError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Replaces the file at path with text once the new file is complete. Throws
// files::FileError.
void write_export(const std::string& path, std::string_view text);

} // namespace ardenca::exports
