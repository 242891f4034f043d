// Nights away from the town: the stars over a field, northern lights, a campfire.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// The Milky Way over a field, a lone tree on the hill.
void starryNight(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x03040c)}, {0.6f, hex(0x0e1630)}, {0.75f, hex(0x2a2a48)}});
    // The band of the galaxy: a diagonal glow broken by dark lanes.
    c.each({0, 0, w, 0.8f}, [&](float x, float y, Rgb& out) {
        const float d = (y - (0.75f - 0.55f * x / w)) / 0.14f;
        const float band = std::exp(-d * d);
        const float dust = smooth(-0.1f, 0.4f, fbm(x * 6.0f, y * 6.0f, 5, 361) + 0.3f * d);
        const float clumps = 0.5f + 0.5f * fbm(x * 14.0f, y * 14.0f, 4, 362);
        out = out + mix(hex(0x6a6090), hex(0xe8d8c8), clumps) * (0.55f * band * dust * clumps);
    });
    stars(c, 363, 0.75f, 900, 0.8f);
    stars(c, 364, 0.7f, 60, 1.6f);
    glow(c, w * 0.8f, 0.8f, 0.12f, hex(0x4a3a50), 0.5f);
    auto hill = [&](float x) { return 0.74f - 0.08f * std::exp(-((x - w * 0.62f) / 0.35f) * ((x - w * 0.62f) / 0.35f)) + 0.005f * fbm1(x * 20.0f, 3, 365); };
    terrain(c, hill, 1.0f, [](float x, float y, float) { return hex(0x05060a) * (1.0f + 0.5f * fbm(x * 10.0f, y * 10.0f, 2, 366)); });
    tree(c, w * 0.62f, hill(w * 0.62f) + 0.005f, 0.26f,
         {.seed = 367, .lit = hex(0x0a0c14), .shade = hex(0x030408), .trunk = hex(0x050608), .spread = 1.3f});
    finish(c, 1045, 0.3f, 0.03f, 0.06f);
}

// Northern lights over a frozen lake and dark spruces.
void aurora(Canvas& c) {
    const float w = c.aspect();
    const float shore = 0.66f;
    gradient(c, {{0.0f, hex(0x030818)}, {0.66f, hex(0x0e2238)}});
    stars(c, 371, shore, 400, 0.7f);
    // Curtains: vertical rays hanging from a wavy line, green below, violet at the top.
    c.each({0, 0, w, shore}, [&](float x, float y, Rgb& out) {
        Rgb col;
        for (int k = 0; k < 2; ++k) {
            const std::uint32_t seed = 372u + static_cast<std::uint32_t>(k);
            const float baseLine = 0.42f + 0.12f * static_cast<float>(k) + 0.1f * fbm1(x * 1.5f + 3.0f * static_cast<float>(k), 3, seed);
            const float above = baseLine - y;
            if (above < -0.02f) continue;
            const float rays = 0.5f + 0.5f * fbm(x * 50.0f, y * 2.0f, 3, seed + 10);
            const float fade = std::exp(-std::max(above, 0.0f) / (0.12f + 0.05f * static_cast<float>(k))) * smooth(-0.02f, 0.01f, above);
            const float strength = fade * rays * (0.5f + 0.5f * fbm1(x * 3.0f, 2, seed + 20));
            col = col + mix(hex(0x40ff90), hex(0xa060ff), clamp01(above / 0.25f)) * strength;
        }
        out = out + col * 0.9f;
    });
    // The far shore and its spruces.
    hills(c, 373, shore, 0.02f, 3.0f, hex(0x05080c), hex(0x0a1018), 0.0f, shore + 0.003f);
    for (int k = 0; k < 70; ++k) {
        const float fx = rand01(374, static_cast<std::uint32_t>(k)) * w;
        const float h = 0.03f + 0.06f * rand01(375, static_cast<std::uint32_t>(k));
        fir(c, fx, shore + 0.002f, h, h * 0.3f, hex(0x020406), hex(0x0a1410), 3750u + static_cast<std::uint32_t>(k));
    }
    // Ice mirrors the sky, then snow at the front.
    water(c, {.seed = 376, .horizon = shore + 0.002f, .tint = hex(0x1a2a3a), .tintNear = 0.5f, .tintFar = 0.15f,
              .ripple = 0.002f, .waveScale = 10, .darken = 0.7f});
    terrain(
        c, [&](float x) { return 0.86f + 0.04f * fbm1(x * 3.0f, 3, 377); }, 1.0f,
        [](float x, float y, float) { return mix(hex(0x1a3040), hex(0x3a6a70), 0.5f + 0.5f * fbm(x * 8.0f, y * 12.0f, 3, 378)); });
    fir(c, w * 0.1f, 1.02f, 0.5f, 0.14f, hex(0x020406), hex(0x0a1a14), 379);
    fir(c, w * 0.9f, 1.02f, 0.38f, 0.12f, hex(0x020406), hex(0x0a1a14), 380);
    finish(c, 1046, 0.35f, 0.03f, 0.08f);
}

