#include "atomic_writer.h"

#include "file_error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace ardenca::files {

namespace fs = std::filesystem;

int SaveSystem::create_new(const std::string& path, unsigned mode, int& fd) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    return fd < 0 ? errno : 0;
}

int SaveSystem::open_existing(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    return fd < 0 ? errno : 0;
}

int SaveSystem::write_some(int fd, const char* data, std::size_t size, std::size_t& written) {
    written = 0;
    const ssize_t n = ::write(fd, data, size);
    if (n < 0)
        return errno;
    written = static_cast<std::size_t>(n);
    return 0;
}

int SaveSystem::sync(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int SaveSystem::close(int fd) {
    return ::close(fd) == 0 ? 0 : errno;
}

int SaveSystem::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SaveSystem::remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int SaveSystem::mode_of(const std::string& path, unsigned& mode) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    mode = st.st_mode;
    return 0;
}

int SaveSystem::set_mode(int fd, unsigned mode) {
    return ::fchmod(fd, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
}

void SaveSystem::sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

SaveSystem& real_save_system() {
    static SaveSystem system;
    return system;
}

namespace {

std::string random_suffix() {
    thread_local std::mt19937 generator{std::random_device{}()};
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> pick(0, sizeof letters - 2);
    std::string s;
    for (int i = 0; i < 6; ++i)
        s += letters[pick(generator)];
    return s;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, SaveSystem& system)
    : path_(std::move(path)), system_(system) {
    // Saving through a symbolic link replaces the file it names, not the link.
    fs::path target(path_);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    target_ = target.string();
    const fs::path folder = target.parent_path();
    folder_ = folder.empty() ? "." : folder.string();

    // A new file gets the usual permissions less the umask; a replaced one keeps its own.
    unsigned mode = 0;
    const bool exists = system_.mode_of(target_, mode) == 0;
    if (exists && !S_ISREG(mode) && !S_ISDIR(mode)) {
        in_place_ = true;
        if (const int error = system_.open_existing(target_, fd_); error != 0) {
            fd_ = -1;
            throw save_error(FileErrorKind::CannotCreate, path_,
                             "cannot open it for writing: " + system_reason(error));
        }
        return;
    }
    const bool keep_mode = exists && S_ISREG(mode);
    mode = keep_mode ? mode & 07777 : 0666;

    const std::string stem = "." + target.filename().string() + ".";
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temp_path_ = (fs::path(folder_) / (stem + random_suffix() + ".tmp")).string();
        error = system_.create_new(temp_path_, mode, fd_);
    }
    if (error != 0) {
        fd_ = -1;
        temp_path_.clear();
        throw save_error(FileErrorKind::CannotCreate, path_,
                         "cannot create a file in the folder " + folder_ + ": " +
                             system_reason(error));
    }
    if (keep_mode)
        system_.set_mode(fd_, mode); // best effort: the content matters more
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_)
        discard();
}

void AtomicFileWriter::discard() noexcept {
    if (fd_ >= 0)
        system_.close(fd_);
    fd_ = -1;
    if (!temp_path_.empty())
        system_.remove(temp_path_);
    temp_path_.clear();
}

void AtomicFileWriter::write(std::string_view text) {
    while (!text.empty()) {
        std::size_t written = 0;
        const int error = system_.write_some(fd_, text.data(), text.size(), written);
        if (error == EINTR)
            continue;
        if (error != 0 || written == 0) {
            discard();
            // A write that makes no progress and names no reason means a full device.
            throw save_error(FileErrorKind::CannotWrite, path_,
                             "writing failed: " + system_reason(error != 0 ? error : ENOSPC));
        }
        text.remove_prefix(written);
    }
}

void AtomicFileWriter::commit() {
    if (in_place_) {
        // Devices and pipes need no sync, and many refuse one.
        const int fd = fd_;
        fd_ = -1;
        if (const int error = system_.close(fd); error != 0)
            throw save_error(FileErrorKind::CannotWrite, path_,
                             "writing failed: " + system_reason(error));
        committed_ = true;
        return;
    }
    if (const int error = system_.sync(fd_); error != 0) {
        discard();
        throw save_error(FileErrorKind::CannotWrite, path_,
                         "writing to the device failed: " + system_reason(error));
    }
    const int fd = fd_;
    fd_ = -1;
    if (const int error = system_.close(fd); error != 0) {
        discard();
        throw save_error(FileErrorKind::CannotWrite, path_,
                         "writing failed: " + system_reason(error));
    }
    if (const int error = system_.rename(temp_path_, target_); error != 0) {
        discard();
        throw save_error(FileErrorKind::CannotReplace, path_,
                         "cannot replace the file: " + system_reason(error));
    }
    committed_ = true;
    temp_path_.clear();
    system_.sync_folder(folder_);
}

} // namespace ardenca::files
