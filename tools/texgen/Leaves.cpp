// Three autumn leaves, each with its outline as a mask: a red maple leaf, a
// brown oak leaf and a yellow birch leaf, with veins and a stalk.
#include <cmath>

#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

constexpr float pi = 3.14159265f;

struct LeafStyle {
    Rgb base, light, edge, vein;
    std::uint32_t seed;
};

// Leaf coordinates: u across, v along the leaf (up), both about -1 .. 1.
struct Shape {
    virtual ~Shape() = default;
    virtual float distance(float u, float v) const = 0;  // < 0 inside the blade
    virtual float vein(float u, float v) const = 0;      // distance to the nearest vein
};

float segment(float u, float v, float au, float av, float bu, float bv) {
    return sdSegment(u, v, au, av, bu, bv, 0, 0);
}

// The distance to a blade from v = base to v = tip whose half width at v is
// halfWidth: beyond its ends, how far past them; along it, how far from its edge.
float bladeDistance(float u, float v, float base, float tip, float halfWidth) {
    if (v < base || v > tip) return std::max(base - v, v - tip) + std::fabs(u) * 0.3f;
    return (std::fabs(u) - halfWidth) * 0.6f;
}

// Five pointed lobes around the stalk, edges toothed.
struct Maple : Shape {
    static constexpr int lobes = 5;
    float angle[lobes] = {90, 35, 145, -15, 195};
    float length[lobes] = {0.95f, 0.85f, 0.85f, 0.55f, 0.55f};
    float cv = -0.2f;  // centre of the blade

    float distance(float u, float v) const override {
        const float dx = u, dy = v - cv;
        const float r = std::sqrt(dx * dx + dy * dy);
        const float a = std::atan2(dy, dx) * 180.0f / pi;
        float reach = 0.2f;
        for (int k = 0; k < lobes; ++k) {
            float d = std::fabs(a - angle[k]);
            if (d > 180) d = 360 - d;
            const float t = clamp01(1.0f - d / 40.0f);
            // A lobe: broad near the centre, narrowing to a point, with teeth.
            reach = std::max(reach, length[k] * std::pow(t, 0.55f) * (1.0f - 0.07f * std::fabs(std::sin(d * 0.3f))));
        }
        return (r - std::max(reach, 0.32f)) * 0.7f;
    }
    float vein(float u, float v) const override {
        float d = 1e9f;
        for (int k = 0; k < lobes; ++k) {
            const float a = angle[k] * pi / 180.0f;
            const float ex = std::cos(a) * length[k] * 0.92f, ey = cv + std::sin(a) * length[k] * 0.92f;
            d = std::min(d, segment(u, v, 0, cv, ex, ey));
            // Side veins off each main vein.
            for (int s = 1; s <= 3; ++s) {
                const float t = 0.22f * static_cast<float>(s);
                const float bx = std::cos(a) * length[k] * t, by = cv + std::sin(a) * length[k] * t;
                for (float turn : {-0.6f, 0.6f}) {
                    const float b = a + turn;
                    const float l = length[k] * 0.22f * (1.1f - t);
                    d = std::min(d, segment(u, v, bx, by, bx + std::cos(b) * l, by + std::sin(b) * l) + 0.004f);
                }
            }
        }
        return d;
    }
};

// An oblong leaf with deep rounded lobes.
struct Oak : Shape {
    float halfWidth(float v) const {
        const float t = clamp01((v + 0.82f) / 1.72f);  // 0 at the base, 1 at the tip
        const float envelope = std::pow(std::sin(pi * std::pow(t, 0.85f)), 0.75f);
        const float lobes = 0.5f + 0.5f * std::pow(std::fabs(std::sin(t * pi * 4.5f)), 0.6f);
        return 0.56f * envelope * lobes;
    }
    float distance(float u, float v) const override {
        return bladeDistance(u, v, -0.82f, 0.9f, halfWidth(v));
    }
    float vein(float u, float v) const override {
        float d = segment(u, v, 0, -0.85f, 0, 0.88f);
        for (int s = 0; s < 8; ++s) {
            const float t = (static_cast<float>(s) + 0.6f) / 9.0f;
            const float bv = -0.82f + 1.72f * t;
            const float side = s % 2 ? 1.0f : -1.0f;
            const float lv = -0.82f + 1.72f * (std::round(t * 4.5f - 0.5f) + 0.5f) / 4.5f;
            d = std::min(d, segment(u, v, 0, bv, side * halfWidth(lv) * 0.9f, lv + 0.05f));
            d = std::min(d, segment(u, v, 0, bv, -side * halfWidth(lv) * 0.9f, lv + 0.05f));
        }
        return d;
    }
};

