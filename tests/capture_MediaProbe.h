// Reads back what salute-capture wrote: the streams of a video file, every
// decoded picture's time and hash, chosen pictures as RGB, and the audio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace probe {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

struct Media {
    bool ok = false;
    std::string error;

    bool hasVideo = false;
    std::string videoCodec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
    int rateNumerator = 0;  // the stream's average frame rate
    int rateDenominator = 0;
    std::vector<double> frameTimes;          // seconds, in decoding order of presentation
    std::vector<std::uint64_t> frameHashes;  // of each decoded picture's planes
    std::vector<Picture> keptPictures;       // the pictures asked for, as RGB

    bool hasAudio = false;
    std::string audioCodec;
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> audio;  // the first channel, from time 0 of the file
    double audioStart = 0.0;   // the first decoded sample's time
};

// Decodes the whole file. `keep` lists picture numbers to keep as RGB.
Media read(const std::string& path, const std::vector<int>& keep = {});

// Time in seconds of the first audio sample louder than `level`, or -1.
double firstSoundAt(const Media& media, float level);

}  // namespace probe
