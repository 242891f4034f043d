// The music through a real sound server (PulseAudio with a null sink,
// recorded from the sink's monitor): heard from right after the first frame,
// all of it as the file has it, and its end ends the presentation. Without a
// sound card or server, one line says so and nothing else is printed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "tests/desktop/Harness.h"
#include "tests/desktop/PulseServer.h"
#include "tools/common/OggWriter.h"

namespace {

using namespace desktop;

constexpr int rate = 44100;
constexpr double chunk = 4096.0 / rate;  // the backend's mixing chunk
constexpr long window = rate / 100;      // 10 ms: the envelope's step
constexpr double pi = 3.14159265358979323846;

double monotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double dB(double rms) { return 20.0 * std::log10(std::max(rms, 1e-9)); }

// Test music that a recording can be matched against without doubt: its
// loudness and pitch change every 125 ms in a fixed pseudo-random pattern,
// and it sounds from its first sample to its last.
bool writePatternOgg(const std::string& path, double seconds) {
    const long frames = std::lround(seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    std::uint32_t state = 20240601;
    double target = 0.3, level = 0.3, hz = 440, phase = 0;
    for (long i = 0; i < frames; ++i) {
        if (i % (rate / 8) == 0) {
            state = state * 1103515245u + 12345u;
            target = 0.05 + 0.4 * ((state >> 16) & 1023) / 1023.0;
            hz = 220 + ((state >> 8) & 255) * 3.0;
        }
        level += (target - level) * 0.005;  // about 5 ms to follow, no clicks
        phase += 2 * pi * hz / rate;
        const double edge = std::min(1.0, std::min(i, frames - 1 - i) / (0.002 * rate));
        const float value = static_cast<float>(edge * level * std::sin(phase));
        samples[static_cast<std::size_t>(2 * i)] = samples[static_cast<std::size_t>(2 * i + 1)] = value;
    }
    return tools::writeOggVorbis(path, samples, 2, rate, 0.5f);
}

// The file's music as a player decodes it, both channels averaged.
std::vector<float> decodeOgg(const std::string& path) {
    std::vector<float> mono;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return mono;
    const int channels = ov_info(&file, -1)->channels;
    float** pcm = nullptr;
    int section = 0;
    for (long n; (n = ov_read_float(&file, &pcm, 4096, &section)) > 0;) {
        for (long i = 0; i < n; ++i) mono.push_back((pcm[0][i] + pcm[channels - 1][i]) / 2);
    }
    ov_clear(&file);
    return mono;
}

// A raw s16le stereo recording, both channels averaged.
std::vector<float> readRecording(const std::string& path) {
    const std::string bytes = support::readFile(path);
    std::vector<float> mono(bytes.size() / 4);
    const auto* s16 = reinterpret_cast<const std::int16_t*>(bytes.data());
    for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = (s16[2 * i] + s16[2 * i + 1]) / 65536.0f;
    return mono;
}

std::vector<double> envelope(const std::vector<float>& x) {
    std::vector<double> rms(x.size() / window);
    for (std::size_t w = 0; w < rms.size(); ++w) {
        double sum = 0;
        for (long i = 0; i < window; ++i) sum += double(x[w * window + i]) * x[w * window + i];
        rms[w] = std::sqrt(sum / window);
    }
    return rms;
}

// Pearson correlation of a with b starting at b[offset] (zeros past b's end).
template <typename T>
double correlation(const std::vector<T>& a, const std::vector<T>& b, std::size_t offset, std::size_t from = 0,
                   std::size_t count = SIZE_MAX) {
    count = std::min(count, a.size() - from);
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const double x = a[i];
        const double y = offset + i < b.size() ? double(b[offset + i]) : 0.0;
        sa += x, sb += y, saa += x * x, sbb += y * y, sab += x * y;
    }
    const double n = static_cast<double>(count);
    const double denominator = std::sqrt((saa - sa * sa / n) * (sbb - sb * sb / n));
    return denominator > 0 ? (sab - sa * sb / n) / denominator : 0.0;
}

// Where in `recording` the music starts, judged by the part of it from
// sample `from` on for two seconds: the best match of the whole music's 10 ms
// envelopes, then of that part's envelopes within a second of it, then of
// its samples within one step of that.
long findStart(const std::vector<float>& music, const std::vector<float>& recording, long from) {
    const std::vector<double> musicEnvelope = envelope(music);
    const std::vector<double> recordingEnvelope = envelope(recording);
    if (recordingEnvelope.size() < musicEnvelope.size() / 2) return -1;
    const auto best = [](long low, long high, const auto& score) {
        long found = -1;
        double top = -2;
        for (long lag = std::max(0L, low); lag <= high; ++lag) {
            const double value = score(static_cast<std::size_t>(lag));
            if (value > top) top = value, found = lag;
        }
        return found;
    };
    const long whole = best(0, long(recordingEnvelope.size() - musicEnvelope.size() / 2), [&](std::size_t lag) {
        return correlation(musicEnvelope, recordingEnvelope, lag);
    });
    const long part = best(whole - 100, whole + 100, [&](std::size_t lag) {
        return correlation(musicEnvelope, recordingEnvelope, lag, from / window, 200);
    });
    return best((part - 1) * window, (part + 1) * window, [&](std::size_t lag) {
        return correlation(music, recording, lag, from, 2 * rate);
    });
}

// Runs of 1 ms or more of exact zeros within [from, to): where the output
// ran dry (an underrun), the server played silence. Their count and length.
std::pair<int, double> zeroRuns(const std::vector<float>& x, long from, long to) {
    int count = 0;
    long samples = 0;
    for (long i = std::max(0L, from), run = 0; i < std::min(to, long(x.size())); ++i) {
        run = x[i] == 0.0f ? run + 1 : 0;
        if (run == window / 10) ++count, samples += run - 1;
        if (run >= window / 10) ++samples;
    }
    return {count, double(samples) / rate};
}

// The span of samples louder than -60 dBFS, from `from` on: first and one past the last.
std::pair<long, long> audible(const std::vector<float>& x, long from = 0) {
    long first = -1, last = -1;
    for (long i = from; i < long(x.size()); ++i) {
        if (std::fabs(x[i]) > 1e-3f) {
            if (first < 0) first = i;
            last = i + 1;
        }
    }
    return {first, last};
}

// Played through the server: the recording holds the file's music whole,
// sample for sample (correlation of the waveforms, loudness second by
// second, audible length); it begins after the first frame is presented and
// within one mixing chunk plus the latency the server reports; the program
// ends when it ends. The measurements are printed.
// `seconds` > 0: generated pattern music of that length; 0: the build's own.
void heardWholeFromTheFirstFrame(double seconds, const std::string& name) {
    if (!havePulseTools() || !haveCommand("Xvfb")) GTEST_SKIP() << "pulseaudio, pactl, parec or Xvfb missing";
    auto pulse = PulseServer::start();
    if (!pulse) GTEST_SKIP() << "the sound server did not start";
    auto x = Xvfb::start(640, 480);
    ASSERT_TRUE(x);
    ProgramFolder folder;
    if (seconds > 0) {
        std::filesystem::remove(folder.file("90secver.ogg"));
        ASSERT_TRUE(writePatternOgg(folder.file("90secver.ogg"), seconds));
    }
    const std::vector<float> music = decodeOgg(folder.file("90secver.ogg"));
    ASSERT_FALSE(music.empty());
    const double musicSeconds = double(music.size()) / rate;

    support::TempDir scratch;
    const std::string recordingPath = scratch.file("monitor.raw");
    auto recorder = pulse->record(recordingPath);
    // The recording's sample 0 lies where the monitor delivered least late:
    // the earliest of (arrival time - duration received) over all arrivals.
    double sampleZero = 1e300;
    long received = 0;
    auto track = [&] {
        struct stat file {};
        if (stat(recordingPath.c_str(), &file) == 0 && file.st_size > received) {
            received = static_cast<long>(file.st_size);
            sampleZero = std::min(sampleZero, monotonicNow() - double(received / 4) / rate);
        }
    };
    for (int i = 0; i < 500 && received == 0 && recorder->running(); ++i, pause(0.01)) track();
    ASSERT_GT(received, 0) << "parec recorded nothing: " << recorder->err();

    std::vector<std::string> env = pulse->clientEnv();
    env.insert(env.end(), {"SDL_AUDIODRIVER=pulseaudio", "SALUTE_AUDIO_TRACE=1"});
    auto program = startProgram(folder, *x, env);
    const std::regex traceLine("salute: music started at ([0-9.]+)");
    double firstFrame = 0, exitTime = 0;
    std::optional<double> latency;
    std::optional<int> status;
    const double deadline = monotonicNow() + musicSeconds + 120;
    while (!status && monotonicNow() < deadline) {
        track();
        std::smatch match;
        const std::string err = firstFrame == 0 ? program->err() : "";
        if (firstFrame == 0 && std::regex_search(err, match, traceLine)) {
            firstFrame = std::stod(match[1]);
        } else if (firstFrame != 0 && !latency) {
            latency = pulse->playbackLatency();
        }
        if ((status = program->waitExit(0))) exitTime = monotonicNow();
        pause(0.005);
    }
    ASSERT_EQ(status, 0) << program->err();
    for (int i = 0; i < 30; ++i, pause(0.01)) track();  // the last of the sound
    recorder->signal(SIGINT);
    recorder->waitExit(5);
    EXPECT_TRUE(std::regex_match(program->err(), std::regex("salute: music started at [0-9.]+\n")))
        << program->err();
    ASSERT_NE(firstFrame, 0.0);
    ASSERT_TRUE(latency) << "the server showed no playback stream";

    const std::vector<float> recording = readRecording(recordingPath);
    const auto [musicFirst, musicEnd] = audible(music);
    const long start = findStart(music, recording, musicFirst);
    ASSERT_GE(start, 0) << "the music is not in the recording";
    const double waveform = correlation(music, recording, static_cast<std::size_t>(start));
    double worstLoudness = 0;  // dB, over the seconds louder than -50 dBFS
    for (long second = 0; (second + 1) * rate <= long(music.size()); ++second) {
        double played = 0, heard = 0;
        for (long i = second * rate; i < (second + 1) * rate; ++i) {
            played += double(music[i]) * music[i];
            const std::size_t at = static_cast<std::size_t>(start + i);
            heard += at < recording.size() ? double(recording[at]) * recording[at] : 0.0;
        }
        if (dB(std::sqrt(played / rate)) > -50)
            worstLoudness = std::max(worstLoudness, std::fabs(dB(std::sqrt(played / rate)) - dB(std::sqrt(heard / rate))));
    }
    const auto [heardFirst, heardEnd] = audible(recording, start);
    const double musicLength = double(musicEnd - musicFirst) / rate;
    const double heardLength = double(heardEnd - heardFirst) / rate;
    const auto [silences, silent] = zeroRuns(music, musicFirst, musicEnd);
    const auto [heardSilences, heardSilent] = zeroRuns(recording, heardFirst, heardEnd);
    const double firstSound = sampleZero + double(start) / rate;
    const double lastSound = sampleZero + double(start + long(music.size())) / rate;  // the file's last sample
    std::printf("first frame presented %.4f s; first sound %.4f s (%+.1f ms); server latency %.1f ms; "
                "bound %.1f ms\n"
                "audible length: file %.4f s, recorded %.4f s (%+.1f ms); waveform correlation %.5f; "
                "worst per-second loudness difference %.3f dB; dropouts: %d (%.1f ms); "
                "program ended %+.1f ms after the music's last sample\n",
                firstFrame, firstSound, (firstSound - firstFrame) * 1e3, *latency * 1e3, (chunk + *latency) * 1e3,
                musicLength, heardLength, (heardLength - musicLength) * 1e3, waveform, worstLoudness,
                heardSilences - silences, (heardSilent - silent) * 1e3, (exitTime - lastSound) * 1e3);

    EXPECT_GT(firstSound, firstFrame) << "heard before the first frame was presented";
    EXPECT_LE(firstSound - firstFrame, chunk + *latency);
    EXPECT_GE(waveform, 0.99);
    EXPECT_LE(worstLoudness, 0.5);
    EXPECT_NEAR(heardLength, musicLength, chunk);
    EXPECT_GT(exitTime, lastSound - chunk - *latency) << "ended before the music had played";
    EXPECT_LT(exitTime, lastSound + 1.0) << "went on long after the music";
    EXPECT_EQ(heardSilences, silences) << "dropouts";
    if (testing::Test::HasFailure()) {
        const std::string kept = failurePath("sound-" + name + "-monitor");
        std::filesystem::copy_file(recordingPath, kept + ".raw", std::filesystem::copy_options::overwrite_existing);
        ADD_FAILURE() << "the recording (raw s16le stereo 44.1 kHz) is kept in " << kept << ".raw";
    }
}

TEST(SoundServer, PatternMusicHeardWhole) { heardWholeFromTheFirstFrame(4, "pattern"); }

// About 100 s.
TEST(SoundServer, BuildMusicHeardWhole) { heardWholeFromTheFirstFrame(0, "build-music"); }

// No sound card (an ALSA card that does not exist) and no sound server:
// the program's one line is all that stderr shows, and it ends by itself.
TEST(NoSoundCard, OneLineOnly) {
    if (!haveCommand("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    auto x = Xvfb::start(640, 480);
    ASSERT_TRUE(x);
    ProgramFolder folder{3};
    auto program = startProgram(folder, *x,
                                {"SDL_AUDIODRIVER", "AUDIODEV", "XDG_RUNTIME_DIR", "ALSA_CARD=salute-no-such-card",
                                 "PULSE_SERVER=unix:" + folder.file("no-server"), "PIPEWIRE_REMOTE=salute-none"});
    EXPECT_EQ(program->waitExit(30), 0);
    EXPECT_TRUE(std::regex_match(program->err(),
                                 std::regex("salute: no audio output \\([^\n]*\\); the presentation ends after its "
                                            "first frame\\. [^\n]*\n")))
        << program->err();
}

}  // namespace
