// The generated music, decoded as a listener's player would: its form,
// its mastering, its ending, and that it follows its score (the sections
// change where the pages change, and each bar sounds its chord).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <ebur128.h>
#include <vorbis/vorbisfile.h>

#include "tests/support/TestSupport.h"
#include "tools/musicgen/Score.h"

namespace {

namespace sc = musicgen::score;
constexpr double pi = 3.14159265358979323846;

struct Audio {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::vector<float> left, right;
    double seconds() const { return rate ? static_cast<double>(left.size()) / rate : 0.0; }
};

const Audio& music() {
    static const Audio audio = [] {
        Audio a;
        OggVorbis_File file;
        const std::string path = support::dataDir() + "/90secver.ogg";
        if (ov_fopen(path.c_str(), &file) != 0) return a;
        const vorbis_info* info = ov_info(&file, -1);
        a.channels = info->channels;
        a.rate = info->rate;
        for (;;) {
            float** pcm = nullptr;
            int section = 0;
            const long n = ov_read_float(&file, &pcm, 4096, &section);
            if (n <= 0) {
                a.ok = n == 0;
                break;
            }
            for (long i = 0; i < n; ++i) {
                a.left.push_back(pcm[0][i]);
                a.right.push_back(pcm[a.channels > 1 ? 1 : 0][i]);
            }
        }
        ov_clear(&file);
        return a;
    }();
    return audio;
}

double dB(double v) { return 20.0 * std::log10(std::max(v, 1e-12)); }

// RMS level in dBFS of both channels between two times.
double level(const Audio& a, double from, double to) {
    const std::size_t i0 = static_cast<std::size_t>(from * a.rate), i1 = std::min(a.left.size(), static_cast<std::size_t>(to * a.rate));
    double sum = 0;
    for (std::size_t i = i0; i < i1; ++i) sum += 0.5 * (a.left[i] * a.left[i] + a.right[i] * a.right[i]);
    return dB(std::sqrt(sum / std::max<double>(1.0, static_cast<double>(i1 - i0))));
}

// Energy of the mono mix at one frequency over a span, by the Goertzel
// recurrence on short frames (so slightly detuned voices still count).
double toneEnergy(const Audio& a, double hz, double from, double to) {
    const std::size_t frame = static_cast<std::size_t>(0.25 * a.rate);
    const double coeff = 2.0 * std::cos(2.0 * pi * hz / a.rate);
    double total = 0;
    for (std::size_t start = static_cast<std::size_t>(from * a.rate); start + frame <= static_cast<std::size_t>(to * a.rate);
         start += frame) {
        double s1 = 0, s2 = 0;
        for (std::size_t k = 0; k < frame; ++k) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(k) / static_cast<double>(frame));
            const double x = 0.5 * (a.left[start + k] + a.right[start + k]) * w;
            const double s0 = x + coeff * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        total += s1 * s1 + s2 * s2 - coeff * s1 * s2;
    }
    return total;
}

double midiHz(int pitch) { return 440.0 * std::pow(2.0, (pitch - 69) / 12.0); }

// Share of each pitch class in the energy of the given pitch range.
std::vector<double> chroma(const Audio& a, int lowPitch, int highPitch, double from, double to) {
    std::vector<double> c(12, 0.0);
    double total = 0;
    for (int p = lowPitch; p <= highPitch; ++p) {
        const double e = toneEnergy(a, midiHz(p), from, to);
        c[static_cast<std::size_t>(p % 12)] += e;
        total += e;
    }
    for (double& v : c) v /= std::max(total, 1e-30);
    return c;
}

