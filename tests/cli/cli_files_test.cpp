#include "../files/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace ardenca {
namespace {

using testing::read_bytes;
using testing::TempDir;
using testing::write_bytes;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// Runs ardenca-cli in dir with the given arguments (already quoted for the shell).
CliRun run_cli(const TempDir& dir, const std::string& args) {
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string command = "cd '" + dir.path().string() + "' && '" ARDENCA_CLI_PATH "' " +
                                args + " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_bytes(out), read_bytes(err)};
}

const std::string examples = ARDENCA_EXAMPLES_DIR;

TEST(CliFiles, OpenThenSaveGivesTheSameBytes) {
    TempDir dir;
    for (const char* name : {"default.gnd", "matching-section.gnd", "lossy-ground.gnd"}) {
        SCOPED_TRACE(name);
        const CliRun run = run_cli(dir, "open='" + examples + "/" + name + "' save=copy.gnd");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_bytes(dir / "copy.gnd"), read_bytes(examples + "/" + name));
    }
    const CliRun lossy = run_cli(dir, "--json open='" + examples + "/lossy-ground.gnd'");
    EXPECT_NE(lossy.out.find("\"Text10\": \"80.000385\""), std::string::npos);
    EXPECT_NE(lossy.out.find("\"caption\": \"Ardenca - lossy-ground.gnd\""), std::string::npos);
}

TEST(CliFiles, AFailedOpenOrSaveExits4AndTheLaterCommandsRun) {
    TempDir dir;
    CliRun run = run_cli(dir, "open=missing.gnd save=out.gnd");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "ardenca-cli: Could not open missing.gnd: No such file or directory.\n");
    EXPECT_EQ(read_bytes(dir / "out.gnd").substr(0, 5), " 0 \r\n");

    run = run_cli(dir, "save=no-such-folder/x.gnd calc-line");
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("The file was not saved: no-such-folder/x.gnd"), std::string::npos);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos);
    EXPECT_NE(run.out.find("Text4   318.8904"), std::string::npos); // calc-line still ran

    // Cancels are silent and no failure.
    run = run_cli(dir, "open= save=");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");

    // An arithmetic fault still stops the run with 3, after the Open's message.
    write_bytes(dir / "bad.gnd", "x\r\n 1 \r\n75\r\n9.77\r\n1\r\n1\r\n.1\r\n.007\r\n0\r\n7\r\n");
    run = run_cli(dir, "--json open=missing.gnd open=bad.gnd save=never.gnd");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("line 1 should be a number"), std::string::npos);
    EXPECT_NE(run.out.find("\"fault\": {\n    \"command\": \"open\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "never.gnd"));
}

} // namespace
} // namespace ardenca
