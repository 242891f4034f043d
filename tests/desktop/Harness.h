// The desktop harness: servers, the program, Xlib and XTest, screen checks.
#pragma once

#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace desktop {

using support::Env, support::join, support::Process, support::now, support::pause, support::eventually;

enum class Kind {
    xvfb,            // width x height x 24
    xorgDummy,       // Xorg with the dummy driver, 1920 x 1080: real mode switches (root only)
    pulse,           // PulseAudio with one null sink, salute_sink
    weston,          // weston's X11 backend: its output a window on `x`, with a seat
    westonHeadless,  // weston's headless backend: no input devices, so no seat
    openbox,         // the window manager on `x`
};

// X servers on a random display number from a wide range, rarely taken.
struct Server {
    ~Server();
    bool running() { return process && process->running(); }
    std::unique_ptr<Process> process;
    support::TempDir dir;
    std::string display;  // X servers: ":N"
    Env clientEnv;        // what a client needs to reach it
};

// Null, with the reason in `why`, when it cannot run here or did not come up.
std::unique_ptr<Server> startServer(Kind kind, std::string& why, int width = 640, int height = 480,
                                    const Server* x = nullptr);

using Picture = support::Picture;  // RGB

// build/desktop-failures/NAME.png, where failures are kept to look at.
std::string failurePath(const std::string& name);
bool savePng(const Picture& picture, const std::string& name);

// The frame salute-capture draws at `index` at `fps`; empty, and why, if not.
Picture headlessFrame(long index, int fps, std::string& error);

// A 16 x 16 block's mean difference: 0.19 to 0.32 right, 1.8 a missing stop.
constexpr double blockLimit = 1.0;

// Whether `screen` shows `drawing` as large as fits between black bars, each
// block within blockLimit (exact at scale 1); both kept on failure.
testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name);

using XConnection = std::unique_ptr<Display, decltype(&XCloseDisplay)>;
XConnection connect(const std::string& display);

// The viewable window so titled (focused, when asked) within `seconds`, or 0.
Window findWindow(Display* x, const std::string& title);
Window waitForWindow(Display* x, const std::string& title, double seconds, bool focused = false,
                     Process* program = nullptr);
Window focusOf(Display* x);
// The focus to the window under the pointer (weston's, without a manager),
// and a click on it.
bool focusUnderPointer(Display* x);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};
Rect geometry(Display* x, Window window);  // on the root window, asked of the server
// The root window; steady: once two in a row agree, for up to 5 s.
Picture screenshot(Display* x);
Picture steadyScreenshot(Display* x);

// Keys by keysym name through XTest, with `held` down around.
void key(Display* x, const std::string& name, const std::vector<std::string>& held = {});
void keyDown(Display* x, const std::string& name, bool down = true);
// To `window`, or to the root as a pager sends it.
void sendMessage(Display* x, Window window, const char* type, long data, bool toRoot = false);
void sendClose(Display* x, Window window);
// Whether the cursor the server shows has a visible pixel (XFixes).
bool cursorShown(Display* x);

// The build's pictures, and its music or a tone of `toneSeconds`.
struct ProgramFolder {
    explicit ProgramFolder(double toneSeconds = 0);
    std::string file(const std::string& name) const { return dir.file(name); }
    support::TempDir dir;
};

// build/salute in `folder`, with SDL's silent sound unless `env` says otherwise.
std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const Env& env);

// Whether log.txt holds `entries` entries numbered from 0, times not going back.
testing::AssertionResult logHolds(const ProgramFolder& folder, std::size_t entries, bool atLeast = false);

}  // namespace desktop
