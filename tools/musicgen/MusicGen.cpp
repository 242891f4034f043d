// Renders the score (Score.h) with our synthesizer, masters it to -16 LUFS
// with peaks below -1 dBFS, and writes it as Ogg Vorbis. The result is the
// same bytes on every run: fixed seeds, no clock, one thread.
//
// Usage: salute-musicgen OUTPUT.ogg
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <ebur128.h>
#include <vorbis/vorbisfile.h>

#include "Score.h"
#include "Synth.h"
#include "tools/common/OggWriter.h"

namespace {

using namespace musicgen;
namespace sc = musicgen::score;

constexpr int rate = sc::sampleRate;
constexpr double targetLoudness = -16.0;  // LUFS
constexpr double peakLimit = -1.0;        // dBFS, of the decoded file
constexpr float vorbisQuality = 0.4f;

double beat(int bar, double beatInBar) { return sc::barStart(bar) + beatInBar * sc::secondsPerBeat; }

// The pitch of pitch class pc in the octave that starts at low.
int place(int pc, int low) { return low + ((pc - low) % 12 + 12) % 12; }

struct Arrangement {
    Stereo dry, send;
    Noise human{0x5a1u};
    std::uint32_t seed = 1;

    Arrangement() : dry(static_cast<std::size_t>(sc::totalSeconds * rate)), send(dry.frames()) {}

    double jitter(double amount) { return amount * human.next(); }

    void chords() {
        for (int bar = 0; bar < sc::barCount; ++bar) {
            int tones[3];
            sc::chordTones(sc::chords[bar], tones);
            const int section = bar / sc::barsPerSection;
            const bool last = bar == sc::barCount - 1;
            const double t0 = sc::barStart(bar);
            const double length = last ? 6.0 : sc::secondsPerBar + 0.08;

            // Pad: the triad around D4 over the root an octave down.
            const double padLevel[4] = {0.6, 0.5, 0.9, 0.42};
            const double brightness[4] = {1.2, 1.4, 2.0, 1.3};
            const int root = place(tones[0], 45);
            pad(dry, send, {t0, length, static_cast<double>(root), padLevel[section] * 0.8, 0.0}, 0.5,
                brightness[section], ++seed);
            for (int k = 0; k < 3; ++k)
                pad(dry, send, {t0, length, static_cast<double>(place(tones[k], 57)), padLevel[section], k - 1.0},
                    0.5, brightness[section], ++seed);
            if (sc::hasStrings(bar)) {
                for (int k = 0; k < 3; ++k)
                    pad(dry, send, {t0, length, static_cast<double>(place(tones[k], 69)), 0.5, 0.5 - 0.5 * k}, 0.7,
                        3.0, ++seed);
            }

            // Electric piano: a rocking arpeggio in eighths, the pedal down.
            const int p = place(tones[0], 50);
            const int third = p + (tones[1] - tones[0] + 12) % 12;
            const int pattern[8] = {p, p + 7, p + 12, third + 12, p + 19, third + 12, p + 12, p + 7};
            const double pianoLevel[4] = {0.75, 0.55, 0.82, 0.5};
            if (!last) {
                for (int e = 0; e < 8; ++e) {
                    const double v = pianoLevel[section] * (e == 0 ? 1.0 : (e % 2 ? 0.7 : 0.82)) + jitter(0.05);
                    const double pan = (pattern[e] - 62) / 30.0 - 0.15;
                    electricPiano(dry, send, {beat(bar, e * 0.5) + jitter(0.006), 0.9, static_cast<double>(pattern[e]), v, pan},
                                  0.3);
                }
            } else {
                // The last chord, rolled from the bottom.
                const int roll[7] = {38, 45, 50, 54, 57, 62, 66};
                for (int k = 0; k < 7; ++k)
                    electricPiano(dry, send, {t0 + 0.045 * k, 4.5, static_cast<double>(roll[k]), 0.7, (roll[k] - 55) / 25.0},
                                  0.4);
            }
            if (sc::hasBass(bar)) bassLine(bar, tones[0]);
            if (sc::hasDrums(bar)) drums(bar);
        }
    }

