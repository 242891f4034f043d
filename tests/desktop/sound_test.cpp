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
#include "tests/desktop/SoundCheck.h"

namespace {

using namespace desktop;
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

    const Samples heard = readRecording(raw);
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
