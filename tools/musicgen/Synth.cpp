// The instruments: each renders one note into the dry and reverb buses.
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace musicgen {

namespace {

constexpr int rate = 44100;

// Equal-power panning gains.
void panGains(double pan, double& l, double& r) {
    const double a = (std::clamp(pan, -1.0, 1.0) + 1.0) * 0.25 * pi;
    l = std::cos(a);
    r = std::sin(a);
}

// The last 20 ms of every rendered note fade to zero, so cutting its tail
// never leaves a step (a click).
double taper(std::size_t k, std::size_t count) {
    const std::size_t ramp = static_cast<std::size_t>(0.02 * rate);
    const std::size_t left = count - k;
    return left >= ramp ? 1.0 : static_cast<double>(left) / static_cast<double>(ramp);
}

std::size_t toFrame(double seconds) { return static_cast<std::size_t>(std::max(0.0, std::floor(seconds * rate + 0.5))); }

// Attack, then a hold at 1 until the note is released, then an exponential
// release; advanced one sample at a time.
class Envelope {
public:
    Envelope(double attack, double length, double release)
        : attackStep_(1.0 / std::max(1.0, attack * rate)),
          releaseAt_(static_cast<std::size_t>(length * rate)),
          releaseFactor_(std::exp(-1.0 / (release * rate))) {}
    double next() {
        const double v = std::min(1.0, rise_) * fall_;
        rise_ += attackStep_;
        if (++k_ > releaseAt_) fall_ *= releaseFactor_;
        return v;
    }

private:
    double attackStep_;
    std::size_t releaseAt_;
    double releaseFactor_;
    double rise_ = 0, fall_ = 1;
    std::size_t k_ = 0;
};

// exp(-t / tau) advanced one sample at a time.
class Decay {
public:
    explicit Decay(double tau) : factor_(std::exp(-1.0 / (tau * rate))) {}
    double next() {
        const double v = value_;
        value_ *= factor_;
        return v;
    }

private:
    double factor_, value_ = 1.0;
};

// Band-limited sawtooth step correction.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// A two-pole state-variable low-pass filter (trapezoidal form).
class LowPass {
public:
    void set(double cutoff, double q) {
        const double g = std::tan(pi * std::min(cutoff, rate * 0.45) / rate);
        const double k = 1.0 / q;
        a1_ = 1.0 / (1.0 + g * (g + k));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }
    double run(double v0) {
        const double v3 = v0 - ic2_;
        const double v1 = a1_ * ic1_ + a2_ * v3;
        const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2 * v1 - ic1_;
        ic2_ = 2 * v2 - ic2_;
        return v2;
    }

private:
    double a1_ = 0, a2_ = 0, a3_ = 0, ic1_ = 0, ic2_ = 0;
};

// One-pole high-pass for noise instruments.
class HighPass {
public:
    explicit HighPass(double cutoff) : k_(std::exp(-2.0 * pi * cutoff / rate)) {}
    double run(double x) {
        const double y = k_ * (y_ + x - x_);
        x_ = x;
        y_ = y;
        return y;
    }

private:
    double k_, x_ = 0, y_ = 0;
};

void put(Stereo& dry, Stereo& send, std::size_t i, double v, double gl, double gr, double sendLevel) {
    dry.add(i, v * gl, v * gr);
    if (sendLevel > 0) send.add(i, v * gl * sendLevel, v * gr * sendLevel);
}

}  // namespace

double midiToHz(double pitch) { return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0); }

