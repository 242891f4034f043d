// salute-capture: runs the unchanged presentation headless on a virtual
// clock and records what it shows: PNG frames, per-frame hashes, and
// scripted key presses at chosen presentation times.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/FrameCycle.h"
#include "platform/headless/Headless.h"
#include "tools/common/PngWriter.h"

namespace fs = std::filesystem;

namespace {

// A scripted input: a window message posted once the presentation's time
// reaches `time` (or before the first frame when `atStart`).
struct KeyEvent {
    bool atStart = false;
    double time = 0.0;
    UINT message = WM_KEYDOWN;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool sent = false;
};

struct FrameRequest {
    double time;
    int number;  // 1-based position in --frames-at, names the PNG
    bool written = false;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Turns a key name into the message the desktop backend would deliver.
bool parseKey(const std::string& name, KeyEvent& event, std::string& error) {
    const std::string key = lower(name);
    event.message = WM_KEYDOWN;
    event.lParam = 1;
    if (key == "space") {
        event.wParam = VK_SPACE;
    } else if (key == "escape" || key == "esc") {
        event.wParam = VK_ESCAPE;
    } else if (key == "enter" || key == "return") {
        event.wParam = VK_RETURN;
    } else if (key == "close") {
        event.message = WM_CLOSE;
        event.wParam = 0;
        event.lParam = 0;
    } else if (key == "alt+f4") {
        event.message = WM_SYSKEYDOWN;
        event.wParam = VK_F4;
        event.lParam = 1 | (1 << 29);  // context code: Alt is down
    } else if (key == "minimize") {
        event.message = WM_SIZE;
        event.wParam = 0;
        event.lParam = 0;
    } else if (key.rfind("size=", 0) == 0) {
        int width = 0;
        int height = 0;
        char tail = 0;
        if (std::sscanf(key.c_str() + 5, "%dx%d%c", &width, &height, &tail) != 2 || width < 0 || height < 0 ||
            width > 0xFFFF || height > 0xFFFF) {
            error = "bad size in key \"" + name + "\" (expected size=WIDTHxHEIGHT)";
            return false;
        }
        event.message = WM_SIZE;
        event.wParam = 0;
        event.lParam = static_cast<LPARAM>(width | (height << 16));
    } else if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        event.wParam = static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(key[0])));
    } else if (key.size() >= 2 && key[0] == 'f' && std::all_of(key.begin() + 1, key.end(), ::isdigit) &&
               std::stoi(key.substr(1)) >= 1 && std::stoi(key.substr(1)) <= 12) {
        event.wParam = static_cast<WPARAM>(0x70 + std::stoi(key.substr(1)) - 1);
    } else {
        error = "unknown key \"" + name +
                "\" (use space, escape, enter, close, alt+f4, minimize, size=WxH, a letter, a digit or f1..f12)";
        return false;
    }
    return true;
}

bool parseTime(const std::string& text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool parseKeys(const std::vector<std::string>& items, std::vector<KeyEvent>& events, std::string& error) {
    for (const std::string& item : items) {
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos) {
            error = "bad key event \"" + item + "\" (expected TIME:KEY)";
            return false;
        }
        KeyEvent event;
        const std::string when = item.substr(0, colon);
        if (lower(when) == "start") {
            event.atStart = true;
        } else if (!parseTime(when, event.time) || event.time < 0.0) {
            error = "bad time in key event \"" + item + "\"";
            return false;
        }
        if (!parseKey(item.substr(colon + 1), event, error)) return false;
        events.push_back(event);
    }
    return true;
}

bool parseFps(const std::string& text, std::int64_t& numerator, std::int64_t& denominator) {
    long long top = 0;
    long long bottom = 1;
    char tail = 0;
    const int fields = std::sscanf(text.c_str(), "%lld/%lld%c", &top, &bottom, &tail);
    if (fields == 1 && text.find('/') == std::string::npos) bottom = 1;
    else if (fields != 2) return false;
    if (top <= 0 || bottom <= 0 || top > 1000000 || bottom > 1000000 ||
        static_cast<double>(top) / static_cast<double>(bottom) > 1000.0)
        return false;
    numerator = top;
    denominator = bottom;
    return true;
}

