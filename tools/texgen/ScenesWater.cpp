// Sea, shore, lakes and harbours.
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

// A harbour in the afternoon: houses along the quay, boats at their moorings.
void harbour(Canvas& c) {
    const float w = c.aspect();
    const float quay = 0.56f;
    gradient(c, {{0.0f, hex(0x4f86c6)}, {0.5f, hex(0xb9d2e6)}});
    clouds(c, {.seed = 51, .top = 0.02f, .bottom = 0.4f, .scale = 3.0f, .stretch = 2.0f, .cover = 0.35f,
               .lit = hex(0xfffaf0), .shade = hex(0xa8b0c4), .lightX = 0.6f, .lightY = -1.0f});
    hills(c, 52, 0.42f, 0.08f, 1.6f, hex(0x5a7a52), hex(0x8aa088), 0.3f, quay);
    // Houses along the quay, warm facades lit from the right.
    const Rgb facades[6] = {hex(0xd9a45a), hex(0xc8553d), hex(0xeae2cf), hex(0x5f86a8), hex(0xe3c16f), hex(0xb06a4a)};
    float x = -0.02f;
    for (int k = 0; x < w; ++k) {
        const float hw = 0.025f + 0.02f * rand01(53, static_cast<std::uint32_t>(k));
        const float hh = 0.07f + 0.06f * rand01(54, static_cast<std::uint32_t>(k));
        const float cx = x + hw, top = quay - 0.015f - hh;
        const Rgb wall = facades[hash(55, static_cast<std::uint32_t>(k)) % 6];
        c.fill({cx - hw, top, cx + hw, quay}, [&](float px, float py) { return sdBox(px, py, cx, (top + quay) / 2, hw, (quay - top) / 2); },
               wall);
        // Side in shade.
        c.fill({cx - hw, top, cx + hw, quay},
               [&](float px, float py) { return sdBox(px, py, cx - hw * 0.85f, (top + quay) / 2, hw * 0.15f, (quay - top) / 2); },
               wall * 0.7f);
        const float roofH = 0.02f + 0.015f * rand01(56, static_cast<std::uint32_t>(k));
        c.fill({cx - hw - 0.01f, top - roofH, cx + hw + 0.01f, top + 0.002f},
               [&](float px, float py) {
                   return sdPolygon(px, py, {{cx - hw - 0.004f, top + 0.002f}, {cx, top - roofH}, {cx + hw + 0.004f, top + 0.002f}});
               },
               hex(0x9a4a32));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) {
                const float wx = cx - hw * 0.55f + hw * 0.55f * static_cast<float>(col);
                const float wy = top + 0.015f + static_cast<float>(row) * 0.025f;
                if (wy > quay - 0.03f) continue;
                c.fill({wx - 0.01f, wy - 0.01f, wx + 0.01f, wy + 0.01f},
                       [&](float px, float py) { return sdBox(px, py, wx, wy, hw * 0.14f, 0.007f); }, hex(0x2a2e38));
            }
        x += 2 * hw + 0.002f;
    }
    // The quay wall.
    c.fill({0, quay - 0.016f, w, quay + 0.01f}, [&](float px, float py) { return sdBox(px, py, w / 2, quay - 0.004f, w, 0.012f); },
           hex(0x6c6258));
    const Rgb sea = hex(0x2d5a6e);
    water(c, {.seed = 57, .horizon = quay + 0.008f, .tint = sea, .tintNear = 0.45f, .tintFar = 0.2f, .ripple = 0.012f,
              .waveScale = 40, .darken = 0.8f, .sparkle = 0.3f});
    boat(c, w * 0.25f, 0.7f, 0.16f, hex(0x2f5e8c), hex(0xf0ece0), false, 1, sea, 58);
    boat(c, w * 0.72f, 0.66f, 0.11f, hex(0xc43c2c), hex(0xf0ece0), true, -1, sea, 59);
    boat(c, w * 0.55f, 0.86f, 0.3f, hex(0xf2efe6), hex(0x2a5a7a), false, -1, sea, 60);
    finish(c, 1011, 0.3f, 0.02f, 0.08f);
}

