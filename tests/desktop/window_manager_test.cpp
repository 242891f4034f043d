// Under openbox on a 1024 x 768 Xvfb (scaled), frames held while the test acts.
#include <gtest/gtest.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/scrnsaver.h>
#include <signal.h>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

class WindowManagerTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        server = startServer(Kind::xvfb, why, 1024, 768);
        manager = server ? startServer(Kind::openbox, why, 0, 0, server.get()) : nullptr;
        if (!manager) GTEST_SKIP() << why;
        connection = connect(server->display);
        x = connection.get();
        ASSERT_TRUE(x);
    }

    Window startHeld(const std::string& frames) {
        const Env held{"SALUTE_FRAME_CLOCK=60", "SALUTE_HOLD_FRAMES=" + frames};
        program = startProgram(folder, join(server->clientEnv, held));
        return nextHold() ? waitForWindow(x, "Salute", 10) : 0;
    }

    bool nextHold() {
        if (holdLine >= 0) program->signal(SIGUSR1);
        holdLine = program->waitForErrLine("salute: holding frame", 120, holdLine + 1);
        return holdLine >= 0;
    }

    // As a pager asks for a user.
    void activate(Window window) { sendMessage(x, window, "_NET_ACTIVE_WINDOW", 2, true); }

    bool viewable(Window window) { return findWindow(x, "Salute") == window; }

    std::unique_ptr<Server> server, manager;
    XConnection connection{nullptr, XCloseDisplay};
    Display* x = nullptr;
    ProgramFolder folder;
    std::unique_ptr<Process> program;
    int holdLine = -1;
};

// Minimised and brought back, the next frames are drawn at the right size.
TEST_F(WindowManagerTest, PictureRightAfterRestore) {
    std::string why;
    const Picture reference = headlessFrame(180, 60, why);
    ASSERT_FALSE(reference.pixels.empty()) << why;
    const Window window = startHeld("60,180");
    ASSERT_NE(window, 0u) << program->err();
    XIconifyWindow(x, window, DefaultScreen(x));
    ASSERT_TRUE(eventually([&] { return !viewable(window); }));
    activate(window);
    ASSERT_TRUE(eventually([&] { return viewable(window); }));
    ASSERT_TRUE(nextHold()) << program->err();
    EXPECT_TRUE(showsDrawing(steadyScreenshot(x), reference, "restored-1024x768"));
    key(x, "Escape");
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
}

// Another window in front with the focus pauses nothing.
TEST_F(WindowManagerTest, RunsOnBehindAnotherWindow) {
    const Window window = startHeld("60,180");
    ASSERT_NE(window, 0u) << program->err();
    const Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 200, 150, 0, 0, WhitePixel(x, 0));
    XMapRaised(x, other);
    XSync(x, False);
    ASSERT_TRUE(eventually([&] {
        XWindowAttributes attributes;
        return XGetWindowAttributes(x, other, &attributes) && attributes.map_state == IsViewable;
    }));
    activate(other);
    ASSERT_TRUE(eventually([&] { return focusOf(x) == other; }));
    EXPECT_TRUE(nextHold()) << "no frame drawn after losing the focus: " << program->err();
    EXPECT_TRUE(viewable(window));
    program->signal(SIGTERM);
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
}

// The cursor over it hidden and the screen saver off while it runs, not after.
TEST_F(WindowManagerTest, CursorAndScreenSaverGivenBack) {
    const auto screenSaverOn = [&] {
        XScreenSaverInfo info{};
        return XScreenSaverQueryInfo(x, DefaultRootWindow(x), &info) && info.state == ScreenSaverOn;
    };
    const auto movePointer = [&](int across) {
        XTestFakeMotionEvent(x, 0, across, 400, CurrentTime);
        XSync(x, False);
    };
    XSetScreenSaver(x, 1, 0, DefaultBlanking, DefaultExposures);
    movePointer(500);
    ASSERT_TRUE(cursorShown(x));
    ASSERT_NE(startHeld("60"), 0u) << program->err();
    movePointer(510);
    EXPECT_TRUE(eventually([&] { return !cursorShown(x); }, 5));
    pause(2.5);
    EXPECT_FALSE(screenSaverOn());
    key(x, "Escape");
    ASSERT_EQ(program->waitExit(30), 0) << program->err();

    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(x, &timeout, &interval, &blanking, &exposures);
    EXPECT_EQ(timeout, 1);
    EXPECT_TRUE(eventually(screenSaverOn, 5)) << "the screen saver stays off";
    movePointer(500);
    EXPECT_TRUE(cursorShown(x));
}

}  // namespace
