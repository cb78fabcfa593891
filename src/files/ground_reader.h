// Reads a ground data file one line at a time. open() takes the whole file into
// memory, at most max_file_bytes of it, so reading never blocks on a half-read file
// and a huge or endless one is refused; read_line() then hands out lines 1 to 10.
// Anything but a regular file (a folder, a named pipe, a device) is refused at once,
// without waiting on it.
#pragma once

#include "ground_file.h"

#include <string>

namespace ardenca::files {

class GroundFileReader {
  public:
    GroundFileReader() = default;
    GroundFileReader(const GroundFileReader&) = delete;
    GroundFileReader& operator=(const GroundFileReader&) = delete;
    ~GroundFileReader() { close(); }

    // Opens the file and reads it. Throws FileError (CannotOpen, NotARegularFile,
    // CannotRead, TooLarge).
    void open(const std::string& path);
    bool is_open() const { return fd_ >= 0; }

    // The next line's text without its end. Throws FileError: TooFewLines when the file
    // has no further line, LineTooLong past max_line_bytes.
    std::string read_line();

    // Closing a reader that is not open does nothing.
    void close();

  private:
    int fd_ = -1;
    std::string path_;
    std::string content_;
    std::size_t position_ = 0;
    int lines_read_ = 0;
    LineEnds ends_ = LineEnds::Cr;
};

} // namespace ardenca::files
