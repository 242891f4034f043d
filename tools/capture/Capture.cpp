// salute-capture: runs the unchanged presentation headless on a virtual
// clock and records what it shows: a video with the music, PNG frames,
// per-frame hashes, and scripted key presses at chosen presentation times.
//
// One run: the options are parsed into a checked record, the outputs are
// opened, the program runs with a sink that takes every frame it presents,
// and the report says what was written.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "app/FrameCycle.h"
#include "app/Soundtrack.h"
#include "platform/files.h"
#include "platform/headless/Headless.h"
#include "tools/capture/MusicTrack.h"
#include "tools/capture/Options.h"
#include "tools/capture/Picture.h"
#include "tools/capture/Progress.h"
#include "tools/capture/Recorder.h"
#include "tools/common/PngWriter.h"

namespace fs = std::filesystem;

namespace {

using capture::CaptureOptions;

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

long peakResidentKib() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int fail(const std::string& message) {
    std::fprintf(stderr, "salute-capture: %s\n", message.c_str());
    return 2;
}

// ---- Opening the outputs -----------------------------------------------------

struct Outputs {
    fs::path pngFolder;  // absolute; empty without --png
    fs::path videoFile;  // absolute; empty without --video
    std::string dataDir;
    capture::MusicTrack music;
    capture::Recorder recorder;
    double endTime = 0.0;  // the run ends with the music, or at --to
    std::int64_t expectedFrames = 0;
};

// Checks the folders and files the run needs and opens what it writes,
// before anything is rendered. False with the exit status on failure.
bool openOutputs(const CaptureOptions& o, Outputs& out, int& status) {
    status = 2;
    // Paths are taken relative to where we were started, before moving into the data folder.
    std::error_code fsError;
    if (!o.pngDir.empty()) {
        out.pngFolder = fs::absolute(o.pngDir, fsError);
        fs::create_directories(out.pngFolder, fsError);
        if (fsError || !fs::is_directory(out.pngFolder)) {
            fail("cannot create the PNG folder \"" + o.pngDir + "\": " +
                 (fsError ? fsError.message() : std::string("a file of that name is in the way")));
            return false;
        }
    }
    if (!o.videoPath.empty()) {
        out.videoFile = fs::absolute(o.videoPath, fsError);
        if (fs::is_directory(out.videoFile, fsError)) {
            fail("--video \"" + o.videoPath + "\" is a folder; give a file name such as salute.mp4");
            return false;
        }
    }

    out.dataDir = o.dataDir.empty() ? defaultDataFolder() : o.dataDir;
    const std::string& dataDir = out.dataDir;
    if (const char* problem = folderProblem(dataDir.c_str())) {
        fail(fs::exists(dataDir, fsError) ? "cannot use the data folder \"" + dataDir + "\": " + problem + " (see --data)"
                                          : "no data folder \"" + dataDir + "\" (see --data)");
        return false;
    }
    if (chdir(dataDir.c_str()) != 0) {
        fail("cannot use the data folder \"" + dataDir + "\": " + std::strerror(errno));
        return false;
    }

    // A recording needs the music (its length and its sound) and the pictures.
    std::string error;
    if (o.recording()) {
        if (!fs::exists(musicFileName, fsError)) {
            fail("no music \"" + std::string(musicFileName) + "\" in the data folder \"" + dataDir + "\" (see --data)");
            return false;
        }
        if (!out.music.open(musicFileName, error)) {
            fail(error);
            return false;
        }
        if (const char* problem = folderProblem("textures")) {
            fail("cannot use textures/ in the data folder \"" + dataDir + "\": " + problem + " (see --data)");
            return false;
        }
        capture::RecordOptions options;
        options.video = !o.videoPath.empty();
        options.videoOptions.path = out.videoFile.string();
        options.videoOptions.fpsNumerator = o.fpsNumerator;
        options.videoOptions.fpsDenominator = o.fpsDenominator;
        options.videoOptions.crf = o.crf;
        options.videoOptions.lossless = o.lossless;
        options.pngFolder = o.pngSequence() ? out.pngFolder.string() : std::string();
        options.width = o.width;
        options.height = o.height;
        if (!out.recorder.start(options, options.video ? &out.music : nullptr, error)) {
            std::fprintf(stderr, "salute-capture: %s\n", error.c_str());
            status = 1;
            return false;
        }
    }

    out.endTime = o.toTime >= 0.0 ? std::min(o.toTime, o.recording() ? out.music.seconds() : o.toTime)
                                  : out.music.seconds();
    out.expectedFrames = o.recording() ? std::max<std::int64_t>(
                                             1, static_cast<std::int64_t>(std::ceil((out.endTime - o.fromTime) /
                                                                                    o.frameSeconds())))
                                       : 0;
    status = 0;
    return true;
}

// ---- The per-frame sink --------------------------------------------------------

// Takes every frame the program presents: hashes it, saves the requested
// stills, hands recorded frames to the recorder, posts the scripted keys
// and ends the run when it is done.
class FrameSink {
public:
    FrameSink(const CaptureOptions& options, Outputs& outputs)
        : o_(options),
          out_(outputs),
          progress_(options.quiet || !options.recording() ? capture::Progress::Style::Off
                    : isatty(STDERR_FILENO)               ? capture::Progress::Style::Bar
                                                          : capture::Progress::Style::Lines,
                    stderr) {
        for (std::size_t i = 0; i < o_.framesAt.size(); ++i)
            requests_.push_back({o_.framesAt[i], static_cast<int>(i + 1)});
        for (const capture::KeyEvent& key : o_.keys) keys_.push_back({key, false});
    }