// Still water at sunrise mirroring a mountain.
void mountainLake(Canvas& c) {
    const float w = c.aspect();
    const float shore = 0.54f;
    gradient(c, {{0.0f, hex(0x7fa6d6)}, {0.35f, hex(0xc6d4e6)}, {0.54f, hex(0xf4dcc0)}});
    clouds(c, {.seed = 61, .top = 0.03f, .bottom = 0.3f, .scale = 2.5f, .stretch = 3.0f, .cover = 0.35f,
               .lit = hex(0xfff0e0), .shade = hex(0xb0a8c0), .opacity = 0.8f, .lightX = 1.0f, .lightY = 0.2f});
    mountains(c, {.seed = 62, .base = shore, .amp = 0.36f, .freq = 1.3f, .rockLit = hex(0xb08a78),
                  .rockShade = hex(0x4a4a68), .snowLit = hex(0xfff4ea), .snowShade = hex(0x9aa0c8), .snowLine = 0.5f,
                  .hazeColour = hex(0xc6d0e6), .haze = 0.15f, .lightX = 1.0f, .bottom = shore + 0.01f});
    hills(c, 63, shore - 0.01f, 0.03f, 4.0f, hex(0x24382c), hex(0x7a8a90), 0.3f, shore + 0.005f);
    for (int k = 0; k < 60; ++k) {
        const float fx = rand01(64, static_cast<std::uint32_t>(k)) * w;
        const float h = 0.03f + 0.03f * rand01(65, static_cast<std::uint32_t>(k));
        fir(c, fx, shore + 0.004f, h, h * 0.4f, hex(0x16261c), hex(0x2f4a36), 660u + static_cast<std::uint32_t>(k));
    }
    haze(c, shore - 0.06f, shore, hex(0xdcd8d8), 0.35f);
    water(c, {.seed = 66, .horizon = shore + 0.003f, .tint = hex(0x1f3444), .tintNear = 0.35f, .tintFar = 0.05f,
              .ripple = 0.003f, .waveScale = 25, .darken = 0.85f});
    // A rocky shore in the foreground.
    terrain(
        c, [&](float x) { return 0.88f + 0.08f * fbm1(x * 5.0f, 4, 67) + 0.1f * smooth(w * 0.45f, w, x); }, 1.0f,
        [](float x, float y, float depth) {
            const float n = fbm(x * 25.0f, y * 25.0f, 4, 68);
            const Rgb stone = mix(hex(0x3e3a38), hex(0x8a8078), clamp01(0.5f + n));
            return stone * (0.7f + 0.3f * smooth(0.0f, 0.02f, depth));
        });
    fir(c, w * 0.88f, 1.02f, 0.42f, 0.16f, hex(0x0f1f14), hex(0x3a5a3a), 69);
    fir(c, w * 0.97f, 1.02f, 0.3f, 0.12f, hex(0x0f1f14), hex(0x3a5a3a), 70);
    finish(c, 1012, 0.3f, 0.02f, 0.08f);
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

// Mist over a still lake: a wooden jetty and a rowing boat.
void mistyPier(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.5f;
    gradient(c, {{0.0f, hex(0xaab6c0)}, {0.5f, hex(0xdfe2e0)}});
    hills(c, 111, horizon, 0.04f, 2.5f, hex(0x9aa6a8), hex(0xd0d4d4), 0.6f, horizon + 0.003f);
    for (int k = 0; k < 50; ++k) {
        const float fx = rand01(112, static_cast<std::uint32_t>(k)) * w;
        const float h = 0.03f + 0.04f * rand01(113, static_cast<std::uint32_t>(k));
        fir(c, fx, horizon + 0.002f, h, h * 0.4f, hex(0x8a979a), hex(0x97a3a6), 1120u + static_cast<std::uint32_t>(k));
    }
    const Rgb lake = hex(0xb6c0c4);
    water(c, {.seed = 114, .horizon = horizon + 0.002f, .tint = lake, .tintNear = 0.3f, .tintFar = 0.1f,
              .ripple = 0.002f, .waveScale = 20, .darken = 0.95f});
    // The jetty runs from the lower left towards the middle of the lake.
    const float vx = w * 0.62f;
    std::vector<Part> deck;
    auto edgeAt = [&](float y, float side) {
        const float t = (y - horizon) / (1.0f - horizon);
        return vx + (side - vx) * t;
    };
    const float y0 = 0.62f;
    deck.push_back({[&](float x, float y) {
                        if (y < y0) return y0 - y + 0.001f;
                        const float l = edgeAt(y, -0.25f), r = edgeAt(y, 0.5f);
                        return std::max(std::max(l - x, x - r), y0 - y);
                    },
                    [&](float x, float y) {
                        const float l = edgeAt(y, -0.25f), r = edgeAt(y, 0.5f);
                        const float u = (x - l) / (r - l);
                        const float plank = std::fabs(std::sin(u * 3.14159f * 9.0f));
                        const Rgb wood = mix(hex(0x4a3a2e), hex(0x8a7462), 0.4f + 0.4f * plank + 0.2f * fbm(u * 10.0f, y * 5.0f, 3, 115));
                        return mix(wood, lake, smooth(0.8f, 0.6f, y) * 0.6f);
                    }});
    object(c, {0, y0, w, 1.0f}, deck);
    // Posts under the jetty with their reflections.
    for (int k = 0; k < 7; ++k) {
        const float t = static_cast<float>(k) / 6.0f;
        const float y = y0 + 0.005f + (1.0f - y0) * t * t;
        const float scale = (y - horizon) / (1.0f - horizon);
        for (float side : {-0.25f, 0.5f}) {
            const float px = edgeAt(y, side) + (side < 0 ? 0.01f : -0.01f) * scale;
            const float ph = 0.06f * scale, pw = 0.006f * scale + 0.001f;
            object(c, {px - pw * 2, y - 0.002f, px + pw * 2, y + ph},
                   {{[=](float x, float yy) { return sdBox(x, yy, px, y + ph * 0.5f, pw, ph * 0.5f); },
                     [=](float, float) { return mix(hex(0x2c2620), lake, 0.3f * (1.0f - scale)); }}},
                   y + ph, lake, 0.5f, 116);
        }
    }
    boat(c, w * 0.78f, 0.7f, 0.14f, hex(0x6a4430), hex(0xd8d0c0), false, -1, lake, 117);
    haze(c, 0.3f, horizon + 0.05f, hex(0xe4e6e4), 0.4f);
    finish(c, 1017, 0.25f, 0.02f, 0.05f);
}

// A long jetty into an evening sea, lamps lit.
void eveningPier(Canvas& c) {
    const float w = c.aspect();
    const float horizon = 0.58f;
    gradient(c, {{0.0f, hex(0x3a5a98)}, {0.3f, hex(0x8aa0c8)}, {0.5f, hex(0xe8c0c0)}, {0.58f, hex(0xfce0c8)}});
    sun(c, w * 0.3f, 0.578f, 0.022f, hex(0xfff8e8), hex(0xffc0a0), 0.1f, 0.4f);
    clouds(c, {.seed = 121, .top = 0.05f, .bottom = 0.45f, .scale = 2.5f, .stretch = 7.0f, .cover = 0.4f,
               .lit = hex(0xffd0c8), .shade = hex(0x6a7aa8), .opacity = 0.85f, .lightX = -0.5f, .lightY = 1.0f});
    const Rgb sea = hex(0x3a4a70);
    water(c, {.seed = 122, .horizon = horizon, .tint = sea, .tintNear = 0.5f, .tintFar = 0.15f, .ripple = 0.01f,
              .waveScale = 60, .darken = 0.9f, .sparkle = 0.4f, .pathX = w * 0.3f, .pathWidth = 0.02f,
              .pathStrength = 0.5f, .pathColour = hex(0xffd0b0)});
    // The jetty: deck and railing in silhouette, from the right edge to the sea.
    const float y0 = 0.6f, y1 = 0.7f, x0 = w * 0.45f;
    std::vector<Part> pier;
    pier.push_back({[=](float x, float y) {
                        const float t = clamp01((x - x0) / (w + 0.05f - x0));
                        const float top = lerp(y0, y1, t), thick = lerp(0.004f, 0.03f, t);
                        return std::max(std::max(top - y, y - top - thick), x0 - x);
                    },
                    [](float, float) { return hex(0x1a1a2a); }});
    for (int k = 0; k < 12; ++k) {
        const float t = static_cast<float>(k) / 11.0f;
        const float px = x0 + (w + 0.05f - x0) * t * t;
        const float tt = clamp01((px - x0) / (w + 0.05f - x0));
        const float top = lerp(y0, y1, tt);
        const float ph = lerp(0.012f, 0.18f, tt), pw = lerp(0.001f, 0.006f, tt);
        pier.push_back({[=](float x, float y) { return sdBox(x, y, px, top + ph * 0.5f, pw, ph * 0.5f); },
                        [](float, float) { return hex(0x1a1a2a); }});
        const float rh = lerp(0.008f, 0.07f, tt);
        pier.push_back({[=](float x, float y) { return sdBox(x, y, px, top - rh * 0.5f, pw * 0.7f, rh * 0.5f); },
                        [](float, float) { return hex(0x1a1a2a); }});
    }
    pier.push_back({[=](float x, float y) {
                        const float t = clamp01((x - x0) / (w + 0.05f - x0));
                        const float rail = lerp(y0, y1, t) - lerp(0.008f, 0.07f, t);
                        return std::max(std::fabs(y - rail) - lerp(0.0006f, 0.004f, t), x0 - x);
                    },
                    [](float, float) { return hex(0x1a1a2a); }});
    object(c, {x0 - 0.01f, y0 - 0.1f, w, 0.9f}, pier, 0.0f);
    for (int k = 3; k < 12; k += 3) {
        const float t = static_cast<float>(k) / 11.0f;
        const float px = x0 + (w + 0.05f - x0) * t * t;
        const float tt = clamp01((px - x0) / (w + 0.05f - x0));
        const float ly = lerp(y0, y1, tt) - lerp(0.02f, 0.16f, tt);
        c.fill({px - 0.02f, ly, px + 0.02f, lerp(y0, y1, tt)},
               [=](float x, float y) { return sdBox(x, y, px, (ly + lerp(y0, y1, tt)) / 2, lerp(0.0008f, 0.003f, tt), (lerp(y0, y1, tt) - ly) / 2); },
               hex(0x1a1a2a));
        glow(c, px, ly, lerp(0.004f, 0.015f, tt), hex(0xffd890), 0.9f);
    }
    finish(c, 1018, 0.35f, 0.02f, 0.08f);
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

void addWaterScenes(std::vector<Photo>& out) {
    out.push_back({"sea sunset", seaSunset});
    out.push_back({"harbour", harbour});
    out.push_back({"mountain lake", mountainLake});
    out.push_back({"lighthouse", lighthouse});
    out.push_back({"moonlit sea", moonlitSea});
    out.push_back({"sailboat", sailboat});
    out.push_back({"rocky coast", rockyCoast});
    out.push_back({"misty pier", mistyPier});
    out.push_back({"evening pier", eveningPier});
    out.push_back({"beach", beach});
}

}  // namespace texgen
