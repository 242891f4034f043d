// The open sea and its shore: a sunset, a lighthouse, the moon, a sailing
// boat, surf on the rocks and a beach.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// Foam: white streaks along the waves, denser where amount is high.
void foam(Canvas& c, float y0, float y1, float horizon, std::uint32_t seed, float amount, Rgb colour) {
    c.each({0, y0, c.aspect(), y1}, [&](float x, float y, Rgb& out) {
        const float dy = std::max(y - horizon, 0.001f);
        const float wz = 1.0f / (dy * 40.0f);
        const float n = fbm((x - 0.66f) * wz * 1.5f, wz * 6.0f, 4, seed);
        const float f = smooth(0.55f - amount * 0.5f, 0.75f - amount * 0.4f, n);
        out = mix(out, colour, f * 0.85f);
    });
}

// The sun going down into the sea, a headland to one side.
void seaSunset(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.6f;
    gradient(c, {{0.0f, hex(0x1f2b5e)}, {0.25f, hex(0x6b4a84)}, {0.45f, hex(0xd9785a)}, {0.57f, hex(0xffb469)},
                 {0.6f, hex(0xffd896)}});
    sun(c, w * 0.6f, 0.565f, 0.042f, hex(0xfff3c8), hex(0xff9040), 0.13f, 0.55f);
    clouds(c, {.seed = 41, .top = 0.06f, .bottom = 0.52f, .scale = 3.0f, .stretch = 6.0f, .cover = 0.45f,
               .lit = hex(0xffa870), .shade = hex(0x4a2f58), .opacity = 0.9f, .lightX = 0.0f, .lightY = 1.0f});
    terrain(
        c, [&](float x) { return horizon - 0.11f * smooth(w * 0.78f, w * 1.0f, x) - 0.012f * fbm1(x * 20.0f, 3, 42); },
        horizon + 0.005f, [](float, float, float) { return hex(0x2a1a2e); });
    water(c, {.seed = 43, .horizon = horizon, .tint = hex(0x2c2246), .tintNear = 0.55f, .tintFar = 0.15f,
              .ripple = 0.012f, .waveScale = 70, .darken = 0.9f, .sparkle = 0.5f, .pathX = w * 0.6f,
              .pathWidth = 0.025f, .pathStrength = 0.9f, .pathColour = hex(0xffb060)});
    // Dark rocks in the foreground.
    terrain(
        c, [&](float x) { return 0.93f + 0.05f * fbm1(x * 6.0f, 4, 44) + 0.12f * smooth(w * 0.3f, 0.0f, x); }, 1.0f,
        [](float x, float y, float) { return hex(0x1c1420) * (1.0f + 0.3f * fbm(x * 30.0f, y * 30.0f, 3, 45)); });
    finish(c, 1010, 0.35f, 0.02f, 0.1f);
}

