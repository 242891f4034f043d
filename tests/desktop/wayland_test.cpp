// The program on Wayland with no X at all (DISPLAY unset). With a seat
// (weston's X11 backend, whose output is a window on a virtual X server, so
// that keys can be given and its picture taken): full screen, the frame as
// headless draws it, Escape ends it. Without a seat (weston's headless
// backend, where SDL's Wayland driver would crash): one line, status 1.
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>

#include <regex>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

TEST(WaylandTest, FullScreenAsHeadlessAndEscapeEnds) {
    std::string why;
    const Picture reference = headlessFrame(180, 60, why);
    ASSERT_FALSE(reference.rgb.empty()) << why;
    auto x = startServer(Kind::xvfb, why);
    auto weston = x ? startServer(Kind::weston, why, 640, 480, x.get()) : nullptr;
    if (!weston) GTEST_SKIP() << why;
    Display* display = XOpenDisplay(x->display.c_str());
    ASSERT_TRUE(display);
    ProgramFolder folder(30);
    auto program = startProgram(folder, join(weston->clientEnv, {"SALUTE_FRAME_CLOCK=60", "SALUTE_HOLD_FRAMES=180"}));
    ASSERT_GE(program->waitForErrLine("salute: holding frame", 240), 0) << program->err();
    // The compositor's whole output, which a full-screen window covers.
    EXPECT_TRUE(showsDrawing(steadyScreenshot(display), reference, "wayland"));
    ASSERT_TRUE(focusOnlyWindow(display));
    key(display, "Escape");
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
    EXPECT_EQ(program->err(), "salute: holding frame 180\n");
    XCloseDisplay(display);
}

// Left to itself (SDL_VIDEODRIVER unset) or told to use Wayland, the same.
TEST(WaylandTest, NoSeatSaysSo) {
    std::string why;
    auto weston = startServer(Kind::westonHeadless, why);
    if (!weston) GTEST_SKIP() << why;
    ProgramFolder folder(3);
    for (const std::string driver : {"SDL_VIDEODRIVER", "SDL_VIDEODRIVER=wayland"}) {
        auto program = startProgram(folder, join(weston->clientEnv, {driver}));
        EXPECT_EQ(program->waitExit(30), 1) << driver;
        EXPECT_TRUE(std::regex_match(program->err(), std::regex("salute: no display: the Wayland compositor offers no "
                                                                "input seat; set DISPLAY or run salute-capture[^\n]*\n")))
            << driver << ": " << program->err();
    }
}

}  // namespace
