// What reaches the screen: on every screen size, the program's 640 x 480
// drawing of a text page, taken from the X server, against the headless
// frame of the same index (showsDrawing: identical at 640 x 480, where it is
// shown 1:1; elsewhere scaled with its aspect kept between black bars, each
// 16 x 16 block of the drawing as the reference scaled the same way).
#include <gtest/gtest.h>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

constexpr int fps = 60;
constexpr long textFrame = 180;  // 3 s into the first text page

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
    EXPECT_TRUE(showsDrawing(client.steadyScreenshot(), reference, "picture-" + name(screen)));

    client.key("Escape");  // also ends the hold
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
}

INSTANTIATE_TEST_SUITE_P(Screens, PictureTest,
                         testing::Values(Screen{640, 480}, Screen{800, 600}, Screen{1024, 768}, Screen{1280, 720},
                                         Screen{1280, 1024}, Screen{1920, 1080}, Screen{2560, 1440},
                                         Screen{3840, 2160}, Screen{1080, 1920}),
                         [](const testing::TestParamInfo<Screen>& info) { return name(info.param); });

}  // namespace
