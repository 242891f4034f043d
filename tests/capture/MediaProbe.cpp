#include "tests/capture/MediaProbe.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace probe {

double Media::firstSoundAt(float level) const {
    for (std::size_t i = 0; i < audio.size(); ++i)
        if (std::fabs(audio[i]) > level) return static_cast<double>(i) / sampleRate;
    return -1.0;
}

Media read(const std::string& path, const std::vector<int>& keep) {
    Media media;
    const auto run = [&](std::vector<std::string> argv) {
        argv.insert(argv.begin() + 1, {"-v", "error", "-i", path});
        const support::RunResult result = support::runProcess(argv, "", {}, 120);
        media.ok = media.ok && result.exitCode == 0;
        return result.out;
    };
    media.ok = true;
    std::istringstream streams(run({"ffprobe", "-show_entries",
                                    "stream=codec_name,pix_fmt,width,height,avg_frame_rate,sample_rate,channels",
                                    "-of", "default=nw=1"}));
    for (std::string line; std::getline(streams, line);) {
        const std::string key = line.substr(0, line.find('=')), value = line.substr(key.size() + 1);
        if (key == "codec_name" || key == "pix_fmt") media.codecs += (media.codecs.empty() ? "" : " ") + value;
        if (key == "avg_frame_rate" && value != "0/0")
            std::sscanf(value.c_str(), "%d/%d", &media.rateNumerator, &media.rateDenominator);
        for (auto [name, field] : {std::pair{"width", &media.width}, {"height", &media.height},
                                   {"sample_rate", &media.sampleRate}, {"channels", &media.channels}})
            if (key == name) *field = std::stoi(value);
    }
    // Every decoded frame's time; the sound from the first audio frame's.
    std::istringstream frames(run({"ffprobe", "-show_entries", "frame=media_type,best_effort_timestamp_time", "-of", "csv=p=0"}));
    double soundFrom = -1;
    for (std::string type, time; std::getline(frames, type, ',') && std::getline(frames, time);) {
        if (type.find("video") != std::string::npos) media.frameTimes.push_back(std::stod(time));
        if (type.find("audio") != std::string::npos && soundFrom < 0) soundFrom = std::stod(time);
    }
    if (media.hasAudio()) {
        const std::string samples = run({"ffmpeg", "-map", "0:a:0", "-af", "pan=mono|c0=c0", "-f", "f32le", "-"});
        media.audio.assign(std::size_t(std::lround(std::max(0.0, soundFrom) * media.sampleRate)), 0.0f);
        const auto* first = reinterpret_cast<const float*>(samples.data());
        media.audio.insert(media.audio.end(), first, first + samples.size() / sizeof(float));
    }
    for (int index : keep) {
        const std::string select = "select=eq(n\\," + std::to_string(index) + ")";
        const std::string rgb = run({"ffmpeg", "-map", "0:v:0", "-vf", select, "-vsync", "0", "-frames:v", "1",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
        media.keptPictures.push_back({media.width, media.height, 3, std::vector<std::uint8_t>(rgb.begin(), rgb.end())});
    }
    return media;
}

}  // namespace probe
