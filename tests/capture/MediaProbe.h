// Reads back what salute-capture wrote, with ffprobe and ffmpeg: the
// streams of a video file, every decoded picture's time, chosen pictures as
// RGB, and the first audio channel.
#pragma once

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace probe {

using Picture = support::Picture;  // RGB

struct Media {
    bool ok = false;
    std::string codecs;  // "VIDEO PIXELS AUDIO", e.g. "h264 yuv420p aac"
    int width = 0, height = 0, rateNumerator = 0, rateDenominator = 0, sampleRate = 0, channels = 0;
    std::vector<double> frameTimes;     // seconds, in presentation order
    std::vector<Picture> keptPictures;  // the pictures asked for, as RGB
    std::vector<float> audio;           // the first channel, from time 0 of the file
    bool hasAudio() const { return sampleRate > 0; }
    double firstSoundAt(float level) const;  // seconds; -1 when never louder than level
};

// Decodes the whole file. `keep` lists picture numbers to keep as RGB.
Media read(const std::string& path, const std::vector<int>& keep = {});

}  // namespace probe
