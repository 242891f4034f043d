#include "tests/desktop/Harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

namespace desktop {

namespace {

using Clock = std::chrono::steady_clock;

// Polls `ready` every 50 ms for up to `seconds`, while `alive` holds.
bool poll(const std::function<bool()>& ready, double seconds, const std::function<bool()>& alive) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    for (;;) {
        if (ready()) return true;
        if (!alive() || Clock::now() >= deadline) return false;
        pause(0.05);
    }
}

}  // namespace

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(seconds * 1000))); }

bool eventually(const std::function<bool()>& condition, double seconds) {
    return poll(condition, seconds, [] { return true; });
}

bool haveCommand(const std::string& name) {
    std::istringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

Env join(Env a, const Env& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- Processes ---------------------------------------------------------------

Process::Process(const std::vector<std::string>& argv, const std::string& workDir, const Env& env) {
    const std::string out = logs_.file("out");
    const std::string err = logs_.file("err");
    pid_ = fork();
    if (pid_ != 0) return;
    // The child: its own output files, default signal handling, the
    // environment asked for.
    if (!freopen("/dev/null", "r", stdin) || !freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr))
        _exit(126);
    for (int number : {SIGINT, SIGTERM, SIGUSR1, SIGPIPE}) ::signal(number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
    for (const std::string& entry : env) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) unsetenv(entry.c_str());
        else setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

Process::~Process() {
    signal(SIGKILL);
    waitExit(10);
}

void Process::signal(int number) {
    if (pid_ > 0 && !status_) kill(pid_, number);
}

std::optional<int> Process::waitExit(double seconds) {
    const auto ended = [&] {
        int status = 0;
        if (!status_ && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_.has_value();
    };
    poll(ended, seconds, [] { return true; });
    return status_;
}

int Process::waitForErrLine(const std::string& text, double seconds, int fromLine) {
    int found = -1;
    poll(
        [&] {
            std::istringstream lines(err());
            std::string line;
            for (int number = 0; std::getline(lines, line); ++number)
                if (number >= fromLine && line.find(text) != std::string::npos) return (found = number) >= 0;
            return false;
        },
        seconds, [&] { return running(); });
    return found;
}

// ---- Servers -----------------------------------------------------------------

Server::~Server() {
    if (!process) return;
    process->signal(SIGTERM);
    if (!process->waitExit(5)) process->signal(SIGKILL);
    process->waitExit(5);
}

namespace {


bool screenIs(const std::string& display, int width, int height) {
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    const bool right = DisplayWidth(x, 0) == width && DisplayHeight(x, 0) == height;
    XCloseDisplay(x);
    return right;
}

bool windowManagerAnnounced(const std::string& display) {
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                       XA_WINDOW, &type, &format, &count, &left, &data);
    if (data) XFree(data);
    XCloseDisplay(x);
    return count == 1;
}

}  // namespace

std::unique_ptr<Server> startServer(Kind kind, std::string& why, int width, int height, const Server* x) {
    static const std::vector<std::vector<std::string>> needs{
        {"Xvfb"}, {"Xorg"}, {"pulseaudio", "pactl", "parec"}, {"weston", "Xvfb"}, {"weston"}, {"openbox"}};
    for (const std::string& command : needs[static_cast<int>(kind)]) {
        if (!haveCommand(command)) return why = command + " is not installed", nullptr;
    }
    if (kind == Kind::xorgDummy) {
        if (geteuid() != 0) return why = "Xorg with the dummy driver needs root", nullptr;
        if (!std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so"))
            return why = "the dummy video driver is not installed (xserver-xorg-video-dummy)", nullptr;
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
            argv = {"Xvfb", server->display, "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24",
                    "-nolisten", "tcp", "-noreset"};
            break;
        case Kind::xorgDummy:
            std::filesystem::create_directory(dir + "/xorg.conf.d");  // none: the machine's are not read
            argv = {"Xorg", server->display, "-config", support::sourceDir() + "/tests/desktop/xorg-dummy.conf",
                    "-configdir", dir + "/xorg.conf.d",
                    "-noreset", "-nolisten", "tcp", "-logfile", dir + "/Xorg.log"};
            break;
        case Kind::pulse:
            // No system instance, no default script (no hardware detection,
            // D-Bus or X11 modules), never exiting on idle, no shared memory.
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
            // Not --fullscreen: without a window manager weston would wait
            // for one for ever.
            argv = {"weston", "--socket=salute-wayland", "--idle-time=0", "--no-config", "--use-pixman", size, tall,
                    kind == Kind::weston ? "--backend=x11-backend.so" : "--backend=headless-backend.so"};
            env = {"XDG_RUNTIME_DIR=" + dir, "WAYLAND_DISPLAY", kind == Kind::weston ? "DISPLAY=" + x->display : "DISPLAY"};
            server->clientEnv = {"XDG_RUNTIME_DIR=" + dir, "WAYLAND_DISPLAY=salute-wayland", "DISPLAY", "SDL_VIDEODRIVER"};
            ready = [dir] { return std::filesystem::exists(dir + "/salute-wayland"); };
            break;
        case Kind::openbox:
            argv = {"openbox", "--sm-disable"};
            env = {"DISPLAY=" + x->display};
            ready = [display = x->display] { return windowManagerAnnounced(display); };
            break;
        }
        if (xServer) {
            server->clientEnv = {"DISPLAY=" + server->display};
            ready = [display = server->display, width, height] { return screenIs(display, width, height); };
        }
        server->process = std::make_unique<Process>(argv, dir, env);
        // A server that found its number taken has ended by the time a
        // client's answer (from the other one) has come.
        if (poll(ready, 10, [&] { return server->running(); }) && (pause(0.1), server->running())) return server;
        why = argv[0] + " did not come up: " + server->process->err().substr(0, 2000);
    }
    return nullptr;
}

// ---- Pictures ----------------------------------------------------------------

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
    return png_image_write_to_file(&image, failurePath(name).c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
}

testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name) {
    const double scale = std::min(static_cast<double>(screen.width) / drawing.width,
                                  static_cast<double>(screen.height) / drawing.height);
    const int width = static_cast<int>(std::lround(drawing.width * scale));
    const int height = static_cast<int>(std::lround(drawing.height * scale));
    const int left = (screen.width - width) / 2, top = (screen.height - height) / 2;
    // Each screen pixel against the drawing sampled bilinearly between texel
    // centres at its place (what a linear blit computes), the differences
    // summed per block of the drawing; outside the picture, black.
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
            const std::size_t cell = static_cast<std::size_t>(std::lround(fy) / block * across + std::lround(fx) / block);
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
    // Frame k shows demoTime k / fps (the clocks restart at the end of the
    // load, in frame 0): asking for the first frame at or after half a step
    // earlier gets frame k itself, which the capture tool confirms.
    support::TempDir folder;
    const std::string time = index > 0 ? std::to_string((index - 0.5) / fps) : "0";
    const support::RunResult run =
        support::runProcess({support::capturePath(), "--data", support::dataDir(), "--fps", std::to_string(fps),
                             "--frames-at", time, "--png", folder.path()});
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (run.out.find("(frame " + std::to_string(index) + ",") == std::string::npos ||
        !png_image_begin_read_from_file(&image, folder.file("0001.png").c_str())) {
        error = "salute-capture did not give frame " + std::to_string(index) + ": " + run.out + run.err;
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.width = static_cast<int>(image.width);
        picture.height = static_cast<int>(image.height);
    }
    return picture;
}

// ---- Xlib --------------------------------------------------------------------

XWindow findWindow(Display* x, const std::string& title) {
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

XWindow waitForWindow(Display* x, const std::string& title, double seconds, bool focused, Process* program) {
    XWindow window = 0;
    poll([&] { return (window = findWindow(x, title)) && (!focused || focusOf(x) == window); }, seconds,
         [&] { return !program || program->running(); });
    return window && (!focused || focusOf(x) == window) ? window : 0;
}

XWindow focusOf(Display* x) {
    Window window = 0;
    int revert = 0;
    XGetInputFocus(x, &window, &revert);
    return window;
}

Rect geometry(Display* x, XWindow window) {
    XWindowAttributes attributes;
    Rect rect;
    Window child = 0;
    if (!XGetWindowAttributes(x, window, &attributes)) return rect;
    XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &rect.x, &rect.y, &child);
    rect.width = attributes.width;
    rect.height = attributes.height;
    return rect;
}

// Asked of the server each time (Xlib's own figures are those of when the
// connection was made). A 24-bit TrueColor screen: red in the high byte.
Picture screenshot(Display* x) {
    const Rect root = geometry(x, DefaultRootWindow(x));
    Picture picture{root.width, root.height, {}};
    XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, static_cast<unsigned>(root.width),
                              static_cast<unsigned>(root.height), AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.rgb.reserve(static_cast<std::size_t>(root.width) * root.height * 3);
    for (int y = 0; y < root.height; ++y) {
        for (int row = 0; row < root.width; ++row) {
            const unsigned long pixel = XGetPixel(image, row, y);
            picture.rgb.insert(picture.rgb.end(), {static_cast<std::uint8_t>(pixel >> 16),
                                                   static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)});
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
        return last.rgb == next.rgb;
    };
    poll(steady, 5, [] { return true; });
    return last;
}

bool focusOnlyWindow(Display* x) {
    Window output = 0;
    const auto found = [&] {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XWindowAttributes attributes;
        XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i)
            if (XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable)
                output = children[i];
        if (children) XFree(children);
        return output != 0;
    };
    if (!poll(found, 10, [] { return true; })) return false;
    XSetInputFocus(x, output, RevertToPointerRoot, CurrentTime);
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

void sendClose(Display* x, XWindow window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, window, False, NoEventMask, &event);
    XSync(x, False);
}

