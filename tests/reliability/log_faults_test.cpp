// log.txt when things go wrong, and key presses in awkward places and
// numbers. A press is never lost once the presentation has started (each
// entry reaches the file at once), a log that cannot be written costs the
// time stamps and one line on stderr but nothing else, and no amount of
// key presses disturbs the presentation.
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

// Most runs here draw 4 frames a second: few frames keep the runs short,
// and several presses fall between two frames.
constexpr double frameStep = 1.0 / 4.0;
const std::string fps = "4";

class LogFaultsTest : public faults::DataFolderTest<20> {
protected:
    std::string logPath() const { return data.file("log.txt"); }
};

// Each press lands in the file once the presentation runs; the presses
// carry the time of the frame drawn just before them.
void expectEntriesFor(const std::string& path, const std::vector<double>& pressTimes, long firstCounter) {
    const std::vector<faults::LogEntry> entries = faults::readLog(path);
    ASSERT_EQ(entries.size(), pressTimes.size());
    for (std::size_t i = 0; i < pressTimes.size(); ++i) {
        EXPECT_EQ(entries[i].counter, firstCounter + static_cast<long>(i));
        EXPECT_GE(entries[i].seconds, pressTimes[i] - 1e-4) << "entry " << i;
        EXPECT_LT(entries[i].seconds, pressTimes[i] + frameStep + 1e-3) << "entry " << i;
    }
}

// The presentation itself runs to the requested time whatever the log
// does, with at most the one line `said` on stderr.
void expectRanTo(const Outcome& run, double seconds, const std::string& said = "") {
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_TRUE(!run.frames.empty() && run.frames.back().demoTime >= seconds);
    EXPECT_EQ(run.errLines.size(), said.empty() ? 0u : 1u) << run.result.err;
    EXPECT_NE(run.result.err.find(said), std::string::npos) << run.result.err;
}

TEST_F(LogFaultsTest, ReadOnlyFolder) {
    // root writes into read-only folders anyway: the program then runs as
    // the unprivileged user "nobody".
    std::vector<std::string> prefix;
    if (geteuid() == 0) {
        if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "running as root without setpriv";
        prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    }
    ASSERT_EQ(chmod(data.path().c_str(), 0555), 0);
    std::vector<std::string> argv = prefix;
    argv.insert(argv.end(), {support::capturePath(), "--data", data.path(), "--hashes", "--quiet", "--fps", fps, "--to",
                             "3", "--keys", "1:space,2:space"});
    Outcome run;
    // Mesa keeps a shader cache in the home folder, which "nobody" cannot write.
    run.result = support::runProcess(argv, "", {"MESA_SHADER_CACHE_DISABLE=true"}, 120);
    run.errLines = support::errorLinesAbout(run.result.err, "");
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
    EXPECT_NE(run.errLines[0].find("salute: log.txt cannot be opened for writing (Permission denied)"),
              std::string::npos)
        << run.errLines[0];
    EXPECT_FALSE(std::filesystem::exists(logPath()));
    EXPECT_NE(run.result.out.find("frame "), std::string::npos);
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

// Before the first frame there is no log yet: those presses alone are lost
// (their numbers used up, one line said), the ones after are written.
TEST_F(LogFaultsTest, SpacePressedBeforeTheFirstFrame) {
    std::ofstream(logPath()) << "7 : 99\r\nold\n";  // an earlier run's, emptied at the open
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "3", "--keys", "start:space,start:space,1:space,2:space"});
    expectRanTo(run, 3.0, "before the presentation started was not saved");
    expectEntriesFor(logPath(), {1.0, 2.0}, 2);
}

// The key held for ten seconds: the keyboard repeats it 30 times a second,
// and every repeat is an entry, in order, none lost (several between two
// frames, with the same time).
TEST_F(LogFaultsTest, SpaceHeldForManySeconds) {
    std::vector<std::pair<double, std::string>> presses;
    std::vector<double> times;
    for (int i = 0; i < 300; ++i) presses.emplace_back(times.emplace_back(0.5 + i / 30.0), "space");
    const Outcome run = faults::capture(data.path(), {"--fps", fps, "--to", "11", "--keys", faults::keys(presses)});
    expectRanTo(run, 11.0);
    expectEntriesFor(logPath(), times, 0);
}

// The presentation time of the last frame a --hashes run reported; -1
// before the first.
double lastFrameTime(const std::string& out) {
    const std::vector<support::FrameLine> frames = support::parseFrames(out);
    return frames.empty() ? -1.0 : frames.back().demoTime;
}

// Killed without any chance to clean up, right after three presses: the
// three entries are in the file.
TEST_F(LogFaultsTest, KilledAfterPressesLosesNothing) {
    const support::RunResult run = support::runProcess(
        {support::capturePath(), "--data", data.path(), "--hashes", "--quiet", "--fps", "16", "--keys",
         "0.25:space,0.5:space,0.75:space"},
        "", {}, 120, [](const std::string& out) { return lastFrameTime(out) >= 0.8; });
    ASSERT_EQ(run.exitCode, 128 + SIGKILL) << "the run ended before it could be killed";
    ASSERT_GE(lastFrameTime(run.out), 0.8);
    const std::vector<faults::LogEntry> entries = faults::readLog(logPath());
    ASSERT_EQ(entries.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].counter, static_cast<long>(i));
        EXPECT_NEAR(entries[i].seconds, 0.25 * static_cast<double>(i + 1), 1e-3);
    }
}

// A thousand presses of random keys between two frames: the spaces among
// them are written, all with the same time; nothing else changes, not a
// pixel.
TEST_F(LogFaultsTest, ThousandRandomKeysInOneFrame) {
    const std::vector<std::string> keyNames = {"space", "enter", "a", "q", "z", "0", "7", "f1", "f5", "f12"};
    std::mt19937 random(20261207);
    std::vector<std::pair<double, std::string>> presses;
    long spaces = 0;
    for (int i = 0; i < 1000; ++i) {
        const std::string& key = keyNames[random() % keyNames.size()];
        if (key == "space") ++spaces;
        presses.emplace_back(2.0, key);
    }
    const Outcome quiet = faults::capture(data.path(), {"--fps", fps, "--to", "4"});
    std::filesystem::remove(logPath());
    const Outcome pressed = faults::capture(data.path(), {"--fps", fps, "--to", "4", "--keys", faults::keys(presses)});
    expectRanTo(pressed, 4.0);
    EXPECT_EQ(pressed.frames, quiet.frames);
    expectEntriesFor(logPath(), std::vector<double>(static_cast<std::size_t>(spaces), 2.0), 0);
    const std::vector<faults::LogEntry> entries = faults::readLog(logPath());
    for (const faults::LogEntry& entry : entries) EXPECT_EQ(entry.seconds, entries[0].seconds);
}

}  // namespace
