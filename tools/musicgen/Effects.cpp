// The reverb the instruments send to, and the mastering steps applied to the
// finished mix.
#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace musicgen {

namespace {

class Comb {
public:
    explicit Comb(std::size_t size) : buffer_(size, 0.0) {}
    double run(double input, double feedback, double damping) {
        const double out = buffer_[index_];
        store_ = out * (1.0 - damping) + store_ * damping;
        buffer_[index_] = input + store_ * feedback;
        if (++index_ == buffer_.size()) index_ = 0;
        return out;
    }

private:
    std::vector<double> buffer_;
    std::size_t index_ = 0;
    double store_ = 0;
};

class Allpass {
public:
    explicit Allpass(std::size_t size) : buffer_(size, 0.0) {}
    double run(double input) {
        const double delayed = buffer_[index_];
        buffer_[index_] = input + delayed * 0.5;
        if (++index_ == buffer_.size()) index_ = 0;
        return delayed - input;
    }

private:
    std::vector<double> buffer_;
    std::size_t index_ = 0;
};

}  // namespace

Stereo reverb(const Stereo& input, double roomSize, double damping, double preDelaySeconds, int sampleRate) {
    // Delay lengths in samples at 44.1 kHz, mutually prime-ish so the echoes
    // do not line up; the right side is a little longer.
    const std::size_t combSizes[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const std::size_t allpassSizes[4] = {556, 441, 341, 225};
    const std::size_t spread = 23;
    const double scale = sampleRate / 44100.0;
    std::vector<Comb> combL, combR;
    std::vector<Allpass> apL, apR;
    for (std::size_t s : combSizes) {
        combL.emplace_back(static_cast<std::size_t>(static_cast<double>(s) * scale));
        combR.emplace_back(static_cast<std::size_t>(static_cast<double>(s + spread) * scale));
    }
    for (std::size_t s : allpassSizes) {
        apL.emplace_back(static_cast<std::size_t>(static_cast<double>(s) * scale));
        apR.emplace_back(static_cast<std::size_t>(static_cast<double>(s + spread) * scale));
    }
    const std::size_t preDelay = static_cast<std::size_t>(preDelaySeconds * sampleRate);
    const std::size_t frames = input.frames();
    Stereo out(frames);
    const double feedback = 0.7 + 0.28 * roomSize;
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = i >= preDelay ? 0.5 * (input.left[i - preDelay] + input.right[i - preDelay]) * 0.04 : 0.0;
        double l = 0, r = 0;
        for (Comb& c : combL) l += c.run(x, feedback, damping);
        for (Comb& c : combR) r += c.run(x, feedback, damping);
        for (Allpass& a : apL) l = a.run(l);
        for (Allpass& a : apR) r = a.run(r);
        out.left[i] = static_cast<float>(l);
        out.right[i] = static_cast<float>(r);
    }
    return out;
}

void dcFilter(Stereo& s, int sampleRate) {
    const double k = std::exp(-2.0 * pi * 20.0 / sampleRate);
    for (std::vector<float>* channel : {&s.left, &s.right}) {
        // Forward and backward passes: no phase shift, and no start-up step.
        for (int pass = 0; pass < 2; ++pass) {
            double x1 = 0, y1 = 0;
            const std::size_t n = channel->size();
            for (std::size_t j = 0; j < n; ++j) {
                const std::size_t i = pass == 0 ? j : n - 1 - j;
                const double x = (*channel)[i];
                const double y = k * (y1 + x - x1);
                x1 = x;
                y1 = y;
                (*channel)[i] = static_cast<float>(y);
            }
        }
    }
}

void limit(Stereo& s, double ceiling, int sampleRate) {
    const std::size_t n = s.frames();
    const std::size_t window = static_cast<std::size_t>(0.004 * sampleRate);  // look-ahead
    std::vector<double> need(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double peak = std::max(std::fabs(static_cast<double>(s.left[i])), std::fabs(static_cast<double>(s.right[i])));
        need[i] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // The smallest gain needed anywhere in the next window (a sliding minimum).
    std::vector<double> ahead(n);
    std::deque<std::size_t> q;
    for (std::size_t i = n; i-- > 0;) {
        while (!q.empty() && need[q.back()] >= need[i]) q.pop_back();
        q.push_back(i);
        while (q.front() >= i + window) q.pop_front();
        ahead[i] = need[q.front()];
    }
    // Averaging the last window of that minimum keeps the gain at or below what
    // every sample needs, yet moves smoothly; then release slowly towards 1.
    const double release = 1.0 - std::exp(-1.0 / (0.15 * sampleRate));
    // Before the first sample the window counts ahead[0], which is no more than
    // any of the first window's samples need.
    double sum = n > 0 ? ahead[0] * static_cast<double>(window) : 0.0, gain = 1.0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += ahead[i] - (i >= window ? ahead[i - window] : ahead[0]);
        const double smooth = sum / static_cast<double>(window);
        gain = std::min(smooth, gain + (1.0 - gain) * release);
        s.left[i] = static_cast<float>(s.left[i] * gain);
        s.right[i] = static_cast<float>(s.right[i] * gain);
    }
}

void fadeOut(Stereo& s, double startSeconds, double endSeconds, int sampleRate) {
    for (std::size_t i = 0; i < s.frames(); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double g = 1.0;
        if (t >= endSeconds) {
            g = 0.0;
        } else if (t > startSeconds) {
            g = 0.5 + 0.5 * std::cos(pi * (t - startSeconds) / (endSeconds - startSeconds));
        }
        s.left[i] = static_cast<float>(s.left[i] * g);
        s.right[i] = static_cast<float>(s.right[i] * g);
    }
}

}  // namespace musicgen
