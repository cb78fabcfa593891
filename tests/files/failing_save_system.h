// A SaveSystem whose chosen call fails with a chosen errno. A failing write may first
// let write_budget bytes through, as a device does when it fills up.
#pragma once

#include "files/atomic_writer.h"

#include <algorithm>
#include <cerrno>
#include <functional>

namespace ardenca::testing {

class FailingSaveSystem : public files::SaveSystem {
  public:
    enum class Call { None, Create, Write, Sync, Rename, Access };
    explicit FailingSaveSystem(Call fail = Call::None, int error = EIO, std::size_t budget = 0)
        : fail(fail), error(error), write_budget(budget) {}

    Call fail;
    int error;
    std::size_t write_budget;
    std::function<void()> before_rename;

    int create_new(const std::string& path, unsigned mode, int& fd) override {
        return fail == Call::Create ? error : SaveSystem::create_new(path, mode, fd);
    }
    int write_some(int fd, const char* data, std::size_t size, std::size_t& written) override {
        if (fail == Call::Write && write_budget == 0)
            return error;
        if (fail == Call::Write)
            write_budget -= size = std::min(size, write_budget);
        return SaveSystem::write_some(fd, data, size, written);
    }
    int sync(int fd) override { return fail == Call::Sync ? error : SaveSystem::sync(fd); }
    int can_write(const std::string& path) override {
        return fail == Call::Access ? error : SaveSystem::can_write(path);
    }
    int rename(const std::string& from, const std::string& to) override {
        if (before_rename)
            before_rename();
        return fail == Call::Rename ? error : SaveSystem::rename(from, to);
    }
};

} // namespace ardenca::testing
