// The generated music as a player decodes it: its form, end and tune.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tools/musicgen/Score.h"

namespace {

namespace sc = musicgen::score;
constexpr double pi = 3.14159265358979323846;

struct Audio {
    long rate = 0;
    int channels = 0;
    std::vector<float> mono = support::decodeOgg(support::dataDir() + "/90secver.ogg", &rate, &channels);
};

// Energy at one frequency over a span, by the Goertzel recurrence on short
// windowed frames (so slightly detuned voices still count).
double toneEnergy(const Audio& a, double hz, double from, double to) {
    const std::size_t frame = static_cast<std::size_t>(0.25 * a.rate);
    const double coeff = 2.0 * std::cos(2.0 * pi * hz / a.rate);
    double total = 0;
    for (auto start = static_cast<std::size_t>(from * a.rate); start + frame <= static_cast<std::size_t>(to * a.rate); start += frame) {
        double s1 = 0, s2 = 0;
        for (std::size_t k = 0; k < frame; ++k) {
            const double s0 = a.mono[start + k] * (0.5 - 0.5 * std::cos(2.0 * pi * double(k) / double(frame))) + coeff * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        total += s1 * s1 + s2 * s2 - coeff * s1 * s2;
    }
    return total;
}

TEST(MusicTest, IsStereoAt44kOutlastsTheLastPageAndEndsInSilence) {
    const Audio a;
    EXPECT_EQ(std::make_pair(a.channels, a.rate), std::make_pair(2, 44100L));
    EXPECT_NEAR(double(a.mono.size()) / double(a.rate), 101.5, 1.5);
    float last = 0.0f;
    for (std::size_t i = a.mono.size() - a.rate / 2; i < a.mono.size(); ++i) last = std::max(last, std::fabs(a.mono[i]));
    EXPECT_LT(last, 0.001f);
}

// In the register of the tune, each long note played is the loudest pitch.
TEST(MusicTest, TheTuneIsPlayedNoteByNote) {
    const Audio a;
    ASSERT_GT(a.rate, 0);
    int checked = 0;
    for (const sc::Note& n : sc::tune) {
        if (n.beats < 1.0f) continue;
        const double start = sc::barStart(n.bar) + n.beat * sc::secondsPerBeat + 0.2;
        int loudest = 0;
        double best = -1;
        for (int p = 64; p <= 90; ++p) {
            const double e = toneEnergy(a, 440.0 * std::pow(2.0, (p - 69) / 12.0), start, start + 0.5);
            if (e > best) std::tie(best, loudest) = std::make_pair(e, p);
        }
        EXPECT_EQ(loudest, n.pitch) << "bar " << n.bar + 1 << " beat " << n.beat + 1;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

}  // namespace
