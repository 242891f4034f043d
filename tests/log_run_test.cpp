// The timing log in the whole program, run headless: what "log.txt" holds
// after a run. Logs that cannot be written are among the fault cases.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

struct Entry {
    long counter;
    std::string time;
};

// Splits the file into entries, checking that every line, the last one
// included, has the form "N : T" ended by carriage return and line feed.
std::vector<Entry> entriesOf(const std::string& log) {
    static const std::regex line(R"(^(-?[0-9]+) : (-?[0-9.]+(e[-+][0-9]{3,})?)\r\n)");
    std::vector<Entry> entries;
    std::string rest = log;
    std::smatch match;
    while (!rest.empty()) {
        if (!std::regex_search(rest, match, line)) {
            ADD_FAILURE() << "malformed log from: " << ::testing::PrintToString(rest);
            break;
        }
        entries.push_back({std::stol(match[1]), match[2]});
        rest = match.suffix();
    }
    return entries;
}

class LogRun : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 3.0)); }

    // Runs to presentation time 2 at ten frames a second.
    support::RunResult run(const std::vector<std::string>& keys) {
        std::vector<std::string> argv = {support::capturePath(), "--data", data.path(), "--quiet", "--hashes",
                                         "--fps", "10", "--to", "2"};
        if (!keys.empty()) argv.push_back("--keys");
        argv.insert(argv.end(), keys.begin(), keys.end());
        return support::runProcess(argv, "", {}, 120);
    }
    void leaveOldLog() { std::ofstream(data.file("log.txt"), std::ios::binary) << "7 : 99\r\nold\n"; }
    // The run went on to its end.
    static void expectWholeRun(const support::RunResult& result) {
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(result.out.find(" 2.0"), std::string::npos) << "no frame at presentation time 2";
    }

    support::TempDir data;
};

TEST_F(LogRun, EachPressIsOneLineAndPressesBetweenTwoFramesShareTheirTime) {
    leaveOldLog();
    const support::RunResult result = run({"0.5:space", "0.5:space", "0.5:space", "1.5:space"});
    expectWholeRun(result);
    EXPECT_TRUE(support::errorLinesAbout(result.err, "log.txt").empty()) << result.err;

    const std::vector<Entry> entries = entriesOf(support::readFile(data.file("log.txt")));
    ASSERT_EQ(entries.size(), 4u);
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].counter, long(i));
    EXPECT_EQ(entries[1].time, entries[0].time);
    EXPECT_EQ(entries[2].time, entries[0].time);
    const double first = std::atof(entries[0].time.c_str());
    const double last = std::atof(entries[3].time.c_str());
    EXPECT_GE(first, 0.5);
    EXPECT_LT(first, 0.61);
    EXPECT_GE(last, 1.5);
    EXPECT_LT(last, 1.61);
}

TEST_F(LogRun, ARunWithoutPressesLeavesAnEmptyLog) {
    leaveOldLog();
    const support::RunResult result = run({});
    expectWholeRun(result);
    struct stat info {};
    ASSERT_EQ(stat(data.file("log.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0);
}

TEST_F(LogRun, APressBeforeTheFirstFrameLosesOnlyItself) {
    const support::RunResult result = run({"start:space", "start:space", "0.5:space"});
    expectWholeRun(result);
    EXPECT_EQ(support::errorLinesAbout(result.err, "time stamp").size(), 1u) << result.err;

    // Both early presses were counted.
    const std::vector<Entry> entries = entriesOf(support::readFile(data.file("log.txt")));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].counter, 2);
}

}  // namespace