// A lighthouse on a cliff under a storm, the sea in white caps.
void lighthouse(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.62f;
    gradient(c, {{0.0f, hex(0x2e3440)}, {0.45f, hex(0x5c6674)}, {0.62f, hex(0x9aa2a8)}});
    clouds(c, {.seed = 71, .top = 0.0f, .bottom = 0.6f, .scale = 2.2f, .stretch = 2.5f, .cover = 0.75f,
               .lit = hex(0x9aa0a8), .shade = hex(0x272c36), .lightX = -0.5f, .lightY = -1.0f, .softness = 0.35f});
    water(c, {.seed = 72, .horizon = horizon, .tint = hex(0x2a3a46), .tintNear = 0.75f, .tintFar = 0.45f,
              .ripple = 0.02f, .waveScale = 30, .darken = 0.7f});
    foam(c, horizon, 1.0f, horizon, 73, 0.35f, hex(0xdfe6ea));
    // The cliff on the right with grass on top.
    auto cliffTop = [&](float x) {
        return 0.44f + 0.08f * smooth(w * 0.72f, w * 0.6f, x) + 0.6f * smooth(w * 0.6f, w * 0.5f, x) +
               0.012f * fbm1(x * 30.0f, 3, 74);
    };
    terrain(c, cliffTop, 1.0f, [&](float x, float y, float depth) {
        const float n = fbm(x * 14.0f, y * 30.0f, 4, 75);
        const Rgb rock = mix(hex(0x2a2622), hex(0x6a5e52), clamp01(0.45f + 0.6f * n + 0.4f * (x - w * 0.7f)));
        return mix(hex(0x4f6a3a), rock, smooth(0.004f, 0.02f, depth));
    });
    foam(c, 0.85f, 1.0f, horizon, 76, 0.9f, hex(0xeef2f4));
    // Surf against the cliff foot.
    c.each({w * 0.5f, 0.75f, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float edge = w * 0.52f + 0.04f * fbm(y * 20.0f, 1.0f, 3, 77);
        const float f = smooth(0.06f, 0.0f, std::fabs(x - edge)) * smooth(0.8f, 0.95f, y);
        out = mix(out, hex(0xf0f4f6), f * clamp01(0.5f + fbm(x * 60.0f, y * 60.0f, 3, 78)));
    });
    // The tower: white with red bands, a glowing lantern and its beam.
    const float tx = w * 0.84f, base = cliffTop(tx) + 0.01f, top = base - 0.3f;
    c.shade({tx - 0.05f, top, tx + 0.05f, base},
            [&](float x, float y) {
                const float t = (y - top) / (base - top);
                return std::fabs(x - tx) - (0.022f + 0.014f * t);
            },
            [&](float x, float y) {
                const float t = (y - top) / (base - top);
                const bool red = static_cast<int>(t * 5.0f) % 2 == 1;
                const Rgb col = red ? hex(0xb8322a) : hex(0xeeeeea);
                return col * (0.65f + 0.35f * clamp01((tx - x) / 0.03f + 0.5f));
            });
    c.fill({tx - 0.04f, top - 0.06f, tx + 0.04f, top + 0.005f},
           [&](float x, float y) { return sdBox(x, y, tx, top - 0.025f, 0.02f, 0.025f); }, hex(0xffe9a8));
    c.fill({tx - 0.04f, top - 0.09f, tx + 0.04f, top - 0.04f},
           [&](float x, float y) { return sdPolygon(x, y, {{tx - 0.028f, top - 0.048f}, {tx, top - 0.08f}, {tx + 0.028f, top - 0.048f}}); },
           hex(0x2a2a2a));
    c.each({0, 0, w, 0.7f}, [&](float x, float y, Rgb& out) {
        const float dx = tx - x, dy = y - (top - 0.025f);
        if (dx <= 0) return;
        const float spread = std::fabs(dy - dx * 0.05f) / (0.01f + dx * 0.12f);
        out = out + hex(0xffeec0) * (0.35f * std::exp(-spread * spread) * smooth(1.2f, 0.0f, dx));
    });
    glow(c, tx, top - 0.025f, 0.03f, hex(0xffe0a0), 0.8f);
    finish(c, 1013, 0.4f, 0.025f, 0.12f);
}

