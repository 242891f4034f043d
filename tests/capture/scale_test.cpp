// salute-capture --scale: the presentation drawn natively at two and three
// times its size keeps the text's layout, reduces to the scale-1 picture,
// and is as repeatable as at scale 1.
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

// Grey background, untextured particles and page 1 of the text at 5 s.
class ScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 8.0));
        ASSERT_EQ(mkdir(data.file("textures").c_str(), 0755), 0);
    }

    support::RunResult capture(std::vector<std::string> arguments) {
        std::vector<std::string> argv = {support::capturePath(), "--data", data.path(), "--fps", "10", "--quiet"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return support::runProcess(argv, out.path(), {}, 300);
    }

    // The frame at 5 s, at the given scale and (when not empty) output size.
    support::Picture frameAt5(int scale, const std::string& size = "") {
        const std::string folder = "s" + std::to_string(scale) + size;
        std::vector<std::string> arguments = {"--scale", std::to_string(scale), "--frames-at", "5", "--png", folder};
        if (!size.empty()) arguments.insert(arguments.end(), {"--size", size});
        const support::RunResult run = capture(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return support::readPng(out.file(folder + "/0001.png"));
    }

    support::TempDir data;
    support::TempDir out;
};

bool is(const support::Picture& png, int x, int y, int value) {
    if (x < 0 || y < 0 || x >= png.width || y >= png.height) return false;
    const std::uint8_t* p = png.at(x, y);
    return p[0] == value && p[1] == value && p[2] == value;
}
// The text's own colours: white, and the black of its rim.
bool ink(const support::Picture& png, int x, int y) { return is(png, x, y, 255) || is(png, x, y, 0); }

// Where line k of the page begins: the leftmost black (its rim) in the
// rows of its small letters, which no other line reaches; -1 when blank.
int lineStart(const support::Picture& png, int scale, int k) {
    int left = -1;
    for (int y = scale * (82 + 16 * k); y < scale * (90 + 16 * k); ++y)
        for (int x = 0; x < png.width * 3 / 5 && (left < 0 || x < left); ++x)
            if (is(png, x, y, 0)) left = x;
    return left;
}

TEST_F(ScaleTest, TextLinesStartAtTheirScaledPlacesAndWhiteStaysInsideTheScaledGlyphs) {
    const support::Picture base = frameAt5(1);
    ASSERT_FALSE(base.pixels.empty());
    ASSERT_EQ(base.width, 640);
    for (int scale : {2, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        const support::Picture big = frameAt5(scale);
        ASSERT_FALSE(big.pixels.empty());
        // Without --size the output is the drawing's own size.
        ASSERT_EQ(big.width, 640 * scale);
        ASSERT_EQ(big.height, 480 * scale);
        // Page 1 has 24 lines, two of them blank. A line starts where the
        // scale-1 line does, times N, give or take the first glyph's own
        // bearing at the larger size (a slanted 'y' the most): less than
        // two scale-1 pixels.
        int lines = 0;
        for (int k = 0; k < 24; ++k) {
            const int left = lineStart(base, 1, k);
            ASSERT_EQ(left < 0, lineStart(big, scale, k) < 0) << "line " << k;
            if (left < 0) continue;
            ++lines;
            EXPECT_LT(std::abs(lineStart(big, scale, k) - scale * left), 2 * scale) << "line " << k;
        }
        EXPECT_EQ(lines, 22);
        // The white of the text, brought back to scale 1, falls on the
        // scale-1 text's ink. The glyphs are hinted for their own size, so
        // strokes and advances differ by a fraction of a scale-1 pixel and
        // words drift by a pixel or two along a line: allowed are two
        // scale-1 pixels across, one down, and 0.5 % of the white beyond.
        long white = 0;
        long outside = 0;
        for (int y = 80 * scale; y < 470 * scale; ++y)
            for (int x = 0; x < big.width; ++x) {
                if (!is(big, x, y, 255)) continue;
                ++white;
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    for (int dx = -2; dx <= 2 && !near; ++dx) near = ink(base, x / scale + dx, y / scale + dy);
                outside += near ? 0 : 1;
            }
        EXPECT_GT(white, 5000L * scale * scale);
        EXPECT_LE(outside, white / 200) << "of " << white << " white pixels";
    }
}

// Reduced to 640 x 480, the scale-2 frame is the scale-1 frame but for
// edges, which the finer drawing places to a fraction of a pixel and the
// finer font shapes its own way. Measured as the PSNR of 8 x 8 block means
// over the RGB channels (blind to where inside a block an edge falls, not
// to a misplaced or missing shape): at least 28 dB (about 31 measured).
TEST_F(ScaleTest, Scale2ReducedTo640x480IsCloseToScale1) {
    const support::Picture base = frameAt5(1);
    const support::Picture reduced = frameAt5(2, "640x480");
    ASSERT_FALSE(base.pixels.empty() || reduced.pixels.empty());
    ASSERT_EQ(reduced.width, 640);
    ASSERT_EQ(reduced.height, 480);
    double squares = 0.0;
    for (int by = 0; by < 480; by += 8)
        for (int bx = 0; bx < 640; bx += 8)
            for (int c = 0; c < 3; ++c) {
                double d = 0.0;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) d += double(base.at(x, y)[c]) - double(reduced.at(x, y)[c]);
                squares += (d / 64.0) * (d / 64.0);
            }
    const double psnr = 10.0 * std::log10(255.0 * 255.0 / (squares / (80.0 * 60.0 * 3.0)));
    EXPECT_GE(psnr, 28.0);
}

TEST_F(ScaleTest, TwoCapturesAtScale3AreIdenticalAndBadScalesAreRefused) {
    const support::RunResult a = capture({"--scale", "3", "--hashes", "--to", "1.5"});
    const support::RunResult b = capture({"--scale", "3", "--hashes", "--to", "1.5"});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(support::parseFrames(a.out).size(), 16u);
    EXPECT_EQ(a.out, b.out);
    for (const char* bad : {"0", "5", "two"}) {
        const support::RunResult run = capture({"--scale", bad, "--hashes", "--to", "1"});
        EXPECT_NE(run.exitCode, 0) << bad;
        EXPECT_NE(run.err.find("--scale"), std::string::npos) << run.err;
    }
}

}  // namespace