    void bassLine(int bar, int rootPc) {
        const int b = place(rootPc, 38);
        const int section = bar / sc::barsPerSection;
        const double pan = 0.0;
        if (bar == sc::barCount - 1) {
            bass(dry, send, {sc::barStart(bar), 5.0, 38.0, 0.7, pan}, 0.1);
        } else if (section == 0 || bar >= 28) {
            bass(dry, send, {sc::barStart(bar), sc::secondsPerBar - 0.05, static_cast<double>(b), 0.55, pan}, 0.1);
        } else if (section == 2) {
            const int line[8] = {b, b, b, b, b, b, b + 7 - 12, b};
            for (int e = 0; e < 8; ++e)
                bass(dry, send, {beat(bar, e * 0.5), 0.45 * sc::secondsPerBeat, static_cast<double>(line[e]),
                                 (e % 2 ? 0.5 : 0.65) + jitter(0.03), pan},
                     0.1);
        } else {
            bass(dry, send, {beat(bar, 0), 2.4 * sc::secondsPerBeat, static_cast<double>(b), 0.65, pan}, 0.1);
            bass(dry, send, {beat(bar, 2.5), 1.4 * sc::secondsPerBeat, static_cast<double>(b), 0.55, pan}, 0.1);
        }
    }

    void drums(int bar) {
        const bool full = sc::fullDrums(bar);
        const bool soft = bar >= 24;
        const double scale = soft ? 0.55 : 1.0;
        kick(dry, {beat(bar, 0), 0.3, 0, 0.65 * scale, 0});
        if (full) kick(dry, {beat(bar, 1.5), 0.3, 0, 0.4, 0});
        if (!soft) kick(dry, {beat(bar, 2), 0.3, 0, (full ? 0.6 : 0.5), 0});
        for (double b : {1.0, 3.0})
            snare(dry, send, {beat(bar, b) + jitter(0.004), 0.3, 0, (full ? 0.6 : 0.45) * scale, -0.2}, 0.25, ++seed);
        const int steps = full ? 16 : 8;
        for (int s = 0; s < steps; ++s) {
            const double at = s * 4.0 / steps;
            const bool offBeat = std::fmod(at, 1.0) != 0.0;
            shaker(dry, {beat(bar, at) + jitter(0.005), 0.1, 0, (offBeat ? 0.32 : 0.2) * scale + jitter(0.03), 0.35},
                   ++seed);
        }
    }

    void tune() {
        for (const sc::Note& n : sc::bell)
            bell(dry, send, {beat(n.bar, n.beat), n.beats * sc::secondsPerBeat, static_cast<double>(n.pitch), 0.7, 0.3},
                 0.6);
        for (const sc::Note& n : sc::tune) {
            const int section = n.bar / sc::barsPerSection;
            const double level = section == 2 ? 1.0 : (section == 3 ? 0.72 : 0.85);
            flute(dry, send,
                  {beat(n.bar, n.beat) + jitter(0.008), n.beats * sc::secondsPerBeat * 0.96,
                   static_cast<double>(n.pitch), level + jitter(0.04), 0.15},
                  0.45, ++seed);
        }
        // A last high bell over the final chord.
        bell(dry, send, {sc::barStart(sc::barCount - 1) + 0.4, 2.0, 86.0, 0.6, 0.3}, 0.7);
    }

