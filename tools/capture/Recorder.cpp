#include "tools/capture/Recorder.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "tools/common/PngWriter.h"

namespace capture {

namespace {
// Enough to ride out a slow frame on either side without holding much memory.
constexpr int kSlots = 4;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

Recorder::~Recorder() { abandon(); }

bool Recorder::start(const RecordOptions& options, MusicTrack* music, std::string& error) {
    options_ = options;
    if (options_.video) {
        options_.videoOptions.width = options_.width;
        options_.videoOptions.height = options_.height;
        if (!video_.open(options_.videoOptions, music, error)) {
            video_.abandon();
            return false;
        }
    }
    slots_.assign(kSlots, {});
    freeSlots_.clear();
    for (int i = 0; i < kSlots; ++i) freeSlots_.push_back(i);
    thread_ = std::thread([this] { run(); });
    return true;
}

void Recorder::push(const Item& item) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(item);
    }
    changed_.notify_all();
}

void Recorder::addFrame(const std::uint8_t* rgba, int width, int height, std::int64_t number) {
    int slot = -1;
    {
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !freeSlots_.empty(); });
        timing_.waitSeconds += secondsSince(start);
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    }
    std::vector<std::uint8_t>& buffer = slots_[static_cast<std::size_t>(slot)];
    buffer.assign(rgba, rgba + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    push(Item{Item::Frame, slot, number, width, height, 0.0});
}

void Recorder::musicStarted(double videoSeconds) { push(Item{Item::MusicStart, -1, 0, 0, 0, videoSeconds}); }

void Recorder::run() {
    for (;;) {
        Item item;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty(); });
            item = queue_.front();
            queue_.pop_front();
        }
        if (item.kind == Item::End) return;
        std::string error;
        if (!failed_.load() && !record(item, error)) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (error_.empty()) error_ = error;
            failed_.store(true);
        }
        // A failed recorder still hands its buffers back, so the program never waits forever.
        releaseSlot(item);
    }
}

void Recorder::releaseSlot(Item& item) {
    if (item.slot < 0) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        freeSlots_.push_back(item.slot);
    }
    item.slot = -1;
    changed_.notify_all();
}

bool Recorder::record(Item& item, std::string& error) {
    if (item.kind == Item::MusicStart) {
        video_.setMusicStart(item.seconds);
        return true;
    }
    if (sourceWidth_ != item.width || sourceHeight_ != item.height) {
        sourceWidth_ = item.width;
        sourceHeight_ = item.height;
        if (options_.video) {
            if (!videoConverter_.setUp(item.width, item.height, options_.width, options_.height, video_.pixelFormat(),
                                       error))
                return false;
            videoPicture_ = videoConverter_.makeFrame();
        }
        if (!options_.pngFolder.empty()) {
            if (!pngConverter_.setUp(item.width, item.height, options_.width, options_.height, AV_PIX_FMT_RGBA, error))
                return false;
            pngPicture_ = pngConverter_.makeFrame();
        }
        if ((options_.video && !videoPicture_) || (!options_.pngFolder.empty() && !pngPicture_)) {
            error = "out of memory for the pictures";
            return false;
        }
    }
    // Convert first and hand the buffer back, so the program can fill it
    // with the next frame while this one is encoded.
    const auto converting = std::chrono::steady_clock::now();
    const std::uint8_t* rgba = slots_[static_cast<std::size_t>(item.slot)].data();
    if (options_.video) {
        // The encoder may still hold the last picture: take a fresh buffer then.
        if (av_frame_make_writable(videoPicture_.get()) < 0) {
            error = "out of memory for the pictures";
            return false;
        }
        videoConverter_.convert(rgba, videoPicture_.get());
    }
    if (!options_.pngFolder.empty()) pngConverter_.convert(rgba, pngPicture_.get());
    releaseSlot(item);
    const auto encoding = std::chrono::steady_clock::now();
    const double converted = std::chrono::duration<double>(encoding - converting).count();

    if (options_.video) {
        if (!video_.writePicture(videoPicture_.get(), item.number, error)) return false;
        const VideoOptions& v = options_.videoOptions;
        const double end = static_cast<double>(item.number + 1) * static_cast<double>(v.fpsDenominator) /
                           static_cast<double>(v.fpsNumerator);
        if (!video_.writeAudioUntil(end, error)) return false;
    }
    if (!options_.pngFolder.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/%06lld.png", static_cast<long long>(item.number) + 1);
        const std::string path = options_.pngFolder + name;
        if (!tools::writePng(path, pngPicture_->data[0], options_.width, options_.height)) {
            error = "cannot write \"" + path + "\"";
            return false;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        timing_.convertSeconds += converted;
        timing_.encodeSeconds += secondsSince(encoding);
    }
    framesDone_.fetch_add(1);
    return true;
}

Recorder::Timing Recorder::timing() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return timing_;
}

void Recorder::stopThread() {
    if (!thread_.joinable()) return;
    push(Item{Item::End, -1, 0, 0, 0, 0.0});
    thread_.join();
}

bool Recorder::finish(double endSeconds, std::string& error) {
    stopThread();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_.load()) {
            error = error_;
            video_.abandon();
            return false;
        }
    }
    if (options_.video && !video_.finish(endSeconds, error)) {
        video_.abandon();
        return false;
    }
    return true;
}

void Recorder::abandon() {
    stopThread();
    video_.abandon();
}

}  // namespace capture
