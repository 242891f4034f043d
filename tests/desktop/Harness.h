// The desktop test harness: processes with an environment of their own,
// the servers a test needs (each started on a free display number or in a
// folder of its own, and ended by its process id), the program in a folder
// of the build's data, windows, keys and screenshots through Xlib and XTest,
// and the check that a screen shows the headless frame.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

using XDisplay = struct _XDisplay;  // Xlib's Display, without its header
using XWindow = unsigned long;      // Xlib's Window

namespace desktop {

// Environment changes: "NAME=value" sets a variable, a bare "NAME" removes it.
using Env = std::vector<std::string>;

// A child process; its standard output and error go to files kept for the
// test. Killed (SIGKILL, by its id) and reaped when the object goes.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& workDir = "", const Env& env = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running() { return pid_ > 0 && !waitExit(0); }
    void signal(int number);
    // The exit status (128 + n when ended by signal n), waiting up to
    // `seconds`; nothing while it still runs.
    std::optional<int> waitExit(double seconds);
    std::string out() const { return support::readFile(logs_.file("out")); }
    std::string err() const { return support::readFile(logs_.file("err")); }
    // Waits up to `seconds` for a line of standard error containing `text`,
    // at or after line `fromLine`; its number, or -1 (also when it ended).
    int waitForErrLine(const std::string& text, double seconds, int fromLine = 0);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    support::TempDir logs_;
};

void pause(double seconds);
// Whether `condition` holds within `seconds`, asked every 50 ms.
bool eventually(const std::function<bool()>& condition, double seconds = 10);
bool haveCommand(const std::string& name);

// The servers a test starts. X servers take a random display number from a
// wide range (servers in other containers that share the network namespace
// then rarely answer at ours) and are ready once a client sees their screen;
// weston and PulseAudio live in a folder of their own; openbox is ready once
// it has announced itself on the root window.
enum class Kind {
    xvfb,            // width x height x 24, -noreset
    xorgDummy,       // Xorg with the dummy driver: 1920 x 1080, real mode switches (root only)
    pulse,           // PulseAudio with one null sink, salute_sink
    weston,          // weston's X11 backend: its output a window on `x`, with a seat
    westonHeadless,  // weston's headless backend: no input devices, no seat
    openbox,         // the window manager on `x`
};

struct Server {
    ~Server();  // SIGTERM, SIGKILL after 5 s, reaped
    bool running() { return process && process->running(); }

    std::unique_ptr<Process> process;
    support::TempDir dir;
    std::string display;  // X servers: ":N"
    Env clientEnv;        // what a client's environment needs to reach it
};

// Null, with the reason in `why`, when the server cannot run here or did
// not come up (five tries for X servers).
std::unique_ptr<Server> startServer(Kind kind, std::string& why, int width = 640, int height = 480,
                                    const Server* x = nullptr);

// ---- Pictures ----------------------------------------------------------------

struct Picture {  // RGB, top row first
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

bool savePng(const Picture& picture, const std::string& name);  // as build/desktop-failures/NAME.png
std::string failurePath(const std::string& name);

// The limit of a 16 x 16 block's mean difference where the drawing is shown
// scaled. Where all is right it stays below 0.35 (0.19 to 0.32 measured on
// nine screen sizes); one missing full stop raises its block to 1.8, a
// missing letter to far more.
constexpr double blockLimit = 1.0;

// Whether `screen` shows `drawing` as the presenter must: its aspect kept,
// centred, the largest that fits, black bars around; identical where the
// scale is 1, else every block of 16 x 16 drawing pixels within blockLimit
// of the drawing scaled bilinearly. On failure both pictures are kept
// (failurePath(name) and name + "-headless").
testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name);

// The frame a headless run shows at frame index `index` with `fps` frames a
// second (salute-capture); empty, with the reason in `error`, on failure.
Picture headlessFrame(long index, int fps, std::string& error);

// ---- Xlib --------------------------------------------------------------------

// The viewable window with this title (depth first from the root), or 0.
XWindow findWindow(XDisplay* x, const std::string& title);
// Waits up to `seconds` for it (with the keyboard focus, when asked); 0 when
// it did not come or `program` ended first.
XWindow waitForWindow(XDisplay* x, const std::string& title, double seconds, bool focused = false,
                      Process* program = nullptr);
XWindow focusOf(XDisplay* x);
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};
Rect geometry(XDisplay* x, XWindow window);  // on the root window
// The root window as the server has it; steady: until two in a row agree
// (a held frame has reached the screen), for up to 5 s.
Picture screenshot(XDisplay* x);
Picture steadyScreenshot(XDisplay* x);
// A key by its keysym name ("Escape", "space", "F4"), pressed and released
// through XTest with `held` down around it, or only pressed or released.
void key(XDisplay* x, const std::string& name, const std::vector<std::string>& held = {});
void keyDown(XDisplay* x, const std::string& name, bool down = true);
// The close-box request (WM_DELETE_WINDOW) a window manager sends.
void sendClose(XDisplay* x, XWindow window);
// Gives the one viewable top-level window the keyboard focus (weston's
// output on a server without a window manager); false when none came in 10 s.
bool focusOnlyWindow(XDisplay* x);
// Whether the cursor the server shows has a visible pixel (XFixes).
bool cursorShown(XDisplay* x);

// ---- The program -------------------------------------------------------------

// A folder to run the program in: the build's pictures, and as the music
// the build's own or a generated tone of `toneSeconds` (> 0).
struct ProgramFolder {
    explicit ProgramFolder(double toneSeconds = 0);
    std::string file(const std::string& name) const { return dir.file(name); }
    support::TempDir dir;
};

// build/salute (or `argv`) in `folder`, the sound to SDL's silent driver
// unless `env` says otherwise.
std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const Env& env);
Env join(Env a, const Env& b);

// The timing log's times, when it holds entries numbered from 0 as
// "N : TIME" CR LF, times never going back; otherwise nothing, and why.
std::optional<std::vector<double>> logTimes(const std::string& path, std::string& why);
testing::AssertionResult logHolds(const ProgramFolder& folder, std::size_t entries, bool atLeast = false);

}  // namespace desktop