    void transitions() {
        // A cymbal swell leading into each new section.
        const double level[3] = {0.6, 0.75, 0.45};
        for (int s = 1; s < sc::sectionCount; ++s) {
            const int bar = s * sc::barsPerSection;
            swell(dry, send, {sc::barStart(bar - 1), sc::secondsPerBar, 0, level[s - 1], 0}, 0.4, 900u + static_cast<std::uint32_t>(s));
        }
    }
};

std::vector<float> interleave(const Stereo& s, double gain) {
    std::vector<float> out(s.frames() * 2);
    for (std::size_t i = 0; i < s.frames(); ++i) {
        out[2 * i] = static_cast<float>(s.left[i] * gain);
        out[2 * i + 1] = static_cast<float>(s.right[i] * gain);
    }
    return out;
}

// Integrated loudness (LUFS) and sample peak of interleaved stereo.
bool measure(const std::vector<float>& interleaved, double& loudness, double& peak) {
    ebur128_state* state = ebur128_init(2, rate, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    if (!state) return false;
    ebur128_add_frames_float(state, interleaved.data(), interleaved.size() / 2);
    double l = 0, pl = 0, pr = 0;
    const bool ok = ebur128_loudness_global(state, &l) == EBUR128_SUCCESS &&
                    ebur128_sample_peak(state, 0, &pl) == EBUR128_SUCCESS && ebur128_sample_peak(state, 1, &pr) == EBUR128_SUCCESS;
    ebur128_destroy(&state);
    loudness = l;
    peak = std::max(pl, pr);
    return ok;
}

// Decodes the written file back, for the check of what listeners will get.
bool decode(const std::string& path, std::vector<float>& interleaved) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return false;
    interleaved.clear();
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&file, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&file);
            return false;
        }
        if (n == 0) break;
        for (long i = 0; i < n; ++i) {
            interleaved.push_back(pcm[0][i]);
            interleaved.push_back(pcm[1][i]);
        }
    }
    ov_clear(&file);
    return true;
}

double dB(double v) { return 20.0 * std::log10(std::max(v, 1e-12)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ogg\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    // Find out now, not after the rendering, whether the file can be written.
    if (std::FILE* probe = std::fopen((path + ".part").c_str(), "wb")) {
        std::fclose(probe);
        std::remove((path + ".part").c_str());
    } else {
        std::perror(path.c_str());
        return 1;
    }

    Arrangement a;
    a.chords();
    a.tune();
    a.transitions();
    Stereo wet = reverb(a.send, 0.8, 0.45, 0.025, rate);
    Stereo mix(a.dry.frames());
    for (std::size_t i = 0; i < mix.frames(); ++i) {
        mix.left[i] = a.dry.left[i] + wet.left[i];
        mix.right[i] = a.dry.right[i] + wet.right[i];
    }
    dcFilter(mix, rate);
    fadeOut(mix, sc::fadeStart, sc::fadeEnd, rate);

    // Master: find the gain that, after the limiter, gives the target
    // loudness; lower the limiter's ceiling if the encoded file peaks higher.
    double ceiling = std::pow(10.0, -1.8 / 20.0);
    for (int attempt = 0; attempt < 4; ++attempt) {
        double gain = 1.0, loudness = 0, peak = 0;
        Stereo mastered;
        for (int pass = 0; pass < 4; ++pass) {
            mastered = mix;
            for (std::size_t i = 0; i < mastered.frames(); ++i) {
                mastered.left[i] = static_cast<float>(mastered.left[i] * gain);
                mastered.right[i] = static_cast<float>(mastered.right[i] * gain);
            }
            limit(mastered, ceiling, rate);
            if (!measure(interleave(mastered, 1.0), loudness, peak)) {
                std::fprintf(stderr, "salute-musicgen: loudness measurement failed\n");
                return 1;
            }
            gain *= std::pow(10.0, (targetLoudness - loudness) / 20.0);
        }
        if (!tools::writeOggVorbis(path, interleave(mastered, 1.0), 2, rate, vorbisQuality)) return 1;

        std::vector<float> decoded;
        double decodedLoudness = 0, decodedPeak = 0;
        if (!decode(path, decoded) || !measure(decoded, decodedLoudness, decodedPeak)) {
            std::fprintf(stderr, "salute-musicgen: cannot read back %s\n", path.c_str());
            return 1;
        }
        const std::size_t frames = decoded.size() / 2;  // stereo samples
        const double seconds = static_cast<double>(frames) / rate;
        if (dB(decodedPeak) <= peakLimit - 0.05) {
            std::printf("salute-musicgen: %s: %.2f s, %.2f LUFS, peak %.2f dBFS\n", path.c_str(), seconds, decodedLoudness,
                        dB(decodedPeak));
            return 0;
        }
        ceiling *= std::pow(10.0, (peakLimit - 0.15 - dB(decodedPeak)) / 20.0);
    }
    std::fprintf(stderr, "salute-musicgen: could not keep the peaks below %.1f dBFS\n", peakLimit);
    return 1;
}