// An ovate leaf with a pointed tip and a finely toothed edge.
struct Birch : Shape {
    float halfWidth(float v) const {
        const float t = clamp01((v + 0.8f) / 1.7f);
        const float envelope = std::pow(std::sin(pi * std::pow(t, 0.7f)), 0.8f);
        return 0.62f * envelope * (1.0f - 0.05f * std::fabs(std::sin(t * 90.0f)));
    }
    float distance(float u, float v) const override {
        return bladeDistance(u, v, -0.8f, 0.9f, halfWidth(v));
    }
    float vein(float u, float v) const override {
        float d = segment(u, v, 0, -0.85f, 0, 0.85f);
        for (int s = 0; s < 7; ++s) {
            const float bv = -0.65f + 0.22f * static_cast<float>(s);
            const float reach = halfWidth(bv + 0.25f) * 0.9f;
            d = std::min(d, segment(u, v, 0, bv, reach, bv + 0.25f));
            d = std::min(d, segment(u, v, 0, bv, -reach, bv + 0.25f));
        }
        return d;
    }
};

}  // namespace

void paintLeaf(int kind, Canvas& canvas, std::vector<float>& mask) {
    static const Maple maple;
    static const Oak oak;
    static const Birch birch;
    const Shape* shapes[3] = {&maple, &oak, &birch};
    const LeafStyle styles[3] = {
        {hex(0xc8301a), hex(0xf08a28), hex(0x7a1a10), hex(0xf4b040), 501},
        {hex(0x9a5a22), hex(0xd09a48), hex(0x5a3414), hex(0xe0b870), 502},
        {hex(0xe8b020), hex(0xf8de60), hex(0xa87010), hex(0xfaf0a0), 503},
    };
    const Shape& shape = *shapes[kind];
    const LeafStyle& s = styles[kind];
    const float tilt = kind == 0 ? 0.0f : 0.5f;  // oblong leaves lie across the diagonal
    const float ct = std::cos(tilt), st = std::sin(tilt);
    const float scale = 0.47f;  // leaf units per logical unit: a small margin all round
    const float px = canvas.pixel() / scale;
    const int n = canvas.width();
    canvas.each([&](float x, float y, Rgb& out) {
        const float ru = (x - 0.5f) / scale, rv = (0.5f - y) / scale;
        const float u = ct * ru - st * rv, v = st * ru + ct * rv;
        const float d = shape.distance(u, v);
        // The stalk below the blade.
        const float stalkBase = kind == 0 ? maple.cv : -0.8f;
        const float stalk = sdSegment(u, v, 0, stalkBase, 0.04f, kind == 0 ? -0.85f : -1.02f, 0.03f, 0.018f);
        const float inside = std::min(d, stalk);
        // Two pixels of soft edge in the mask.
        const float m = clamp01(0.5f - inside / (2.0f * px));
        const int i = static_cast<int>(x * static_cast<float>(n)), j = static_cast<int>(y * static_cast<float>(n));
        mask[static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)] = m;

        // Colour is defined everywhere so that filtering at the outline never
        // pulls in a foreign border colour.
        const float n1 = fbm(u * 3.0f, v * 3.0f, 4, s.seed);
        const float n2 = fbm(u * 18.0f, v * 18.0f, 3, s.seed + 1);
        Rgb col = mix(s.base, s.light, clamp01(0.5f + 0.7f * n1 + 0.15f * n2 + 0.15f * v));
        // Browned, darker rim and a few spots.
        col = mix(col, s.edge, smooth(-0.12f, 0.0f, d) * 0.55f + smooth(0.55f, 0.75f, n2) * 0.4f);
        // Veins: light lines with a faint shadow beside them.
        const float vd = shape.vein(u, v);
        col = col * (1.0f - 0.18f * smooth(0.03f, 0.012f, vd));
        col = mix(col, s.vein, smooth(0.012f, 0.004f, vd) * 0.85f);
        if (stalk < 0.0f && d > 0.0f) col = mix(s.edge, s.vein, 0.4f);
        // Light falls from the upper left.
        col = col * (0.88f + 0.12f * clamp01(0.5f - 0.3f * u + 0.3f * v));
        out = col;
    });
    finish(canvas, s.seed + 100, 0.0f, 0.015f, 0.05f);
}

}  // namespace texgen
