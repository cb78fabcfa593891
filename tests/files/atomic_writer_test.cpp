// Saving replaces a file whole or not at all.
#include "failing_save_system.h"
#include "files/file_error.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace ardenca::files {
namespace {

namespace fs = std::filesystem;
using testing::read_bytes;
using testing::TempDir;
using Call = testing::FailingSaveSystem::Call;

const std::string old_content = " 1 \r\n 1 \r\nold\r\n";
const std::string new_content(5000, 'n');

// Saves new_content in five writes; the failure message, or "" for none.
std::string save(const std::string& path, SaveSystem& system) {
    try {
        AtomicFileWriter writer(path, system);
        for (std::size_t i = 0; i < new_content.size(); i += 1000)
            writer.write(std::string_view(new_content).substr(i, 1000));
        writer.commit();
        return "";
    } catch (const FileError& e) {
        return e.what();
    }
}

auto mode_and_owner(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return std::tuple(st.st_mode & 07777, st.st_uid, st.st_gid);
}

TEST(AtomicFileWriter, WritesWhereTheNameLeadsAndKeepsModeAndOwner) {
    const std::string long_name = std::string(251, 'l') + ".gnd";
    // Saved under this name; the file that then holds the new content; whether it existed.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"link.gnd", "a.gnd", true},
        {"dangling.gnd", "new.gnd", false}, // a link to a file that does not exist yet
        {long_name, long_name, true},
    };
    for (const auto& [name, written, existed] : cases) {
        TempDir dir;
        if (existed) {
            testing::write_bytes(dir / written, old_content);
            // Another owner where this process may give the file away.
            [[maybe_unused]] const int given = ::chown((dir / written).c_str(), 1234, 5678);
            ::chmod((dir / written).c_str(), 02666); // more than the umask lets through
        }
        if (name != written)
            fs::create_symlink(written, dir.path() / name);
        const auto before = mode_and_owner(dir / written);
        const auto names_before = dir.entries().size() + (existed ? 0 : 1);
        EXPECT_EQ(save(dir / name, real_save_system()), "") << name.size();
        EXPECT_EQ(read_bytes(dir / written), new_content) << name.size();
        EXPECT_EQ(dir.entries().size(), names_before) << "a temporary file was left";
        EXPECT_EQ(fs::is_symlink(dir.path() / name), name != written) << name;
        if (existed) {
            EXPECT_EQ(mode_and_owner(dir / written), before);
        }
    }
}

TEST(AtomicFileWriter, AnyFailureLeavesTheOldFileAndNoTemporaryFile) {
    const std::tuple<Call, int, std::size_t, const char*> cases[] = {
        {Call::Create, EACCES, 0, "cannot create a file in the folder"},    // read-only folder
        {Call::Access, EACCES, 0, "cannot write to it: Permission denied"}, // read-only file
        {Call::Write, EDQUOT, 0, "writing failed: Disk quota exceeded"},
        {Call::Write, ENOSPC, 2500, "writing failed: No space left on device"}, // fills up
        {Call::Sync, EIO, 0, "writing to the device failed: Input/output error"},
        {Call::Rename, EXDEV, 0, "cannot replace the file: Invalid cross-device link"}};
    for (const auto& [call, error, budget, reason] : cases) {
        TempDir dir;
        testing::write_bytes(dir / "a.gnd", old_content);
        testing::FailingSaveSystem system(call, error, budget);
        const std::string message = save(dir / "a.gnd", system);
        EXPECT_EQ(message.find("The file was not saved: " + (dir / "a.gnd")), 0u) << reason;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
        EXPECT_EQ(read_bytes(dir / "a.gnd"), old_content);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.gnd"});
    }
}

TEST(AtomicFileWriter, OnlyRegularFilesAreReplacedAndOnlyCharacterDevicesWrittenInPlace) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir.path() / "folder");
    // Refused at once: a named pipe without a reader would block a writer for ever.
    EXPECT_NE(save(dir / "fifo", real_save_system()).find("fifo: it is a named pipe (FIFO)"),
              std::string::npos);
    EXPECT_NE(save(dir / "folder", real_save_system()).find("folder: Is a directory."),
              std::string::npos);
    EXPECT_EQ(dir.entries().size(), 2u);
    EXPECT_EQ(save("/dev/null", real_save_system()), "");
}

TEST(AtomicFileWriterDeathTest, AKilledSaveLeavesTheOldFileUntilTheNextSaveCleansUp) {
    GTEST_FLAG_SET(death_test_style, "fast"); // the child must share this test's folder
    TempDir dir;
    testing::write_bytes(dir / "a.gnd", old_content);
    testing::FailingSaveSystem system;
    system.before_rename = [] { ::_exit(9); };
    EXPECT_EXIT(save(dir / "a.gnd", system), ::testing::ExitedWithCode(9), "");
    EXPECT_EQ(read_bytes(dir / "a.gnd"), old_content);
    // Beside it, only the dead process's complete temporary file.
    auto names = dir.entries();
    ASSERT_EQ(names.size(), 2u);
    const std::string stale = names[0] == "a.gnd" ? names[1] : names[0];
    EXPECT_EQ(read_bytes(dir / stale), new_content);
    EXPECT_EQ(stale.find(temp_name_prefix("a.gnd")), 0u);

    // A save still running (its file locked) and another file's leftovers stay.
    const std::string running = dir / (temp_name_prefix("a.gnd") + "runnin.tmp");
    const std::string other =
        testing::write_bytes(dir / (temp_name_prefix("b.gnd") + "stale1.tmp"), "b");
    int fd = -1;
    ASSERT_EQ(real_save_system().create_new(running, 0600, fd), 0);

    EXPECT_EQ(save(dir / "a.gnd", real_save_system()), "");
    EXPECT_FALSE(fs::exists(dir / stale));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(other));
    ::close(fd);
}

// Saves running at once to one file: each ends whole, none takes another's temporary
// file for an abandoned one, and nothing is left beside the file.
TEST(AtomicFileWriter, ConcurrentSavesToOneFileAllSucceed) {
    constexpr int writers = 50;
    for (int trial = 0; trial < 5; ++trial) {
        TempDir dir;
        const std::string path = dir / "a.gnd";
        testing::write_bytes(path, old_content);
        std::vector<std::string> failures(writers);
        std::vector<std::thread> threads;
        for (int i = 0; i < writers; ++i)
            threads.emplace_back([&, i] {
                try {
                    AtomicFileWriter writer(path, real_save_system());
                    writer.write(std::string(20000, static_cast<char>('A' + i)));
                    writer.commit();
                } catch (const FileError& e) {
                    failures[static_cast<std::size_t>(i)] = e.what();
                }
            });
        for (std::thread& t : threads)
            t.join();
        for (const std::string& f : failures)
            EXPECT_EQ(f, "") << "trial " << trial;
        const std::string last = read_bytes(path);
        ASSERT_EQ(last.size(), 20000u);
        EXPECT_EQ(last, std::string(20000, last[0]));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.gnd"});
    }
}

} // namespace
} // namespace ardenca::files
