// log.txt failing, and key presses in awkward places and numbers: no press
// is lost once the presentation runs, and none disturbs it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/reliability/Faults.h"

namespace {

using faults::Outcome;

// 4 frames a second: short runs, several presses between two frames.
constexpr double frameStep = 1.0 / 4.0;
const std::string fps = "4";

class LogFaultsTest : public faults::DataFolderTest<20> {
protected:
    std::string logPath() const { return data.file("log.txt"); }
};

// Each press carries the time of the frame drawn just before it.
void expectEntriesFor(const std::string& path, const std::vector<double>& pressTimes, long firstCounter,
                      double step = frameStep) {
    const auto log = support::readLog(path);
    ASSERT_TRUE(log && log->size() == pressTimes.size());
    const std::vector<support::LogEntry>& entries = *log;
    for (std::size_t i = 0; i < pressTimes.size(); ++i) {
        EXPECT_EQ(entries[i].counter, firstCounter + static_cast<long>(i));
        EXPECT_GE(entries[i].seconds, pressTimes[i] - 1e-4) << "entry " << i;
        EXPECT_LT(entries[i].seconds, pressTimes[i] + step + 1e-3) << "entry " << i;
    }
}

// The run reaches `seconds` whatever the log does, saying at most `said`.
void expectRanTo(const Outcome& run, double seconds, const std::string& said = "") {
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_TRUE(!run.frames.empty() && run.frames.back().demoTime >= seconds);
    EXPECT_EQ(run.errLines.size(), said.empty() ? 0u : 1u) << run.result.err;
    EXPECT_NE(run.result.err.find(said), std::string::npos) << run.result.err;
}

TEST_F(LogFaultsTest, ReadOnlyFolder) {
    // root writes into read-only folders: run as "nobody" then.
    std::vector<std::string> prefix;
    if (geteuid() == 0) {
        if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "running as root without setpriv";
        prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    }
    ASSERT_EQ(chmod(data.path().c_str(), 0555), 0);
    // Mesa keeps a shader cache in the home folder, which "nobody" cannot write.
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "3", "--keys", "1:space,2:space"},
                                        {"MESA_SHADER_CACHE_DISABLE=true"}, 120, prefix);
    expectRanTo(run, 3.0, "salute: log.txt cannot be opened for writing (Permission denied)");
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(LogFaultsTest, DirectoryNamedLogTxt) {
    ASSERT_TRUE(std::filesystem::create_directory(logPath()));
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "3", "--keys", "1:space,2:space"});
    expectRanTo(run, 3.0, "salute: log.txt cannot be opened for writing (Is a directory)");
    EXPECT_TRUE(std::filesystem::is_directory(logPath()));
    EXPECT_TRUE(std::filesystem::is_empty(logPath()));
}

// /dev/full accepts the open and refuses every write, as a full disk does.
TEST_F(LogFaultsTest, DiskFull) {
    std::filesystem::create_symlink("/dev/full", logPath());
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "4", "--keys", "1:space,2:space,3:space"});
    expectRanTo(run, 4.0, "salute: log.txt could not be written (No space left on device)");  // once
}

// Before the first frame those presses alone are lost, with one line.
TEST_F(LogFaultsTest, SpacePressedBeforeTheFirstFrame) {
    std::ofstream(logPath()) << "7 : 99\r\nold\n";  // an earlier run's, emptied at the open
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "3", "--keys", "start:space,start:space,1:space,2:space"});
    expectRanTo(run, 3.0, "before the presentation started was not saved");
    expectEntriesFor(logPath(), {1.0, 2.0}, 2);
}

// Held ten seconds, repeating 30 times a second: every repeat an entry.
TEST_F(LogFaultsTest, SpaceHeldForManySeconds) {
    std::string presses;
    std::vector<double> times;
    for (int i = 0; i < 300; ++i) presses += (i ? "," : "") + std::to_string(times.emplace_back(0.5 + i / 30.0)) + ":space";
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "11", "--keys", presses});
    expectRanTo(run, 11.0);
    expectEntriesFor(logPath(), times, 0);
}

// The time of the last frame a --hashes run reported; -1 before the first.
double lastFrameTime(const std::string& out) {
    const std::vector<support::FrameLine> frames = support::parseFrames(out);
    return frames.empty() ? -1.0 : frames.back().demoTime;
}

// SIGKILL right after three presses: the three entries are in the file.
TEST_F(LogFaultsTest, KilledAfterPressesLosesNothing) {
    const support::RunResult run = support::runProcess(
        {support::capturePath(), "--data", data.path(), "--hashes", "--quiet", "--fps", "16", "--keys",
         "0.25:space,0.5:space,0.75:space"},
        "", {}, 120, [](const std::string& out) { return lastFrameTime(out) >= 0.8; });
    ASSERT_EQ(run.exitCode, 128 + SIGKILL) << "the run ended before it could be killed";
    ASSERT_GE(lastFrameTime(run.out), 0.8);
    expectEntriesFor(logPath(), {0.25, 0.5, 0.75}, 0, 1.0 / 16);
}

// A thousand random keys in one frame: spaces written, all with one time;
// not a pixel changes.
TEST_F(LogFaultsTest, ThousandRandomKeysInOneFrame) {
    const std::vector<std::string> keyNames = {"space", "enter", "a", "q", "z", "0", "7", "f1", "f5", "f12"};
    std::mt19937 random(20261207);
    std::string presses;
    long spaces = 0;
    for (int i = 0; i < 1000; ++i) {
        const std::string& key = keyNames[random() % keyNames.size()];
        spaces += key == "space";
        presses += (i ? ",2:" : "2:") + key;
    }
    const Outcome quiet = faults::capture(data.path(), {"--fps", fps, "--to", "4"});
    std::filesystem::remove(logPath());
    const Outcome pressed = faults::capture(data.path(), {"--fps", fps, "--to", "4", "--keys", presses});
    expectRanTo(pressed, 4.0);
    EXPECT_EQ(pressed.frames, quiet.frames);
    expectEntriesFor(logPath(), std::vector<double>(static_cast<std::size_t>(spaces), 2.0), 0);
    const auto log = support::readLog(logPath());
    for (const support::LogEntry& entry : *log) EXPECT_EQ(entry.seconds, log->front().seconds);
}

}  // namespace