void electricPiano(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel) {
    // Two-operator FM: the modulator's index falls quickly, so the attack is
    // bright and the tail a soft, round tone.
    const double f = midiToHz(n.pitch);
    const double release = 0.35;
    const double total = n.length + release * 5;
    const std::size_t start = toFrame(n.start), count = toFrame(total);
    double gl, gr;
    panGains(n.pan, gl, gr);
    const double decay = 2.2 - 0.012 * (n.pitch - 48);  // low notes ring longer
    Envelope envelope(0.004, n.length, release);
    Decay body(decay), bright(0.25), strike(0.06);
    const std::size_t tineEnd = std::min(count, toFrame(0.5));
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double index = (0.4 + 1.6 * n.velocity) * bright.next() + 0.25;
        const double mod = std::sin(2 * pi * f * t);
        double v = std::sin(2 * pi * f * t + index * mod);
        const double s = strike.next();
        if (k < tineEnd) v += 0.12 * n.velocity * s * std::sin(2 * pi * f * 7.0 * t);
        const double env = envelope.next() * body.next() * taper(k, count);
        put(dry, send, start + k, 0.22 * n.velocity * env * v, gl, gr, sendLevel);
    }
}

void pad(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, double brightness, std::uint32_t seed) {
    // Three detuned sawtooths spread across the field, through a soft low-pass
    // that opens a little during the attack.
    const double f = midiToHz(n.pitch);
    const double attack = 0.9, release = 0.8;
    const double total = n.length + release * 3.5;
    const std::size_t start = toFrame(n.start), count = toFrame(total);
    const double detune[3] = {-0.11, 0.0, 0.12};  // semitones
    double ratio[3];
    for (int o = 0; o < 3; ++o) ratio[o] = std::pow(2.0, detune[o] / 12.0);
    Envelope envelope(attack, n.length, release);
    double slowLfo = 1.0;
    const double spread[3] = {-0.7, 0.0, 0.7};
    Noise noise(seed);
    double phase[3];
    for (double& p : phase) p = 0.5 * (noise.next() + 1.0);
    LowPass filter[3];
    double gl[3], gr[3];
    for (int o = 0; o < 3; ++o) panGains(std::clamp(n.pan + spread[o], -1.0, 1.0), gl[o], gr[o]);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        if (k % 32 == 0) {
            const double open = std::min(1.0, t / attack);
            for (LowPass& lp : filter) lp.set(f * (1.5 + brightness * (1.0 + open)), 0.6);
            slowLfo = 1.0 + 0.0015 * std::sin(2 * pi * 0.3 * t + static_cast<double>(seed % 7));
        }
        const double env = envelope.next() * taper(k, count);
        double l = 0, r = 0;
        for (int o = 0; o < 3; ++o) {
            const double dt = f * ratio[o] * slowLfo / rate;
            const double saw = 2.0 * phase[o] - 1.0 - polyBlep(phase[o], dt);
            phase[o] += dt;
            if (phase[o] >= 1.0) phase[o] -= 1.0;
            const double v = filter[o].run(saw) * env * n.velocity * 0.06;
            l += v * gl[o];
            r += v * gr[o];
        }
        dry.add(start + k, l, r);
        send.add(start + k, l * sendLevel, r * sendLevel);
    }
}

void bass(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel) {
    const double f = midiToHz(n.pitch);
    const double release = 0.12;
    const std::size_t start = toFrame(n.start), count = toFrame(n.length + release * 5);
    double gl, gr;
    panGains(n.pan, gl, gr);
    Envelope envelope(0.008, n.length, release);
    Decay growl(0.3), settle(0.25);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double w = 2 * pi * f * t;
        const double v = std::sin(w) + 0.3 * std::sin(2 * w) * growl.next() + 0.08 * std::sin(3 * w);
        const double env = envelope.next() * (0.7 + 0.3 * settle.next()) * taper(k, count);
        put(dry, send, start + k, 0.32 * n.velocity * env * v, gl, gr, sendLevel);
    }
}

void flute(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, std::uint32_t seed) {
    // A breathy, nearly sine tone with delayed vibrato.
    const double f = midiToHz(n.pitch);
    const double release = 0.18;
    const std::size_t start = toFrame(n.start), count = toFrame(n.length + release * 5);
    double gl, gr;
    panGains(n.pan, gl, gr);
    Noise noise(seed);
    LowPass breath;
    breath.set(f * 2.0, 2.0);
    double phase = 0;
    Envelope envelope(0.07, n.length, release);
    Decay puff(0.08);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double vibrato = 1.0 + 0.004 * std::min(1.0, std::max(0.0, (t - 0.25) / 0.4)) * std::sin(2 * pi * 5.2 * t);
        phase += f * vibrato / rate;
        if (phase >= 1.0) phase -= 1.0;
        const double w = 2 * pi * phase;
        const double tone = std::sin(w) + 0.18 * std::sin(2 * w) + 0.06 * std::sin(3 * w);
        const double air = breath.run(noise.next()) * (0.25 + 0.6 * puff.next());
        const double env = envelope.next() * taper(k, count);
        put(dry, send, start + k, 0.2 * n.velocity * env * (tone + air), gl, gr, sendLevel);
    }
}