// The moon over a calm night sea.
void moonlitSea(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.62f;
    gradient(c, {{0.0f, hex(0x050a1c)}, {0.4f, hex(0x13234a)}, {0.62f, hex(0x3a4e72)}});
    stars(c, 81, horizon, 260, 0.9f);
    sun(c, w * 0.38f, 0.24f, 0.045f, hex(0xf4f2e8), hex(0x8aa4d8), 0.12f, 0.35f);
    // The moon's grey seas.
    c.shade({w * 0.38f - 0.05f, 0.19f, w * 0.38f + 0.05f, 0.29f},
            [&](float x, float y) { return sdCircle(x, y, w * 0.38f, 0.24f, 0.044f); },
            [&](float x, float y) { return mix(hex(0xf4f2e8), hex(0xb8b8c0), smooth(0.1f, 0.6f, fbm(x * 40.0f, y * 40.0f, 3, 82))); });
    clouds(c, {.seed = 83, .top = 0.1f, .bottom = 0.58f, .scale = 3.0f, .stretch = 5.0f, .cover = 0.3f,
               .lit = hex(0x9fb2d8), .shade = hex(0x1a2440), .opacity = 0.8f, .lightX = -0.3f, .lightY = -1.0f});
    hills(c, 84, horizon, 0.03f, 3.0f, hex(0x0c1224), hex(0x1c2848), 0.2f, horizon + 0.004f);
    water(c, {.seed = 85, .horizon = horizon, .tint = hex(0x0a1430), .tintNear = 0.6f, .tintFar = 0.2f,
              .ripple = 0.01f, .waveScale = 60, .darken = 0.8f, .pathX = w * 0.38f, .pathWidth = 0.02f,
              .pathStrength = 0.85f, .pathColour = hex(0xc8d8ff)});
    terrain(
        c, [&](float x) { return 0.86f + 0.06f * fbm1(x * 5.0f, 4, 86) + 0.15f * smooth(w * 0.6f, w, x); }, 1.0f,
        [](float x, float y, float depth) {
            return mix(hex(0x1e2a44), hex(0x05080f), smooth(0.0f, 0.015f, depth)) * (1.0f + 0.3f * fbm(x * 20.0f, y * 20.0f, 3, 87));
        });
    finish(c, 1014, 0.35f, 0.03f, 0.08f);
}

// A sailing boat on a deep blue sea, an island behind it.
void sailboat(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.55f;
    gradient(c, {{0.0f, hex(0x1e62b8)}, {0.4f, hex(0x6ea6dc)}, {0.55f, hex(0xcfe2ee)}});
    clouds(c, {.seed = 91, .top = 0.15f, .bottom = 0.5f, .scale = 4.0f, .stretch = 1.6f, .cover = 0.4f,
               .lit = hex(0xffffff), .shade = hex(0x9aa8c0), .lightX = 0.4f, .lightY = -1.0f, .softness = 0.15f});
    hills(c, 92, horizon, 0.06f, 2.0f, hex(0x5a7e8c), hex(0x8aaab8), 0.2f, horizon + 0.003f);
    const Rgb sea = hex(0x134a8a);
    water(c, {.seed = 93, .horizon = horizon, .tint = sea, .tintNear = 0.75f, .tintFar = 0.35f, .ripple = 0.02f,
              .waveScale = 50, .darken = 0.8f, .sparkle = 0.5f});
    foam(c, horizon, 1.0f, horizon, 94, 0.1f, hex(0xe8f0f6));
    // Wake behind the boat.
    const float bx = w * 0.42f, by = 0.72f;
    c.each({0, by - 0.02f, bx, by + 0.04f}, [&](float x, float y, Rgb& out) {
        const float spread = (bx - x) * 0.15f + 0.004f;
        const float f = std::exp(-((y - by - 0.005f) / spread) * ((y - by - 0.005f) / spread)) * smooth(0.0f, 0.05f, bx - x) *
                        smooth(0.5f, 0.1f, bx - x);
        out = mix(out, hex(0xe8f2f8), f * clamp01(0.5f + fbm(x * 80.0f, y * 200.0f, 3, 95)));
    });
    boat(c, bx, by, 0.2f, hex(0x1c2c48), hex(0xeeeeee), true, 1, sea, 96);
    finish(c, 1015, 0.3f, 0.02f, 0.1f);
}

