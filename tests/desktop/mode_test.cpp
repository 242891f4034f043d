// The real display-mode switch and every way out of it, under Xorg with the
// dummy driver: while the program runs its output is at 640 x 480 with the
// cursor hidden; within 2 s of the program's end (orderly, signalled,
// crashed or killed) the desktop's own setup is back, the cursor shows, and
// the guardian has gone. With two monitors the mode and the window are on
// the primary one, and the other is left alone. When the X server itself
// goes, the program ends at once with one line, and so does the guardian.
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/desktop/XorgDummy.h"

namespace {

using namespace desktop;
using Clock = std::chrono::steady_clock;

enum class Way { key, altF4, close, musicEnd, signal, serverGone };

struct WayOut {
    const char* name;
    Way way;
    int signal;  // for Way::signal
    int status;  // the program's exit status
    bool twoMonitors = false;
};

void PrintTo(const WayOut& way, std::ostream* out) { *out << way.name; }

std::string rect(int width, int height, int x, int y) {
    return std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y);
}

// The screen size and each lit output's CRTC, as one line.
std::string layoutOf(Display* x) {
    Window root = DefaultRootWindow(x);
    Window unused = 0;
    int px = 0;
    int py = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(x, root, &unused, &px, &py, &width, &height, &border, &depth);
    std::string layout = "screen " + std::to_string(width) + "x" + std::to_string(height);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, root);
    for (int i = 0; resources && i < resources->noutput; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(x, resources, resources->outputs[i]);
        if (output && output->crtc) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(x, resources, output->crtc)) {
                layout += std::string("; ") + output->name + " " + rect(crtc->width, crtc->height, crtc->x, crtc->y);
                XRRFreeCrtcInfo(crtc);
            }
        }
        if (output) XRRFreeOutputInfo(output);
    }
    if (resources) XRRFreeScreenResources(resources);
    return layout;
}

// Whether the cursor the server shows at the pointer has a visible pixel.
bool cursorShown(Display* x) {
    XFixesCursorImage* image = XFixesGetCursorImage(x);
    if (!image) return false;
    bool shown = false;
    for (int i = 0; i < image->width * image->height; ++i) shown = shown || (image->pixels[i] >> 24) != 0;
    XFree(image);
    return shown;
}

bool waitFor(const std::function<bool()>& condition, double seconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        pause(0.02);
    }
}

// The guardian forked by `program`, or 0.
pid_t guardianOf(pid_t program) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid;
        std::string name;
        std::string state;
        pid_t parent = 0;
        if (stat >> pid >> name >> state >> parent && name == "(salute-guard)" && parent == program) {
            return std::stoi(pid);
        }
    }
    return 0;
}

// Whether the process has ended; the test is the guardian's subreaper once
// the program has gone, so a guardian's remains are collected here.
bool ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    std::string state;
    if (!(stat >> field >> field >> state)) return true;
    return state == "Z" && waitpid(pid, nullptr, WNOHANG) == pid;
}

bool xrandr(const std::string& display, const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"xrandr", "-display", display};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return support::runProcess(command, "", {}, 20).exitCode == 0;
}

class ModeTest : public testing::TestWithParam<WayOut> {
protected:
    static void SetUpTestSuite() {
        // Crashes here write no core; the program's orphaned guardian comes
        // to the test.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        prctl(PR_SET_CHILD_SUBREAPER, 1);
    }
};

