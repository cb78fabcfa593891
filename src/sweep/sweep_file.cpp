#include "sweep_file.h"

#include "csv_reader.h"
#include "files/file_error.h"
#include "sweep_file_error.h"
#include "text_scan.h"
#include "touchstone_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ardenca::sweep {

namespace {

std::string system_reason(int error) {
    return std::generic_category().message(error);
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

bool ends_with_ignoring_case(std::string_view text, std::string_view lower_case) {
    return text.size() >= lower_case.size() &&
           equals_ignoring_case(text.substr(text.size() - lower_case.size()), lower_case);
}

} // namespace

std::string read_file_bytes(const std::string& path) {
    if (path.empty())
        throw SweepFileError(path, 0, "no file name");
    // O_NONBLOCK: opening a FIFO or a device must not wait; such files are refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw SweepFileError(path, 0, "cannot open the file: " + system_reason(errno));
    FileDescriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw SweepFileError(path, 0, "cannot read the file: " + system_reason(errno));
    if (S_ISDIR(st.st_mode))
        throw SweepFileError(path, 0, "this is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        throw SweepFileError(path, 0, files::not_a_file_reason(st.st_mode));
    if (static_cast<unsigned long long>(st.st_size) > max_file_bytes)
        throw SweepFileError(path, 0, "the file is larger than 64 MiB");
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    // One byte more than the bound tells a file that grew past it while being read.
    while (got < max_file_bytes + 1) {
        if (got == bytes.size())
            bytes.resize(std::min(bytes.size() * 2 + 4096, max_file_bytes + 1));
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw SweepFileError(path, 0, "cannot read the file: " + system_reason(errno));
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > max_file_bytes)
        throw SweepFileError(path, 0, "the file is larger than 64 MiB");
    bytes.resize(got);
    return bytes;
}

bool looks_like_csv(std::string_view text, std::string_view path) {
    LineSplitter lines(text);
    std::string_view raw;
    std::string_view first;
    while (lines.next(raw)) {
        first = trim_blanks(before_comment(raw));
        if (!first.empty())
            break;
    }
    if (!first.empty() && first.front() == '[')
        return false;
    if (!first.empty() && first.front() == '#') {
        // An option line holds only option words; a CSV comment line holds others.
        std::string_view rest = first.substr(1);
        bool option_words = true;
        for (std::string_view w = next_word(rest); !w.empty() && option_words;
             w = next_word(rest)) {
            const std::string lower = ascii_lower(w);
            static constexpr const char* words[] = {"hz", "khz", "mhz", "ghz", "s",  "y", "z",
                                                    "h",  "g",   "ri",  "ma",  "db", "r"};
            bool known = std::find(std::begin(words), std::end(words), lower) != std::end(words);
            double value = 0;
            known = known || read_number(w, value) ||
                    (lower.size() > 1 && lower[0] == 'r' && read_number(w.substr(1), value));
            option_words = known;
        }
        if (option_words)
            return false;
    }
    if (ends_with_ignoring_case(path, ".csv"))
        return true;
    // A header line: separators and a frequency column.
    LineSplitter again(text);
    while (again.next(raw)) {
        const std::string_view t = trim_blanks(raw);
        if (t.empty() || t.front() == '!' || t.front() == '#')
            continue;
        if (t.find_first_of(",;\t") == std::string_view::npos)
            return false;
        const std::string lower = ascii_lower(t);
        return lower.find("freq") != std::string::npos;
    }
    return false;
}

Sweep read_sweep_file(const std::string& path, const ReadOptions& options) {
    const std::string bytes = read_file_bytes(path);
    if (looks_like_csv(bytes, path))
        return read_csv(bytes, path, CsvOptions{options.csv_freq_unit, options.z0_ohm});
    return read_touchstone(bytes, path);
}

} // namespace ardenca::sweep
