// The presentation headless: how it ends, what the music does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/reliability/Faults.h"

namespace {

using faults::capture;
using faults::Outcome;

// A data folder with nothing but a music file of the given length.
class ShellTest : public ::testing::Test {
protected:
    void withMusic(double seconds) { ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), seconds)); }
    support::TempDir data;
};

TEST_F(ShellTest, EscapeAndCloseRequestsEndWithStatusZero) {
    withMusic(5.0);
    for (const std::string key : {"escape", "close", "alt+f4"}) {
        SCOPED_TRACE(key);
        const Outcome run = capture(data.path(), {"--keys", "0.5:" + key});
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        ASSERT_FALSE(run.frames.empty());
        // Handled before the frame after the first one at or past 0.5 s.
        EXPECT_GE(run.frames.back().demoTime, 0.5);
        EXPECT_LT(run.frames.back().demoTime, 0.5 + 1.5 / 60);
    }
}

TEST_F(ShellTest, TheEndOfTheMusicEndsThePresentationOnce) {
    withMusic(1.0);
    const Outcome run = capture(data.path(), {});
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    // Play starts after the first frame; stopped is seen after the frame one
    // second later: 1 + 60 frames.
    EXPECT_EQ(run.frames.size(), 61u);
}

}  // namespace
