// The desktop test harness: processes with an environment of their own,
// the servers a test needs (ended by their process id), the program in a
// folder of the build's data, Xlib and XTest, and the check that a screen
// shows the headless frame.
#pragma once

#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace desktop {

// Environment changes: "NAME=value" sets a variable, a bare "NAME" removes it.
using Env = std::vector<std::string>;
Env join(Env a, const Env& b);

// A child process, its standard output and error kept in files; killed
// (SIGKILL, by its id) and reaped when the object goes.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& workDir = "", const Env& env = {});
    ~Process();
    pid_t pid() const { return pid_; }
    bool running() { return pid_ > 0 && !waitExit(0); }
    void signal(int number);
    // The exit status (128 + n when ended by signal n), waiting up to `seconds`.
    std::optional<int> waitExit(double seconds);
    std::string out() const { return support::readFile(logs_.file("out")); }
    std::string err() const { return support::readFile(logs_.file("err")); }
    // The number of the first line of stderr from `fromLine` on that holds
    // `text`, waiting up to `seconds`; -1 when none came before it ended.
    int waitForErrLine(const std::string& text, double seconds, int fromLine = 0);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    support::TempDir logs_;
};

double now();  // seconds on CLOCK_MONOTONIC, as the program's traces give them
void pause(double seconds);
// Whether `condition` holds within `seconds` (and while `alive` does),
// asked every 50 ms.
bool eventually(const std::function<bool()>& condition, double seconds = 10,
                const std::function<bool()>& alive = nullptr);
bool haveCommand(const std::string& name);

enum class Kind {
    xvfb,            // width x height x 24
    xorgDummy,       // Xorg with the dummy driver, 1920 x 1080: real mode switches (root only)
    pulse,           // PulseAudio with one null sink, salute_sink
    weston,          // weston's X11 backend: its output a window on `x`, with a seat
    westonHeadless,  // weston's headless backend: no input devices, so no seat
    openbox,         // the window manager on `x`
};

// A server of the test's own: X servers on a random display number from a
// wide range (servers in other containers sharing the network namespace
// then rarely answer at ours), the others in a folder of their own. Ended
// with SIGTERM, SIGKILL after 5 s.
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

struct Picture {  // RGB, top row first
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// build/desktop-failures/NAME.png, where failures are kept to look at.
std::string failurePath(const std::string& name);
bool savePng(const Picture& picture, const std::string& name);

// The frame salute-capture draws at index `index` at `fps` frames a second;
// empty, with the reason in `error`, on failure.
Picture headlessFrame(long index, int fps, std::string& error);

// The limit of a 16 x 16 block's mean difference where the drawing is shown
// scaled: 0.19 to 0.32 measured where all is right, 1.8 for one missing
// full stop, far more for a missing letter.
constexpr double blockLimit = 1.0;

// Whether `screen` shows `drawing` with its aspect kept, centred, the
// largest that fits, black bars around: identical at scale 1, else every
// block within blockLimit of the drawing scaled bilinearly. On failure both
// are kept (failurePath(name), name + "-headless").
testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name);

using XConnection = std::unique_ptr<Display, decltype(&XCloseDisplay)>;
XConnection connect(const std::string& display);

// The viewable window with this title, or 0; waiting up to `seconds` for it
// (with the keyboard focus, when asked) while `program` runs.
Window findWindow(Display* x, const std::string& title);
Window waitForWindow(Display* x, const std::string& title, double seconds, bool focused = false,
                     Process* program = nullptr);
Window focusOf(Display* x);
// The keyboard focus to the top-level window under the pointer (weston's
// output, where no window manager gives it).
bool focusUnderPointer(Display* x);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};
Rect geometry(Display* x, Window window);  // on the root window, asked of the server
// The root window; steady: once two in a row agree, for up to 5 s.
Picture screenshot(Display* x);
Picture steadyScreenshot(Display* x);

// Keys by their keysym names, through XTest: pressed and released with
// `held` down around, or only pressed (released).
void key(Display* x, const std::string& name, const std::vector<std::string>& held = {});
void keyDown(Display* x, const std::string& name, bool down = true);
// The close-box request (WM_DELETE_WINDOW) a window manager sends.
void sendClose(Display* x, Window window);
// Whether the cursor the server shows has a visible pixel (XFixes).
bool cursorShown(Display* x);

// A folder to run the program in: the build's pictures, and the build's
// music or a tone of `toneSeconds`.
struct ProgramFolder {
    explicit ProgramFolder(double toneSeconds = 0);
    std::string file(const std::string& name) const { return dir.file(name); }
    support::TempDir dir;
};

// build/salute in `folder`, with SDL's silent sound unless `env` says otherwise.
std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const Env& env);

// The timing log's times when every line is "N : TIME" CR LF, numbered from
// 0, the times never going back; otherwise nothing, and why.
std::optional<std::vector<double>> logTimes(const std::string& path, std::string& why);
testing::AssertionResult logHolds(const ProgramFolder& folder, std::size_t entries, bool atLeast = false);

}  // namespace desktop
