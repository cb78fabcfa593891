// The one error type of the ground data files. Its message is a sentence for the user
// that names the file and says what went wrong, with the system's reason where there
// is one.
#pragma once

#include <stdexcept>
#include <string>

namespace ardenca::files {

enum class FileErrorKind {
    // Open
    CannotOpen,      // missing, unreadable, ...
    NotARegularFile, // a folder, a named pipe, a device, ...
    CannotRead,      // a read failed part-way
    TooLarge,        // more than max_file_bytes
    LineTooLong,     // a line longer than max_line_bytes
    TooFewLines,     // the file ends before line 10
    NotANumber,      // line 1 or 2 is not a number
    // Save
    CannotCreate,  // no temporary file in the target's folder
    CannotWrite,   // writing or syncing the temporary file failed
    CannotReplace, // renaming it over the target failed
    NotANumberToSave,
    FieldNotStorable, // a field holds a line break or is longer than a line may be
};

class FileError : public std::runtime_error {
  public:
    FileError(FileErrorKind kind, std::string path, const std::string& message);

    FileErrorKind kind() const { return kind_; }
    const std::string& path() const { return path_; }

  private:
    FileErrorKind kind_;
    std::string path_;
};

// "Could not open PATH: DETAIL."
FileError open_error(FileErrorKind kind, const std::string& path, const std::string& detail);
// "The file was not saved: PATH: DETAIL. Any earlier file of that name is unchanged."
FileError save_error(FileErrorKind kind, const std::string& path, const std::string& detail);
// The system's text for an errno value, e.g. "No such file or directory".
std::string system_reason(int error);
// Why a file of this type (st_mode) is not a file to read or replace: "Is a directory",
// "it is a named pipe (FIFO), not a regular file", ...
std::string not_a_file_reason(unsigned mode);

} // namespace ardenca::files
