#include "tests/desktop/Harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <png.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>

namespace desktop {

Server::~Server() {
    if (!process) return;
    process->signal(SIGTERM);
    if (!process->waitExit(5)) process->signal(SIGKILL);
    process->waitExit(5);
}

static bool askX(const std::string& display, const std::function<bool(Display*)>& question) {
    const XConnection x = connect(display);
    return x && question(x.get());
}

std::unique_ptr<Server> startServer(Kind kind, std::string& why, int width, int height, const Server* x) {
    static const std::vector<std::vector<std::string>> needs{
        {"Xvfb"}, {"Xorg"}, {"pulseaudio", "pactl", "parec"}, {"weston", "Xvfb"}, {"weston"}, {"openbox"}};
    for (const std::string& command : needs[static_cast<int>(kind)])
        if (support::runProcess({"sh", "-c", "command -v " + command}).exitCode != 0)
            return why = command + " is not installed", nullptr;
    if (kind == Kind::xorgDummy) {
        if (geteuid() != 0) return why = "Xorg with the dummy driver needs root", nullptr;
        width = 1920, height = 1080;
    }
    static std::mt19937 random{std::random_device{}()};
    const bool xServer = kind == Kind::xvfb || kind == Kind::xorgDummy;
    for (int attempt = 0; attempt < (xServer ? 5 : 1); ++attempt) {
        auto server = std::make_unique<Server>();
        const std::string dir = server->dir.path();
        const std::string size = "--width=" + std::to_string(width), tall = "--height=" + std::to_string(height);
        server->display = ":" + std::to_string(1000 + random() % 30000);
        std::vector<std::string> argv;
        Env env{"DISPLAY"};
        std::function<bool()> ready;
        switch (kind) {
        case Kind::xvfb:
            argv = {"Xvfb", server->display, "-screen", "0", size.substr(8) + "x" + tall.substr(9) + "x24", "-nolisten",
                    "tcp", "-noreset"};
            break;
        case Kind::xorgDummy:
            std::filesystem::create_directory(dir + "/xorg.conf.d");  // none: the machine's are not read
            argv = {"Xorg", server->display, "-config", support::sourceDir() + "/tests/desktop/xorg-dummy.conf",
                    "-configdir", dir + "/xorg.conf.d",
                    "-noreset", "-nolisten", "tcp", "-logfile", dir + "/Xorg.log"};
            break;
        case Kind::pulse:
            // No default script: no hardware detection, D-Bus or X11 modules.
            argv = {"pulseaudio", "-n", "--daemonize=no", "--system=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--disable-shm=yes", "--log-target=stderr", "-L",
                    "module-null-sink sink_name=salute_sink rate=44100 channels=2", "-L",
                    "module-native-protocol-unix auth-anonymous=1 socket=" + dir + "/native"};
            env = {"HOME=" + dir, "PULSE_RUNTIME_PATH=" + dir + "/run", "PULSE_STATE_PATH=" + dir + "/state",
                   "PULSE_SERVER", "DISPLAY"};
            server->clientEnv = {"PULSE_SERVER=unix:" + dir + "/native"};
            ready = [env = server->clientEnv] {
                return support::runProcess({"pactl", "info"}, "", env, 10).out.find("Default Sink: salute_sink") !=
                       std::string::npos;
            };
            break;
        case Kind::weston:
        case Kind::westonHeadless:
            // Not --fullscreen: it would wait for a window manager for ever.
            argv = {"weston", "--socket=salute-wayland", "--idle-time=0", "--no-config", "--use-pixman", size, tall,
                    kind == Kind::weston ? "--backend=x11-backend.so" : "--backend=headless-backend.so"};
            env = {"XDG_RUNTIME_DIR=" + dir, "WAYLAND_DISPLAY", x ? "DISPLAY=" + x->display : "DISPLAY"};
            server->clientEnv = {"XDG_RUNTIME_DIR=" + dir, "WAYLAND_DISPLAY=salute-wayland", "DISPLAY",
                                 "SDL_VIDEODRIVER"};
            ready = [dir] { return std::filesystem::exists(dir + "/salute-wayland"); };
            break;
        case Kind::openbox:
            argv = {"openbox", "--sm-disable"};
            env = {"DISPLAY=" + x->display};
            // Ready once it owns the window manager's selection.
            ready = [display = x->display] {
                return askX(display, [](Display* x) { return XGetSelectionOwner(x, XInternAtom(x, "WM_S0", False)); });
            };
            break;
        }
        if (xServer) {
            server->clientEnv = {"DISPLAY=" + server->display};
            ready = [display = server->display, width, height] {
                return askX(display, [&](Display* x) { return geometry(x, DefaultRootWindow(x)).width == width; });
            };
        }
        server->process = std::make_unique<Process>(argv, dir, env);
        // One that found its number taken has ended once the other answered.
        if (eventually(ready, 10, [&] { return server->running(); }) && (pause(0.1), server->running())) return server;
        why = argv[0] + " did not come up: " + server->process->err().substr(0, 2000);
    }
    return nullptr;
}

std::string failurePath(const std::string& name) {
    std::filesystem::create_directories(support::dataDir() + "/desktop-failures");
    return support::dataDir() + "/desktop-failures/" + name + ".png";
}

bool savePng(const Picture& picture, const std::string& name) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, failurePath(name).c_str(), 0, picture.pixels.data(), 0, nullptr) != 0;
}

testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name) {
    const double scale = std::min(static_cast<double>(screen.width) / drawing.width,
                                  static_cast<double>(screen.height) / drawing.height);
    const int width = static_cast<int>(std::lround(drawing.width * scale));
    const int height = static_cast<int>(std::lround(drawing.height * scale));
    const int left = (screen.width - width) / 2, top = (screen.height - height) / 2;
    // Each screen pixel against the drawing sampled bilinearly, summed per block.
    constexpr int block = 16;
    const int across = (drawing.width + block - 1) / block;
    std::vector<double> sums(static_cast<std::size_t>(across) * ((drawing.height + block - 1) / block));
    std::vector<long> counts(sums.size());
    long bars = 0;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const std::uint8_t* shown = screen.at(x, y);
            if (x < left || x >= left + width || y < top || y >= top + height) {
                bars += (shown[0] | shown[1] | shown[2]) != 0;
                continue;
            }
            const double fx = std::clamp((x - left + 0.5) / scale - 0.5, 0.0, drawing.width - 1.0);
            const double fy = std::clamp((y - top + 0.5) / scale - 0.5, 0.0, drawing.height - 1.0);
            const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
            const int x1 = std::min(x0 + 1, drawing.width - 1), y1 = std::min(y0 + 1, drawing.height - 1);
            const double wx = fx - x0, wy = fy - y0;
            const auto cell = static_cast<std::size_t>(std::lround(fy) / block * across + std::lround(fx) / block);
            for (int c = 0; c < 3; ++c) {
                const double upper = drawing.at(x0, y0)[c] * (1 - wx) + drawing.at(x1, y0)[c] * wx;
                const double lower = drawing.at(x0, y1)[c] * (1 - wx) + drawing.at(x1, y1)[c] * wx;
                sums[cell] += std::abs(shown[c] - std::lround(upper * (1 - wy) + lower * wy));
            }
            ++counts[cell];
        }
    }
    std::size_t worst = 0;
    for (std::size_t i = 0; i < sums.size(); ++i) {
        sums[i] /= std::max(1L, 3 * counts[i]);
        if (sums[i] > sums[worst]) worst = i;
    }
    const double limit = width == drawing.width && height == drawing.height ? 0.0 : blockLimit;
    if (bars == 0 && sums[worst] <= limit) return testing::AssertionSuccess();
    savePng(screen, name);
    savePng(drawing, name + "-headless");
    return testing::AssertionFailure() << bars << " pixels of the bars are not black; the block at "
                                       << worst % across * block << "," << worst / across * block << " differs by "
                                       << sums[worst] << " (limit " << limit << "); see " << failurePath(name);
}

Picture headlessFrame(long index, int fps, std::string& error) {
    // The first frame from half a step before frame k's time is frame k.
    support::TempDir folder;
    const std::string time = index > 0 ? std::to_string((index - 0.5) / fps) : "0";
    const support::RunResult run =
        support::runProcess({support::capturePath(), "--data", support::dataDir(), "--fps", std::to_string(fps),
                             "--frames-at", time, "--png", folder.path()});
    Picture picture = support::readPng(folder.file("0001.png"));
    if (run.out.find("(frame " + std::to_string(index) + ",") == std::string::npos || picture.pixels.empty()) {
        error = "salute-capture did not give frame " + std::to_string(index) + ": " + run.out + run.err;
        picture.pixels.clear();
    }
    return picture;
}

Window findWindow(Display* x, const std::string& title) {
    std::function<Window(Window)> search = [&](Window window) -> Window {
        XWindowAttributes attributes;
        char* name = nullptr;
        if (XGetWindowAttributes(x, window, &attributes) && attributes.map_state == IsViewable &&
            XFetchName(x, window, &name) && name) {
            const bool match = title == name;
            XFree(name);
            if (match) return window;
        }
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned int count = 0;
        if (XQueryTree(x, window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && !found; ++i) found = search(children[i]);
            if (children) XFree(children);
        }
        return found;
    };
    return search(DefaultRootWindow(x));
}

Window waitForWindow(Display* x, const std::string& title, double seconds, bool focused, Process* program) {
    Window window = 0;
    eventually([&] { return (window = findWindow(x, title)) && (!focused || focusOf(x) == window); }, seconds,
         [&] { return !program || program->running(); });
    return window && (!focused || focusOf(x) == window) ? window : 0;
}

Window focusOf(Display* x) {
    Window window = 0;
    int revert = 0;
    XGetInputFocus(x, &window, &revert);
    return window;
}

Rect geometry(Display* x, Window window) {
    XWindowAttributes attributes;
    Rect rect;
    Window child = 0;
    if (!XGetWindowAttributes(x, window, &attributes)) return rect;
    XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &rect.x, &rect.y, &child);
    rect.width = attributes.width;
    rect.height = attributes.height;
    return rect;
}

