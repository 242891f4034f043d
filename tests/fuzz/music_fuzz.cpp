// Fuzzes the music file as the headless program plays it (stream, length,
// end on a virtual clock) and as the capture tool reads it (start, seek, end).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/headless/HeadlessState.h"
#include "tests/fuzz/FuzzInput.h"
#include "tools/capture/MusicTrack.h"

namespace {

std::string inputPath;
double now = 0.0;

[[noreturn]] void broken(const char* what) { fuzz::broken("music_fuzz", what); }

// Reads `total` samples from `position` in blocks, as the recorder does.
void readSpan(capture::MusicTrack& track, std::int64_t position, std::int64_t total) {
    constexpr int kBlock = 1024;
    std::vector<std::vector<float>> planes(static_cast<std::size_t>(track.channels()), std::vector<float>(kBlock));
    std::vector<float*> pointers;
    for (auto& plane : planes) pointers.push_back(plane.data());
    for (std::int64_t done = 0; done < total; done += kBlock) {
        if (!track.read(position + done, kBlock, pointers.data())) return;
    }
}

}  // namespace

// What the backend takes from the rest of it: a config and a clock.
namespace headless {
const Config& currentConfig() {
    static const Config config;
    return config;
}
bool noAudioDeviceWanted() { return false; }
double virtualSeconds() { return now; }
}  // namespace headless

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::nameInput("input.ogg");
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) broken("BASS_Init failed");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::writeInput(data, size)) broken("cannot write the input file");

    // The program: a stream or 0; a stream plays until its length has passed.
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, fuzz::inputPath.c_str(), 0, 0, 0);
    if (stream) {
        if (!BASS_ChannelPlay(stream, TRUE)) broken("an open stream does not play");
        if (BASS_ChannelIsActive(stream) != BASS_ACTIVE_PLAYING && BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED)
            broken("an odd stream state");
        now += 1e30;  // beyond any length a header can declare: the music has ended
        if (BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED) broken("the music never ends");
    }

    // The capture tool.
    capture::MusicTrack track;
    std::string error;
    if (!track.open(fuzz::inputPath, error)) {
        if (error.empty()) broken("a refused music without a reason");
        return 0;
    }
    if (track.rate() <= 0 || track.channels() < 1 || track.channels() > 8 || track.length() < 0 ||
        !std::isfinite(track.seconds()))
        broken("an opened music with an impossible format");
    // Bounded: a header may promise hours that the data does not hold.
    constexpr std::int64_t kMostSamples = std::int64_t{1} << 16;
    const std::int64_t span = track.length() < kMostSamples ? track.length() : kMostSamples;
    readSpan(track, -512, span + 512);
    readSpan(track, track.length() / 2, 4096);
    readSpan(track, track.length() - 100, 2048);
    return 0;
}
