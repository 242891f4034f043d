// Checking the music as heard: a test pattern to play, a recording of the
// test's PulseAudio null sink, and comparisons of what was recorded with
// what was played.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/desktop/Harness.h"

namespace desktop {

using Samples = std::vector<float>;

constexpr int rate = 44100;
constexpr double chunk = 4096.0 / rate;  // the backends' mixing chunk
constexpr long step = rate / 100;        // 10 ms

// The level of a second's sum of squares.
double dB(double sumOfSquares);

// Loudness and pitch change every 125 ms; sound from first sample to last.
bool writePatternOgg(const std::string& path, double seconds);

// Pearson correlation of a[from, from + count) with b shifted by `offset`.
double correlation(const Samples& a, const Samples& b, long offset, long from = 0, long count = -1);

// Where the music starts in `heard`, within 10 ms of its first audible sample.
long findStart(const Samples& music, const Samples& heard, long first, long heardFirst);

// Runs of 1 ms of exact zeros: where the output ran dry.
int zeroRuns(const Samples& x, long from, long to);

// The span of samples louder than -60 dBFS from `from` on.
std::pair<long, long> audible(const Samples& x, long from = 0);

// A recording of parec's raw stereo 16-bit samples, its channels mixed.
Samples readRecording(const std::string& rawPath);

// The pulse server's null sink recorded from its monitor (parec, 10 ms
// latency: the default one garbles the start), from construction on.
class SoundRecording {
public:
    explicit SoundRecording(const Server& pulse);
    bool started();  // something was recorded within 5 s
    std::string error() const { return recorder.err(); }
    // Stops the recording; the music found in it whole: its audible length
    // within a chunk of the file's, the waveform's correlation at least
    // 0.99, no dropouts.
    testing::AssertionResult heardWhole(const Samples& music);

private:
    std::string raw;
    Process recorder;
};

}  // namespace desktop