    headless::Config config() {
        headless::Config config;
        config.fpsNumerator = o_.fpsNumerator;
        config.fpsDenominator = o_.fpsDenominator;
        config.scale = o_.scale;
        config.readPixels = o_.hashes || !requests_.empty() || o_.recording();
        config.onMusicPlay = [this](double virtualSeconds) { onMusicPlay(virtualSeconds); };
        config.onFrame = [this](const headless::Frame& frame) { onFrame(frame); };
        return config;
    }

    // Keys meant for before the first frame wait in the queue for the window.
    void postStartKeys() {
        for (Key& key : keys_) {
            if (!key.event.atStart) continue;
            key.sent = true;
            headless::postMessage(key.event.message, key.event.wParam, key.event.lParam);
        }
    }

    void closeProgress() { progress_.close(); }
    double elapsedSeconds() const { return progress_.elapsedSeconds(); }

    struct FrameRequest {
        double time;
        int number;  // 1-based position in --frames-at, names the PNG
        bool written = false;
    };

    std::vector<FrameRequest> requests_;
    long lastFrame = -1;
    float lastTime = 0.0f;
    int drawingWidth = 0;
    int drawingHeight = 0;
    bool writeFailed = false;
    std::int64_t recorded = 0;
    double firstFrameSeconds = 0.0;  // start to the first frame: set-up and the asset load
    double programSeconds = 0.0;     // the later frames' drawing, readback included
    double sinkSeconds = 0.0;        // time spent here, waits for the encoder included
    long halfwayPeakKib = 0;         // peak memory when half the run was done

private:
    struct Key {
        capture::KeyEvent event;
        bool sent;
    };

    void onMusicPlay(double virtualSeconds) {
        musicPlayedAt_ = virtualSeconds;
        if (firstRecorded_ >= 0) out_.recorder.musicStarted(musicPlayedAt_ - firstRecordedAt_);
    }

    void onFrame(const headless::Frame& frame);
    void saveStills(const headless::Frame& frame, double now);

