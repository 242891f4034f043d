// What reaches the screen: on every screen size, the program's 640 x 480
// drawing of a text page, taken from the X server, against the headless
// frame of the same index. At 640 x 480 the drawing is shown 1:1 and must be
// identical; elsewhere it is scaled with its aspect kept between black bars,
// and each 16 x 16 block of the drawing must match the reference scaled the
// same way (a missing glyph changes its block by far more than the limit).
#include <gtest/gtest.h>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

constexpr int fps = 60;
constexpr long textFrame = 180;  // 3 s into the first text page
// Mean absolute difference per channel (0..255) of a 16 x 16 block against
// the reference scaled by bilinear filtering. Where all is right it stays
// below 0.3; one missing full stop raises its block to about 4.
constexpr double blockLimit = 2.0;

struct Screen {
    int width;
    int height;
};

std::string name(const Screen& screen) { return std::to_string(screen.width) + "x" + std::to_string(screen.height); }

class PictureTest : public testing::TestWithParam<Screen> {};

TEST_P(PictureTest, TextPageAsHeadless) {
    if (!haveCommand("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    const Screen screen = GetParam();
    std::string error;
    const Picture reference = headlessFrame(textFrame, fps, error);
    ASSERT_FALSE(reference.empty()) << error;

    auto server = Xvfb::start(screen.width, screen.height);
    ASSERT_TRUE(server);
    ProgramFolder folder;
    auto program = startProgram(folder, *server,
                                {"SALUTE_FRAME_CLOCK=" + std::to_string(fps),
                                 "SALUTE_HOLD_FRAMES=" + std::to_string(textFrame)});
    ASSERT_GE(program->waitForErrLine("salute: holding frame", 240), 0) << program->err();
    XClient client(server->display());
    ASSERT_TRUE(client.ok());
    const Picture shot = client.steadyScreenshot();

    const Rect area = fittedArea(screen.width, screen.height, reference.width, reference.height);
    const Picture shown = shot.crop(area);
    const bool exact = area.width == reference.width && area.height == reference.height;
    const long bars = nonBlackOutside(shot, area);
    const long differing = exact ? differingPixels(shown, reference) : 0;
    const BlockResult blocks = exact ? BlockResult{} : compareBlocks(shown, reference);
    EXPECT_EQ(bars, 0) << "pixels of the bars that are not black";
    EXPECT_EQ(differing, 0) << "pixels unlike the headless frame";
    EXPECT_LE(blocks.worst, blockLimit) << "worst block at " << blocks.blockX << "," << blocks.blockY;
    if (HasFailure()) {
        savePng(shot, failurePath("picture-" + name(screen)));
        savePng(reference, failurePath("picture-" + name(screen) + "-headless"));
        ADD_FAILURE() << "screenshot and headless frame kept in " << failurePath("picture-" + name(screen));
    }

    client.key("Escape");  // also ends the hold
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
}

INSTANTIATE_TEST_SUITE_P(Screens, PictureTest,
                         testing::Values(Screen{640, 480}, Screen{800, 600}, Screen{1024, 768}, Screen{1280, 720},
                                         Screen{1280, 1024}, Screen{1920, 1080}, Screen{2560, 1440},
                                         Screen{3840, 2160}, Screen{1080, 1920}),
                         [](const testing::TestParamInfo<Screen>& info) { return name(info.param); });

}  // namespace
