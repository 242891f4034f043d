// The timing log in-process: the time form of an entry and the log's file
// stream. The program's own log, on good and failing files, is among the
// fault cases (LogFaultsTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "log/TimingLog.h"
#include "tests/support/TestSupport.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    static long lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }
    support::TempDir dir;
    std::string path = dir.file("log.txt");
};

TEST_F(LogTest, EntriesAreCounterSeparatorTimeAndCarriageReturnLineFeed) {
    const std::pair<std::int32_t, float> entries[] = {{0, 1.1f}, {3, 12.345679f}, {4, 40.0f}, {7, 99.99999f},
                                                      {1, 0.000027f}, {0, 0.0f}, {INT_MAX, 0.5f}, {INT_MIN, 0.5f}};
    const char* texts[] = {"0 : 1.1\r\n", "3 : 12.3457\r\n", "4 : 40\r\n", "7 : 100\r\n", "1 : 2.7e-005\r\n",
                           "0 : 0\r\n", "2147483647 : 0.5\r\n", "-2147483648 : 0.5\r\n"};
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        char out[64];
        const std::size_t length = formatLogEntry(entries[i].first, entries[i].second, out, sizeof out);
        EXPECT_EQ(std::string(out, length), texts[i]);
        EXPECT_EQ(length, std::strlen(out));
    }
    // The exponent form below a ten-thousandth and from a million, with three
    // digits at least, never cut. The float is widened first: 1e-4f is
    // 9.99999974737875e-05, which rounds to 0.0001 at six digits.
    const std::pair<double, const char*> times[] = {
        {1e-4f, "0.0001"},  {9.9999e-5, "9.9999e-005"}, {1e-5f, "1e-005"},       {999999.0f, "999999"},
        {999999.5f, "1e+006"}, {1e6f, "1e+006"},       {123456.7f, "123457"},     {0.1f, "0.1"},
        {-2.5e-7, "-2.5e-007"}, {1e-100, "1e-100"},     {1.5e300, "1.5e+300"}};
    for (const auto& [seconds, text] : times) {
        char out[40];
        const std::size_t length = formatLogTime(seconds, out, sizeof out);
        EXPECT_EQ(std::string(out), text);
        EXPECT_EQ(length, std::strlen(out));
    }
}

// One buffer's worth and more in a single write; each flush is in the file
// at once (the program runs on: LogFaultsTest has the failing files).
TEST_F(LogTest, OpenTruncatesAndEachFlushReachesTheFileAtOnce) {
    std::fclose(std::fopen(path.c_str(), "wb"));
    LogStream stream;
    EXPECT_FALSE(stream.write("lost", 4));  // before opening: only that write is lost
    stream.open(path.c_str());
    const std::string big(LogStream::bufferSize * 2 + 17, 'x');
    EXPECT_TRUE(stream.write("0 : 1\r\n", 7) && stream.flush());
    EXPECT_EQ(support::readFile(path), "0 : 1\r\n");
    EXPECT_TRUE(stream.write(big.data(), big.size()) && stream.flush());
    EXPECT_EQ(support::readFile(path), "0 : 1\r\n" + big);
    EXPECT_FALSE(stream.failed());
    // The only message of a stream that fails, however often it is used.
    LogStream full;
    ::testing::internal::CaptureStderr();
    full.open("/dev/full");
    EXPECT_FALSE(full.write("0 : 1\r\n", 7) && full.flush());
    EXPECT_FALSE(full.write("1 : 2\r\n", 7) && full.flush());
    full.close();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(full.failed());
    EXPECT_EQ(lines(err), 1) << err;
}

}  // namespace