    const CaptureOptions& o_;
    Outputs& out_;
    capture::Progress progress_;
    std::vector<Key> keys_;
    capture::PictureConverter stillConverter_;  // for --frames-at
    capture::FramePtr still_;
    bool stopRequested_ = false;
    long firstRecorded_ = -1;       // index of the first recorded frame
    double firstRecordedAt_ = 0.0;  // its virtual time: the video's time 0
    double musicPlayedAt_ = -1.0;   // virtual time of the program's play call
    double started_ = steadySeconds();
    double lastReturn_ = 0.0;       // when the previous frame went back to the program
};

void FrameSink::saveStills(const headless::Frame& frame, double now) {
    for (FrameRequest& request : requests_) {
        if (request.written || now < request.time || !frame.rgba) continue;
        char name[32];
        std::snprintf(name, sizeof name, "%04d.png", request.number);
        const std::string path = (out_.pngFolder / name).string();
        request.written = true;
        // At the output size and opaque, as on screen (the framebuffer's
        // alpha is a by-product of blending).
        std::string convertError;
        if (!stillConverter_.setUp(frame.width, frame.height, o_.width, o_.height, AV_PIX_FMT_RGBA, convertError) ||
            !(still_ = stillConverter_.makeFrame())) {
            std::fprintf(stderr, "salute-capture: %s\n", convertError.empty() ? "out of memory" : convertError.c_str());
            writeFailed = true;
            continue;
        }
        stillConverter_.convert(frame.rgba, still_.get());
        if (!tools::writePng(path, still_->data[0], o_.width, o_.height)) writeFailed = true;
        else if (!o_.quiet)
            std::printf("wrote %s (frame %ld, demoTime %.6f)\n", path.c_str(), frame.index, now);
    }
}

void FrameSink::onFrame(const headless::Frame& frame) {
    const double entered = steadySeconds();
    if (frame.index == 0) firstFrameSeconds = entered - started_;
    else programSeconds += entered - lastReturn_;
    lastFrame = frame.index;
    lastTime = demoTime;
    drawingWidth = frame.width;
    drawingHeight = frame.height;
    const double now = static_cast<double>(demoTime);
    const std::size_t size = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4;
    if (o_.hashes && frame.rgba)
        std::printf("frame %ld %.6f %016llx\n", frame.index, now,
                    static_cast<unsigned long long>(hashPixels(frame.rgba, size)));
    saveStills(frame, now);

    const bool recording = o_.recording();
    const bool timeReached = o_.toTime >= 0.0 && now >= o_.toTime;
    if (recording && !stopRequested_ && !timeReached && now >= o_.fromTime && frame.rgba) {
        if (firstRecorded_ < 0) {
            firstRecorded_ = frame.index;
            firstRecordedAt_ = frame.virtualSeconds;
            if (musicPlayedAt_ >= 0.0) out_.recorder.musicStarted(musicPlayedAt_ - firstRecordedAt_);
        }
        out_.recorder.addFrame(frame.rgba, frame.width, frame.height, frame.index - firstRecorded_);
        ++recorded;
    }
    if (recording)
        progress_.update(out_.endTime > 0.0 ? now / out_.endTime : 1.0, frame.index + 1, recorded,
                         out_.expectedFrames);
    // Memory that grows with the video shows as a peak at the end above this.
    if (halfwayPeakKib == 0 && now >= (o_.fromTime + out_.endTime) / 2.0) halfwayPeakKib = peakResidentKib();
    for (Key& key : keys_) {
        if (key.sent || key.event.atStart || now < key.event.time) continue;
        key.sent = true;
        headless::postMessage(key.event.message, key.event.wParam, key.event.lParam);
    }
    const bool requestsDone =
        !requests_.empty() &&
        std::all_of(requests_.begin(), requests_.end(), [](const FrameRequest& r) { return r.written; });
    if (!stopRequested_ && (timeReached || writeFailed || out_.recorder.failed() || interrupted.load() ||
                            (requestsDone && o_.toTime < 0.0 && !recording))) {
        stopRequested_ = true;
        PostQuitMessage(writeFailed || out_.recorder.failed() ? 1 : 0);
    }
    std::fflush(stdout);
    lastReturn_ = steadySeconds();
    sinkSeconds += lastReturn_ - entered;
}

// ---- The report --------------------------------------------------------------

using Summary = std::vector<std::pair<std::string, std::string>>;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Says what the run wrote (or why nothing) and gives the exit status.
int report(const CaptureOptions& o, Outputs& out, FrameSink& sink, int programStatus, Summary& summary) {
    int result = programStatus;
    for (const FrameSink::FrameRequest& request : sink.requests_) {
        if (request.written) continue;
        std::fprintf(stderr, "salute-capture: presentation time %g was never reached (it ended at %g)\n",
                     request.time, static_cast<double>(sink.lastTime));
        if (result == 0) result = 1;
    }
    if (sink.writeFailed && result == 0) result = 1;

    const std::int64_t rendered = sink.lastFrame + 1;
    summary = {{"rendered_frames", std::to_string(rendered)},
               {"last_time", number(sink.lastTime)},
               {"scale", std::to_string(o.scale)},
               {"drawing_width", std::to_string(sink.drawingWidth)},
               {"drawing_height", std::to_string(sink.drawingHeight)},
               {"first_frame_seconds", number(sink.firstFrameSeconds)},
               {"program_seconds", number(sink.programSeconds)},
               {"readback_seconds", number(headless::readbackSeconds())},
               {"sink_seconds", number(sink.sinkSeconds)},
               {"halfway_peak_rss_kib", std::to_string(sink.halfwayPeakKib)}};
    if (!o.recording()) {
        if (interrupted.load()) return 130;
        if (!o.quiet)
            std::fprintf(stderr, "salute-capture: %ld frame%s, presentation time %.3f s at the last frame, exit status %d\n",
                         sink.lastFrame + 1, sink.lastFrame == 0 ? "" : "s", static_cast<double>(sink.lastTime), result);
        return result;
    }

    const double videoSeconds = static_cast<double>(sink.recorded) * o.frameSeconds();
    if (!o.videoPath.empty() && headless::musicStartSeconds() < 0.0) {
        out.recorder.abandon();
        std::fprintf(stderr,
                     "salute-capture: the music did not play, so the presentation ended after its first frame; "
                     "no video written\n");
        return 1;
    }
    if (sink.recorded == 0) {
        out.recorder.abandon();
        if (interrupted.load()) {
            std::fprintf(stderr, "salute-capture: interrupted before any frame was recorded; nothing written\n");
            return 130;
        }
        std::fprintf(stderr, "salute-capture: no frame lay between --from %g and the end (%g s); nothing written\n",
                     o.fromTime, static_cast<double>(sink.lastTime));
        return 1;
    }
    std::string error;
    if (!out.recorder.finish(videoSeconds, error)) {
        std::fprintf(stderr, "salute-capture: %s; no video written\n", error.c_str());
        return 1;
    }
    const double wall = sink.elapsedSeconds();  // the encoder's last frames included
    const double fps = wall > 0.0 ? static_cast<double>(rendered) / wall : 0.0;
    const double ratio = videoSeconds > 0.0 ? wall / (static_cast<double>(rendered) * o.frameSeconds()) : 0.0;
    std::error_code fsError;
    const std::uintmax_t videoBytes = o.videoPath.empty() ? 0 : fs::file_size(out.videoFile, fsError);
    if (!o.quiet) {
        std::string what;
        if (!o.videoPath.empty()) what = out.videoFile.string() + " (" + sizeText(videoBytes) + ")";
        if (o.pngSequence()) what += (what.empty() ? "" : " and ") + out.pngFolder.string() + "/*.png";
        std::fprintf(stderr,
                     "salute-capture: wrote %s: %lld frames, %.2f s at %dx%d; rendered at %.1f fps (%.2fx "
                     "real time)\n",
                     what.c_str(), static_cast<long long>(sink.recorded), videoSeconds, o.width, o.height, fps, ratio);
    }
    const capture::Recorder::Timing timing = out.recorder.timing();
    const Summary recordedSummary = {
        {"frames", std::to_string(sink.recorded)},
        {"video_seconds", number(videoSeconds)},
        {"width", std::to_string(o.width)},
        {"height", std::to_string(o.height)},
        {"video_file", out.videoFile.string()},
        {"video_bytes", std::to_string(videoBytes)},
        {"png_folder", o.pngSequence() ? out.pngFolder.string() : std::string()},
        {"wall_seconds", number(wall)},
        {"render_fps", number(fps)},
        {"real_time_ratio", number(ratio)},
        {"encoder_wait_seconds", number(timing.waitSeconds)},
        {"convert_seconds", number(timing.convertSeconds)},
        {"encode_seconds", number(timing.encodeSeconds)},
    };
    summary.insert(summary.end(), recordedSummary.begin(), recordedSummary.end());
    if (interrupted.load()) {
        std::fprintf(stderr, "salute-capture: interrupted; kept the %lld frames rendered so far\n",
                     static_cast<long long>(sink.recorded));
        return 130;
    }
    return result;
}

void printSummary(const Summary& summary, int status) {
    for (const auto& [key, value] : summary) std::printf("%s=%s\n", key.c_str(), value.c_str());
    std::printf("peak_rss_kib=%ld\nstatus=%d\n", peakResidentKib(), status);
    std::fflush(stdout);
}

int run(int argc, char** argv) {
    CaptureOptions options;
    int status = 0;
    if (!capture::parseOptions(argc, argv, options, status)) return status;

    // The encoders' own statistics are noise here; their errors still show.
    av_log_set_level(AV_LOG_ERROR);

    Outputs outputs;
    if (!openOutputs(options, outputs, status)) return status;

    FrameSink sink(options, outputs);
    headless::configure(sink.config());
    sink.postStartKeys();
    catchInterrupts();
    const int programStatus = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    sink.closeProgress();

    Summary summary;
    status = report(options, outputs, sink, programStatus, summary);
    if (options.summaryKeys) printSummary(summary, status);
    return status;
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
