#include "Paint.h"

namespace texgen {

Rgb ramp(std::initializer_list<Rgb> stops, float t) {
    const int n = static_cast<int>(stops.size());
    if (n == 1) return *stops.begin();
    const float f = clamp01(t) * static_cast<float>(n - 1);
    const int k = std::min(static_cast<int>(f), n - 2);
    const Rgb* s = stops.begin();
    return mix(s[k], s[k + 1], f - static_cast<float>(k));
}

std::uint32_t hash(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    // A few rounds of multiply-xorshift mixing (after the "lowbias32" hash).
    std::uint32_t h = a * 0x9e3779b1u ^ (b + 0x7f4a7c15u) * 0x85ebca77u ^ (c + 0x165667b1u) * 0xc2b2ae3du;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

namespace {

// Sixteen evenly spread unit gradients (cos, sin of k * 22.5 degrees).
const float gradX[16] = {1.0f,       0.92387953f,  0.70710678f,  0.38268343f, 0.0f,       -0.38268343f,
                         -0.70710678f, -0.92387953f, -1.0f,       -0.92387953f, -0.70710678f, -0.38268343f,
                         0.0f,       0.38268343f,  0.70710678f,  0.92387953f};
const float gradY[16] = {0.0f,        0.38268343f,  0.70710678f,  0.92387953f,  1.0f,        0.92387953f,
                         0.70710678f, 0.38268343f,  0.0f,        -0.38268343f, -0.70710678f, -0.92387953f,
                         -1.0f,       -0.92387953f, -0.70710678f, -0.38268343f};

inline float corner(int ix, int iy, std::uint32_t seed, float dx, float dy) {
    const std::uint32_t h = hash(static_cast<std::uint32_t>(ix), static_cast<std::uint32_t>(iy), seed) >> 28;
    return gradX[h] * dx + gradY[h] * dy;
}

inline float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// The mean over 2 * radius + 1 neighbours of each value of line (the ends
// repeated), handed to put(index, mean): a running sum, so the cost does not
// grow with the radius.
template <typename Put>
void boxFilter(const std::vector<Rgb>& line, int radius, Put put) {
    const int count = static_cast<int>(line.size());
    Rgb sum;
    for (int k = -radius; k <= radius; ++k) sum = sum + line[static_cast<std::size_t>(std::clamp(k, 0, count - 1))];
    const float inv = 1.0f / static_cast<float>(2 * radius + 1);
    for (int i = 0; i < count; ++i) {
        put(i, sum * inv);
        sum = sum + line[static_cast<std::size_t>(std::min(i + radius + 1, count - 1))] -
              line[static_cast<std::size_t>(std::max(i - radius, 0))];
    }
}

}  // namespace

float noise(float x, float y, std::uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float dx = x - fx, dy = y - fy;
    const float u = fade(dx), v = fade(dy);
    const float a = corner(ix, iy, seed, dx, dy);
    const float b = corner(ix + 1, iy, seed, dx - 1, dy);
    const float c = corner(ix, iy + 1, seed, dx, dy - 1);
    const float d = corner(ix + 1, iy + 1, seed, dx - 1, dy - 1);
    return 1.4142f * lerp(lerp(a, b, u), lerp(c, d, u), v);
}

float fbm(float x, float y, int octaves, std::uint32_t seed, float gain) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * noise(x, y, seed + static_cast<std::uint32_t>(k) * 7919u);
        norm += amplitude;
        amplitude *= gain;
        // Rotate a little between octaves so the lattice does not show.
        const float nx = 1.6f * x + 1.2f * y + 17.3f, ny = -1.2f * x + 1.6f * y + 3.1f;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

float ridged(float x, float y, int octaves, std::uint32_t seed) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int k = 0; k < octaves; ++k) {
        const float n = 1.0f - std::fabs(noise(x, y, seed + static_cast<std::uint32_t>(k) * 7919u));
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= 0.5f;
        const float nx = 1.6f * x + 1.2f * y + 17.3f, ny = -1.2f * x + 1.6f * y + 3.1f;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

float sdSegment(float x, float y, float ax, float ay, float bx, float by, float ra, float rb) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0.0f;
    const float ex = px - dx * t, ey = py - dy * t;
    return std::sqrt(ex * ex + ey * ey) - lerp(ra, rb, t);
}

float sdPolygon(float x, float y, const std::vector<Vec2>& p) {
    const std::size_t n = p.size();
    float d = (x - p[0].x) * (x - p[0].x) + (y - p[0].y) * (y - p[0].y);
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const float ex = p[j].x - p[i].x, ey = p[j].y - p[i].y;
        const float wx = x - p[i].x, wy = y - p[i].y;
        const float len2 = ex * ex + ey * ey;
        const float t = len2 > 0 ? clamp01((wx * ex + wy * ey) / len2) : 0.0f;
        const float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = y >= p[i].y, c2 = y < p[j].y, c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) inside = !inside;
    }
    return inside ? -std::sqrt(d) : std::sqrt(d);
}