// Grey surf breaking on dark rocks under an overcast sky.
void rockyCoast(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.45f;
    gradient(c, {{0.0f, hex(0x6c757e)}, {0.45f, hex(0xb4bcc2)}});
    clouds(c, {.seed = 101, .top = 0.0f, .bottom = 0.44f, .scale = 2.5f, .stretch = 3.0f, .cover = 0.65f,
               .lit = hex(0xc4cad0), .shade = hex(0x5c646e), .lightX = 0, .lightY = -1, .softness = 0.4f});
    water(c, {.seed = 102, .horizon = horizon, .tint = hex(0x3c5a5c), .tintNear = 0.75f, .tintFar = 0.45f,
              .ripple = 0.02f, .waveScale = 25, .darken = 0.8f});
    // Rollers: bands of foam parallel to the shore.
    c.each({0, horizon, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float wz = 0.55f / (y - horizon + 0.002f);
        const float phase = wz * 3.0f + 0.6f * fbm(x * 3.0f, wz * 0.5f, 3, 103);
        const float crest = std::pow(clamp01(std::sin(phase) * 0.5f + 0.5f), 8.0f);
        const float n = fbm(x * wz * 2.0f, y * 90.0f, 3, 104);
        out = mix(out, hex(0xe6ecee), clamp01(crest * (0.6f + n)) * smooth(horizon, horizon + 0.15f, y));
    });
    // Rocks, the nearest large, wet and dark.
    const float rx[5] = {0.15f, 0.45f, 0.9f, 1.15f, 0.7f};
    const float ry[5] = {0.78f, 0.62f, 0.58f, 0.8f, 0.95f};
    const float rs[5] = {0.16f, 0.05f, 0.04f, 0.2f, 0.14f};
    for (int k = 0; k < 5; ++k) {
        const float cx = rx[k] * w / 1.33f, cy = ry[k], s = rs[k];
        const std::uint32_t seed = 105u + static_cast<std::uint32_t>(k);
        // Surf around the rock.
        c.each({cx - s * 2.0f, cy - s, cx + s * 2.0f, cy + s * 0.3f}, [&](float x, float y, Rgb& out) {
            const float d = sdEllipse(x, y, cx, cy, s * 1.4f, s * 0.5f);
            const float f = smooth(0.05f * s * 4, 0.0f, d) * clamp01(0.3f + fbm(x * 70.0f, y * 70.0f, 3, seed));
            out = mix(out, hex(0xf2f5f6), f);
        });
        c.shade({cx - s * 1.3f, cy - s * 1.1f, cx + s * 1.3f, cy + s * 0.2f},
                [&](float x, float y) {
                    return std::max(sdEllipse(x, y, cx, cy, s * 1.1f, s * 0.9f) + s * 0.15f * fbm(x * 8.0f / s, y * 8.0f / s, 3, seed),
                                    y - cy - s * 0.05f);
                },
                [&](float x, float y) {
                    const float l = clamp01(0.4f + 0.5f * (cy - y) / s - 0.3f * (x - cx) / s + 0.5f * fbm(x * 30.0f, y * 30.0f, 4, seed + 9));
                    return mix(hex(0x15171a), hex(0x6a6660), l);
                });
    }
    finish(c, 1016, 0.35f, 0.025f, 0.12f);
}

