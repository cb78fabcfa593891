#include "failing_save_system.h"
#include "files/file_error.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ardenca::files {
namespace {

using testing::read_bytes;
using testing::TempDir;
using Call = testing::FailingSaveSystem::Call;

const std::string old_content = " 1 \r\n 1 \r\nold\r\n";
const std::string new_content(5000, 'n');

void save(const std::string& path, SaveSystem& system) {
    AtomicFileWriter writer(path, system);
    for (std::size_t i = 0; i < new_content.size(); i += 1000)
        writer.write(std::string_view(new_content).substr(i, 1000));
    writer.commit();
}

TEST(AtomicFileWriter, ReplacesTheFileItNamesAndKeepsItsPermissions) {
    TempDir dir;
    testing::write_bytes(dir / "a.gnd", old_content);
    ::chmod((dir / "a.gnd").c_str(), 0640);
    std::filesystem::create_symlink("a.gnd", dir.path() / "link.gnd");
    save(dir / "link.gnd", real_save_system());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.gnd"));
    EXPECT_EQ(read_bytes(dir / "a.gnd"), new_content);
    EXPECT_EQ(dir.entries().size(), 2u); // no temporary file left
    struct stat st {};
    ::stat((dir / "a.gnd").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(AtomicFileWriter, AnyFailureLeavesTheOldFileAndNoTemporaryFile) {
    const std::tuple<Call, int, std::size_t, const char*> cases[] = {
        {Call::Create, EACCES, 0, "cannot create a file in the folder"}, // read-only folder
        {Call::Write, ENOSPC, 0, "writing failed: No space left on device"},
        {Call::Write, ENOSPC, 2500, "writing failed: No space left on device"}, // fills up
        {Call::Sync, EIO, 0, "writing to the device failed: Input/output error"},
        {Call::Close, EDQUOT, 0, "writing failed: Disk quota exceeded"},
        {Call::Rename, EXDEV, 0, "cannot replace the file: Invalid cross-device link"}};
    for (const auto& [call, error, budget, reason] : cases) {
        TempDir dir;
        testing::write_bytes(dir / "a.gnd", old_content);
        testing::FailingSaveSystem system;
        system.fail = call;
        system.error = error;
        system.write_budget = budget;
        try {
            save(dir / "a.gnd", system);
            ADD_FAILURE() << "the save did not fail: " << reason;
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("The file was not saved: " + (dir / "a.gnd"), 0),
                      0u);
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(read_bytes(dir / "a.gnd"), old_content);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.gnd"});
    }
}

TEST(AtomicFileWriter, DevicesAreWrittenInPlaceNeverReplaced) {
    if (!std::filesystem::is_character_file("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    try {
        save("/dev/full", real_save_system());
        ADD_FAILURE() << "a save onto a full device succeeded";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/full: writing failed: No space left on device"),
                  std::string::npos)
            << e.what();
    }
    save("/dev/null", real_save_system());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(AtomicFileWriter, ReadOnlyFolder) {
    TempDir dir;
    testing::write_bytes(dir / "a.gnd", old_content);
    ::chmod(dir.path().c_str(), 0555);
    if (::access(dir.path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "permission bits do not stop this user (root); the seam case covers it";
    EXPECT_THROW(save(dir / "a.gnd", real_save_system()), FileError);
    EXPECT_EQ(read_bytes(dir / "a.gnd"), old_content);
}

TEST(AtomicFileWriterDeathTest, AProcessKilledBeforeTheRenameLeavesTheOldFile) {
    GTEST_FLAG_SET(death_test_style, "fast"); // the child must share this test's folder
    TempDir dir;
    testing::write_bytes(dir / "a.gnd", old_content);
    testing::FailingSaveSystem system;
    system.before_rename = [] { ::_exit(9); };
    EXPECT_EXIT(save(dir / "a.gnd", system), ::testing::ExitedWithCode(9), "");
    EXPECT_EQ(read_bytes(dir / "a.gnd"), old_content);
    // Beside it, the dead process's complete temporary file.
    for (const auto& name : dir.entries()) {
        if (name != "a.gnd") {
            EXPECT_EQ(read_bytes(dir / name), new_content) << name;
        }
    }
    EXPECT_EQ(dir.entries().size(), 2u);
}

} // namespace
} // namespace ardenca::files