// Level above about 7 kHz in dBFS: the shaker and cymbals.
double brightness(const Audio& a, double from, double to) {
    // Four one-pole high-passes in a row fall off steeply enough below.
    const std::size_t i0 = static_cast<std::size_t>(from * a.rate), i1 = static_cast<std::size_t>(to * a.rate);
    double high = 0, prev[4] = {0, 0, 0, 0}, y[4] = {0, 0, 0, 0};
    const double k = std::exp(-2.0 * pi * 7000.0 / a.rate);
    for (std::size_t i = i0; i < i1; ++i) {
        double x = 0.5 * (a.left[i] + a.right[i]);
        for (int s = 0; s < 4; ++s) {
            y[s] = k * (y[s] + x - prev[s]);
            prev[s] = x;
            x = y[s];
        }
        high += x * x;
    }
    return 10.0 * std::log10(std::max(high, 1e-30) / static_cast<double>(std::max<std::size_t>(1, i1 - i0)));
}

class ContentMusic : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(music().ok) << "cannot decode " << support::dataDir() << "/90secver.ogg"; }
};

TEST_F(ContentMusic, IsStereoAt44kAndOutlastsTheLastPage) {
    const Audio& a = music();
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.rate, 44100);
    EXPECT_GE(a.seconds(), 100.0);
    EXPECT_LE(a.seconds(), 103.0);
}