bool cursorShown(Display* x) {
    XFixesCursorImage* image = XFixesGetCursorImage(x);
    bool shown = false;
    for (int i = 0; image && i < image->width * image->height; ++i) shown = shown || (image->pixels[i] >> 24) != 0;
    if (image) XFree(image);
    return shown;
}

// ---- The program -------------------------------------------------------------

ProgramFolder::ProgramFolder(double toneSeconds) {
    std::filesystem::create_directory_symlink(support::dataDir() + "/textures", dir.file("textures"));
    if (toneSeconds > 0) support::writeToneOgg(dir.file("90secver.ogg"), toneSeconds);
    else std::filesystem::create_symlink(support::dataDir() + "/90secver.ogg", dir.file("90secver.ogg"));
}

std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const Env& env) {
    return std::make_unique<Process>(std::vector<std::string>{support::programPath()}, folder.dir.path(),
                                     join({"SDL_AUDIODRIVER=dummy"}, env));
}

std::optional<std::vector<double>> logTimes(const std::string& path, std::string& why) {
    const std::string text = support::readFile(path);
    std::vector<double> times;
    std::istringstream lines(text);
    const std::regex entry("([0-9]+) : ([0-9.e+-]+)\r");
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_match(line, match, entry) || std::stoul(match[1]) != times.size() ||
            (!times.empty() && std::stod(match[2]) < times.back()))
            return why = "entry " + std::to_string(times.size()) + " is wrong: " + line, std::nullopt;
        times.push_back(std::stod(match[2]));
    }
    if (!text.empty() && text.back() != '\n') return why = "the last line is unended", std::nullopt;
    return times;
}

testing::AssertionResult logHolds(const ProgramFolder& folder, std::size_t entries, bool atLeast) {
    std::string why;
    const auto times = logTimes(folder.file("log.txt"), why);
    if (!times) return testing::AssertionFailure() << why;
    if (atLeast ? times->size() < entries : times->size() != entries)
        return testing::AssertionFailure() << times->size() << " entries, expected " << entries;
    return testing::AssertionSuccess();
}

}  // namespace desktop
