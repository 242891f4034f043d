// What the fault-matrix tests share: a small data folder of our own (48
// flat-coloured pictures and a tone), runs of the headless program through
// salute-capture, and readers for what a run leaves behind (frames, lines on
// standard error, log.txt).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace reliability {

using support::FrameLine;

struct CaptureRun {
    support::RunResult result;
    std::vector<FrameLine> frames;
    std::vector<std::string> errLines;  // standard error, one entry per line
};

// Runs salute-capture --data DIR --hashes --quiet with the extra arguments.
CaptureRun capture(const std::string& dataDir, const std::vector<std::string>& arguments,
            const std::vector<std::string>& environment = {}, int timeoutSeconds = 180);

// Fills dir with the pictures the presentation reads (every one a different
// flat colour; the masks are grey ramps, so a mask used twice shows) and a
// tone of the given length as the music.
void writeDataFolder(const std::string& dir, double musicSeconds);

// Where each picture of the data folder lies, relative to the folder.
std::string leafPicture(int kind);  // 0..2
std::string leafMask(int kind);
std::string photo(int index);       // 0..37
std::string secPhoto(int index);    // 1..4

std::vector<std::string> lines(const std::string& text);
// The lines of text that contain needle.
int countContaining(const std::vector<std::string>& lines, const std::string& needle);

// One entry of log.txt.
struct LogEntry {
    long counter = -1;
    double seconds = 0.0;
};

struct LogFile {
    bool exists = false;
    bool wellFormed = true;  // every line "N : T" and ended by CR LF, the last one too
    std::vector<LogEntry> entries;
    std::string raw;
};
LogFile readLog(const std::string& path);

// A key list for --keys: "T:KEY" items joined by commas.
std::string keys(const std::vector<std::pair<double, std::string>>& presses);

// Every test gets its own copy, in `data`, of a data folder written once
// for the suite with MusicSeconds of music.
template <int MusicSeconds>
class DataFolderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        base = new support::TempDir;
        writeDataFolder(base->path(), MusicSeconds);
    }
    static void TearDownTestSuite() {
        delete base;
        base = nullptr;
    }
    void SetUp() override {
        std::filesystem::copy(base->path(), data.path(), std::filesystem::copy_options::recursive);
    }

    support::TempDir data;
    static inline support::TempDir* base = nullptr;
};

}  // namespace reliability
