#include "tests/desktop/Harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "tools/common/PngWriter.h"

namespace desktop {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

}  // namespace

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(seconds * 1000))); }

// ---- Processes ---------------------------------------------------------------

Process::Process(const std::vector<std::string>& argv, const std::string& workDir,
                 const std::vector<std::string>& env) {
    if (argv.empty()) return;
    const std::string outPath = logs_.file("out");
    const std::string errPath = logs_.file("err");
    pid_ = fork();
    if (pid_ != 0) return;
    // The child: its own output files, default signal handling, the
    // environment asked for.
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || none < 0) _exit(126);
    dup2(none, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (int number : {SIGINT, SIGTERM, SIGUSR1, SIGPIPE}) ::signal(number, SIG_DFL);
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
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
    if (running()) {
        kill(pid_, SIGKILL);
        waitExit(10);
    }
}

bool Process::running() { return pid_ > 0 && !waitExit(0); }

void Process::signal(int number) {
    if (pid_ > 0 && !status_) kill(pid_, number);
}

std::optional<int> Process::waitExit(double seconds) {
    if (pid_ <= 0 || status_) return status_;
    const auto deadline = after(seconds);
    for (;;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_;
        }
        if (Clock::now() >= deadline) return std::nullopt;
        pause(0.02);
    }
}

std::string Process::out() const { return support::readFile(logs_.file("out")); }
std::string Process::err() const { return support::readFile(logs_.file("err")); }

int Process::waitForErrLine(const std::string& text, double seconds, int fromLine) {
    return waitForLine(true, text, seconds, fromLine);
}

int Process::waitForOutLine(const std::string& text, double seconds, int fromLine) {
    return waitForLine(false, text, seconds, fromLine);
}

int Process::waitForLine(bool inErr, const std::string& text, double seconds, int fromLine) {
    const auto deadline = after(seconds);
    for (;;) {
        std::istringstream lines(inErr ? err() : out());
        std::string line;
        for (int number = 0; std::getline(lines, line); ++number) {
            if (number >= fromLine && line.find(text) != std::string::npos) return number;
        }
        if (Clock::now() >= deadline || !running()) return -1;
        pause(0.02);
    }
}

// ---- Servers -----------------------------------------------------------------

ServerProcess::~ServerProcess() { stop(); }

void ServerProcess::stop() {
    if (!process_) return;
    process_->signal(SIGTERM);
    if (!process_->waitExit(5)) process_->signal(SIGKILL);
    process_->waitExit(5);
    process_.reset();
}

int randomDisplayNumber() {
    static std::mt19937 random{std::random_device{}()};
    return 1000 + static_cast<int>(random() % 30000);
}

bool waitForScreen(const std::string& display, int width, int height, ServerProcess& server, double seconds) {
    const auto deadline = after(seconds);
    while (Clock::now() < deadline && server.running()) {
        if (Display* client = XOpenDisplay(display.c_str())) {
            const bool right = DisplayWidth(client, 0) == width && DisplayHeight(client, 0) == height;
            XCloseDisplay(client);
            if (right) {
                pause(0.1);
                return server.running();
            }
        }
        pause(0.05);
    }
    return false;
}

std::unique_ptr<Xvfb> Xvfb::start(int width, int height) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto server = std::make_unique<Xvfb>();
        server->display_ = ":" + std::to_string(randomDisplayNumber());
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        server->process_ = std::make_unique<Process>(
            std::vector<std::string>{"Xvfb", server->display_, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"});
        if (waitForScreen(server->display_, width, height, *server)) return server;
    }
    std::fprintf(stderr, "desktop test: Xvfb did not start at %dx%d (five tries)\n", width, height);
    return nullptr;
}

bool haveCommand(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// ---- Pictures ----------------------------------------------------------------

Picture Picture::crop(const Rect& area) const {
    Picture part;
    part.width = area.width;
    part.height = area.height;
    part.rgb.resize(static_cast<std::size_t>(area.width) * area.height * 3);
    for (int y = 0; y < area.height; ++y) {
        std::copy_n(at(area.x, area.y + y), static_cast<std::size_t>(area.width) * 3,
                    &part.rgb[static_cast<std::size_t>(y) * area.width * 3]);
    }
    return part;
}

Picture fromPng(const support::Png& png) {
    Picture picture;
    if (!png.ok) return picture;
    picture.width = png.width;
    picture.height = png.height;
    picture.rgb.reserve(static_cast<std::size_t>(png.width) * png.height * 3);
    for (std::size_t i = 0; i < png.rgba.size(); i += 4) picture.rgb.insert(picture.rgb.end(), &png.rgba[i], &png.rgba[i + 3]);
    return picture;
}

Picture loadPng(const std::string& path) { return fromPng(support::readPng(path)); }

bool savePng(const Picture& picture, const std::string& path) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(picture.rgb.size() / 3 * 4);
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
        rgba.insert(rgba.end(), &picture.rgb[i], &picture.rgb[i + 3]);
        rgba.push_back(255);
    }
    return tools::writePng(path, rgba.data(), picture.width, picture.height);
}

