// Writing an export to a file: whole or not at all, through the atomic writer.
#pragma once

#include <functional>
#include <iosfwd>
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

// Replaces the file at path with what `write` writes to the stream it is given, passed
// on to the file in pieces as it comes, once all of it is written. When `write` or the
// file fails, the old file stays. Throws files::FileError, or what `write` throws.
void write_export(const std::string& path, const std::function<void(std::ostream&)>& write);

} // namespace ardenca::exports
