// A small painter for procedural pictures: a float RGB canvas addressed in
// logical units, deterministic noise, signed-distance shapes with smooth
// (anti-aliased) edges. Everything is plain arithmetic on fixed seeds, so a
// picture comes out the same bytes on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace texgen {

// ---------------------------------------------------------------- colour

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(float s, Rgb a) { return a * s; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
// What lies above the whole number below v, for patterns that repeat.
inline float fract(float v) { return v - std::floor(v); }
inline float lerp(float a, float b, float t) { return a + (b - a) * t; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }
inline float smooth(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline float luma(Rgb c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

// 0xRRGGBB to a colour with components in [0, 1].
inline Rgb hex(std::uint32_t v) {
    return {static_cast<float>((v >> 16) & 255) / 255.0f, static_cast<float>((v >> 8) & 255) / 255.0f,
            static_cast<float>(v & 255) / 255.0f};
}

// Colour at t along evenly spaced stops.
Rgb ramp(std::initializer_list<Rgb> stops, float t);

// ----------------------------------------------------------- randomness

std::uint32_t hash(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0);
// A value in [0, 1) from a seed and an index: placement of scattered things.
inline float rand01(std::uint32_t seed, std::uint32_t i, std::uint32_t j = 0) {
    return static_cast<float>(hash(seed, i, j) >> 8) * (1.0f / 16777216.0f);
}

// Gradient noise in about [-1, 1]; fbm sums octaves (normalised to about
// [-1, 1]); ridged gives sharp crests in [0, 1].
float noise(float x, float y, std::uint32_t seed);
float fbm(float x, float y, int octaves, std::uint32_t seed, float gain = 0.5f);
float ridged(float x, float y, int octaves, std::uint32_t seed);
inline float noise1(float x, std::uint32_t seed) { return noise(x, 0.37f, seed); }
inline float fbm1(float x, int octaves, std::uint32_t seed, float gain = 0.5f) {
    return fbm(x, 0.37f, octaves, seed, gain);
}

// ------------------------------------------------------------ distances

// Signed distances: negative inside, in logical units.
inline float sdCircle(float x, float y, float cx, float cy, float r) {
    return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - r;
}
// An approximation that is good near the outline, enough for smooth edges.
inline float sdEllipse(float x, float y, float cx, float cy, float rx, float ry) {
    const float u = (x - cx) / rx, v = (y - cy) / ry;
    const float k = std::sqrt(u * u + v * v);
    return (k - 1.0f) * std::min(rx, ry);
}
inline float sdBox(float x, float y, float cx, float cy, float hx, float hy) {
    const float dx = std::fabs(x - cx) - hx, dy = std::fabs(y - cy) - hy;
    const float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(dx, dy), 0.0f);
}
// A capsule from (ax, ay) to (bx, by) whose radius goes from ra to rb.
float sdSegment(float x, float y, float ax, float ay, float bx, float by, float ra, float rb);

struct Vec2 {
    float x, y;
};
float sdPolygon(float x, float y, const std::vector<Vec2>& points);

// --------------------------------------------------------------- canvas

struct Bounds {
    float x0, y0, x1, y1;
};

// A picture of width x height pixels that covers logical x in [0, aspect]
// and y in [0, 1], y downwards. With aspect 1.33 on a square canvas the
// picture is squeezed sideways and looks right when stretched onto a
// 1.33 : 1 card.
class Canvas {
public:
    Canvas(int width, int height, float aspect);

    int width() const { return width_; }
    int height() const { return height_; }
    float aspect() const { return aspect_; }
    float pixel() const { return pixel_; }  // logical size of one pixel

    Rgb& at(int i, int j) { return data_[static_cast<std::size_t>(j) * width_ + i]; }
    const Rgb& at(int i, int j) const { return data_[static_cast<std::size_t>(j) * width_ + i]; }
    Rgb sample(float x, float y) const;  // bilinear, clamped at the borders

    // Calls f(x, y, colour) for every pixel whose centre lies in b.
    template <class F>
    void each(const Bounds& b, F&& f) {
        int i0, i1, j0, j1;
        span(b, i0, i1, j0, j1);
        for (int j = j0; j < j1; ++j) {
            const float y = (static_cast<float>(j) + 0.5f) / static_cast<float>(height_);
            for (int i = i0; i < i1; ++i) {
                const float x = (static_cast<float>(i) + 0.5f) * aspect_ / static_cast<float>(width_);
                f(x, y, at(i, j));
            }
        }
    }
    template <class F>
    void each(F&& f) {
        each(Bounds{0, 0, aspect_, 1}, f);
    }

    // Paints the shape sdf < 0 inside b with colour(x, y), edges smoothed
    // over a pixel; opacity scales the coverage.
    template <class D, class C>
    void shade(const Bounds& b, D&& sdf, C&& colour, float opacity = 1.0f) {
        each(b, [&](float x, float y, Rgb& c) {
            const float a = coverage(sdf(x, y)) * opacity;
            if (a > 0) c = mix(c, colour(x, y), a);
        });
    }
    template <class D>
    void fill(const Bounds& b, D&& sdf, Rgb colour, float opacity = 1.0f) {
        shade(b, sdf, [colour](float, float) { return colour; }, opacity);
    }
    float coverage(float d) const { return clamp01(0.5f - d / pixel_); }

    // Gaussian-like blur (three box passes) of radius in logical units.
    void blur(float radius);
    const std::vector<Rgb>& data() const { return data_; }
    std::vector<Rgb>& data() { return data_; }

    // 8-bit RGB, top row first.
    std::vector<std::uint8_t> toRgb8() const;

private:
    void span(const Bounds& b, int& i0, int& i1, int& j0, int& j1) const;

    int width_, height_;
    float aspect_, pixel_;
    std::vector<Rgb> data_;
};

}  // namespace texgen
