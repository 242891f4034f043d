#include "tests/desktop/SoundCheck.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

#include "tools/common/OggWriter.h"

namespace desktop {

// The level of a second's sum of squares.
double dB(double sumOfSquares) { return 10.0 * std::log10(std::max(sumOfSquares / rate, 1e-18)); }

// Loudness and pitch change every 125 ms; sound from first sample to last.
bool writePatternOgg(const std::string& path, double seconds) {
    const long frames = std::lround(seconds * rate);
    Samples samples(static_cast<std::size_t>(frames) * 2);
    std::uint32_t state = 20240601;
    double target = 0.3, level = 0.3, hz = 440, phase = 0;
    for (long i = 0; i < frames; ++i) {
        if (i % (rate / 8) == 0) {
            state = state * 1103515245u + 12345u;
            target = 0.05 + 0.4 * ((state >> 16) & 1023) / 1023.0;
            hz = 220 + ((state >> 8) & 255) * 3.0;
        }
        level += (target - level) * 0.005;  // about 5 ms to follow, no clicks
        phase += 2 * M_PI * hz / rate;
        const double edge = std::min(1.0, std::min(i, frames - 1 - i) / (0.002 * rate));
        samples[2 * i] = samples[2 * i + 1] = static_cast<float>(edge * level * std::sin(phase));
    }
    return tools::writeOggVorbis(path, samples, 2, rate, 0.5f);
}

// Pearson correlation of a[from, from + count) with b shifted by `offset`.
double correlation(const Samples& a, const Samples& b, long offset, long from, long count) {
    count = count < 0 ? long(a.size()) - from : std::min(count, long(a.size()) - from);
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (long i = from; i < from + count; ++i) {
        const double p = a[i], q = offset + i < long(b.size()) ? double(b[offset + i]) : 0.0;
        sa += p, sb += q, saa += p * p, sbb += q * q, sab += p * q;
    }
    const double denominator = std::sqrt((saa - sa * sa / count) * (sbb - sb * sb / count));
    return denominator > 0 ? (sab - sa * sb / count) / denominator : 0.0;
}

// Where the music starts in `heard`, within 10 ms of its first audible sample.
long findStart(const Samples& music, const Samples& heard, long first, long heardFirst) {
    if (first < 0 || heardFirst < 0) return -1;
    long found = -1;
    double top = -2;
    for (long lag = std::max(0L, heardFirst - first - step); lag <= heardFirst - first + step; ++lag)
        if (const double value = correlation(music, heard, lag, first, 2 * rate); value > top) top = value, found = lag;
    return found;
}

// Runs of 1 ms of exact zeros: where the output ran dry.
int zeroRuns(const Samples& x, long from, long to) {
    int count = 0;
    for (long i = std::max(0L, from), run = 0; i < std::min(to, long(x.size())); ++i) {
        run = x[i] == 0.0f ? run + 1 : 0;
        count += run == step / 10;
    }
    return count;
}

// The span of samples louder than -60 dBFS from `from` on.
std::pair<long, long> audible(const Samples& x, long from) {
    long first = -1, last = -1;
    for (long i = from; i < long(x.size()); ++i)
        if (std::fabs(x[i]) > 1e-3f) first = first < 0 ? i : first, last = i + 1;
    return {first, last};
}

SoundRecording::SoundRecording(const Server& pulse)
    : raw(pulse.dir.file("monitor.raw")),
      recorder({"parec", "--device", "salute_sink.monitor", "--raw", "--format=s16le", "--rate=44100",
                "--channels=2", "--latency-msec=10", raw},
               "", pulse.clientEnv) {}

bool SoundRecording::started() {
    return eventually([this] {
        struct stat file {};
        return stat(raw.c_str(), &file) == 0 && file.st_size > 0;
    }, 5);
}

Samples readRecording(const std::string& rawPath) {
    const std::string bytes = support::readFile(rawPath);
    Samples heard(bytes.size() / 4);
    const auto* s16 = reinterpret_cast<const std::int16_t*>(bytes.data());
    for (std::size_t i = 0; i < heard.size(); ++i) heard[i] = (s16[2 * i] + s16[2 * i + 1]) / 65536.0f;
    return heard;
}

testing::AssertionResult SoundRecording::heardWhole(const Samples& music) {
    pause(0.3);  // the last of the sound
    recorder.signal(SIGINT);
    recorder.waitExit(5);
    const Samples heard = readRecording(raw);
    const auto [musicFirst, musicEnd] = audible(music);
    const long start = findStart(music, heard, musicFirst, audible(heard).first);
    if (start < 0) return testing::AssertionFailure() << "the music is not in the recording";
    const double waveform = correlation(music, heard, start);
    const auto [heardFirst, heardEnd] = audible(heard, start);
    const double musicLength = double(musicEnd - musicFirst) / rate, heardLength = double(heardEnd - heardFirst) / rate;
    const int dropouts = zeroRuns(heard, heardFirst, heardEnd) - zeroRuns(music, musicFirst, musicEnd);
    std::printf("audible length: file %.4f s, recorded %.4f s; waveform correlation %.5f; dropouts %d\n", musicLength,
                heardLength, waveform, dropouts);
    if (waveform >= 0.99 && std::fabs(heardLength - musicLength) <= chunk && dropouts == 0)
        return testing::AssertionSuccess();
    const auto kept = std::filesystem::path(failurePath("sound-recording")).replace_extension(".raw");
    std::filesystem::copy_file(raw, kept, std::filesystem::copy_options::overwrite_existing);
    return testing::AssertionFailure() << "(kept in " << kept.string() << ", raw s16le stereo 44.1 kHz) recorded " << heardLength << " s of " << musicLength
                                       << " s, correlation " << waveform << ", dropouts " << dropouts;
}

}  // namespace desktop
