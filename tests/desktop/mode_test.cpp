// Every way out: within 2 s the desktop's mode and cursor are back, the
// guardian gone (really switched under Xorg's dummy driver as root).
#include <gtest/gtest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

enum class Way { key, altF4, close, musicEnd, signal, serverGone };

struct WayOut {
    const char* name;
    Way way;
    int signal;  // for Way::signal
    int status;  // the program's exit status
    bool twoMonitors = false;
    bool inPause = false;
};

std::string rect(int width, int height, int x, int y) {
    return std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y);
}

// The screen size and each lit output's CRTC, as one line.
std::string layoutOf(Display* x) {
    const Rect root = geometry(x, DefaultRootWindow(x));
    std::string layout = "screen " + std::to_string(root.width) + "x" + std::to_string(root.height);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, DefaultRootWindow(x));
    for (int i = 0; resources && i < resources->noutput; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(x, resources, resources->outputs[i]);
        XRRCrtcInfo* crtc = output && output->crtc ? XRRGetCrtcInfo(x, resources, output->crtc) : nullptr;
        if (crtc) layout += std::string("; ") + output->name + " " + rect(crtc->width, crtc->height, crtc->x, crtc->y);
        if (crtc) XRRFreeCrtcInfo(crtc);
        if (output) XRRFreeOutputInfo(output);
    }
    if (resources) XRRFreeScreenResources(resources);
    return layout;
}

// The guardian forked by `program`, or 0.
pid_t guardianOf(pid_t program) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        pid_t parent = 0;
        if (stat >> pid >> name >> state >> parent && name == "(salute-guard)" && parent == program)
            return std::stoi(pid);
    }
    return 0;
}

// The test is the guardian's subreaper once the program has gone.
bool ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field, state;
    return !(stat >> field >> field >> state) || (state == "Z" && waitpid(pid, nullptr, WNOHANG) == pid);
}

bool xrandr(const Server& server, const std::vector<std::string>& arguments) {
    return support::runProcess(join({"xrandr", "-display", server.display}, arguments), "", {}, 20).exitCode == 0;
}

// No core files from the crashes asked for; the guardians reaped here.
void adoptOrphans() {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
}

class ModeTest : public testing::TestWithParam<WayOut> {
protected:
    static void SetUpTestSuite() { adoptOrphans(); }
};

