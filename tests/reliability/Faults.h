// What the fault cases share: runs of the headless program through
// salute-capture on a data folder of their own, and readers for what a run
// leaves behind (frames, lines on standard error, log.txt).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/DataFolder.h"

namespace faults {

struct Outcome {
    support::RunResult result;
    std::vector<support::FrameLine> frames;
    std::vector<std::string> errLines;  // standard error, one entry per line
};

// salute-capture --data DIR --hashes --quiet with the extra arguments, after `prefix`.
inline Outcome capture(const std::string& dataDir, const std::vector<std::string>& arguments,
                       const support::Env& environment = {}, int timeoutSeconds = 180, support::Env argv = {}) {
    argv.insert(argv.end(), {support::capturePath(), "--data", dataDir, "--hashes", "--quiet"});
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Outcome run;
    run.result = support::runProcess(argv, "", environment, timeoutSeconds);
    run.frames = support::parseFrames(run.result.out);
    run.errLines = support::errorLinesAbout(run.result.err, "");
    return run;
}

// A key list for --keys: "T:KEY" items joined by commas.
inline std::string keys(const std::vector<std::pair<double, std::string>>& presses) {
    std::ostringstream list;
    list.precision(17);
    for (const auto& [time, key] : presses) list << (&key == &presses.front().second ? "" : ",") << time << ':' << key;
    return list.str();
}

// Every test gets its own copy, in `data`, of a data folder written once for
// the suite with MusicSeconds of music.
template <int MusicSeconds, class Base = ::testing::Test>
class DataFolderTest : public Base {
protected:
    static void SetUpTestSuite() {
        base = new support::TempDir;
        ASSERT_TRUE(support::writeDataFolder(base->path(), MusicSeconds));
    }
    static void TearDownTestSuite() {
        delete base;
        base = nullptr;
    }
    void SetUp() override { std::filesystem::copy(base->path(), data.path(), std::filesystem::copy_options::recursive); }
    support::TempDir data;
    static inline support::TempDir* base = nullptr;
};

}  // namespace faults
