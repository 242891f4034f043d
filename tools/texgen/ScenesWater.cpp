// Still water and harbours: a harbour by day, a mountain lake, piers in mist
// and in the evening.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

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

}  // namespace

void addWaterScenes(std::vector<Photo>& out) {
    out.push_back({"harbour", harbour});
    out.push_back({"mountain lake", mountainLake});
    out.push_back({"misty pier", mistyPier});
    out.push_back({"evening pier", eveningPier});
}

}  // namespace texgen
