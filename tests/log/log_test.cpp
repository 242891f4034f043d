// The form of a timing log entry (its file: LogFaultsTest; any: log_fuzz).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "log/TimingLog.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(LogTest, EntriesAreCounterSeparatorTimeAndCarriageReturnLineFeed) {
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
    // Exponents below 1e-4 and from 1e6, three digits at least; the float is
    // widened first (1e-4f rounds to 0.0001).
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

}  // namespace
