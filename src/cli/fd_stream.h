// An output stream buffer over a file descriptor that remembers why a write failed, so
// that a full disk, a closed pipe or a file size limit on standard output is told
// instead of lost.
#pragma once

#include <array>
#include <streambuf>

namespace ardenca::cli {

class FdStreamBuf : public std::streambuf {
  public:
    explicit FdStreamBuf(int fd);
    FdStreamBuf(const FdStreamBuf&) = delete;
    FdStreamBuf& operator=(const FdStreamBuf&) = delete;
    ~FdStreamBuf() override;

    // The errno of the first write that failed, 0 while none has.
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override;
    int sync() override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

  private:
    // Given the buffered bytes, writes them all; false (and error_ set) when that fails.
    bool drain();

    int fd_;
    int error_ = 0;
    std::array<char, 1 << 16> buffer_{};
};

// Given the arguments, runs ardenca-cli with its output on out_fd and its messages on
// err. A failed write or flush of the output is told as "cannot write to standard
// output: REASON" and ends with exit status 4, whatever the command; running out of
// memory is told as "out of memory while ..." with exit status 6.
int run_on_fd(int argc, const char* const* argv, int out_fd, std::ostream& err);

} // namespace ardenca::cli
