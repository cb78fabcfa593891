// The command-line program's open= and save=, run as a separate process.
#include "../files/temp_dir.h"
#include "cli_run.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace ardenca {
namespace {

using cli::CliRun;
using testing::read_bytes;
using testing::TempDir;
using testing::write_bytes;

// Runs a shell command in dir, from a script there; its output goes through pipes, so
// that a file size limit on the command does not touch it.
CliRun run_shell(const TempDir& dir, const std::string& command_line) {
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string command = "cd '" + dir.path().string() + "' && { " + command_line +
                                " 2>&3 | cat >'" + out + "'; exit ${PIPESTATUS[0]}; } 3>&1 " +
                                "| cat >'" + err + "'; exit ${PIPESTATUS[0]}";
    write_bytes(dir / "run.sh", command);
    const int raw = std::system(("bash '" + dir / "run.sh" + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_bytes(out), read_bytes(err)};
}

// Runs ardenca-cli in dir with the given arguments (already quoted for bash).
CliRun run_cli(const TempDir& dir, const std::string& args) {
    return run_shell(dir, "'" ARDENCA_CLI_PATH "' " + args);
}

// Names up to the folder's limit save too.
TEST(CliFiles, OpenThenSaveGivesTheSameBytes) {
    TempDir dir;
    for (const auto& [name, copy] : {std::pair<std::string, std::string>{"default.gnd", "c.gnd"},
                                     {"matching-section.gnd", std::string(244, 'g')},
                                     {"lossy-ground.gnd", std::string(255, 'g')}}) {
        const std::string example = std::string(ARDENCA_EXAMPLES_DIR "/") + name;
        const CliRun run = run_cli(dir, "open='" + example + "' save=" + copy);
        EXPECT_EQ(run.status, 0) << name << run.err;
        EXPECT_EQ(read_bytes(dir / copy), read_bytes(example)) << name;
    }
    EXPECT_EQ(dir.entries().size(), 6u); // the three files, the script, stdout and stderr
}

TEST(CliFiles, AFailedOpenExits4AndTheSaveRuns) {
    TempDir dir;
    const CliRun run = run_cli(dir, "open=missing.gnd save=out.gnd");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "ardenca-cli: Could not open missing.gnd: No such file or directory.\n");
    EXPECT_EQ(read_bytes(dir / "out.gnd").substr(0, 5), " 0 \r\n");
}

// Each fails with exit status 4 and says why; calc-line after it still runs.
TEST(CliFiles, OddTargetsFailWithoutHangingAndLeaveNoTemporaryFile) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    write_bytes(dir / "ro.gnd", "old");
    ::chmod((dir / "ro.gnd").c_str(), 0444);
    ::chmod(dir.path().c_str(), 0777);
    // Root may write any file: the read-only save runs as nobody where it can.
    const std::string as_user =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // prefix, args, reason
        {"timeout 5 ", "open=pipe", "pipe: it is a named pipe (FIFO)"},
        {"timeout 5 ", "save=pipe", "pipe: it is a named pipe (FIFO)"},
        {as_user, "save=ro.gnd", "ro.gnd: cannot write to it: Permission denied"},
        {"", "save=no-such-folder/x.gnd", "The file was not saved: no-such-folder/x.gnd"},
        // The signal is ignored: the write fails and says why.
        {"sh -c 'ulimit -f 0; exec \"$0\" \"$@\"' ", "save=big.gnd",
         "big.gnd: writing failed: File too large"},
    };
    for (const auto& [prefix, args, reason] : cases) {
        const CliRun run = run_shell(dir, prefix + "'" ARDENCA_CLI_PATH "' " + args + " calc-line");
        EXPECT_EQ(run.status, 4) << args << run.err;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("Text4   318.8904"), std::string::npos) << args;
        EXPECT_EQ(read_bytes(dir / "ro.gnd"), "old");
        auto names = dir.entries();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"pipe", "ro.gnd", "run.sh", "stderr.txt",
                                                   "stdout.txt"}));
    }
}

TEST(CliFiles, JsonStaysValidForAnyBytes) {
    TempDir dir;
    // Lines 3 to 10 go verbatim into fields; the file name into the caption.
    const std::string name = "site-\xff\xfe.gnd";
    write_bytes(dir / name, " 0 \r\n 1 \r\n7\xe9\r\n9.77\r\n65.1779\r\n-67.3409\r\n.1\r\n.007\r\n."
                            "55\r\n7\r\n");
    const CliRun run = run_cli(
        dir,
        "--json --set $'Text1=.1\\xc3' --set $'Text9=\\xed\\xa0\\x80' open=$'site-\\xff\\xfe.gnd'");
    EXPECT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out); // throws on invalid UTF-8
    EXPECT_EQ(j["fields"]["Text25"], "7\uFFFD");
    EXPECT_EQ(j["caption"], "Ardenca - site-\uFFFD\uFFFD.gnd");
}

// Standard output that cannot take the output is told, with exit status 4, whatever the
// command and format; under a file size limit the output stops at the limit.
TEST(CliFiles, AFailedWriteToStandardOutputExits4) {
    TempDir dir;
    std::string sweep = "# MHz Z RI R 50\n";
    for (int i = 1; i <= 400; ++i)
        sweep += std::to_string(i) + " 50 " + std::to_string(i % 40) + "\n";
    write_bytes(dir / "s.s1p", sweep);
    for (const std::string args :
         {"calc-line", "--json solve", "solve", "read s.s1p", "read --json s.s1p",
          "sweep s.s1p --csv", "sweep s.s1p --json", "sweep s.s1p", "--help"}) {
        const CliRun run = run_cli(dir, args + " >/dev/full");
        EXPECT_EQ(run.status, 4) << args;
        EXPECT_NE(run.err.find("cannot write to standard output: No space left on device"),
                  std::string::npos)
            << args << ": " << run.err;
    }
    const CliRun limited =
        run_shell(dir, "bash -c 'ulimit -f 4; exec \"$0\" \"$@\" >out.csv' '" ARDENCA_CLI_PATH
                       "' sweep s.s1p --csv");
    EXPECT_EQ(limited.status, 4);
    EXPECT_NE(limited.err.find("cannot write to standard output: File too large"),
              std::string::npos)
        << limited.err;
    EXPECT_EQ(read_bytes(dir / "out.csv").size(), 4096u);
}

} // namespace
} // namespace ardenca
