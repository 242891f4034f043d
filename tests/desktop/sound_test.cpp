// The music through PulseAudio's null sink, recorded from its monitor: heard
// from the first frame, whole, and its end ends the presentation.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "tests/desktop/Harness.h"
#include "tools/common/OggWriter.h"

namespace {

using namespace desktop;
using Samples = std::vector<float>;

constexpr int rate = 44100;
constexpr double chunk = 4096.0 / rate;  // the backend's mixing chunk
constexpr long step = rate / 100;        // 10 ms

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
double correlation(const Samples& a, const Samples& b, long offset, long from = 0, long count = -1) {
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
std::pair<long, long> audible(const Samples& x, long from = 0) {
    long first = -1, last = -1;
    for (long i = from; i < long(x.size()); ++i)
        if (std::fabs(x[i]) > 1e-3f) first = first < 0 ? i : first, last = i + 1;
    return {first, last};
}

// `seconds` > 0: pattern music of that length; 0: the build's own.
void heardWholeFromTheFirstFrame(double seconds) {
    std::string why;
    auto pulse = startServer(Kind::pulse, why);
    auto x = pulse ? startServer(Kind::xvfb, why) : nullptr;
    if (!x) GTEST_SKIP() << why;
    ProgramFolder folder;
    if (seconds > 0) {
        std::filesystem::remove(folder.file("90secver.ogg"));
        ASSERT_TRUE(writePatternOgg(folder.file("90secver.ogg"), seconds));
    }
    const Samples music = support::decodeOgg(folder.file("90secver.ogg"));
    ASSERT_FALSE(music.empty());

    const std::string raw = pulse->dir.file("monitor.raw");
    Process recorder({"parec", "--device", "salute_sink.monitor", "--raw", "--format=s16le", "--rate=44100",
                      "--channels=2", "--latency-msec=10", raw},
                     "", pulse->clientEnv);
    // Sample 0's time: the earliest arrival time less the duration received.
    double sampleZero = 1e300;
    long received = 0;
    const auto track = [&] {
        struct stat file {};
        if (stat(raw.c_str(), &file) == 0 && file.st_size > received) {
            received = static_cast<long>(file.st_size);
            sampleZero = std::min(sampleZero, now() - double(received / 4) / rate);
        }
        return received > 0;
    };
    ASSERT_TRUE(eventually(track, 5)) << "parec recorded nothing: " << recorder.err();

    const Env sound = join(pulse->clientEnv, {"SDL_AUDIODRIVER=pulseaudio", "SALUTE_AUDIO_TRACE=1"});
    auto program = startProgram(folder, join(x->clientEnv, sound));
    double firstFrame = 0, latency = -1, exitTime = 0;
    std::smatch match;
    const double deadline = now() + music.size() / rate + 120;
    for (; !program->waitExit(0) && now() < deadline; pause(0.005)) {
        track();
        const std::string err = firstFrame == 0 ? program->err() : "";
        if (std::regex_search(err, match, std::regex("salute: music started at ([0-9.]+)"))) {
            firstFrame = std::stod(match[1]);
        } else if (firstFrame != 0 && latency < 0) {
            const std::string list = support::runProcess({"pactl", "list", "sink-inputs"}, "", pulse->clientEnv).out;
            std::smatch buffer, sink;
            if (std::regex_search(list, buffer, std::regex("Buffer Latency: ([0-9]+) usec")) &&
                std::regex_search(list, sink, std::regex("Sink Latency: ([0-9]+) usec")))
                latency = (std::stod(buffer[1]) + std::stod(sink[1])) / 1e6;
        }
    }
    exitTime = now();
    ASSERT_EQ(program->waitExit(0), 0) << program->err();
    for (int i = 0; i < 30; ++i, pause(0.01)) track();  // the last of the sound
    recorder.signal(SIGINT);
    recorder.waitExit(5);
    EXPECT_TRUE(std::regex_match(program->err(), std::regex("salute: music started at [0-9.]+\n"))) << program->err();
    ASSERT_NE(firstFrame, 0.0);
    ASSERT_GE(latency, 0) << "the server showed no playback stream";

    const std::string bytes = support::readFile(raw);
    Samples heard(bytes.size() / 4);
    const auto* s16 = reinterpret_cast<const std::int16_t*>(bytes.data());
    for (std::size_t i = 0; i < heard.size(); ++i) heard[i] = (s16[2 * i] + s16[2 * i + 1]) / 65536.0f;
    const auto [musicFirst, musicEnd] = audible(music);
    const long start = findStart(music, heard, musicFirst, audible(heard).first);
    ASSERT_GE(start, 0) << "the music is not in the recording";
    const double waveform = correlation(music, heard, start);
    double worstLoudness = 0;  // dB, over the seconds louder than -50 dBFS
    for (long second = 0; (second + 1) * rate <= long(music.size()); ++second) {
        double played = 0, got = 0;
        for (long i = second * rate; i < (second + 1) * rate; ++i) {
            played += double(music[i]) * music[i];
            got += start + i < long(heard.size()) ? double(heard[start + i]) * heard[start + i] : 0.0;
        }
        if (dB(played) > -50) worstLoudness = std::max(worstLoudness, std::fabs(dB(played) - dB(got)));
    }
    const auto [heardFirst, heardEnd] = audible(heard, start);
    const double musicLength = double(musicEnd - musicFirst) / rate, heardLength = double(heardEnd - heardFirst) / rate;
    const int dropouts = zeroRuns(heard, heardFirst, heardEnd) - zeroRuns(music, musicFirst, musicEnd);
    const double firstSound = sampleZero + double(start) / rate;
    const double lastSound = sampleZero + double(start + long(music.size())) / rate;  // the file's last sample
    std::printf("first sound %+.1f ms after the first frame; server latency %.1f ms; audible length: file %.4f s, "
                "recorded %.4f s; waveform correlation %.5f; worst per-second loudness difference %.3f dB; "
                "dropouts %d; ended %+.1f ms after the music's last sample\n",
                (firstSound - firstFrame) * 1e3, latency * 1e3, musicLength, heardLength, waveform, worstLoudness,
                dropouts, (exitTime - lastSound) * 1e3);
    EXPECT_GT(firstSound, firstFrame) << "heard before the first frame was presented";
    EXPECT_LE(firstSound - firstFrame, chunk + latency);
    EXPECT_GE(waveform, 0.99);
    EXPECT_LE(worstLoudness, 0.5);
    EXPECT_NEAR(heardLength, musicLength, chunk);
    EXPECT_GT(exitTime, lastSound - chunk - latency) << "ended before the music had played";
    EXPECT_LT(exitTime, lastSound + 1.0) << "went on long after the music";
    EXPECT_EQ(dropouts, 0);
    if (testing::Test::HasFailure()) {
        const auto kept = std::filesystem::path(failurePath("sound-monitor")).replace_extension(".raw");
        std::filesystem::copy_file(raw, kept, std::filesystem::copy_options::overwrite_existing);
        ADD_FAILURE() << "the recording (raw s16le stereo 44.1 kHz) is kept in " << kept;
    }
}

TEST(SoundTest, PatternMusicHeardWhole) { heardWholeFromTheFirstFrame(4); }

// About 100 s.
TEST(SoundTest, BuildMusicHeardWhole) { heardWholeFromTheFirstFrame(0); }

}  // namespace