std::string failurePath(const std::string& name) {
    const std::string folder = support::dataDir() + "/desktop-failures";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder + "/" + name + ".png";
}

long differingPixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return std::max<long>(1, static_cast<long>(a.width) * a.height);
    long count = 0;
    for (std::size_t i = 0; i < a.rgb.size(); i += 3) {
        if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ++count;
    }
    return count;
}

Rect fittedArea(int screenWidth, int screenHeight, int drawingWidth, int drawingHeight) {
    const double scale = std::min(static_cast<double>(screenWidth) / drawingWidth,
                                  static_cast<double>(screenHeight) / drawingHeight);
    Rect area;
    area.width = static_cast<int>(std::lround(drawingWidth * scale));
    area.height = static_cast<int>(std::lround(drawingHeight * scale));
    area.x = (screenWidth - area.width) / 2;
    area.y = (screenHeight - area.height) / 2;
    return area;
}

Picture scaleBilinear(const Picture& drawing, int width, int height) {
    Picture scaled;
    scaled.width = width;
    scaled.height = height;
    scaled.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    const double sx = static_cast<double>(drawing.width) / width;
    const double sy = static_cast<double>(drawing.height) / height;
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, drawing.height - 1.0);
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, drawing.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, drawing.width - 1.0);
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, drawing.width - 1);
            const double wx = fx - x0;
            std::uint8_t* out = &scaled.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c) {
                const double top = drawing.at(x0, y0)[c] * (1 - wx) + drawing.at(x1, y0)[c] * wx;
                const double bottom = drawing.at(x0, y1)[c] * (1 - wx) + drawing.at(x1, y1)[c] * wx;
                out[c] = static_cast<std::uint8_t>(std::lround(top * (1 - wy) + bottom * wy));
            }
        }
    }
    return scaled;
}

BlockResult compareBlocks(const Picture& shown, const Picture& reference, int block) {
    const Picture expected = scaleBilinear(reference, shown.width, shown.height);
    const double sx = static_cast<double>(shown.width) / reference.width;
    const double sy = static_cast<double>(shown.height) / reference.height;
    BlockResult result;
    for (int by = 0; by < reference.height; by += block) {
        for (int bx = 0; bx < reference.width; bx += block) {
            const int x0 = static_cast<int>(std::lround(bx * sx));
            const int x1 = static_cast<int>(std::lround(std::min(bx + block, reference.width) * sx));
            const int y0 = static_cast<int>(std::lround(by * sy));
            const int y1 = static_cast<int>(std::lround(std::min(by + block, reference.height) * sy));
            double sum = 0;
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    for (int c = 0; c < 3; ++c) sum += std::abs(shown.at(x, y)[c] - expected.at(x, y)[c]);
                }
            }
            const double mean = sum / std::max(1, (x1 - x0) * (y1 - y0) * 3);
            if (mean > result.worst) result = {mean, bx, by};
        }
    }
    return result;
}

long nonBlackOutside(const Picture& screen, const Rect& area) {
    long count = 0;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const bool inside = x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
            const std::uint8_t* pixel = screen.at(x, y);
            if (!inside && (pixel[0] | pixel[1] | pixel[2])) ++count;
        }
    }
    return count;
}

testing::AssertionResult showsDrawing(const Picture& screen, const Picture& drawing, const std::string& name) {
    const Rect area = fittedArea(screen.width, screen.height, drawing.width, drawing.height);
    const Picture shown = screen.crop(area);
    std::ostringstream faults;
    if (const long bars = nonBlackOutside(screen, area)) faults << bars << " pixels of the bars are not black; ";
    if (area.width == drawing.width && area.height == drawing.height) {
        if (const long differing = differingPixels(shown, drawing))
            faults << differing << " pixels unlike the headless frame; ";
    } else {
        const BlockResult blocks = compareBlocks(shown, drawing);
        if (blocks.worst > blockLimit)
            faults << "the block at " << blocks.blockX << "," << blocks.blockY << " differs by " << blocks.worst
                   << " (limit " << blockLimit << "); ";
    }
    if (faults.str().empty()) return testing::AssertionSuccess();
    savePng(screen, failurePath(name));
    savePng(drawing, failurePath(name + "-headless"));
    return testing::AssertionFailure() << faults.str() << "see " << failurePath(name);
}

// ---- The X client side -------------------------------------------------------

XClient::XClient(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}

XClient::~XClient() {
    if (display_) XCloseDisplay(display_);
}

// Asked of the server each time (Xlib's own figures are those of when the
// connection was made).
int XClient::screenWidth() const { return geometry(DefaultRootWindow(display_)).width; }
int XClient::screenHeight() const { return geometry(DefaultRootWindow(display_)).height; }

namespace {

// Depth first through the window tree, for a viewable window with this name.
Window findNamed(Display* display, Window window, const std::string& title) {
    XWindowAttributes attributes;
    char* name = nullptr;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
        XFetchName(display, window, &name) && name) {
        const bool match = title == name;
        XFree(name);
        if (match) return window;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) found = findNamed(display, children[i], title);
        if (children) XFree(children);
    }
    return found;
}

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

XWindow XClient::findWindow(const std::string& title) const {
    return findNamed(display_, DefaultRootWindow(display_), title);
}

