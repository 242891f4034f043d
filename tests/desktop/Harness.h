// The desktop test harness: servers started and stopped by process id, the
// program run with an environment of its own, its window found through
// Xlib, screenshots taken by the X server, and pictures compared.
//
// Servers other than Xvfb (Xorg, a sound server, a compositor, a window
// manager) derive from ServerProcess in files of their own.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

using XDisplay = struct _XDisplay;  // Xlib's Display, without its header
using XWindow = unsigned long;      // Xlib's Window

namespace desktop {

// ---- Processes ---------------------------------------------------------------

// A child process, started with the test's environment changed by `env`:
// "NAME=value" sets a variable, a bare "NAME" removes it. Its standard
// output and error go to files kept for the test to read. It is killed
// (SIGKILL, by its id) and reaped when the object goes.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& workDir = "",
            const std::vector<std::string>& env = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    bool running();
    void signal(int number);
    // The exit status (128 + n when ended by signal n) once it has ended,
    // waiting up to `seconds`; nothing when it is still running then.
    std::optional<int> waitExit(double seconds);
    std::string out() const;
    std::string err() const;
    // Waits up to `seconds` for a line of standard error (output) that
    // contains `text`, at or after line `fromLine`; returns that line's
    // number, or -1 (also when the process ends first).
    int waitForErrLine(const std::string& text, double seconds, int fromLine = 0);
    int waitForOutLine(const std::string& text, double seconds, int fromLine = 0);

private:
    int waitForLine(bool err, const std::string& text, double seconds, int fromLine);

    pid_t pid_ = -1;
    std::optional<int> status_;
    support::TempDir logs_;
};

// Sleeps for the given seconds.
void pause(double seconds);

// ---- Servers -----------------------------------------------------------------

// A server process, stopped by its id (SIGTERM, then SIGKILL after five
// seconds) and waited for, so that the next one can take its place.
class ServerProcess {
public:
    virtual ~ServerProcess();
    pid_t pid() const { return process_ ? process_->pid() : -1; }
    bool running() { return process_ && process_->running(); }
    void stop();

protected:
    std::unique_ptr<Process> process_;
};

// An X server on a display number of its own: what a client sets DISPLAY to.
class XServer : public ServerProcess {
public:
    const std::string& display() const { return display_; }

protected:
    std::string display_;
};

// Random display numbers from a wide range, rather than the lowest free one:
// servers in other containers that share the network namespace (abstract
// socket names are shared, lock files are not) then rarely answer at ours.
int randomDisplayNumber();

// True once a client at `display` sees a screen of width x height, polling
// for up to `seconds` while `server` keeps running; a server that found its
// number taken has ended by then, and the answer came from another one.
bool waitForScreen(const std::string& display, int width, int height, ServerProcess& server, double seconds = 10);

// Xvfb with one screen of the given size at 24 bits. -noreset: by default
// the server resets whenever its last client leaves and turns away a client
// that connects meanwhile. Null (with a message) when five numbers failed.
class Xvfb : public XServer {
public:
    static std::unique_ptr<Xvfb> start(int width, int height);
};

// True when the named command is on PATH.
bool haveCommand(const std::string& name);

// ---- Pictures ----------------------------------------------------------------

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// An RGB picture, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    bool empty() const { return width <= 0 || height <= 0; }
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    Picture crop(const Rect& area) const;
};

Picture fromPng(const support::Png& png);
Picture loadPng(const std::string& path);
bool savePng(const Picture& picture, const std::string& path);

// Where a PNG of a failure is kept for people to look at:
// build/desktop-failures/NAME.png (the folder is made on demand).
std::string failurePath(const std::string& name);

// Number of pixels whose RGB differ (pictures of different sizes: all).
long differingPixels(const Picture& a, const Picture& b);

// The picture a presenter shows on a screen of width x height: the
// drawing's aspect kept, centred, the largest that fits (black bars).
Rect fittedArea(int screenWidth, int screenHeight, int drawingWidth, int drawingHeight);

