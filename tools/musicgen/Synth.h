// A small synthesizer: instruments that add one note at a time into a
// stereo buffer, a plate-like reverb, and the mastering steps (DC filter,
// peak limiter, fade). Plain arithmetic on doubles with our own noise
// generator, so the same score always gives the same samples.
#pragma once

#include <cstdint>
#include <vector>

namespace musicgen {

constexpr double pi = 3.14159265358979323846;

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t frames() const { return left.size(); }
    void add(std::size_t i, double l, double r) {
        if (i >= left.size()) return;
        left[i] += static_cast<float>(l);
        right[i] += static_cast<float>(r);
    }
};

// White noise in [-1, 1] from a 32-bit xorshift state.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state_;
};

double midiToHz(double pitch);

// Where a note goes: its start in seconds, length in seconds, loudness 0..1,
// and its place in the stereo field (-1 left .. 1 right).
struct NoteEvent {
    double start;
    double length;
    double pitch;
    double velocity;
    double pan;
};

// Each instrument adds the note to dry (and, scaled by send, to the reverb bus).
void electricPiano(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel);
void pad(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, double brightness, std::uint32_t seed);
void bass(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel);
void flute(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, std::uint32_t seed);
void bell(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel);
void kick(Stereo& dry, const NoteEvent& n);
void snare(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, std::uint32_t seed);
void shaker(Stereo& dry, const NoteEvent& n, std::uint32_t seed);
// A cymbal that swells up to the end of its length (into the next section).
void swell(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, std::uint32_t seed);

// A stereo reverb (parallel damped combs into allpasses, the two sides
// slightly detuned); returns only the reverberated signal.
Stereo reverb(const Stereo& input, double roomSize, double damping, double preDelaySeconds, int sampleRate);

// Removes DC and rumble below about 20 Hz.
void dcFilter(Stereo& s, int sampleRate);
// Scales both sides so that no sample exceeds ceiling, with a short look-ahead
// and a smooth release; the gain never rises above 1.
void limit(Stereo& s, double ceiling, int sampleRate);
// Raised-cosine fade from start to end seconds; silence after.
void fadeOut(Stereo& s, double startSeconds, double endSeconds, int sampleRate);

}  // namespace musicgen
