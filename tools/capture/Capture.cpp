// salute-capture: runs the unchanged presentation headless on a virtual
// clock and records what it shows: a video with the music, PNG frames,
// per-frame hashes, and scripted key presses at chosen presentation times.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

extern "C" {
#include <libavutil/log.h>
}

#include "app/FrameCycle.h"
#include "app/Soundtrack.h"
#include "platform/headless/Headless.h"
#include "tools/capture/MusicTrack.h"
#include "tools/capture/Picture.h"
#include "tools/capture/Progress.h"
#include "tools/capture/Recorder.h"
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

// Beside the program in a build folder; share/salute beside bin/ once installed.
std::string defaultDataFolder() {
    const fs::path here = folderOfThisProgram();
    std::error_code error;
    if (fs::exists(here / musicFileName, error)) return here.string();
    const fs::path installed = here.parent_path() / "share" / "salute";
    if (fs::exists(installed / musicFileName, error)) return installed.string();
    return here.string();
}

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) { interrupted.store(true); }

// Ctrl-C (or a polite kill) ends the capture after the current frame and
// keeps what was rendered; a second Ctrl-C ends the process at once.
void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::string sizeText(std::uintmax_t bytes) {
    char text[32];
    if (bytes >= std::uintmax_t{1024} * 1024) std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    else std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1024.0);
    return text;
}

}  // namespace

