// Records the frames the program presents, on a thread of its own: the
// program renders frame n + 1 while frame n is converted and encoded. A
// small pool of frame buffers bounds the memory; when it is used up the
// program waits for the encoder.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/capture/Picture.h"
#include "tools/capture/VideoFile.h"

namespace capture {

class MusicTrack;

struct RecordOptions {
    bool video = false;
    VideoOptions videoOptions;  // path, size, rate, quality
    std::string pngFolder;      // a numbered PNG sequence here when not empty
    int width = screenWidth;    // output size of both
    int height = screenHeight;
};

class Recorder {
public:
    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Opens the outputs and starts the encoder thread. False (with `error`)
    // when an output cannot be written.
    bool start(const RecordOptions& options, MusicTrack* music, std::string& error);

    // From the program's thread. Copies the frame; `number` counts the
    // recorded frames from 0.
    void addFrame(const std::uint8_t* rgba, int width, int height, std::int64_t number);
    // The music began at this time of the video (negative: before its start).
    void musicStarted(double videoSeconds);

    // True once the encoder thread has hit an error; the run should stop.
    bool failed() const { return failed_.load(); }

    // Waits for the queue to drain, then ends the video at `endSeconds`.
    bool finish(double endSeconds, std::string& error);
    // Stops the thread and deletes the unfinished video.
    void abandon();

    std::int64_t framesDone() const { return framesDone_.load(); }

    // Where the time went, in seconds: the program waiting for a free
    // buffer, and the encoder thread converting and encoding (PNGs included).
    struct Timing {
        double waitSeconds = 0.0;
        double convertSeconds = 0.0;
        double encodeSeconds = 0.0;
    };
    Timing timing() const;

private:
    struct Item {
        enum Kind { Frame, MusicStart, End } kind;
        int slot;
        std::int64_t number;
        int width;
        int height;
        double seconds;
    };

    void push(const Item& item);
    void run();
    bool record(Item& item, std::string& error);
    void releaseSlot(Item& item);
    void stopThread();

    RecordOptions options_;
    VideoFile video_;
    PictureConverter videoConverter_;
    PictureConverter pngConverter_;
    FramePtr videoPicture_;
    FramePtr pngPicture_;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;

    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    std::vector<std::vector<std::uint8_t>> slots_;
    std::vector<int> freeSlots_;
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> framesDone_{0};
    std::string error_;  // the encoder thread's first error, under mutex_
    Timing timing_;      // under mutex_
};

}  // namespace capture
