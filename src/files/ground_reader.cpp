#include "ground_reader.h"

#include "file_error.h"
#include "ground_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ardenca::files {

void GroundFileReader::open(const std::string& path) {
    close();
    path_ = path;
    content_.clear();
    position_ = 0;
    lines_read_ = 0;
    ends_ = LineEnds::Cr;
    if (path.empty())
        throw FileError(FileErrorKind::CannotOpen, path, "No file was chosen.");

    // O_NONBLOCK: opening a named pipe must not wait for a writer; the type check
    // below then refuses it before anything is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw open_error(FileErrorKind::CannotOpen, path, system_reason(errno));
    fd_ = fd;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw open_error(FileErrorKind::CannotOpen, path, system_reason(errno));
    if (!S_ISREG(st.st_mode))
        throw open_error(FileErrorKind::NotARegularFile, path, not_a_file_reason(st.st_mode));

    // One byte more than the bound tells a file at the bound from a larger one.
    char chunk[16384];
    while (true) {
        const ssize_t got = ::read(fd_, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw open_error(FileErrorKind::CannotRead, path, system_reason(errno));
        }
        if (got == 0)
            break;
        content_.append(chunk, static_cast<std::size_t>(got));
        if (content_.size() > max_file_bytes) {
            content_.clear();
            throw open_error(FileErrorKind::TooLarge, path,
                             "the file is larger than 1 MiB, too large for a ground data file");
        }
    }
    ends_ = line_ends_of(content_);
}

std::string GroundFileReader::read_line() {
    std::string_view rest(content_);
    rest.remove_prefix(position_);
    const std::size_t before = rest.size();
    const auto line = next_line(rest, ends_);
    if (!line)
        throw open_error(FileErrorKind::TooFewLines, path_,
                         "the file ends after line " + std::to_string(lines_read_) +
                             ", but a ground data file has 10 lines");
    if (line->too_long)
        throw open_error(FileErrorKind::LineTooLong, path_,
                         "line " + std::to_string(lines_read_ + 1) +
                             " is longer than 64 KiB; this is not a ground data file");
    position_ += before - rest.size();
    ++lines_read_;
    return std::string(line->text);
}

void GroundFileReader::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace ardenca::files