Canvas::Canvas(int width, int height, float aspect)
    : width_(width),
      height_(height),
      aspect_(aspect),
      pixel_(0.5f * (aspect / static_cast<float>(width) + 1.0f / static_cast<float>(height))),
      data_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

void Canvas::span(const Bounds& b, int& i0, int& i1, int& j0, int& j1) const {
    const float sx = static_cast<float>(width_) / aspect_, sy = static_cast<float>(height_);
    i0 = std::max(0, static_cast<int>(std::floor(b.x0 * sx)));
    i1 = std::min(width_, static_cast<int>(std::ceil(b.x1 * sx)) + 1);
    j0 = std::max(0, static_cast<int>(std::floor(b.y0 * sy)));
    j1 = std::min(height_, static_cast<int>(std::ceil(b.y1 * sy)) + 1);
}

Rgb Canvas::sample(float x, float y) const {
    const float fx = x * static_cast<float>(width_) / aspect_ - 0.5f;
    const float fy = y * static_cast<float>(height_) - 0.5f;
    const float cx = std::min(std::max(fx, 0.0f), static_cast<float>(width_ - 1));
    const float cy = std::min(std::max(fy, 0.0f), static_cast<float>(height_ - 1));
    const int i = std::min(static_cast<int>(cx), width_ - 2), j = std::min(static_cast<int>(cy), height_ - 2);
    const float u = cx - static_cast<float>(i), v = cy - static_cast<float>(j);
    return mix(mix(at(i, j), at(i + 1, j), u), mix(at(i, j + 1), at(i + 1, j + 1), u), v);
}

void Canvas::blur(float radius) {
    const int rx = std::max(1, static_cast<int>(radius * static_cast<float>(width_) / aspect_ / 1.7f));
    const int ry = std::max(1, static_cast<int>(radius * static_cast<float>(height_) / 1.7f));
    std::vector<Rgb> line;
    for (int pass = 0; pass < 3; ++pass) {
        for (int j = 0; j < height_; ++j) {
            line.assign(&at(0, j), &at(0, j) + width_);
            boxFilter(line, rx, [&](int i, Rgb mean) { at(i, j) = mean; });
        }
        for (int i = 0; i < width_; ++i) {
            line.resize(static_cast<std::size_t>(height_));
            for (int j = 0; j < height_; ++j) line[static_cast<std::size_t>(j)] = at(i, j);
            boxFilter(line, ry, [&](int j, Rgb mean) { at(i, j) = mean; });
        }
    }
}

std::vector<std::uint8_t> Canvas::toRgb8() const {
    std::vector<std::uint8_t> out(data_.size() * 3);
    for (std::size_t k = 0; k < data_.size(); ++k) {
        out[3 * k] = static_cast<std::uint8_t>(std::lround(clamp01(data_[k].r) * 255.0f));
        out[3 * k + 1] = static_cast<std::uint8_t>(std::lround(clamp01(data_[k].g) * 255.0f));
        out[3 * k + 2] = static_cast<std::uint8_t>(std::lround(clamp01(data_[k].b) * 255.0f));
    }
    return out;
}

}  // namespace texgen