std::uint64_t hashPixels(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string folderOfThisProgram() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Renders the Salute presentation headless, on a virtual clock.", "salute-capture"};
    std::string dataDir = folderOfThisProgram();
    std::string fpsText = "60";
    double toTime = -1.0;
    std::vector<double> framesAt;
    std::string pngDir;
    bool hashes = false;
    bool quiet = false;
    std::vector<std::string> keyItems;

    app.add_option("--data", dataDir, "Folder to run in: holds 90secver.ogg and textures/ (default: beside this program)");
    app.add_option("--fps", fpsText, "Frames per second of the virtual clock: an integer or a fraction such as 60000/1001")
        ->capture_default_str();
    app.add_option("--to", toTime, "Stop once the presentation time reaches T seconds");
    app.add_option("--frames-at", framesAt, "Save the first frame at or after each presentation time (with --png)")
        ->delimiter(',');
    app.add_option("--png", pngDir, "Folder for PNG frames: with --frames-at, DIR/0001.png, DIR/0002.png, ... in list order");
    app.add_flag("--hashes", hashes, "Print one line per frame: index, presentation time, pixel hash");
    app.add_option("--keys", keyItems,
                   "Key presses as TIME:KEY (TIME in seconds of presentation time, or 'start' for before the first "
                   "frame; KEY: space, escape, enter, close, alt+f4, minimize, size=WxH, a letter, digit, f1..f12)")
        ->delimiter(',');
    app.add_flag("--quiet", quiet, "Print nothing but errors and requested output");
    CLI11_PARSE(app, argc, argv);

    const auto fail = [](const std::string& message) {
        std::fprintf(stderr, "salute-capture: %s\n", message.c_str());
        return 2;
    };

    headless::Config config;
    if (!parseFps(fpsText, config.fpsNumerator, config.fpsDenominator))
        return fail("--fps must be a positive integer or fraction up to 1000, such as 30 or 60000/1001");
    std::vector<KeyEvent> events;
    std::string error;
    if (!parseKeys(keyItems, events, error)) return fail(error);
    if (!framesAt.empty() && pngDir.empty()) return fail("--frames-at needs --png DIR to write the frames to");
    for (double time : framesAt)
        if (!std::isfinite(time) || time < 0.0) return fail("--frames-at times must be non-negative seconds");

    std::vector<FrameRequest> requests;
    for (std::size_t i = 0; i < framesAt.size(); ++i) requests.push_back({framesAt[i], static_cast<int>(i + 1)});

    std::error_code fsError;
    const fs::path pngFolder = pngDir.empty() ? fs::path() : fs::absolute(pngDir, fsError);
    if (!pngDir.empty()) {
        fs::create_directories(pngFolder, fsError);
        if (fsError || !fs::is_directory(pngFolder))
            return fail("cannot create the PNG folder \"" + pngDir + "\": " + fsError.message());
    }
    if (chdir(dataDir.c_str()) != 0)
        return fail("cannot use the data folder \"" + dataDir + "\": " + std::strerror(errno));

    config.readPixels = hashes || !requests.empty();
    long lastFrame = -1;
    float lastTime = 0.0f;
    bool writeFailed = false;
    bool stopRequested = false;
    config.onFrame = [&](const headless::Frame& frame) {
        lastFrame = frame.index;
        lastTime = demoTime;
        const std::size_t size = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4;
        if (hashes && frame.rgba)
            std::printf("frame %ld %.6f %016llx\n", frame.index, static_cast<double>(demoTime),
                        static_cast<unsigned long long>(hashPixels(frame.rgba, size)));
        for (FrameRequest& request : requests) {
            if (request.written || static_cast<double>(demoTime) < request.time || !frame.rgba) continue;
            char name[32];
            std::snprintf(name, sizeof name, "%04d.png", request.number);
            const std::string path = (pngFolder / name).string();
            request.written = true;
            if (!tools::writePng(path, frame.rgba, frame.width, frame.height)) writeFailed = true;
            else if (!quiet)
                std::printf("wrote %s (frame %ld, demoTime %.6f)\n", path.c_str(), frame.index,
                            static_cast<double>(demoTime));
        }
        for (KeyEvent& event : events) {
            if (event.sent || event.atStart || static_cast<double>(demoTime) < event.time) continue;
            event.sent = true;
            headless::postMessage(event.message, event.wParam, event.lParam);
        }
        const bool requestsDone =
            !requests.empty() && std::all_of(requests.begin(), requests.end(), [](const FrameRequest& r) { return r.written; });
        const bool timeReached = toTime >= 0.0 && static_cast<double>(demoTime) >= toTime;
        if (!stopRequested && (timeReached || writeFailed || (requestsDone && toTime < 0.0))) {
            stopRequested = true;
            PostQuitMessage(writeFailed ? 1 : 0);
        }
        std::fflush(stdout);
    };
    headless::configure(config);
    for (KeyEvent& event : events) {
        if (!event.atStart) continue;
        event.sent = true;
        headless::postMessage(event.message, event.wParam, event.lParam);
    }

    const int status = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);

    int result = status;
    for (const FrameRequest& request : requests) {
        if (request.written) continue;
        std::fprintf(stderr, "salute-capture: presentation time %g was never reached (it ended at %g)\n",
                     request.time, static_cast<double>(lastTime));
        if (result == 0) result = 1;
    }
    if (writeFailed && result == 0) result = 1;
    if (!quiet)
        std::fprintf(stderr, "salute-capture: %ld frames, presentation time %.3f s at the last frame, exit status %d\n",
                     lastFrame + 1, static_cast<double>(lastTime), result);
    return result;
}