// A beach at noon: turquoise shallows, dune grass and a fence.
void beach(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.45f;
    gradient(c, {{0.0f, hex(0x2a76c8)}, {0.45f, hex(0xbfe0f0)}});
    clouds(c, {.seed = 131, .top = 0.1f, .bottom = 0.42f, .scale = 4.0f, .stretch = 2.0f, .cover = 0.35f,
               .lit = hex(0xffffff), .shade = hex(0xa8b8d0), .lightX = 0.0f, .lightY = -1.0f, .softness = 0.15f});
    // The shore line curves from the middle of the left edge into the distance.
    auto shoreAt = [&](float x) { return horizon + 0.1f + 0.35f * smooth(w * 0.9f, 0.0f, x) * (0.8f + 0.1f * fbm1(x * 3.0f, 3, 132)); };
    ground(c, horizon, w * 0.5f, horizon, 1.0f, [&](float wx, float wz, float x, float y) {
        const float shore = shoreAt(x);
        if (y < shore) {
            const float depth = clamp01((shore - y) / 0.25f);
            Rgb sea = mix(hex(0x4fd0c8), hex(0x1a6aa8), std::sqrt(depth));
            const float n = fbm(wx * 4.0f, wz * 3.0f, 4, 133);
            sea = sea * (1.0f + 0.15f * n);
            const float surf = smooth(0.02f, 0.0f, shore - y) + 0.6f * smooth(0.6f, 0.85f, n) * (1.0f - depth);
            return mix(sea, hex(0xf6fbfa), clamp01(surf));
        }
        const float wet = smooth(0.03f, 0.0f, y - shore);
        const Rgb sand = mix(hex(0xe8d4a6), hex(0xf6ead0), 0.5f + 0.4f * fbm(wx * 6.0f, wz * 8.0f, 4, 134));
        return mix(sand, hex(0xb8a078), wet * 0.7f);
    });
    // A dune with grass and a weathered fence on the right.
    terrain(
        c, [&](float x) { return 0.68f + 0.2f * smooth(w, w * 0.6f, x) + 0.02f * fbm1(x * 8.0f, 3, 135); }, 1.0f,
        [](float x, float y, float) { return mix(hex(0xcfb88a), hex(0xeedcb4), 0.5f + 0.5f * fbm(x * 10.0f, y * 20.0f, 3, 136)); });
    for (int k = 0; k < 220; ++k) {
        const float gx = w * (0.6f + 0.4f * rand01(137, static_cast<std::uint32_t>(k)));
        const float gy = 0.7f + 0.3f * rand01(138, static_cast<std::uint32_t>(k)) + 0.15f * smooth(w, w * 0.6f, gx) - 0.05f;
        const float h = 0.03f + 0.06f * rand01(139, static_cast<std::uint32_t>(k));
        const float lean = (rand01(140, static_cast<std::uint32_t>(k)) - 0.3f) * 0.04f;
        const Rgb col = mix(hex(0x6a7a3a), hex(0xc0b870), rand01(141, static_cast<std::uint32_t>(k)));
        c.fill({gx - 0.05f, gy - h, gx + 0.05f, gy},
               [=](float x, float y) { return sdSegment(x, y, gx, gy, gx + lean, gy - h, 0.002f, 0.0004f); }, col);
    }
    for (int k = 0; k < 6; ++k) {
        const float fx = w * (0.72f + 0.055f * static_cast<float>(k));
        const float fy = 0.76f + 0.04f * static_cast<float>(k);
        const float h = 0.09f + 0.01f * static_cast<float>(k);
        c.fill({fx - 0.02f, fy - h - 0.01f, fx + 0.02f, fy},
               [=](float x, float y) { return sdBox(x, y, fx, fy - h * 0.5f, 0.004f, h * 0.5f); }, hex(0x6a5a48));
    }
    c.fill({w * 0.7f, 0.7f, w, 0.98f},
           [&](float x, float y) {
               const float ty = 0.7f + 0.04f * (x - w * 0.72f) / (w * 0.055f) * 1.0f;
               return std::max(std::fabs(y - (ty + 0.005f)) - 0.002f, std::max(w * 0.72f - x, x - w * 0.995f));
           },
           hex(0x5a4a3a));
    finish(c, 1019, 0.25f, 0.02f, 0.08f);
}

}  // namespace

void addSeaScenes(std::vector<Photo>& out) {
    out.push_back({"sea sunset", seaSunset});
    out.push_back({"lighthouse", lighthouse});
    out.push_back({"moonlit sea", moonlitSea});
    out.push_back({"sailboat", sailboat});
    out.push_back({"rocky coast", rockyCoast});
    out.push_back({"beach", beach});
}

}  // namespace texgen
