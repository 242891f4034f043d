// The sink that takes every frame the presentation shows during a capture,
// and what the run shares with it: the interrupt flag, its clock and its
// memory use.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/headless/Headless.h"
#include "tools/capture/Options.h"
#include "tools/capture/Outputs.h"
#include "tools/capture/Picture.h"
#include "tools/capture/Progress.h"

namespace capture {

// Set by Ctrl-C (or a polite kill): the run ends after the current frame.
extern std::atomic<bool> interrupted;

// The process's peak resident memory so far, in KiB.
long peakResidentKib();
// A steady clock in seconds, for the run's timings.
double steadySeconds();

// Takes every frame the program presents: hashes it, saves the requested
// stills, hands recorded frames to the recorder, posts the scripted keys
// and ends the run when it is done.
class FrameSink {
public:
    FrameSink(const CaptureOptions& options, Outputs& outputs);

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

}  // namespace capture
