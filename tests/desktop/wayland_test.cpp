// The program on Wayland with no X at all (DISPLAY unset). With a seat
// (weston's X11 backend, whose output is a window on a virtual X server, so
// that keys can be given and its picture taken): full screen, the frame as
// headless draws it, Escape ends it. Without a seat (weston's headless
// backend, where SDL's Wayland driver would crash): one line, a non-zero
// status, no crash.
#include <gtest/gtest.h>

#include <regex>

#include "tests/desktop/Harness.h"
#include "tests/desktop/Weston.h"

namespace {

using namespace desktop;

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Wayland, FullScreenAsHeadlessAndEscapeEnds) {
    if (!haveCommand("weston") || !haveCommand("Xvfb")) GTEST_SKIP() << "weston or Xvfb is not installed";
    constexpr int fps = 60;
    constexpr long frame = 180;
    std::string error;
    const Picture reference = headlessFrame(frame, fps, error);
    ASSERT_FALSE(reference.empty()) << error;
    auto x = Xvfb::start(640, 480);
    ASSERT_TRUE(x);
    auto weston = Weston::onX(*x, 640, 480);
    if (!weston) GTEST_SKIP() << "weston did not start";
    XClient client(x->display());
    ASSERT_TRUE(client.ok());

    ProgramFolder folder{30};
    Process program({support::programPath()}, folder.path(),
                    join(weston->clientEnv(), {"SDL_AUDIODRIVER=dummy", "SALUTE_FRAME_CLOCK=" + std::to_string(fps),
                                               "SALUTE_HOLD_FRAMES=" + std::to_string(frame)}));
    ASSERT_GE(program.waitForErrLine("salute: holding frame", 240), 0) << program.err();
    // The compositor's whole output, which a full-screen window covers.
    const Picture shot = client.steadyScreenshot();
    EXPECT_EQ(differingPixels(shot, reference), 0);
    if (HasFailure()) {
        savePng(shot, failurePath("wayland"));
        savePng(reference, failurePath("wayland-headless"));
        ADD_FAILURE() << "screenshot and headless frame kept in " << failurePath("wayland");
    }

    ASSERT_TRUE(Weston::focusOutput(client));
    client.key("Escape");
    EXPECT_EQ(program.waitExit(30), 0) << program.err();
    EXPECT_EQ(program.err(), "salute: holding frame 180\n");
}

// Left to itself (SDL_VIDEODRIVER unset) or told to use Wayland, the same.
TEST(Wayland, NoSeatSaysSo) {
    if (!haveCommand("weston")) GTEST_SKIP() << "weston is not installed";
    auto weston = Weston::headless();
    if (!weston) GTEST_SKIP() << "weston did not start";
    ProgramFolder folder{3};
    for (const std::string driver : {"SDL_VIDEODRIVER", "SDL_VIDEODRIVER=wayland"}) {
        Process program({support::programPath()}, folder.path(),
                        join(weston->clientEnv(), {driver, "SDL_AUDIODRIVER=dummy"}));
        const std::optional<int> status = program.waitExit(30);
        ASSERT_TRUE(status);
        EXPECT_EQ(*status, 1) << driver;
        EXPECT_TRUE(std::regex_match(program.err(), std::regex("salute: no display: the Wayland compositor offers no "
                                                               "input seat; set DISPLAY or run salute-capture[^\n]*\n")))
            << driver << ": " << program.err();
    }
}

}  // namespace
