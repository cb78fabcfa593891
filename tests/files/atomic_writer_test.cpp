// Saving replaces a file whole or not at all.
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

TEST(AtomicFileWriter, ReplacesTheFileALinkNamesAndKeepsItsPermissions) {
    TempDir dir;
    testing::write_bytes(dir / "a.gnd", old_content);
    ::chmod((dir / "a.gnd").c_str(), 0640);
    std::filesystem::create_symlink("a.gnd", dir.path() / "link.gnd");
    EXPECT_EQ(save(dir / "link.gnd", real_save_system()), "");
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

TEST(AtomicFileWriterDeathTest, AProcessKilledBeforeTheRenameLeavesTheOldFile) {
    GTEST_FLAG_SET(death_test_style, "fast"); // the child must share this test's folder
    TempDir dir;
    testing::write_bytes(dir / "a.gnd", old_content);
    testing::FailingSaveSystem system;
    system.before_rename = [] { ::_exit(9); };
    EXPECT_EXIT(save(dir / "a.gnd", system), ::testing::ExitedWithCode(9), "");
    EXPECT_EQ(read_bytes(dir / "a.gnd"), old_content);
    // Beside it, only the dead process's complete temporary file.
    const auto names = dir.entries();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(read_bytes(dir / (names[0] == "a.gnd" ? names[1] : names[0])), new_content);
}

} // namespace
} // namespace ardenca::files
