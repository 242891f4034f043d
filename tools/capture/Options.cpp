#include "tools/capture/Options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <CLI/CLI.hpp>

#include "tools/capture/Picture.h"

namespace capture {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
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

}  // namespace

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
        event.lParam = MAKELPARAM(width, height);
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

bool parseOptions(int argc, char** argv, CaptureOptions& options, int& status) {
    CLI::App app{"Renders the Salute presentation headless, on a virtual clock: as a video with its music, as PNG "
                 "frames, or as per-frame hashes.",
                 "salute-capture"};
    std::string fpsText = "60";
    const std::string displaySize = std::to_string(screenWidth) + "x" + std::to_string(screenHeight);
    std::string sizeText = displaySize;
    std::vector<std::string> keyItems;
    CaptureOptions& o = options;

    app.set_version_flag("--version", std::string("salute-capture ") + SALUTE_VERSION,
                         "Print the version and exit");
    app.add_option("--data", o.dataDir,
                   "Folder to run in: holds 90secver.ogg and textures/ (default: beside this program, or "
                   "../share/salute when installed)")
        ->option_text("DIR");
    app.add_option("--video", o.videoPath,
                   "Write the presentation as a video with its music: H.264 (yuv420p) and AAC, container from the "
                   "name (.mp4, .mkv, .mov)")
        ->option_text("FILE");
    app.add_option("--fps", fpsText, "Frames per second of the virtual clock: an integer or a fraction such as 60000/1001")
        ->option_text("RATE (default 60)");
    app.add_option("--from", o.fromTime,
                   "Record from presentation time T seconds on (earlier frames are rendered, not written; the music "
                   "is cut to match)")
        ->option_text("T (default 0)");
    app.add_option("--to", o.toTime, "Stop once the presentation time reaches T seconds (that frame is not recorded)")
        ->option_text("T");
    app.add_option("--scale", o.scale,
                   "Draw the presentation natively at N times " + displaySize +
                       " (1, 2, 3 or 4): sharp pictures for big videos, such as --scale 3 --size 1920x1080")
        ->option_text("N (default 1)");
    app.add_option("--size", sizeText,
                   "Size of the video and PNG frames, WIDTHxHEIGHT (even numbers); the picture is scaled with its "
                   "4:3 aspect kept, between black bars")
        ->option_text("WxH (default: the drawing's)");
    auto* crfOption = app.add_option("--crf", o.crf, "Video quality, 0 (best, biggest) to 51 (worst); 18 looks like the original")
                          ->check(CLI::Range(0, 51))
                          ->option_text("0..51 (default 18)");
    auto* losslessOption = app.add_flag("--lossless", o.lossless,
                                        "Exact RGB pictures (H.264 4:4:4 at qp 0): for editing or archiving; most "
                                        "browsers cannot play it");
    crfOption->excludes(losslessOption);
    app.add_option("--png", o.pngDir,
                   "Folder for PNG frames: every recorded frame as DIR/000001.png, DIR/000002.png, ...; with "
                   "--frames-at, DIR/0001.png, DIR/0002.png, ... in list order")
        ->option_text("DIR");
    app.add_option("--frames-at", o.framesAt, "Save the first frame at or after each presentation time (with --png)")
        ->delimiter(',')
        ->option_text("T1,T2,...");
    app.add_flag("--hashes", o.hashes, "Print one line per frame: index, presentation time, pixel hash");
    app.add_option("--keys", keyItems,
                   "Key presses as TIME:KEY (TIME in seconds of presentation time, or 'start' for before the first "
                   "frame; KEY: space, escape, enter, close, alt+f4, minimize, size=WxH, a letter, digit, f1..f12)")
        ->delimiter(',')
        ->option_text("TIME:KEY,...");
    app.add_flag("--quiet", o.quiet, "Print nothing but errors and requested output");
    app.add_flag("--summary-keys", o.summaryKeys,
                 "At the end, print the summary on stdout as key=value lines, one per line, for scripts");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        status = app.exit(error);
        return false;
    }

    const auto fail = [&status](const std::string& message) {
        std::fprintf(stderr, "salute-capture: %s\n", message.c_str());
        status = 2;
        return false;
    };
    if (!parseFps(fpsText, o.fpsNumerator, o.fpsDenominator))
        return fail("--fps must be a positive integer or fraction up to 1000, such as 30 or 60000/1001");
    if (o.scale < 1 || o.scale > 4) return fail("--scale must be 1, 2, 3 or 4");
    o.sizeGiven = app.count("--size") > 0;
    o.width = screenWidth * o.scale;
    o.height = screenHeight * o.scale;
    if (o.sizeGiven && !parseSize(sizeText, o.width, o.height))
        return fail("--size must be WIDTHxHEIGHT with even numbers from 16 to 8192, such as 1920x1080");
    if (!std::isfinite(o.fromTime) || o.fromTime < 0.0) return fail("--from must be a time of 0 seconds or more");
    if (app.count("--to") && (!std::isfinite(o.toTime) || o.toTime <= o.fromTime))
        return fail("--to must be a time after --from");
    if (!app.count("--to")) o.toTime = -1.0;
    std::string error;
    if (!parseKeys(keyItems, o.keys, error)) return fail(error);
    if (!o.framesAt.empty() && o.pngDir.empty()) return fail("--frames-at needs --png DIR to write the frames to");
    for (double time : o.framesAt)
        if (!std::isfinite(time) || time < 0.0) return fail("--frames-at times must be non-negative seconds");
    if ((app.count("--crf") || o.lossless) && o.videoPath.empty()) return fail("--crf and --lossless go with --video FILE");
    return true;
}

}  // namespace capture
