// Saving without ever destroying a file: the new content goes to a temporary file in
// the target's folder, which is flushed to the device and then renamed over the
// target. Until that rename the old file is untouched; after it the new one is
// complete. On any failure the temporary file is removed and the old file stays as it
// was. A crash before the rename leaves the old file intact and, at worst, a stray
// hidden ".NAME.XXXXXX.tmp" beside it.
//
// A target that exists and is neither a regular file nor a folder (a device such as
// /dev/null, a pipe) cannot be replaced: it is written in place, never renamed over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ardenca::files {

// The system calls a save makes. Each returns 0 or an errno value. The real one calls
// the operating system; tests derive from it to make a chosen call fail.
class SaveSystem {
  public:
    virtual ~SaveSystem() = default;
    // Creates a new file that must not exist yet, for writing, with the given mode
    // (before the umask).
    virtual int create_new(const std::string& path, unsigned mode, int& fd);
    virtual int write_some(int fd, const char* data, std::size_t size, std::size_t& written);
    virtual int sync(int fd);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int remove(const std::string& path);
    // Opens an existing file that is not a regular one for writing.
    virtual int open_existing(const std::string& path, int& fd);
    // The type and permission bits (st_mode) of an existing file.
    virtual int mode_of(const std::string& path, unsigned& mode);
    virtual int set_mode(int fd, unsigned mode);
    // Makes a finished rename durable; a failure here is not a failed save.
    virtual void sync_folder(const std::string& folder);
};

SaveSystem& real_save_system();

class AtomicFileWriter {
  public:
    // Creates the temporary file beside path. Throws FileError (CannotCreate).
    AtomicFileWriter(std::string path, SaveSystem& system);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Without commit() the temporary file is removed and the target never touched.
    ~AtomicFileWriter();

    // Throws FileError (CannotWrite).
    void write(std::string_view text);
    // Syncs and closes the temporary file, then renames it over the target. Throws
    // FileError (CannotWrite, CannotReplace).
    void commit();

    const std::string& temp_path() const { return temp_path_; }

  private:
    void discard() noexcept;

    std::string path_;   // the file the user chose
    std::string target_; // where the rename goes: path_, or what a symbolic link names
    std::string folder_;
    std::string temp_path_;
    SaveSystem& system_;
    int fd_ = -1;
    bool in_place_ = false; // a device or pipe, written directly
    bool committed_ = false;
};

} // namespace ardenca::files
