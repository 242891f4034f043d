// Writes a plain tone as an Ogg Vorbis file: stand-in music and test data.
// Usage: salute-tonegen OUTPUT.ogg SECONDS [HZ]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/common/OggWriter.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.ogg SECONDS [HZ]\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const double hz = argc > 3 ? std::atof(argv[3]) : 440.0;
    if (!(seconds > 0.0 && seconds < 3600.0) || !(hz > 0.0 && hz < 20000.0)) {
        std::fprintf(stderr, "%s: seconds must be in (0, 3600) and hz in (0, 20000)\n", argv[0]);
        return 2;
    }
    const int rate = 44100;
    const long frames = std::lround(seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    const double pi = 3.14159265358979323846;
    for (long i = 0; i < frames; ++i) {
        // A short fade at both ends avoids clicks.
        const double fade = std::fmin(1.0, std::fmin(i, frames - i) / (0.01 * rate));
        const float value = static_cast<float>(0.3 * fade * std::sin(2.0 * pi * hz * i / rate));
        samples[static_cast<std::size_t>(2 * i)] = value;
        samples[static_cast<std::size_t>(2 * i + 1)] = value;
    }
    return tools::writeOggVorbis(argv[1], samples, 2, rate, 0.3f) ? 0 : 1;
}