TEST_F(ContentMusic, IsMasteredLikeReleasedMusic) {
    const Audio& a = music();
    std::vector<float> interleaved(a.left.size() * 2);
    double sumL = 0, sumR = 0;
    std::size_t clipped = 0;
    for (std::size_t i = 0; i < a.left.size(); ++i) {
        interleaved[2 * i] = a.left[i];
        interleaved[2 * i + 1] = a.right[i];
        sumL += a.left[i];
        sumR += a.right[i];
        clipped += std::fabs(a.left[i]) >= 0.999f || std::fabs(a.right[i]) >= 0.999f;
    }
    ebur128_state* state = ebur128_init(2, static_cast<unsigned long>(a.rate), EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    ASSERT_NE(state, nullptr);
    ebur128_add_frames_float(state, interleaved.data(), a.left.size());
    double loudness = 0, peakL = 0, peakR = 0;
    ASSERT_EQ(ebur128_loudness_global(state, &loudness), EBUR128_SUCCESS);
    ebur128_sample_peak(state, 0, &peakL);
    ebur128_sample_peak(state, 1, &peakR);
    ebur128_destroy(&state);

    EXPECT_NEAR(loudness, -16.0, 2.0) << "integrated loudness in LUFS";
    EXPECT_LE(dB(std::max(peakL, peakR)), -1.0) << "sample peak in dBFS";
    EXPECT_EQ(clipped, 0u);
    const double n = static_cast<double>(a.left.size());
    EXPECT_LT(std::fabs(sumL / n), 1e-3) << "DC offset, left";
    EXPECT_LT(std::fabs(sumR / n), 1e-3) << "DC offset, right";
}

TEST_F(ContentMusic, StartsAtOnceAndEndsWithAFadeIntoSilence) {
    const Audio& a = music();
    EXPECT_GT(level(a, 0.5, 2.5), -40.0) << "the music is heard from the start";
    EXPECT_GT(level(a, 94.0, 97.0), -35.0) << "still playing under the last page";
    // The last chord fades steadily.
    double previous = level(a, 97.0, 98.0);
    for (double t = 98.0; t < 101.0; t += 1.0) {
        const double now = level(a, t, t + 1.0);
        EXPECT_LT(now, previous - 1.0) << "at " << t << " s";
        previous = now;
    }
    EXPECT_LT(level(a, a.seconds() - 0.4, a.seconds()), -70.0) << "ends in silence";
}

TEST_F(ContentMusic, SectionsChangeWhereThePagesChange) {
    const Audio& a = music();
    // Each boundary with the level before and after (4 s either side).
    struct Boundary {
        double at;
        double minRise;  // dB; negative: the music must get at least this much quieter
    };
    for (const Boundary& b : {Boundary{sc::sectionStart(1), 2.0}, Boundary{sc::sectionStart(2), 1.5},
                              Boundary{sc::sectionStart(3), -1.5}}) {
        SCOPED_TRACE("boundary at " + std::to_string(b.at) + " s");
        const double before = level(a, b.at - 4.0, b.at - 0.3), after = level(a, b.at + 0.3, b.at + 4.0);
        if (b.minRise > 0) {
            EXPECT_GT(after - before, b.minRise);
        } else {
            EXPECT_LT(after - before, b.minRise);
        }
    }
    // Drums and shaker: none in the intro, in from the second section, fuller
    // in the third, gone for the last bars.
    const double intro = brightness(a, 5.0, 24.0), second = brightness(a, 26.0, 49.0), third = brightness(a, 51.0, 74.0),
                 last = brightness(a, sc::barStart(28) + 1.0, sc::barStart(31));
    EXPECT_GT(second, intro + 6.0);
    EXPECT_GT(third, second + 1.0);
    EXPECT_LT(last, second - 6.0);
}

TEST_F(ContentMusic, EveryBarSoundsItsChord) {
    const Audio& a = music();
    for (int bar = 0; bar < sc::barCount; ++bar) {
        const sc::Chord& chord = sc::chords[bar];
        SCOPED_TRACE("bar " + std::to_string(bar + 1) + " (" + chord.name + ")");
        // Skip the start of the bar, where the last chord's tail still rings,
        // and listen below the tune, whose passing notes are not the chord's.
        const double from = sc::barStart(bar) + 0.8, to = sc::barStart(bar) + sc::secondsPerBar;
        const std::vector<double> c = chroma(a, 45, 68, from, to);
        int tones[3];
        sc::chordTones(chord, tones);
        const double share = c[static_cast<std::size_t>(tones[0])] + c[static_cast<std::size_t>(tones[1])] +
                             c[static_cast<std::size_t>(tones[2])];
        EXPECT_GT(share, 0.6) << "energy in the chord's three notes";
        // No note outside the chord is as strong as the weakest chord note.
        const double weakest = std::min({c[static_cast<std::size_t>(tones[0])], c[static_cast<std::size_t>(tones[1])],
                                         c[static_cast<std::size_t>(tones[2])]});
        for (int pc = 0; pc < 12; ++pc) {
            if (pc == tones[0] || pc == tones[1] || pc == tones[2]) continue;
            EXPECT_LT(c[static_cast<std::size_t>(pc)], weakest) << "pitch class " << pc;
        }
    }
}

TEST_F(ContentMusic, TheTuneIsPlayedNoteByNote) {
    const Audio& a = music();
    int checked = 0;
    for (const sc::Note& n : sc::tune) {
        if (n.beats < 1.0f) continue;
        const double start = sc::barStart(n.bar) + n.beat * sc::secondsPerBeat;
        SCOPED_TRACE("bar " + std::to_string(n.bar + 1) + " beat " + std::to_string(n.beat + 1) + " pitch " +
                     std::to_string(n.pitch));
        // In the register of the tune, the note played is the loudest pitch.
        int loudest = 0;
        double best = -1;
        for (int p = 64; p <= 90; ++p) {
            const double e = toneEnergy(a, midiHz(p), start + 0.2, start + 0.2 + 0.25 * 2);
            if (e > best) {
                best = e;
                loudest = p;
            }
        }
        EXPECT_EQ(loudest, n.pitch);
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

TEST_F(ContentMusic, TheBassPlaysEachChordsRoot) {
    const Audio& a = music();
    for (int bar = 4; bar < sc::barCount; ++bar) {
        const sc::Chord& chord = sc::chords[bar];
        SCOPED_TRACE("bar " + std::to_string(bar + 1) + " (" + chord.name + ")");
        const std::vector<double> c = chroma(a, 36, 50, sc::barStart(bar) + 0.3, sc::barStart(bar) + sc::secondsPerBar);
        const int strongest = static_cast<int>(std::max_element(c.begin(), c.end()) - c.begin());
        EXPECT_EQ(strongest, chord.root);
    }
}

}  // namespace