TEST_P(ModeTest, DesktopBackAfterWayOut) {
    const WayOut way = GetParam();
    std::string why;
    auto server = startServer(Kind::xorgDummy, why);
    const bool real = server != nullptr;
    if (!real && way.twoMonitors) GTEST_SKIP() << why;
    if (!real) server = startServer(Kind::xvfb, why);
    if (!server) GTEST_SKIP() << why;
    XConnection connection = connect(server->display);
    Display* x = connection.get();
    ASSERT_TRUE(x);

    // Two monitors: DUMMY1 to the left of the primary DUMMY0.
    std::string during = "screen 640x480; DUMMY0 " + rect(640, 480, 0, 0);
    const int left = way.twoMonitors ? 1920 : 0;
    if (way.twoMonitors) {
        ASSERT_TRUE(xrandr(*server, {"--addmode", "DUMMY1", "1920x1080"}));
        ASSERT_TRUE(xrandr(*server, {"--output", "DUMMY1", "--mode", "1920x1080", "--left-of", "DUMMY0"}));
        during = "screen 3840x1080; DUMMY0 " + rect(640, 480, left, 0) + "; DUMMY1 " + rect(1920, 1080, 0, 0);
    }
    const std::string before = layoutOf(x);
    ProgramFolder folder(way.way == Way::musicEnd ? 4 : 60);
    const std::string earlier = "0 : 12.5\r\n1 : 40\r\n";
    if (way.inPause) std::ofstream(folder.file("log.txt"), std::ios::binary) << earlier;

    // A sanitizer build would report the crash itself and end with 1: leave
    // the signal to the program, as a release build does.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const Env crash = {"ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":handle_segv=0"};
    auto program = startProgram(folder, join(server->clientEnv, way.signal == SIGSEGV ? crash : Env{}));
    const Window window = waitForWindow(x, "Salute", 30, true, program.get());
    ASSERT_NE(window, 0u) << program->err();
    EXPECT_TRUE(!real || eventually([&] { return layoutOf(x) == during; })) << layoutOf(x);
    const Rect area = geometry(x, window);
    EXPECT_EQ(rect(area.width, area.height, area.x, area.y), rect(640, 480, left, 0));
    const pid_t guardian = real ? guardianOf(program->pid()) : 0;
    EXPECT_TRUE(guardian || !real) << "no guardian";
    if (!way.inPause) {
        XWarpPointer(x, 0, DefaultRootWindow(x), 0, 0, 0, 0, left + 320, 240);
        EXPECT_TRUE(eventually([&] { return !cursorShown(x); }, 5)) << "the cursor shows over the window";
        pause(1.5);  // past the program's one-second pause, into its frames
        key(x, "space");
        pause(0.3);
        key(x, "space");
        ASSERT_TRUE(eventually([&] { return bool(logHolds(folder, 2)); }, 20)) << logHolds(folder, 2);
    }

    const double wayOut = now();
    switch (way.way) {
    case Way::key: key(x, "Escape"); break;
    case Way::altF4: key(x, "F4", {"Alt_L"}); break;
    case Way::close: sendClose(x, window); break;
    case Way::musicEnd: break;
    case Way::signal: program->signal(way.signal); break;
    case Way::serverGone:
        connection.reset();  // the test's own connection would end the test with the server
        kill(server->process->pid(), SIGKILL);
        break;
    }
    const std::optional<int> status = program->waitExit(60);
    ASSERT_TRUE(status) << "still running";
    const double end = now();
    EXPECT_EQ(*status, way.status);
    EXPECT_EQ(support::errorLinesAbout(program->err(), "went away").size(), way.way == Way::serverGone ? 1u : 0u);
    if (way.inPause) EXPECT_EQ(support::readFile(folder.file("log.txt")), earlier);
    else EXPECT_TRUE(logHolds(folder, 2));
    if (way.way != Way::serverGone) {
        EXPECT_EQ(program->err(), "");
        EXPECT_TRUE(eventually([&] { return layoutOf(x) == before && cursorShown(x) && !findWindow(x, "Salute"); }, 2))
            << layoutOf(x) << (cursorShown(x) ? "" : ", cursor hidden") << (findWindow(x, "Salute") ? ", window" : "");
    }
    std::printf("%s: ended %.0f ms after the way out, desktop back %.0f ms later\n", way.name, (end - wayOut) * 1e3,
                (now() - end) * 1e3);
    EXPECT_TRUE(eventually([&] { return guardian == 0 || ended(guardian); }, 2)) << "the guardian outlived the program";
}

// Two presentations on one display (a double click too many): the second
// declines in one line, before it touches the mode; the first, however it
// ends, gives the desktop its own mode back, and a new one can start then.
struct Second {
    const char* name;
    bool together;    // started at once with the first, not once it shows
    int firstSignal;  // 0: Escape
};

class TwoPresentationsTest : public testing::TestWithParam<Second> {
protected:
    static void SetUpTestSuite() { adoptOrphans(); }
};