namespace {

int run(int argc, char** argv) {
    CLI::App app{"Renders the Salute presentation headless, on a virtual clock: as a video with its music, as PNG "
                 "frames, or as per-frame hashes.",
                 "salute-capture"};
    std::string dataDir;
    std::string fpsText = "60";
    double fromTime = 0.0;
    double toTime = -1.0;
    std::string videoPath;
    std::string sizeText640 = "640x480";
    int crf = 18;
    bool lossless = false;
    std::vector<double> framesAt;
    std::string pngDir;
    bool hashes = false;
    bool quiet = false;
    std::vector<std::string> keyItems;

    app.add_option("--data", dataDir,
                   "Folder to run in: holds 90secver.ogg and textures/ (default: beside this program, or "
                   "../share/salute when installed)")
        ->option_text("DIR");
    app.add_option("--video", videoPath,
                   "Write the presentation as a video with its music: H.264 (yuv420p) and AAC, container from the "
                   "name (.mp4, .mkv, .mov)")
        ->option_text("FILE");
    app.add_option("--fps", fpsText, "Frames per second of the virtual clock: an integer or a fraction such as 60000/1001")
        ->option_text("RATE (default 60)");
    app.add_option("--from", fromTime,
                   "Record from presentation time T seconds on (earlier frames are rendered, not written; the music "
                   "is cut to match)")
        ->option_text("T (default 0)");
    app.add_option("--to", toTime, "Stop once the presentation time reaches T seconds (that frame is not recorded)")
        ->option_text("T");
    app.add_option("--size", sizeText640,
                   "Size of the video and PNG frames, WIDTHxHEIGHT (even numbers); the picture is scaled with its "
                   "4:3 aspect kept, between black bars")
        ->option_text("WxH (default 640x480)");
    auto* crfOption = app.add_option("--crf", crf, "Video quality, 0 (best, biggest) to 51 (worst); 18 looks like the original")
                          ->check(CLI::Range(0, 51))
                          ->option_text("0..51 (default 18)");
    auto* losslessOption = app.add_flag("--lossless", lossless,
                                        "Exact RGB pictures (H.264 4:4:4 at qp 0): for editing or archiving; most "
                                        "browsers cannot play it");
    crfOption->excludes(losslessOption);
    app.add_option("--png", pngDir,
                   "Folder for PNG frames: every recorded frame as DIR/000001.png, DIR/000002.png, ...; with "
                   "--frames-at, DIR/0001.png, DIR/0002.png, ... in list order")
        ->option_text("DIR");
    app.add_option("--frames-at", framesAt, "Save the first frame at or after each presentation time (with --png)")
        ->delimiter(',')
        ->option_text("T1,T2,...");
    app.add_flag("--hashes", hashes, "Print one line per frame: index, presentation time, pixel hash");
    app.add_option("--keys", keyItems,
                   "Key presses as TIME:KEY (TIME in seconds of presentation time, or 'start' for before the first "
                   "frame; KEY: space, escape, enter, close, alt+f4, minimize, size=WxH, a letter, digit, f1..f12)")
        ->delimiter(',')
        ->option_text("TIME:KEY,...");
    app.add_flag("--quiet", quiet, "Print nothing but errors and requested output");
    CLI11_PARSE(app, argc, argv);

    const auto fail = [](const std::string& message) {
        std::fprintf(stderr, "salute-capture: %s\n", message.c_str());
        return 2;
    };

    // The encoders' own statistics are noise here; their errors still show.
    av_log_set_level(AV_LOG_ERROR);

    headless::Config config;
    if (!parseFps(fpsText, config.fpsNumerator, config.fpsDenominator))
        return fail("--fps must be a positive integer or fraction up to 1000, such as 30 or 60000/1001");
    const double frameSeconds = static_cast<double>(config.fpsDenominator) / static_cast<double>(config.fpsNumerator);
    int outWidth = 640;
    int outHeight = 480;
    if (!capture::parseSize(sizeText640, outWidth, outHeight))
        return fail("--size must be WIDTHxHEIGHT with even numbers from 16 to 8192, such as 1920x1080");
    if (!std::isfinite(fromTime) || fromTime < 0.0) return fail("--from must be a time of 0 seconds or more");
    if (app.count("--to") && (!std::isfinite(toTime) || toTime <= fromTime))
        return fail("--to must be a time after --from");
    std::vector<KeyEvent> events;
    std::string error;
    if (!parseKeys(keyItems, events, error)) return fail(error);
    if (!framesAt.empty() && pngDir.empty()) return fail("--frames-at needs --png DIR to write the frames to");
    for (double time : framesAt)
        if (!std::isfinite(time) || time < 0.0) return fail("--frames-at times must be non-negative seconds");
    if ((app.count("--crf") || lossless) && videoPath.empty()) return fail("--crf and --lossless go with --video FILE");

    std::vector<FrameRequest> requests;
    for (std::size_t i = 0; i < framesAt.size(); ++i) requests.push_back({framesAt[i], static_cast<int>(i + 1)});
    const bool pngSequence = !pngDir.empty() && requests.empty();
    const bool recording = !videoPath.empty() || pngSequence;

    // Paths are taken relative to where we were started, before moving into the data folder.
    std::error_code fsError;
    const fs::path pngFolder = pngDir.empty() ? fs::path() : fs::absolute(pngDir, fsError);
    if (!pngDir.empty()) {
        fs::create_directories(pngFolder, fsError);
        if (fsError || !fs::is_directory(pngFolder))
            return fail("cannot create the PNG folder \"" + pngDir + "\": " +
                        (fsError ? fsError.message() : std::string("a file of that name is in the way")));
    }
    const fs::path videoFile = videoPath.empty() ? fs::path() : fs::absolute(videoPath, fsError);
    if (!videoPath.empty() && fs::is_directory(videoFile, fsError))
        return fail("--video \"" + videoPath + "\" is a folder; give a file name such as salute.mp4");

    if (dataDir.empty()) dataDir = defaultDataFolder();
    if (!fs::is_directory(dataDir, fsError))
        return fail(fs::exists(dataDir, fsError) ? "the data folder \"" + dataDir + "\" is not a folder (see --data)"
                                                 : "no data folder \"" + dataDir + "\" (see --data)");
    if (chdir(dataDir.c_str()) != 0)
        return fail("cannot use the data folder \"" + dataDir + "\": " + std::strerror(errno));

    // A recording needs the music (its length and its sound) and the pictures.
    capture::MusicTrack music;
    if (recording) {
        if (!fs::exists(musicFileName, fsError))
            return fail("no music \"" + std::string(musicFileName) + "\" in the data folder \"" + dataDir +
                        "\" (see --data)");
        if (!music.open(musicFileName, error)) return fail(error);
        if (!fs::is_directory("textures", fsError))
            return fail("no textures/ folder in the data folder \"" + dataDir + "\" (see --data)");
    }

    capture::Recorder recorder;
    if (recording) {
        capture::RecordOptions options;
        options.video = !videoPath.empty();
        options.videoOptions.path = videoFile.string();
        options.videoOptions.fpsNumerator = config.fpsNumerator;
        options.videoOptions.fpsDenominator = config.fpsDenominator;
        options.videoOptions.crf = crf;
        options.videoOptions.lossless = lossless;
        options.pngFolder = pngSequence ? pngFolder.string() : std::string();
        options.width = outWidth;
        options.height = outHeight;
        if (!recorder.start(options, options.video ? &music : nullptr, error)) {
            std::fprintf(stderr, "salute-capture: %s\n", error.c_str());
            return 1;
        }
    }

    // The run ends with the music, or at --to.
    const double endTime = toTime >= 0.0 ? std::min(toTime, recording ? music.seconds() : toTime) : music.seconds();
    const std::int64_t expectedFrames =
        recording ? std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil((endTime - fromTime) / frameSeconds)))
                  : 0;
    capture::Progress progress(quiet || !recording ? capture::Progress::Style::Off
                               : isatty(STDERR_FILENO) ? capture::Progress::Style::Bar
                                                       : capture::Progress::Style::Lines,
                               stderr);

    capture::PictureConverter stillConverter;  // for --frames-at
    capture::FramePtr still;
    config.readPixels = hashes || !requests.empty() || recording;
    long lastFrame = -1;
    float lastTime = 0.0f;
    bool writeFailed = false;
    bool stopRequested = false;
    long firstRecorded = -1;        // index of the first recorded frame
    double firstRecordedAt = 0.0;   // its virtual time: the video's time 0
    double musicPlayedAt = -1.0;    // virtual time of the program's play call
    std::int64_t recorded = 0;
    config.onMusicPlay = [&](double virtualSeconds) {
        musicPlayedAt = virtualSeconds;
        if (firstRecorded >= 0) recorder.musicStarted(musicPlayedAt - firstRecordedAt);
    };
    config.onFrame = [&](const headless::Frame& frame) {
        lastFrame = frame.index;
        lastTime = demoTime;
        const double now = static_cast<double>(demoTime);
        const std::size_t size = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4;
        if (hashes && frame.rgba)
            std::printf("frame %ld %.6f %016llx\n", frame.index, now,
                        static_cast<unsigned long long>(hashPixels(frame.rgba, size)));
        for (FrameRequest& request : requests) {
            if (request.written || now < request.time || !frame.rgba) continue;
            char name[32];
            std::snprintf(name, sizeof name, "%04d.png", request.number);
            const std::string path = (pngFolder / name).string();
            request.written = true;
            // At the output size and opaque, as on screen (the framebuffer's
            // alpha is a by-product of blending).
            std::string convertError;
            if (!stillConverter.setUp(frame.width, frame.height, outWidth, outHeight, AV_PIX_FMT_RGBA, convertError) ||
                !(still = stillConverter.makeFrame())) {
                std::fprintf(stderr, "salute-capture: %s\n", convertError.empty() ? "out of memory" : convertError.c_str());
                writeFailed = true;
                continue;
            }
            stillConverter.convert(frame.rgba, still.get());
            if (!tools::writePng(path, still->data[0], outWidth, outHeight)) writeFailed = true;
            else if (!quiet)
                std::printf("wrote %s (frame %ld, demoTime %.6f)\n", path.c_str(), frame.index, now);
        }
        const bool timeReached = toTime >= 0.0 && now >= toTime;
        if (recording && !stopRequested && !timeReached && now >= fromTime && frame.rgba) {
            if (firstRecorded < 0) {
                firstRecorded = frame.index;
                firstRecordedAt = frame.virtualSeconds;
                if (musicPlayedAt >= 0.0) recorder.musicStarted(musicPlayedAt - firstRecordedAt);
            }
            recorder.addFrame(frame.rgba, frame.width, frame.height, frame.index - firstRecorded);
            ++recorded;
        }
        if (recording)
            progress.update(endTime > 0.0 ? now / endTime : 1.0, frame.index + 1, recorded, expectedFrames);
        for (KeyEvent& event : events) {
            if (event.sent || event.atStart || now < event.time) continue;
            event.sent = true;
            headless::postMessage(event.message, event.wParam, event.lParam);
        }
        const bool requestsDone =
            !requests.empty() && std::all_of(requests.begin(), requests.end(), [](const FrameRequest& r) { return r.written; });
        if (!stopRequested && (timeReached || writeFailed || recorder.failed() || interrupted.load() ||
                               (requestsDone && toTime < 0.0 && !recording))) {
            stopRequested = true;
            PostQuitMessage(writeFailed || recorder.failed() ? 1 : 0);
        }
        std::fflush(stdout);
    };
    headless::configure(config);
    for (KeyEvent& event : events) {
        if (!event.atStart) continue;
        event.sent = true;
        headless::postMessage(event.message, event.wParam, event.lParam);
    }

    catchInterrupts();
    const int status = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    progress.close();

    int result = status;
    for (const FrameRequest& request : requests) {
        if (request.written) continue;
        std::fprintf(stderr, "salute-capture: presentation time %g was never reached (it ended at %g)\n",
                     request.time, static_cast<double>(lastTime));
        if (result == 0) result = 1;
    }
    if (writeFailed && result == 0) result = 1;

    if (recording) {
        const double videoSeconds = static_cast<double>(recorded) * frameSeconds;
        if (!videoPath.empty() && headless::musicStartSeconds() < 0.0) {
            recorder.abandon();
            std::fprintf(stderr,
                         "salute-capture: the music did not play, so the presentation ended after its first frame; "
                         "no video written\n");
            return 1;
        }
        if (recorded == 0) {
            recorder.abandon();
            if (interrupted.load()) {
                std::fprintf(stderr, "salute-capture: interrupted before any frame was recorded; nothing written\n");
                return 130;
            }
            std::fprintf(stderr, "salute-capture: no frame lay between --from %g and the end (%g s); nothing written\n",
                         fromTime, static_cast<double>(lastTime));
            return 1;
        }
        if (!recorder.finish(videoSeconds, error)) {
            std::fprintf(stderr, "salute-capture: %s; no video written\n", error.c_str());
            return 1;
        }
        const double wall = progress.elapsedSeconds();
        const double fps = wall > 0.0 ? static_cast<double>(lastFrame + 1) / wall : 0.0;
        if (!quiet) {
            std::string what;
            if (!videoPath.empty())
                what = videoFile.string() + " (" + sizeText(fs::file_size(videoFile, fsError)) + ")";
            if (pngSequence) what += (what.empty() ? "" : " and ") + pngFolder.string() + "/*.png";
            std::fprintf(stderr,
                         "salute-capture: wrote %s: %lld frames, %.2f s at %dx%d; rendered at %.1f fps (%.2fx "
                         "real time)\n",
                         what.c_str(), static_cast<long long>(recorded), videoSeconds, outWidth, outHeight, fps,
                         videoSeconds > 0.0 ? wall / (static_cast<double>(lastFrame + 1) * frameSeconds) : 0.0);
        }
        if (interrupted.load()) {
            std::fprintf(stderr, "salute-capture: interrupted; kept the %lld frames rendered so far\n",
                         static_cast<long long>(recorded));
            return 130;
        }
    } else if (interrupted.load()) {
        return 130;
    }
    if (!quiet && !recording)
        std::fprintf(stderr, "salute-capture: %ld frames, presentation time %.3f s at the last frame, exit status %d\n",
                     lastFrame + 1, static_cast<double>(lastTime), result);
    return result;
}

}  // namespace

// Whatever escapes (a failed allocation in the option parser, say) ends the
// tool with one line, not an abort.
int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "salute-capture: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "salute-capture: stopped by an unexpected error\n");
    }
    return 1;
}
