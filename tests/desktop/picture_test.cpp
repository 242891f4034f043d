// What reaches the screen: on every screen size, the program's 640 x 480
// drawing of a text page, taken from the X server, against the headless
// frame of the same index: identical at 640 x 480, where it is shown 1:1;
// elsewhere scaled with its aspect kept between black bars. Sizes past
// 640 pixels across caught letters missing there (the font's glyphs).
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

constexpr int fps = 60;
constexpr long textFrame = 180;  // 3 s into the first text page

class PictureTest : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PictureTest, TextPageAsHeadless) {
    const auto [width, height] = GetParam();
    std::string why;
    const Picture reference = headlessFrame(textFrame, fps, why);
    ASSERT_FALSE(reference.rgb.empty()) << why;
    auto server = startServer(Kind::xvfb, why, width, height);
    if (!server) GTEST_SKIP() << why;
    ProgramFolder folder;
    auto program = startProgram(folder, join(server->clientEnv, {"SALUTE_FRAME_CLOCK=60", "SALUTE_HOLD_FRAMES=180"}));
    ASSERT_GE(program->waitForErrLine("salute: holding frame", 240), 0) << program->err();
    Display* x = XOpenDisplay(server->display.c_str());
    ASSERT_TRUE(x);
    EXPECT_TRUE(showsDrawing(steadyScreenshot(x), reference,
                             "picture-" + std::to_string(width) + "x" + std::to_string(height)));
    key(x, "Escape");  // also ends the hold
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
    XCloseDisplay(x);
}

INSTANTIATE_TEST_SUITE_P(Screens, PictureTest,
                         testing::Values(std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768},
                                         std::pair{1280, 720}, std::pair{1280, 1024}, std::pair{1920, 1080},
                                         std::pair{2560, 1440}, std::pair{3840, 2160}, std::pair{1080, 1920}),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });

}  // namespace
