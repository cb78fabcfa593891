#include "atomic_writer.h"

#include "file_error.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ardenca::files {

namespace fs = std::filesystem;

int SaveSystem::create_new(const std::string& path, unsigned mode, int& fd) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                static_cast<mode_t>(mode));
    if (fd < 0)
        return errno;
    // Marks the file as in use. Until the lock is held, another save's clean-up may take
    // the new file for an abandoned one: it then holds the lock, or has removed the file
    // under it. Either way this name is lost; EEXIST has the caller try another.
    // A folder without locks only loses the clean-up.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        fd = -1;
        return EEXIST;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_nlink == 0) {
        ::close(fd);
        fd = -1;
        return EEXIST;
    }
    return 0;
}

int SaveSystem::open_device(const std::string& path, int& fd) {
    // O_NONBLOCK only for the open itself, which may otherwise wait on some devices.
    fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return EINVAL; // replaced by something else since it was looked at
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return 0;
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

int SaveSystem::status_of(const std::string& path, FileStatus& status) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    status = {st.st_mode, st.st_uid, st.st_gid};
    return 0;
}

int SaveSystem::can_write(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int SaveSystem::set_mode(int fd, unsigned mode) {
    return ::fchmod(fd, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
}

int SaveSystem::set_owner(int fd, unsigned uid, unsigned gid) {
    return ::fchown(fd, static_cast<uid_t>(uid), static_cast<gid_t>(gid)) == 0 ? 0 : errno;
}

bool SaveSystem::remove_if_abandoned(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Removed while its lock is held here, and only when the name still leads to the
    // file locked: a live save either holds the lock already, or finds its file gone
    // once it gets the lock, and starts again under another name.
    struct stat st {};
    struct stat named {};
    const bool removed = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                         ::lstat(path.c_str(), &named) == 0 && named.st_dev == st.st_dev &&
                         named.st_ino == st.st_ino && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
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

constexpr std::size_t suffix_length = 6;
constexpr std::string_view temp_extension = ".tmp";
// Links followed before a save gives up, as the system does.
constexpr int max_link_hops = 40;

std::string random_suffix() {
    thread_local std::mt19937 generator{std::random_device{}()};
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> pick(0, sizeof letters - 2);
    std::string s;
    for (std::size_t i = 0; i < suffix_length; ++i)
        s += letters[pick(generator)];
    return s;
}

// Follows symbolic links from path to the file they finally name, which need not exist.
// nullopt for a loop or a chain too long to follow.
std::optional<fs::path> followed_links(fs::path path) {
    for (int hop = 0; hop <= max_link_hops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec))
            return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;
}

} // namespace

std::string temp_name_prefix(std::string_view file_name) {
    // FNV-1a, 32 bits: short, and the same in every run.
    std::uint32_t hash = 2166136261u;
    for (const char c : file_name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    static constexpr char hex[] = "0123456789abcdef";
    std::string prefix = ".ardenca-";
    for (int shift = 28; shift >= 0; shift -= 4)
        prefix += hex[(hash >> shift) & 0xF];
    prefix += '-';
    return prefix;
}

AtomicFileWriter::AtomicFileWriter(std::string path, SaveSystem& system)
    : path_(std::move(path)), system_(system) {
    const std::optional<fs::path> target = followed_links(path_);
    if (!target)
        throw save_error(FileErrorKind::CannotCreate, path_, system_reason(ELOOP));
    target_ = target->string();
    const fs::path folder = target->parent_path();
    folder_ = folder.empty() ? "." : folder.string();

    // A new file gets the usual permissions less the umask; a replaced one keeps its own.
    FileStatus status;
    const bool exists = system_.status_of(target_, status) == 0;
    if (exists && S_ISCHR(status.mode)) {
        in_place_ = true;
        if (const int error = system_.open_device(target_, fd_); error != 0) {
            fd_ = -1;
            throw save_error(FileErrorKind::CannotCreate, path_,
                             "cannot open it for writing: " + system_reason(error));
        }
        return;
    }
    if (exists && !S_ISREG(status.mode))
        throw save_error(FileErrorKind::NotARegularFile, path_, not_a_file_reason(status.mode));
    if (exists)
        if (const int error = system_.can_write(target_); error != 0)
            throw save_error(FileErrorKind::CannotReplace, path_,
                             "cannot write to it: " + system_reason(error));

    const unsigned mode = exists ? status.mode & 07777 : 0666;
    temp_prefix_ = temp_name_prefix(target->filename().string());
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temp_path_ =
            (fs::path(folder_) / (temp_prefix_ + random_suffix() + std::string(temp_extension)))
                .string();
        error = system_.create_new(temp_path_, mode, fd_);
    }
    if (error != 0) {
        fd_ = -1;
        temp_path_.clear();
        throw save_error(FileErrorKind::CannotCreate, path_,
                         "cannot create a file in the folder " + folder_ + ": " +
                             system_reason(error));
    }
    if (exists) {
        // Best effort: the content matters more. The owner first, as a change of owner
        // may clear the set-user-ID and set-group-ID bits; only a privileged process may
        // give a file away, any may keep the group when it is one of its own.
        if (system_.set_owner(fd_, status.uid, status.gid) != 0)
            system_.set_owner(fd_, static_cast<unsigned>(-1), status.gid);
        system_.set_mode(fd_, mode);
    }
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
        // Devices need no sync, and many refuse one.
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
    // Renamed while still open and locked, so that no other save takes it for one
    // that was abandoned.
    if (const int error = system_.rename(temp_path_, target_); error != 0) {
        discard();
        throw save_error(FileErrorKind::CannotReplace, path_,
                         "cannot replace the file: " + system_reason(error));
    }
    committed_ = true;
    temp_path_.clear();
    // The content is on the device already; a late close error changes nothing.
    system_.close(fd_);
    fd_ = -1;
    system_.sync_folder(folder_);
    remove_abandoned_temp_files();
}

void AtomicFileWriter::remove_abandoned_temp_files() noexcept {
    const std::size_t name_length = temp_prefix_.size() + suffix_length + temp_extension.size();
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == name_length && name.starts_with(temp_prefix_) &&
            name.ends_with(temp_extension))
            system_.remove_if_abandoned(it->path().string());
    }
}

} // namespace ardenca::files