XWindow XClient::waitForWindow(const std::string& title, double seconds, bool focused, Process* program) const {
    const auto deadline = after(seconds);
    for (;;) {
        const XWindow window = findWindow(title);
        if (window && (!focused || focus() == window)) return window;
        if (Clock::now() >= deadline || (program && !program->running())) return 0;
        pause(0.05);
    }
}

Rect XClient::geometry(XWindow window) const {
    XWindowAttributes attributes;
    Rect rect;
    if (!XGetWindowAttributes(display_, window, &attributes)) return rect;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &rect.x, &rect.y, &child);
    rect.width = attributes.width;
    rect.height = attributes.height;
    return rect;
}

XWindow XClient::focus() const {
    Window window = 0;
    int revert = 0;
    XGetInputFocus(display_, &window, &revert);
    return window;
}

Picture XClient::screenshot(Rect area) const {
    if (area.width <= 0 || area.height <= 0) area = {0, 0, screenWidth(), screenHeight()};
    Picture picture;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), area.x, area.y, static_cast<unsigned>(area.width),
                              static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.width = area.width;
    picture.height = area.height;
    picture.rgb.resize(static_cast<std::size_t>(area.width) * area.height * 3);
    const int red = shiftOf(image->red_mask);
    const int green = shiftOf(image->green_mask);
    const int blue = shiftOf(image->blue_mask);
    std::uint8_t* out = picture.rgb.data();
    for (int y = 0; y < area.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image->data + static_cast<long>(y) * image->bytes_per_line);
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = image->bits_per_pixel == 32 ? row[x] : XGetPixel(image, x, y);
            *out++ = static_cast<std::uint8_t>((pixel & image->red_mask) >> red);
            *out++ = static_cast<std::uint8_t>((pixel & image->green_mask) >> green);
            *out++ = static_cast<std::uint8_t>((pixel & image->blue_mask) >> blue);
        }
    }
    XDestroyImage(image);
    return picture;
}

Picture XClient::steadyScreenshot(double seconds) const {
    const auto deadline = after(seconds);
    Picture last = screenshot();
    for (;;) {
        pause(0.1);
        Picture next = screenshot();
        if (next.rgb == last.rgb || Clock::now() >= deadline) return next;
        last = std::move(next);
    }
}

void XClient::keyDown(const std::string& name) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(name.c_str()));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XFlush(display_);
}

void XClient::keyUp(const std::string& name) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(name.c_str()));
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XFlush(display_);
}

void XClient::key(const std::string& name, const std::vector<std::string>& held) {
    for (const std::string& modifier : held) keyDown(modifier);
    keyDown(name);
    keyUp(name);
    for (auto it = held.rbegin(); it != held.rend(); ++it) keyUp(*it);
    XSync(display_, False);
}

bool XClient::sendClose(XWindow window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display_, window, False, NoEventMask, &event) != 0;
    XSync(display_, False);
    return sent;
}

// ---- The program -------------------------------------------------------------

ProgramFolder::ProgramFolder(double toneSeconds) {
    std::error_code error;
    std::filesystem::create_directory_symlink(support::dataDir() + "/textures", dir_.file("textures"), error);
    if (toneSeconds > 0) writeTone(toneSeconds);
    else std::filesystem::create_symlink(support::dataDir() + "/90secver.ogg", dir_.file("90secver.ogg"), error);
}

void ProgramFolder::writeTone(double seconds) {
    std::error_code error;
    std::filesystem::remove(dir_.file("90secver.ogg"), error);
    support::writeToneOgg(dir_.file("90secver.ogg"), seconds);
}

std::unique_ptr<Process> startClient(const std::vector<std::string>& argv, const ProgramFolder& folder,
                                     const XServer& server, const std::vector<std::string>& env) {
    std::vector<std::string> all{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy"};
    all.insert(all.end(), env.begin(), env.end());
    return std::make_unique<Process>(argv, folder.path(), all);
}

std::unique_ptr<Process> startProgram(const ProgramFolder& folder, const XServer& server,
                                      const std::vector<std::string>& env) {
    return startClient({support::programPath()}, folder, server, env);
}

Picture headlessFrame(long index, int fps, std::string& error) {
    // Frame k shows demoTime k / fps (the clocks restart at the end of the
    // load, in frame 0): asking for the first frame at or after half a step
    // earlier gets frame k itself, which the capture tool confirms.
    support::TempDir folder;
    char time[32];
    std::snprintf(time, sizeof time, "%.6f", (static_cast<double>(index) - 0.5) / fps);
    const support::RunResult run =
        support::runProcess({support::capturePath(), "--data", support::dataDir(), "--fps", std::to_string(fps),
                             "--frames-at", index > 0 ? time : "0", "--png", folder.path()});
    const std::string wanted = "(frame " + std::to_string(index) + ",";
    if (run.exitCode != 0 || run.out.find(wanted) == std::string::npos) {
        error = "salute-capture did not give frame " + std::to_string(index) + ": " + run.out + run.err;
        return {};
    }
    return loadPng(folder.file("0001.png"));
}

}  // namespace desktop
