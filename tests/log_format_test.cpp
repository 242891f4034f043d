// The timing log in-process: the time form of an entry, the log's file
// stream on good and failing files, and the press counter.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>

#include "app/FrameCycle.h"
#include "log/TimingLog.h"
#include "tests/support/TestSupport.h"

namespace {

std::string timeText(double seconds) {
    char out[40];
    const std::size_t length = formatLogTime(seconds, out, sizeof out);
    EXPECT_EQ(length, std::string(out).size());
    return out;
}

std::string entryText(std::int32_t counter, float seconds) {
    char out[64];
    const std::size_t length = formatLogEntry(counter, seconds, out, sizeof out);
    EXPECT_EQ(length, std::string(out).size());
    return out;
}

TEST(LogFormat, EntriesAreCounterSeparatorTimeAndCarriageReturnLineFeed) {
    EXPECT_EQ(entryText(0, 1.1f), "0 : 1.1\r\n");
    EXPECT_EQ(entryText(3, 12.345679f), "3 : 12.3457\r\n");
    EXPECT_EQ(entryText(4, 40.0f), "4 : 40\r\n");
    EXPECT_EQ(entryText(7, 99.99999f), "7 : 100\r\n");
    EXPECT_EQ(entryText(1, 0.000027f), "1 : 2.7e-005\r\n");
    EXPECT_EQ(entryText(0, 0.0f), "0 : 0\r\n");
    EXPECT_EQ(entryText(INT_MAX, 0.5f), "2147483647 : 0.5\r\n");
    EXPECT_EQ(entryText(INT_MIN, 0.5f), "-2147483648 : 0.5\r\n");
}

TEST(LogFormat, TimesSwitchToExponentFormBelowATenThousandthAndFromAMillion) {
    // The float is widened first: 1e-4f is 9.99999974737875e-05, which
    // rounds to 0.0001 at six digits and so stays in fixed form.
    EXPECT_EQ(timeText(1e-4f), "0.0001");
    EXPECT_EQ(timeText(9.9999e-5), "9.9999e-005");
    EXPECT_EQ(timeText(1e-5f), "1e-005");
    EXPECT_EQ(timeText(999999.0f), "999999");
    EXPECT_EQ(timeText(999999.5f), "1e+006");  // rounds up to the next power of ten
    EXPECT_EQ(timeText(1e6f), "1e+006");
    EXPECT_EQ(timeText(123456.7f), "123457");
    EXPECT_EQ(timeText(0.1f), "0.1");
    EXPECT_EQ(timeText(-2.5e-7), "-2.5e-007");
    // Three digits at least, never cut: wide exponents stay whole.
    EXPECT_EQ(timeText(1e-100), "1e-100");
    EXPECT_EQ(timeText(1.5e300), "1.5e+300");
}

class LogStreamTest : public ::testing::Test {
protected:
    support::TempDir dir;
    std::string path = dir.file("log.txt");
};

TEST_F(LogStreamTest, OpenTruncatesAndEachFlushReachesTheFileAtOnce) {
    {
        std::FILE* old = std::fopen(path.c_str(), "wb");
        ASSERT_NE(old, nullptr);
        std::fputs("an earlier run\r\n", old);
        std::fclose(old);
    }
    LogStream stream;
    stream.open(path.c_str());
    ASSERT_TRUE(stream.isOpen());
    EXPECT_FALSE(stream.failed());
    EXPECT_EQ(support::readFile(path), "");

    EXPECT_TRUE(stream.write("0 : 1\r\n", 7));
    EXPECT_TRUE(stream.flush());
    EXPECT_EQ(support::readFile(path), "0 : 1\r\n");  // still open: nothing waits in a buffer

    // More than one buffer's worth in a single write.
    const std::string long_(LogStream::bufferSize * 2 + 17, 'x');
    EXPECT_TRUE(stream.write(long_.data(), long_.size()));
    EXPECT_TRUE(stream.flush());
    EXPECT_EQ(support::readFile(path), "0 : 1\r\n" + long_);
    stream.close();
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(support::readFile(path), "0 : 1\r\n" + long_);
}

TEST_F(LogStreamTest, WritingBeforeOpeningLosesOnlyThatWrite) {
    LogStream stream;
    EXPECT_FALSE(stream.write("lost", 4));
    EXPECT_FALSE(stream.failed());
    stream.open(path.c_str());
    EXPECT_TRUE(stream.write("kept", 4));
    EXPECT_TRUE(stream.flush());
    EXPECT_EQ(support::readFile(path), "kept");
}

TEST_F(LogStreamTest, AFullDeviceFailsTheStreamWithOneMessage) {
    LogStream stream;
    ::testing::internal::CaptureStderr();
    stream.open("/dev/full");
    ASSERT_TRUE(stream.isOpen());
    EXPECT_TRUE(stream.write("0 : 1\r\n", 7));  // buffered
    EXPECT_FALSE(stream.flush());
    EXPECT_TRUE(stream.failed());
    EXPECT_FALSE(stream.write("1 : 2\r\n", 7));
    EXPECT_FALSE(stream.flush());
    stream.close();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("/dev/full"), std::string::npos) << err;
    EXPECT_TRUE(stream.failed());
}

TEST_F(LogStreamTest, AFileThatCannotBeOpenedFailsTheStreamWithOneMessage) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);  // a folder where the file should be
    LogStream stream;
    ::testing::internal::CaptureStderr();
    stream.open(path.c_str());
    EXPECT_FALSE(stream.isOpen());
    EXPECT_TRUE(stream.failed());
    EXPECT_FALSE(stream.write("x", 1));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("log.txt"), std::string::npos) << err;

    // Opening again does not clear the flag.
    stream.open(dir.file("other.txt").c_str());
    EXPECT_TRUE(stream.failed());

    LogStream twice;
    twice.open(dir.file("twice.txt").c_str());
    ::testing::internal::CaptureStderr();
    twice.open(dir.file("twice.txt").c_str());
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(twice.failed());
}

// The program's own log: the counter counts every press, a press before
// the log is open is the only one lost, and each entry is in the file as
// soon as the press has been handled.
TEST(TimingLog, PressesAreCountedAndWrittenAsTheyHappen) {
    support::TempDir dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);

    ASSERT_EQ(stampCounter, 0);
    ::testing::internal::CaptureStderr();
    writeTimeStamp();
    writeTimeStamp();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(stampCounter, 2);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;  // said once
    EXPECT_FALSE(timingLog.failed());

    openTimingLog();
    EXPECT_EQ(support::readFile("log.txt"), "");
    demoTime = 1.1f;
    writeTimeStamp();
    EXPECT_EQ(support::readFile("log.txt"), "2 : 1.1\r\n");
    writeTimeStamp();  // an auto-repeat before the next frame: the same time
    demoTime = 40.0f;
    writeTimeStamp();
    EXPECT_EQ(support::readFile("log.txt"), "2 : 1.1\r\n3 : 1.1\r\n4 : 40\r\n");
    EXPECT_EQ(stampCounter, 5);

    timingLog.close();
    demoTime = 0.0f;
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
