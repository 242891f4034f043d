// The fault cases' runs of salute-capture on data folders of their own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
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

// Each test's own copy, in `data`, of a folder written once per suite.
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
