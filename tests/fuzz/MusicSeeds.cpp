// The music fuzzer's seeds: mono and stereo, cut short, not Ogg.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/common/OggWriter.h"

namespace {

std::vector<float> tone(int frames, int channels, double step) {
    std::vector<float> samples(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(0.3 * std::sin(step * static_cast<double>(i / static_cast<std::size_t>(channels))));
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = tools::writeOggVorbis(dir + "/mono.ogg", tone(800, 1, 0.05), 1, 8000, 0.0f) &&
              tools::writeOggVorbis(dir + "/stereo.ogg", tone(2000, 2, 0.1), 2, 44100, 0.1f) &&
              tools::writeOggVorbis(dir + "/empty.ogg", {}, 2, 44100, 0.1f);
    std::ifstream in(dir + "/stereo.ogg", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(dir + "/cut.ogg", std::ios::binary) << whole.substr(0, whole.size() * 2 / 3);
    std::ofstream(dir + "/not-ogg.ogg", std::ios::binary) << "RIFF\x24\0\0\0WAVEfmt ";
    if (!ok) std::fprintf(stderr, "make_music_seeds: cannot write the seeds in %s\n", dir.c_str());
    return ok ? 0 : 1;
}