TEST_P(ModeTest, DesktopBackAfterWayOut) {
    const WayOut way = GetParam();
    std::string why;
    auto server = XorgDummy::start(why);
    if (!server) GTEST_SKIP() << why;
    if (way.twoMonitors && !haveCommand("xrandr")) GTEST_SKIP() << "xrandr is not installed (x11-xserver-utils)";
    auto client = std::make_unique<XClient>(server->display());
    ASSERT_TRUE(client->ok());
    Display* x = client->display();
    int eventBase = 0;
    int errorBase = 0;
    int major = 6;
    int minor = 0;
    ASSERT_TRUE(XFixesQueryExtension(x, &eventBase, &errorBase) && XFixesQueryVersion(x, &major, &minor));

    // Two monitors: DUMMY1 to the left of the primary DUMMY0.
    std::string during = "screen 640x480; DUMMY0 " + rect(640, 480, 0, 0);
    int left = 0;
    if (way.twoMonitors) {
        ASSERT_TRUE(xrandr(server->display(), {"--addmode", "DUMMY1", "1920x1080"}));
        ASSERT_TRUE(xrandr(server->display(), {"--output", "DUMMY1", "--mode", "1920x1080", "--left-of", "DUMMY0"}));
        left = 1920;
        during = "screen 3840x1080; DUMMY0 " + rect(640, 480, left, 0) + "; DUMMY1 " + rect(1920, 1080, 0, 0);
    }
    const std::string before = layoutOf(x);

    ProgramFolder folder(way.way == Way::musicEnd ? 3 : 60);
    auto program = startProgram(folder, *server);
    const XWindow window = client->waitForWindow("Salute", 30, true, program.get());
    ASSERT_NE(window, 0u) << program->err();
    EXPECT_TRUE(waitFor([&] { return layoutOf(x) == during; }, 10)) << layoutOf(x);
    const Rect area = client->geometry(window);
    EXPECT_EQ(rect(area.width, area.height, area.x, area.y), rect(640, 480, left, 0));
    XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, left + 320, 240);
    XSync(x, False);
    EXPECT_TRUE(waitFor([&] { return !cursorShown(x); }, 5)) << "the cursor shows over the window";
    const pid_t guardian = guardianOf(program->pid());
    EXPECT_NE(guardian, 0) << "no guardian";
    pause(1.5);  // past the program's one-second pause, into its frames

    const auto wayOut = Clock::now();
    switch (way.way) {
    case Way::key: client->key("Escape"); break;
    case Way::altF4: client->key("F4", {"Alt_L"}); break;
    case Way::close: client->sendClose(window); break;
    case Way::musicEnd: break;
    case Way::signal: program->signal(way.signal); break;
    case Way::serverGone:
        client.reset();  // the test's own connection would end the test with the server
        kill(server->pid(), SIGKILL);
        break;
    }
    const std::optional<int> status = program->waitExit(60);
    ASSERT_TRUE(status) << "still running";
    const auto end = Clock::now();
    EXPECT_EQ(*status, way.status);
    if (way.way != Way::serverGone) {
        EXPECT_TRUE(waitFor([&] { return layoutOf(x) == before && cursorShown(x); }, 2))
            << layoutOf(x) << (cursorShown(x) ? "" : ", cursor hidden");
    }
    const auto back = Clock::now();
    EXPECT_TRUE(waitFor([&] { return guardian == 0 || ended(guardian); }, 2)) << "the guardian outlived the program";
    EXPECT_EQ(support::errorLinesAbout(program->err(), "went away").size(), way.way == Way::serverGone ? 1u : 0u);
    if (way.way != Way::serverGone) {
        EXPECT_EQ(program->err(), "");
    }
    const auto ms = [](Clock::duration span) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
    };
    std::printf("%s: ended %lld ms after the way out, desktop back %lld ms after the end\n", way.name,
                static_cast<long long>(ms(end - wayOut)), static_cast<long long>(ms(back - end)));
}

// SIGHUP (the terminal closed) and SIGQUIT end it like SIGTERM; crashes end
// as crashes, after the guardian has put the mode back.
INSTANTIATE_TEST_SUITE_P(WaysOut, ModeTest,
                         testing::Values(WayOut{"escape", Way::key, 0, 0}, WayOut{"close", Way::close, 0, 0},
                                         WayOut{"alt_f4", Way::altF4, 0, 0},
                                         WayOut{"music_end", Way::musicEnd, 0, 0},
                                         WayOut{"sigint", Way::signal, SIGINT, 0},
                                         WayOut{"sigterm", Way::signal, SIGTERM, 0},
                                         WayOut{"sighup", Way::signal, SIGHUP, 0},
                                         WayOut{"sigquit", Way::signal, SIGQUIT, 0},
                                         WayOut{"sigsegv", Way::signal, SIGSEGV, 128 + SIGSEGV},
                                         WayOut{"sigabrt", Way::signal, SIGABRT, 128 + SIGABRT},
                                         WayOut{"sigkill", Way::signal, SIGKILL, 128 + SIGKILL},
                                         WayOut{"x_server_gone", Way::serverGone, 0, 1},
                                         WayOut{"two_monitors_escape", Way::key, 0, 0, true},
                                         WayOut{"two_monitors_sigkill", Way::signal, SIGKILL, 128 + SIGKILL, true}),
                         [](const testing::TestParamInfo<WayOut>& info) { return std::string(info.param.name); });

}  // namespace
