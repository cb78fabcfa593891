// The command-line program's open= and save=, run as a separate process.
#include "../files/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace ardenca {
namespace {

using testing::read_bytes;
using testing::TempDir;

struct CliRun {
    int status;
    std::string out, err;
};

// Runs ardenca-cli in dir with the given arguments (already quoted for the shell).
CliRun run_cli(const TempDir& dir, const std::string& args) {
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string command = "cd '" + dir.path().string() + "' && '" ARDENCA_CLI_PATH "' " +
                                args + " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_bytes(out), read_bytes(err)};
}

TEST(CliFiles, OpenThenSaveGivesTheSameBytes) {
    TempDir dir;
    for (const char* name : {"default.gnd", "matching-section.gnd", "lossy-ground.gnd"}) {
        const std::string example = std::string(ARDENCA_EXAMPLES_DIR "/") + name;
        const CliRun run = run_cli(dir, "open='" + example + "' save=copy.gnd");
        EXPECT_EQ(run.status, 0) << name << run.err;
        EXPECT_EQ(read_bytes(dir / "copy.gnd"), read_bytes(example)) << name;
    }
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
    EXPECT_NE(run.out.find("Text4   318.8904"), std::string::npos); // calc-line still ran
}

} // namespace
} // namespace ardenca