// A campfire at the edge of the woods, a tent glowing beside it.
void campfire(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x040612)}, {0.55f, hex(0x10182c)}});
    stars(c, 381, 0.5f, 300, 0.8f);
    for (int k = 0; k < 30; ++k) {
        const float fx = rand01(382, static_cast<std::uint32_t>(k)) * w;
        const float h = 0.2f + 0.25f * rand01(383, static_cast<std::uint32_t>(k));
        fir(c, fx, 0.62f, h, h * 0.35f, hex(0x05070a), hex(0x0a0e14), 3830u + static_cast<std::uint32_t>(k));
    }
    const float fx = w * 0.45f, fy = 0.8f;
    terrain(
        c, [&](float x) { return 0.6f + 0.01f * fbm1(x * 5.0f, 3, 384); }, 1.0f,
        [&](float x, float y, float) {
            const float d2 = ((x - fx) * (x - fx) + (y - fy) * (y - fy) * 4.0f);
            const Rgb ground = mix(hex(0x0c0c0e), hex(0x1a1814), 0.5f + 0.5f * fbm(x * 20.0f, y * 20.0f, 3, 385));
            return ground + hex(0xff7a20) * (0.5f / (1.0f + d2 * 40.0f));
        });
    // The tent, its side lit by the fire.
    const float tx = w * 0.75f, ty = 0.72f;
    c.shade({tx - 0.2f, ty - 0.2f, tx + 0.2f, ty + 0.01f},
            [&](float x, float y) { return sdPolygon(x, y, {{tx - 0.17f, ty}, {tx - 0.02f, ty - 0.17f}, {tx + 0.13f, ty}}); },
            [&](float x, float y) {
                const float lit = clamp01((tx - x) / 0.15f) * 0.8f + 0.2f;
                return mix(hex(0x2a1a10), hex(0xe8863a), lit * (0.6f + 0.4f * (y - ty + 0.17f) / 0.17f));
            });
    c.fill({tx - 0.06f, ty - 0.1f, tx + 0.02f, ty + 0.01f},
           [&](float x, float y) { return sdPolygon(x, y, {{tx - 0.045f, ty}, {tx - 0.02f, ty - 0.08f}, {tx + 0.005f, ty}}); }, hex(0x120804));
    // Logs and the flames.
    c.fill({fx - 0.08f, fy - 0.04f, fx + 0.08f, fy + 0.03f},
           [&](float x, float y) {
               return std::min(sdSegment(x, y, fx - 0.07f, fy + 0.015f, fx + 0.05f, fy - 0.01f, 0.009f, 0.009f),
                               sdSegment(x, y, fx + 0.07f, fy + 0.015f, fx - 0.05f, fy - 0.01f, 0.009f, 0.009f));
           },
           hex(0x3a2010));
    glow(c, fx, fy - 0.04f, 0.06f, hex(0xff6a10), 0.45f);
    c.each({fx - 0.07f, fy - 0.2f, fx + 0.07f, fy + 0.01f}, [&](float x, float y, Rgb& out) {
        const float h = (fy - y) / 0.17f;  // 0 at the logs, 1 at the tips
        const float n = fbm(x * 40.0f, y * 25.0f + 0.5f, 3, 386);
        const float width = 0.045f * (1.0f - h) * (1.0f + 0.6f * n);
        const float f = smooth(width, width * 0.3f, std::fabs(x - fx + 0.01f * n)) * smooth(1.0f, 0.6f, h + 0.2f * n) * smooth(-0.05f, 0.05f, h);
        const Rgb flame = ramp({hex(0xff4000), hex(0xff9a20), hex(0xffe070), hex(0xfff8e0)}, clamp01(f * 1.2f - h * 0.4f));
        out = out + flame * f;
    });
    // Sparks rising.
    for (int k = 0; k < 40; ++k) {
        const float sx = fx + (rand01(387, static_cast<std::uint32_t>(k)) - 0.5f) * 0.12f;
        const float sy = fy - 0.15f - 0.35f * rand01(388, static_cast<std::uint32_t>(k));
        glow(c, sx, sy, 0.0012f, hex(0xffa040), 0.7f, {sx - 0.01f, sy - 0.01f, sx + 0.01f, sy + 0.01f});
    }
    finish(c, 1047, 0.35f, 0.03f, 0.08f);
}

}  // namespace

void addNightScenes(std::vector<Photo>& out) {
    out.push_back({"starry night", starryNight});
    out.push_back({"aurora", aurora});
    out.push_back({"campfire", campfire});
}

}  // namespace texgen
