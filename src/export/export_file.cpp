#include "export_file.h"

#include "files/atomic_writer.h"

#include <array>
#include <exception>
#include <ostream>
#include <streambuf>

namespace ardenca::exports {

namespace {

// Passes what is written on to the temporary file in pieces of 64 KiB; keeps the first
// failure to throw it once the writing is done.
class FileBuffer : public std::streambuf {
  public:
    explicit FileBuffer(files::AtomicFileWriter& file) : file_(file) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    // Writes what is left; throws the first failure.
    void finish() {
        drain();
        if (failure_)
            std::rethrow_exception(failure_);
    }

  protected:
    int_type overflow(int_type c) override {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain() ? 0 : -1; }

  private:
    bool drain() {
        if (!failure_ && pptr() > pbase()) {
            try {
                file_.write({pbase(), static_cast<std::size_t>(pptr() - pbase())});
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return !failure_;
    }

    files::AtomicFileWriter& file_;
    std::exception_ptr failure_;
    std::array<char, 1 << 16> buffer_{};
};

} // namespace

void write_export(const std::string& path, std::string_view text) {
    files::AtomicFileWriter file(path, files::real_save_system());
    file.write(text);
    file.commit();
}

void write_export(const std::string& path, const std::function<void(std::ostream&)>& write) {
    files::AtomicFileWriter file(path, files::real_save_system());
    FileBuffer buffer(file);
    std::ostream out(&buffer);
    write(out);
    buffer.finish();
    file.commit();
}

} // namespace ardenca::exports
