// The screen against the headless frame on every screen size, and on Wayland.
#include <gtest/gtest.h>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

struct Screen {
    int width;
    int height;
    bool wayland = false;
};

std::string name(const Screen& screen) {
    return (screen.wayland ? "wayland_" : "") + std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

class PictureTest : public testing::TestWithParam<Screen> {};

TEST_P(PictureTest, TextPageAsHeadless) {
    const Screen screen = GetParam();
    std::string why;
    const Picture reference = headlessFrame(180, 60, why);  // 3 s into the first text page
    ASSERT_FALSE(reference.pixels.empty()) << why;
    auto server = startServer(Kind::xvfb, why, screen.width, screen.height);
    auto weston = server && screen.wayland ? startServer(Kind::weston, why, 640, 480, server.get()) : nullptr;
    if (!server || (screen.wayland && !weston)) GTEST_SKIP() << why;
    ProgramFolder folder;
    auto program = startProgram(folder, join((weston ? weston : server)->clientEnv,
                                             {"SALUTE_FRAME_CLOCK=60", "SALUTE_HOLD_FRAMES=180"}));
    ASSERT_GE(program->waitForErrLine("salute: holding frame", 240), 0) << program->err();
    XConnection connection = connect(server->display);
    Display* x = connection.get();
    ASSERT_TRUE(x);
    EXPECT_TRUE(showsDrawing(steadyScreenshot(x), reference, "picture-" + name(screen)));
    // Escape also ends the hold. Weston hands its surface the keyboard a
    // moment after the click, so under load a key can come too early.
    std::optional<int> status;
    for (int press = 0; press < 10 && !status; ++press) {
        if (weston) focusUnderPointer(x);
        key(x, "Escape");
        status = program->waitExit(3);
    }
    EXPECT_EQ(status, 0) << program->err();
    EXPECT_EQ(program->err(), "salute: holding frame 180\n");
}

INSTANTIATE_TEST_SUITE_P(Screens, PictureTest,
                         testing::Values(Screen{640, 480}, Screen{800, 600}, Screen{1024, 768}, Screen{1280, 720},
                                         Screen{1280, 1024}, Screen{1920, 1080}, Screen{2560, 1440},
                                         Screen{3840, 2160}, Screen{1080, 1920}, Screen{640, 480, true}),
                         [](const testing::TestParamInfo<Screen>& info) { return name(info.param); });

}  // namespace