TEST_P(TwoPresentationsTest, SecondDeclinesAndDesktopComesBack) {
    const Second second = GetParam();
    std::string why;
    auto server = startServer(Kind::xorgDummy, why);
    if (!server) GTEST_SKIP() << why;
    XConnection connection = connect(server->display);
    Display* x = connection.get();
    ASSERT_TRUE(x);
    const std::string before = layoutOf(x);
    const std::string during = "screen 640x480; DUMMY0 " + rect(640, 480, 0, 0);
    ProgramFolder folderA(60), folderB(60);

    auto a = startProgram(folderA, server->clientEnv);
    if (!second.together) ASSERT_TRUE(eventually([&] { return layoutOf(x) == during; }, 30)) << a->err();
    auto b = startProgram(folderB, server->clientEnv);
    // Whichever claimed the display first shows; the other ends with 1.
    ASSERT_TRUE(eventually([&] { return !a->running() || !b->running(); }, 30)) << "neither declined";
    auto& shown = b->running() ? b : a;
    auto& declined = b->running() ? a : b;
    if (!second.together) EXPECT_EQ(declined.get(), b.get());
    EXPECT_EQ(declined->waitExit(0), 1);
    EXPECT_EQ(support::errorLinesAbout(declined->err(), "").size(), 1u) << declined->err();
    EXPECT_EQ(support::errorLinesAbout(declined->err(), "already running on display " + server->display).size(), 1u);
    const Window window = waitForWindow(x, "Salute", 30, true, shown.get());
    ASSERT_NE(window, 0u) << shown->err();
    EXPECT_TRUE(eventually([&] { return layoutOf(x) == during; })) << layoutOf(x);
    const pid_t guardian = guardianOf(shown->pid());
    EXPECT_NE(guardian, 0) << "no guardian";

    if (second.firstSignal) shown->signal(second.firstSignal);
    else key(x, "Escape");
    ASSERT_TRUE(shown->waitExit(30)) << "still running";
    EXPECT_TRUE(eventually([&] { return layoutOf(x) == before; }, 2)) << layoutOf(x);
    EXPECT_TRUE(eventually([&] { return guardian == 0 || ended(guardian); }, 2)) << "the guardian outlived the program";

    // The claim went with the first: the next one switches and gives back.
    ProgramFolder folderC(60);
    auto c = startProgram(folderC, server->clientEnv);
    ASSERT_NE(waitForWindow(x, "Salute", 30, true, c.get()), 0u) << c->err();
    EXPECT_TRUE(eventually([&] { return layoutOf(x) == during; })) << layoutOf(x);
    key(x, "Escape");
    EXPECT_EQ(c->waitExit(30), 0);
    EXPECT_EQ(c->err(), "");
    EXPECT_TRUE(eventually([&] { return layoutOf(x) == before; }, 2)) << layoutOf(x);
}

INSTANTIATE_TEST_SUITE_P(Orders, TwoPresentationsTest,
                         testing::Values(Second{"first_escape", false, 0}, Second{"first_sigterm", false, SIGTERM},
                                         Second{"first_sigkill", false, SIGKILL},
                                         Second{"together_escape", true, 0}),
                         [](const testing::TestParamInfo<Second>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    WaysOut, ModeTest,
    testing::Values(WayOut{"escape", Way::key, 0, 0}, WayOut{"close", Way::close, 0, 0},
                    WayOut{"alt_f4", Way::altF4, 0, 0}, WayOut{"music_end", Way::musicEnd, 0, 0},
                    WayOut{"sigint", Way::signal, SIGINT, 0}, WayOut{"sigterm", Way::signal, SIGTERM, 0},
                    WayOut{"sighup", Way::signal, SIGHUP, 0}, WayOut{"sigquit", Way::signal, SIGQUIT, 0},
                    WayOut{"sigsegv", Way::signal, SIGSEGV, 128 + SIGSEGV},
                    WayOut{"sigabrt", Way::signal, SIGABRT, 128 + SIGABRT},
                    WayOut{"sigkill", Way::signal, SIGKILL, 128 + SIGKILL},
                    WayOut{"x_server_gone", Way::serverGone, 0, 1},
                    WayOut{"two_monitors_escape", Way::key, 0, 0, true},
                    WayOut{"two_monitors_sigkill", Way::signal, SIGKILL, 128 + SIGKILL, true},
                    WayOut{"escape_in_pause", Way::key, 0, 0, false, true},
                    WayOut{"close_in_pause", Way::close, 0, 0, false, true}),
    [](const testing::TestParamInfo<WayOut>& info) { return std::string(info.param.name); });

}  // namespace