// A 24-bit TrueColor screen: red in the high byte.
Picture screenshot(Display* x) {
    const Rect root = geometry(x, DefaultRootWindow(x));
    Picture picture{root.width, root.height, 3, {}};
    XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, static_cast<unsigned>(root.width),
                              static_cast<unsigned>(root.height), AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.pixels.reserve(static_cast<std::size_t>(root.width) * root.height * 3);
    for (int y = 0; y < root.height; ++y) {
        for (int row = 0; row < root.width; ++row) {
            const unsigned long pixel = XGetPixel(image, row, y);
            for (int shift : {16, 8, 0}) picture.pixels.push_back(static_cast<std::uint8_t>(pixel >> shift));
        }
    }
    XDestroyImage(image);
    return picture;
}

Picture steadyScreenshot(Display* x) {
    Picture last = screenshot(x);
    const auto steady = [&] {
        pause(0.1);
        Picture next = screenshot(x);
        std::swap(last, next);
        return last.pixels == next.pixels;
    };
    eventually(steady, 5);
    return last;
}

namespace {

XErrorHandler xlibHandler = nullptr;

// The program's windows come and go while a test looks at them, and asking
// about one that has just gone fails with BadWindow (or BadDrawable), which
// Xlib's own handler turns into the test's exit. Such a window is simply
// not there any more: the call returns its failure. Any other error goes
// to Xlib's handler as before.
int ignoreVanishedWindows(Display* x, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable) return 0;
    return xlibHandler ? xlibHandler(x, error) : 0;
}

}  // namespace

XConnection connect(const std::string& display) {
    static const bool installed = [] {
        xlibHandler = XSetErrorHandler(ignoreVanishedWindows);
        return true;
    }();
    (void)installed;
    return {XOpenDisplay(display.c_str()), XCloseDisplay};
}

bool focusUnderPointer(Display* x) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int buttons = 0;
    const auto under = [&] { return XQueryPointer(x, DefaultRootWindow(x), &root, &child, &rootX, &rootY, &windowX,
                                                  &windowY, &buttons) && child; };
    if (!eventually(under)) return false;
    XSetInputFocus(x, child, RevertToPointerRoot, CurrentTime);
    XSync(x, False);
    // And a click, as a person would give it: under load weston's X11 backend
    // can lose the focus-in that follows a focus-out, and then keeps no
    // surface focused until one is clicked.
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    XSync(x, False);
    return true;
}

void keyDown(Display* x, const std::string& name, bool down) {
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, XStringToKeysym(name.c_str())), down, CurrentTime);
    XSync(x, False);
}

void key(Display* x, const std::string& name, const std::vector<std::string>& held) {
    for (const std::string& modifier : held) keyDown(x, modifier);
    keyDown(x, name);
    keyDown(x, name, false);
    for (auto it = held.rbegin(); it != held.rend(); ++it) keyDown(x, *it, false);
}

void sendMessage(Display* x, Window window, const char* type, long data, bool toRoot) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x, type, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = data;
    XSendEvent(x, toRoot ? DefaultRootWindow(x) : window, False,
               toRoot ? SubstructureRedirectMask | SubstructureNotifyMask : NoEventMask, &event);
    XSync(x, False);
}

void sendClose(Display* x, Window window) {
    sendMessage(x, window, "WM_PROTOCOLS", long(XInternAtom(x, "WM_DELETE_WINDOW", False)));
}

bool cursorShown(Display* x) {
    XFixesCursorImage* image = XFixesGetCursorImage(x);
    bool shown = false;
    for (int i = 0; image && i < image->width * image->height; ++i) shown = shown || (image->pixels[i] >> 24) != 0;
    if (image) XFree(image);
    return shown;
}

ProgramFolder::ProgramFolder(double toneSeconds) {
    std::filesystem::create_directory_symlink(support::dataDir() + "/textures", dir.file("textures"));
    if (toneSeconds > 0) support::writeToneOgg(dir.file("90secver.ogg"), toneSeconds);
    else std::filesystem::create_symlink(support::dataDir() + "/90secver.ogg", dir.file("90secver.ogg"));
}

std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const Env& env) {
    return std::make_unique<Process>(std::vector<std::string>{support::programPath()}, folder.dir.path(),
                                     join({"SDL_AUDIODRIVER=dummy"}, env));
}

testing::AssertionResult logHolds(const ProgramFolder& folder, std::size_t entries, bool atLeast) {
    const auto log = support::readLog(folder.file("log.txt"));
    if (!log) return testing::AssertionFailure() << "a malformed line";
    for (std::size_t i = 0; i < log->size(); ++i)
        if ((*log)[i].counter != long(i) || (i > 0 && (*log)[i].seconds < (*log)[i - 1].seconds))
            return testing::AssertionFailure() << "entry " << i << " is wrong";
    if (atLeast ? log->size() < entries : log->size() != entries)
        return testing::AssertionFailure() << log->size() << " entries, expected " << entries;
    return testing::AssertionSuccess();
}

}  // namespace desktop
