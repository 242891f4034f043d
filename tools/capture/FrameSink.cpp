#include "tools/capture/FrameSink.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/FrameCycle.h"
#include "tools/common/PngWriter.h"

namespace capture {

std::atomic<bool> interrupted{false};

long peakResidentKib() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

namespace {

std::uint64_t hashPixels(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

FrameSink::FrameSink(const CaptureOptions& options, Outputs& outputs)
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

}  // namespace capture
