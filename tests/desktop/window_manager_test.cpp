// The program on a desktop with a real window manager (openbox under a
// 1024 x 768 Xvfb, so the picture is scaled): minimised and brought back,
// behind another window, and what it does to the cursor and the screen
// saver while it runs and after. The program runs on the virtual frame clock
// and is held at chosen frames while the test acts.
#include <gtest/gtest.h>
#include <signal.h>

#include <functional>

#include "tests/desktop/WindowManager.h"

namespace {

using namespace desktop;

constexpr int fps = 60;

bool eventually(const std::function<bool()>& condition, double seconds = 10) {
    for (int i = 0; i < seconds * 20 && !condition(); ++i) pause(0.05);
    return condition();
}

class WindowManagerTest : public testing::Test {
protected:
    void SetUp() override {
        if (!haveCommand("Xvfb") || !haveCommand("openbox")) GTEST_SKIP() << "Xvfb or openbox is not installed";
        server = Xvfb::start(1024, 768);
        ASSERT_TRUE(server);
        manager = WindowManager::start(*server);
        ASSERT_TRUE(manager) << "openbox did not start";
        client = std::make_unique<XClient>(server->display());
        ASSERT_TRUE(client->ok());
    }

    // The program, held at each of `frames` in turn; its window once held
    // at the first.
    XWindow startHeld(const std::vector<long>& frames) {
        std::string list;
        for (long frame : frames) list += (list.empty() ? "" : ",") + std::to_string(frame);
        program = startProgram(folder, *server, {"SALUTE_FRAME_CLOCK=" + std::to_string(fps), "SALUTE_HOLD_FRAMES=" + list});
        holds = frames;
        return nextHold() ? client->waitForWindow("Salute", 10) : 0;
    }

    // Lets the program go on from its hold (when held) to the next one.
    bool nextHold() {
        if (holdLine >= 0) program->signal(SIGUSR1);
        if (holds.empty()) return false;
        const std::string line = "salute: holding frame " + std::to_string(holds.front());
        holds.erase(holds.begin());
        holdLine = program->waitForErrLine(line, 120, holdLine + 1);
        return holdLine >= 0;
    }

    bool viewable(XWindow window) const { return client->findWindow("Salute") == window; }

    std::unique_ptr<Xvfb> server;
    std::unique_ptr<WindowManager> manager;
    std::unique_ptr<XClient> client;
    ProgramFolder folder;
    std::unique_ptr<Process> program;
    std::vector<long> holds;
    int holdLine = -1;
};

// Minimised, the window procedure gets WM_SIZE 0 x 0; brought back, the
// client size again (the message probe prints what it gets).
TEST_F(WindowManagerTest, MinimisedAndBackReportsSizes) {
    program = startClient({SALUTE_MESSAGE_PROBE}, folder, *server);
    const XWindow window = client->waitForWindow("Salute", 20, true, program.get());
    ASSERT_NE(window, 0u) << program->err();
    ASSERT_TRUE(minimise(*client, window));
    const int minimised = program->waitForOutLine("WM_SIZE 0x0", 10);
    EXPECT_GE(minimised, 0) << program->out();
    ASSERT_TRUE(activate(*client, window));
    EXPECT_GE(program->waitForOutLine("WM_SIZE 640x480", 10, minimised + 1), 0) << program->out();
    ASSERT_NE(client->waitForWindow("Salute", 10, true), 0u);
    client->key("F4", {"Alt_L"});
    EXPECT_EQ(program->waitExit(20), 3) << program->out();
}

// Minimised and brought back between two frames, the next frames are drawn
// at the right size: frame 180 is the headless one.
TEST_F(WindowManagerTest, PictureRightAfterRestore) {
    std::string error;
    const Picture reference = headlessFrame(180, fps, error);
    ASSERT_FALSE(reference.empty()) << error;
    const XWindow window = startHeld({60, 180});
    ASSERT_NE(window, 0u) << program->err();
    ASSERT_TRUE(minimise(*client, window));
    ASSERT_TRUE(eventually([&] { return !viewable(window); }));
    ASSERT_TRUE(activate(*client, window));
    ASSERT_TRUE(eventually([&] { return viewable(window); }));
    ASSERT_TRUE(nextHold()) << program->err();
    EXPECT_TRUE(showsDrawing(client->steadyScreenshot(), reference, "restored-1024x768"));
    client->key("Escape");
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
}

// Another window in front with the keyboard focus pauses nothing: frames go
// on being drawn, and the window stays on screen.
TEST_F(WindowManagerTest, RunsOnBehindAnotherWindow) {
    const XWindow window = startHeld({60, 180});
    ASSERT_NE(window, 0u) << program->err();
    OtherWindow other(*client);
    ASSERT_TRUE(eventually([&] { return client->focus() == other.id(); }));
    EXPECT_TRUE(nextHold()) << "no frame drawn after losing the focus: " << program->err();
    EXPECT_TRUE(viewable(window));
    program->signal(SIGTERM);
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
}

// While it runs, the cursor over its window is hidden and the screen saver
// (set to start after one idle second) does not start; after it ends, both
// are as they were.
TEST_F(WindowManagerTest, CursorAndScreenSaverGivenBack) {
    setScreenSaverTimeout(*client, 1);
    movePointer(*client, 500, 400);
    ASSERT_FALSE(cursorHidden(*client));
    ASSERT_NE(startHeld({60}), 0u) << program->err();
    movePointer(*client, 510, 400);
    EXPECT_TRUE(eventually([&] { return cursorHidden(*client); }, 5));
    pause(2.5);
    EXPECT_FALSE(screenSaverOn(*client));
    client->key("Escape");
    ASSERT_EQ(program->waitExit(30), 0) << program->err();

    EXPECT_EQ(screenSaverTimeout(*client), 1);
    EXPECT_TRUE(eventually([&] { return screenSaverOn(*client); }, 5)) << "the screen saver stays off";
    movePointer(*client, 500, 400);
    EXPECT_FALSE(cursorHidden(*client));
}

}  // namespace
