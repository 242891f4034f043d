// The stopwatches at several counter rates; the projection at zero height.
#include <gtest/gtest.h>

#include <cmath>

#include <GL/gl.h>

#include "app/FrameCycle.h"
#include "frame/Stopwatch.h"
#include "app/Window.h"
#include "platform/headless/Headless.h"

namespace {

float secondsAfter(std::int64_t frequency, std::int64_t ticks) {
    headless::setCounterFrequency(frequency);
    Stopwatch watch;
    watch.restart();
    headless::advanceCounter(ticks);
    return watch.elapsedSeconds();
}

TEST(ClockTest, ReadsTheCounterAtItsFrequencyWithTheLowEightBitsDropped) {
    // 3,579,545 / 256 = 13982.6 becomes 13982: the clock runs 0.0043 % fast.
    EXPECT_NEAR(secondsAfter(3579545, 3579545), 1.0000429f, 1e-6f);
    // 10 MHz: 39062.5 becomes 39062, 0.0013 % fast.
    EXPECT_NEAR(secondsAfter(10000000, 10000000), 1.0000128f, 1e-6f);
    // A multiple of 256 keeps exact time.
    EXPECT_EQ(secondsAfter(2560000, 640000), 0.25f);
    EXPECT_EQ(secondsAfter(10000000, 0), 0.0f);
}

TEST(ClockTest, AnUnusableCounterReadsZeroAndNoneWrapsAfterTwoToTheThirtyTwoTicks) {
    EXPECT_EQ(secondsAfter(0, 1000000), 0.0f);
    EXPECT_EQ(secondsAfter(255, 1000000), 0.0f);
    EXPECT_GT(secondsAfter(256, 256), 0.99f);
    // 2^32 ticks of a 10 MHz counter is 429.5 s: the full 64-bit difference counts on.
    EXPECT_NEAR(secondsAfter(10000000, (std::int64_t{1} << 32) + 10000000), 430.497f, 0.01f);
}

TEST(ClockTest, ProjectionWithAZeroHeightHasAnAspectOfOne) {
    ASSERT_TRUE(headless::makeStandaloneContext(64, 48));
    GLfloat matrix[16];  // (the projections themselves: GoldenTest)
    resizeView(640, 0);
    setProjection(false);
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    EXPECT_FLOAT_EQ(matrix[0], matrix[5]);
    EXPECT_TRUE(std::isfinite(matrix[0]));
}

}  // namespace