// `drawing` scaled into `size` with bilinear filtering between texel
// centres (what a linear blit computes).
Picture scaleBilinear(const Picture& drawing, int width, int height);

// The worst block of a comparison of `shown` (a scaled copy of the drawing)
// against the drawing `reference`: the reference is scaled to `shown`'s size
// (bilinear), and for each block of block x block reference pixels the mean
// absolute difference per channel over the screen pixels it covers is taken.
struct BlockResult {
    double worst = 0.0;  // 0..255
    int blockX = 0;      // the worst block, in reference pixels
    int blockY = 0;
};
BlockResult compareBlocks(const Picture& shown, const Picture& reference, int block = 16);

// Pixels of `area`'s outside (within the whole picture) that are not black.
long nonBlackOutside(const Picture& screen, const Rect& area);

// The limit of compareBlocks' worst block for a drawing shown right. Where
// all is right it stays below 0.35 (0.19 to 0.32 measured on nine screen
// sizes); one missing full stop raises its block to 1.8, a missing letter
// to far more.
constexpr double blockLimit = 1.0;

// Whether the whole `screen` shows `drawing` as the presenter must: in the
// fitted area (fittedArea), identical where the scale is 1, else every
// block within blockLimit; black everywhere else. On failure, the
// screenshot and the drawing are kept as failurePath(name) and
// failurePath(name + "-headless").
testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name);

// ---- The X client side -------------------------------------------------------

// An Xlib connection to a server, closed at destruction.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool ok() const { return display_ != nullptr; }
    XDisplay* display() const { return display_; }
    int screenWidth() const;
    int screenHeight() const;

    // A viewable window with this title, or 0.
    XWindow findWindow(const std::string& title) const;
    // Waits up to `seconds` for a viewable window with this title (that has
    // the keyboard focus, when asked); 0 when none came, or `program`, when
    // given, ended first.
    XWindow waitForWindow(const std::string& title, double seconds, bool focused = false,
                          Process* program = nullptr) const;
    // The window's rectangle on the root window.
    Rect geometry(XWindow window) const;
    XWindow focus() const;

    // The X server's own picture of a part of the screen (all of it when
    // `area` is empty), from the root window.
    Picture screenshot(Rect area = {}) const;
    // Screenshots until two in a row are the same (a held picture that has
    // reached the screen), for up to `seconds`; the last one.
    Picture steadyScreenshot(double seconds = 5) const;

    // Keyboard input through XTest: a key named by its keysym name
    // ("Escape", "space", "F4", "a"), pressed and released, optionally with
    // modifiers held ("Alt_L").
    void key(const std::string& name, const std::vector<std::string>& held = {});
    void keyDown(const std::string& name);
    void keyUp(const std::string& name);
    // The close-box request (WM_DELETE_WINDOW) a window manager sends.
    bool sendClose(XWindow window);

private:
    XDisplay* display_ = nullptr;
};

// ---- The program -------------------------------------------------------------

// A folder to run the program in: the build's pictures, and as the music
// either the build's own or a generated tone of `toneSeconds` (> 0).
class ProgramFolder {
public:
    explicit ProgramFolder(double toneSeconds = 0);
    // Replaces the music with a tone of that length.
    void writeTone(double seconds);
    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }

private:
    support::TempDir dir_;
};

// A client of `server` (DISPLAY set) in `folder`, with the sound to SDL's
// silent driver; `env` as for Process.
std::unique_ptr<Process> startClient(const std::vector<std::string>& argv, const ProgramFolder& folder,
                                     const XServer& server, const std::vector<std::string>& env = {});
// build/salute as such a client.
std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const XServer& server,
                                      const std::vector<std::string>& env = {});

// The frame a headless run shows at frame index `index` with `fps` frames
// per second (salute-capture with the build's data); empty, with the reason
// in `error`, when it could not be made.
Picture headlessFrame(long index, int fps, std::string& error);

}  // namespace desktop