void bell(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel) {
    const double f = midiToHz(n.pitch);
    const double total = n.length + 2.5;
    const std::size_t start = toFrame(n.start), count = toFrame(total);
    double gl, gr;
    panGains(n.pan, gl, gr);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double index = 1.2 * std::exp(-t / 0.4);
        const double v = std::sin(2 * pi * f * t + index * std::sin(2 * pi * f * 3.5 * t));
        const double env = std::min(1.0, t / 0.002) * std::exp(-t / 1.1) * taper(k, count);
        put(dry, send, start + k, 0.12 * n.velocity * env * v, gl, gr, sendLevel);
    }
}

void kick(Stereo& dry, const NoteEvent& n) {
    const std::size_t start = toFrame(n.start), count = toFrame(0.6);
    double phase = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double f = 48.0 + 70.0 * std::exp(-t / 0.03);
        phase += f / rate;
        const double v = std::sin(2 * pi * phase) * std::exp(-t / 0.18) * std::min(1.0, t / 0.001) * taper(k, count);
        dry.add(start + k, 0.45 * n.velocity * v, 0.45 * n.velocity * v);
    }
}

void snare(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, std::uint32_t seed) {
    // A soft brushed snare: band-limited noise with a short body tone.
    const std::size_t start = toFrame(n.start), count = toFrame(0.4);
    double gl, gr;
    panGains(n.pan, gl, gr);
    Noise noise(seed);
    LowPass lp;
    lp.set(5000.0, 0.7);
    HighPass hp(900.0);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double hiss = hp.run(lp.run(noise.next())) * std::exp(-t / 0.09);
        const double body = std::sin(2 * pi * 185.0 * t) * std::exp(-t / 0.04) * 0.5;
        const double v = (hiss + body) * std::min(1.0, t / 0.002) * taper(k, count);
        put(dry, send, start + k, 0.22 * n.velocity * v, gl, gr, sendLevel);
    }
}

void shaker(Stereo& dry, const NoteEvent& n, std::uint32_t seed) {
    const std::size_t start = toFrame(n.start), count = toFrame(0.12);
    double gl, gr;
    panGains(n.pan, gl, gr);
    Noise noise(seed);
    HighPass hp(6000.0);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double env = std::min(1.0, t / 0.01) * std::exp(-t / 0.03) * taper(k, count);
        const double v = hp.run(noise.next()) * env;
        dry.add(start + k, 0.22 * n.velocity * v * gl, 0.22 * n.velocity * v * gr);
    }
}

void swell(Stereo& dry, Stereo& send, const NoteEvent& n, double sendLevel, std::uint32_t seed) {
    const std::size_t start = toFrame(n.start), count = toFrame(n.length + 0.8);
    Noise noiseL(seed), noiseR(seed + 101);
    HighPass hpL(3000.0), hpR(3000.0);
    LowPass lpL, lpR;
    lpL.set(9000.0, 0.7);
    lpR.set(9000.0, 0.7);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / rate;
        const double rise =
            (t < n.length ? std::pow(t / n.length, 3.0) : std::exp(-(t - n.length) / 0.12)) * taper(k, count);
        const double l = lpL.run(hpL.run(noiseL.next())) * rise * 0.1 * n.velocity;
        const double r = lpR.run(hpR.run(noiseR.next())) * rise * 0.1 * n.velocity;
        dry.add(start + k, l, r);
        send.add(start + k, l * sendLevel, r * sendLevel);
    }
}

}  // namespace musicgen
