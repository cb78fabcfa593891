// Saving without ever destroying a file: the new content goes to a temporary file in
// the target's folder, which is flushed to the device and then renamed over the
// target. Until that rename the old file is untouched; after it the new one is
// complete. On any failure the temporary file is removed and the old file stays as it
// was.
//
// The temporary file has a short hidden name, ".ardenca-HHHHHHHH-XXXXXX.tmp", so that
// targets with names up to the folder's limit can be saved; HHHHHHHH is a hash of the
// target's name. The saving process holds a lock on it. A save killed before its
// rename leaves its temporary file behind, unlocked; the next successful save to the
// same file removes it.
//
// The target is what the user chose, with symbolic links followed (also one that
// points to a file that does not exist yet): the file they name is written, the links
// stay. A hard-linked target is replaced under the name given; its other names keep
// the old content. An existing file keeps its mode, and its owner and group where the
// process may set them. A file the user may not write is not replaced (Permission
// denied), as writing it in place would fail. A character device (/dev/null, a
// terminal) is written in place; any other file that is not a regular one (a named
// pipe, a socket, a block device) is refused without waiting on it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ardenca::files {

// The type and permission bits (st_mode), owner and group of an existing file.
struct FileStatus {
    unsigned mode = 0;
    unsigned uid = 0;
    unsigned gid = 0;
};

// The system calls a save makes. Each returns 0 or an errno value. The real one calls
// the operating system; tests derive from it to make a chosen call fail.
class SaveSystem {
  public:
    virtual ~SaveSystem() = default;
    // Creates a new file that must not exist yet, for writing, with the given mode
    // (before the umask), and locks it until it is closed. EEXIST also when the new file
    // was taken by another save's clean-up before it could be locked.
    virtual int create_new(const std::string& path, unsigned mode, int& fd);
    virtual int write_some(int fd, const char* data, std::size_t size, std::size_t& written);
    virtual int sync(int fd);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int remove(const std::string& path);
    // Opens an existing character device for writing without waiting on it.
    virtual int open_device(const std::string& path, int& fd);
    // Follows symbolic links.
    virtual int status_of(const std::string& path, FileStatus& status);
    // 0 when this process may write the existing file, else the reason (EACCES, EROFS).
    virtual int can_write(const std::string& path);
    virtual int set_mode(int fd, unsigned mode);
    virtual int set_owner(int fd, unsigned uid, unsigned gid);
    // Removes this temporary file when no process holds its lock (its save has ended),
    // holding the lock while it does; true when it did.
    virtual bool remove_if_abandoned(const std::string& path);
    // Makes a finished rename durable; a failure here is not a failed save.
    virtual void sync_folder(const std::string& folder);
};

SaveSystem& real_save_system();

// The hidden name prefix of the temporary files of saves to a file named file_name,
// ".ardenca-HHHHHHHH-".
std::string temp_name_prefix(std::string_view file_name);

class AtomicFileWriter {
  public:
    // Creates the temporary file beside path. Throws FileError (CannotCreate,
    // NotARegularFile).
    AtomicFileWriter(std::string path, SaveSystem& system);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Without commit() the temporary file is removed and the target never touched.
    ~AtomicFileWriter();

    // Throws FileError (CannotWrite).
    void write(std::string_view text);
    // Syncs the temporary file, renames it over the target and closes it, then removes
    // what earlier killed saves to the same file left. Throws FileError (CannotWrite,
    // CannotReplace).
    void commit();

    const std::string& temp_path() const { return temp_path_; }
    // The file that is written: the path given, with symbolic links followed.
    const std::string& target() const { return target_; }

  private:
    void discard() noexcept;
    void remove_abandoned_temp_files() noexcept;

    std::string path_;   // the file the user chose
    std::string target_; // where the rename goes: path_, or what a symbolic link names
    std::string folder_;
    std::string temp_prefix_;
    std::string temp_path_;
    SaveSystem& system_;
    int fd_ = -1;
    bool in_place_ = false; // a character device, written directly
    bool committed_ = false;
};

} // namespace ardenca::files
