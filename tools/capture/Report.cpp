#include "tools/capture/Report.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace capture {

namespace {

std::string sizeText(std::uintmax_t bytes) {
    char text[32];
    if (bytes >= std::uintmax_t{1024} * 1024) std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    else std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1024.0);
    return text;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

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

}  // namespace capture
