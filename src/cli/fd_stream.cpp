#include "fd_stream.h"

#include "cli_app.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <ostream>
#include <unistd.h>

namespace ardenca::cli {

FdStreamBuf::FdStreamBuf(int fd) : fd_(fd) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdStreamBuf::~FdStreamBuf() {
    drain();
}

bool FdStreamBuf::drain() {
    const char* next = pbase();
    while (next < pptr()) {
        const ssize_t n = ::write(fd_, next, static_cast<std::size_t>(pptr() - next));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error_ == 0)
                error_ = n < 0 ? errno : EIO;
            setp(buffer_.data(), buffer_.data() + buffer_.size());
            return false;
        }
        next += n;
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

FdStreamBuf::int_type FdStreamBuf::overflow(int_type c) {
    if (error_ != 0 || !drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FdStreamBuf::sync() {
    return error_ == 0 && drain() ? 0 : -1;
}

std::streamsize FdStreamBuf::xsputn(const char* s, std::streamsize n) {
    std::streamsize done = 0;
    while (done < n) {
        if (error_ != 0)
            return done;
        const std::streamsize room = epptr() - pptr();
        if (room == 0) {
            if (!drain())
                return done;
            continue;
        }
        const std::streamsize part = std::min(room, n - done);
        std::memcpy(pptr(), s + done, static_cast<std::size_t>(part));
        pbump(static_cast<int>(part));
        done += part;
    }
    return done;
}

int run_on_fd(int argc, const char* const* argv, int out_fd, std::ostream& err) {
    FdStreamBuf buffer(out_fd);
    std::ostream out(&buffer);
    int status = exit_ok;
    try {
        status = run(argc, argv, out, err);
    } catch (const std::bad_alloc&) {
        // The commands catch it where they can say what they were doing.
        err << "ardenca-cli: out of memory\n";
        status = exit_out_of_memory;
    }
    out.flush();
    if (buffer.error() != 0) {
        err << "ardenca-cli: cannot write to standard output: " << std::strerror(buffer.error())
            << '\n';
        return exit_file_failed;
    }
    return status;
}

} // namespace ardenca::cli
