// The countryside: roads and a railway, autumn woods, a stone bridge and the desert.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// A straight country road to the horizon between fields, poplars beside it.
void countryRoad(Canvas& c) {
    const float w = c.aspect();
    const View v{0.52f, w * 0.5f};
    gradient(c, {{0.0f, hex(0x4a7fc0)}, {0.52f, hex(0xdce6e8)}});
    clouds(c, {.seed = 141, .top = 0.02f, .bottom = 0.48f, .scale = 3.0f, .stretch = 1.8f, .cover = 0.42f,
               .lit = hex(0xfff8ee), .shade = hex(0x98a4bc), .lightX = -0.6f, .lightY = -1.0f, .softness = 0.16f});
    hills(c, 142, v.horizon, 0.035f, 2.0f, hex(0x7a9a9a), hex(0xb4c8c8), 0.4f, v.horizon + 0.003f);
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [](float wx, float wz, float, float) {
        const float far = clamp01(wz / 25.0f);
        Rgb col;
        if (std::fabs(wx) < 0.45f) {
            const float dash = (std::fabs(wx) < 0.012f && fract(wz * 0.35f) < 0.5f) ? 1.0f : 0.0f;
            col = mix(hex(0x55555a), hex(0x6e6e72), 0.5f + 0.5f * fbm(wx * 20.0f, wz * 8.0f, 3, 143));
            col = mix(col, hex(0xe8e4d8), dash);
        } else if (std::fabs(wx) < 0.6f) {
            col = mix(hex(0x8a9a5a), hex(0x6a7a40), 0.5f + 0.5f * fbm(wx * 10.0f, wz * 4.0f, 3, 144));
        } else if (wx < 0) {
            // Rapeseed in flower.
            col = mix(hex(0xd8b81e), hex(0xf4dc48), 0.5f + 0.5f * fbm(wx * 4.0f, wz * 2.0f, 4, 145));
        } else {
            const float rows = 0.5f + 0.5f * std::sin(wx * 12.0f);
            col = mix(hex(0x4f7a2a), hex(0x86a84a), 0.3f + 0.4f * rows + 0.3f * fbm(wx * 3.0f, wz * 2.0f, 4, 146));
        }
        return mix(col, hex(0xa8bcc0), far * 0.6f);
    });
    // Poplars along the right side, far ones first.
    for (int k = 11; k >= 0; --k) {
        const float wz = 1.4f + 1.6f * static_cast<float>(k);
        const float size = v.size(1.0f, wz);
        const Rgb lit = mix(hex(0x8aa84a), hex(0xa8b8a8), clamp01(wz / 25.0f) * 0.6f);
        const Rgb shade = mix(hex(0x23381a), hex(0x8a9c98), clamp01(wz / 25.0f) * 0.7f);
        poplar(c, v.x(0.9f, wz), v.y(wz), 1.1f * size, 0.2f * size, lit, shade, 147u + static_cast<std::uint32_t>(k), -1.0f);
    }
    finish(c, 1020, 0.3f, 0.02f, 0.08f);
}

// Autumn woods: trunks in the light, a path covered with leaves.
void autumnForest(Canvas& c) {
    const float w = c.aspect();
    const View v{0.6f, w * 0.45f};
    gradient(c, {{0.0f, hex(0xf4e4b8)}, {0.6f, hex(0xf0d8a8)}});
    glow(c, w * 0.6f, 0.35f, 0.2f, hex(0xfff0c8), 0.5f);
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [&](float wx, float wz, float, float) {
        const float path = smooth(0.5f, 0.3f, std::fabs(wx - 0.3f * std::sin(wz * 0.3f)));
        const float n = fbm(wx * 6.0f, wz * 3.0f, 5, 152);
        const Rgb leaves = ramp({hex(0x6a2a10), hex(0xc05a1a), hex(0xe8a030), hex(0xf0c860)}, 0.45f + 0.5f * n);
        const Rgb earth = mix(hex(0x7a5a3a), hex(0xb08a5a), 0.5f + 0.5f * n);
        const Rgb col = mix(leaves, earth, path * 0.7f);
        return mix(col, hex(0xf0d8a8), clamp01(wz / 14.0f) * 0.85f);
    });
    // Trunks from far to near, each with a crown of autumn leaves.
    const int count = 34;
    for (int k = 0; k < count; ++k) {
        const float f = static_cast<float>(k) / static_cast<float>(count - 1);
        const float wz = 16.0f - 15.0f * f * f + 0.3f * rand01(153, static_cast<std::uint32_t>(k));
        float wx = (rand01(154, static_cast<std::uint32_t>(k)) - 0.5f) * 3.2f * wz * 0.5f;
        if (std::fabs(wx - 0.3f * std::sin(wz * 0.3f)) < 0.7f) wx += wx < 0 ? -0.8f : 0.8f;
        const float x = v.x(wx, wz), base = v.y(wz);
        const float r = v.size(0.06f + 0.05f * rand01(155, static_cast<std::uint32_t>(k)), wz);
        const float fog = clamp01(wz / 14.0f);
        const Rgb bark = mix(hex(0x2a2018), hex(0xe8d0a8), fog * 0.9f);
        const Rgb barkLit = mix(hex(0x9a7a5a), hex(0xf0dcb4), fog * 0.9f);
        const std::uint32_t seed = 156u + static_cast<std::uint32_t>(k);
        c.shade({x - r * 3, 0, x + r * 3, base + 0.01f},
                [&](float px, float py) {
                    return std::fabs(px - x - 0.3f * r * fbm1(py * 6.0f, 2, seed)) - r * (1.0f + 0.5f * smooth(base - 0.04f * r / 0.02f, base, py));
                },
                [&](float px, float py) {
                    const float across = (px - x) / r;
                    const float bn = fbm(px * 40.0f / r * 0.02f, py * 30.0f, 3, 157);
                    return mix(bark, barkLit, clamp01(0.35f - 0.55f * across + 0.3f * bn));
                });
        // Foliage in masses around the upper trunk.
        const Rgb lit = mix(mix(hex(0xf8b030), hex(0xe86a18), rand01(158, static_cast<std::uint32_t>(k))), hex(0xf4dcb0), fog * 0.8f);
        const Rgb shade = mix(hex(0x8a2a10), hex(0xe8c8a0), fog * 0.8f);
        const float crownY = base - v.size(2.2f, wz);
        const float cr = v.size(0.9f, wz);
        c.shade({x - cr * 2, crownY - cr * 1.5f, x + cr * 2, crownY + cr * 1.2f},
                [&](float px, float py) {
                    return sdEllipse(px, py, x, crownY, cr * 1.4f, cr) - cr * 0.5f * fbm(px * 3.0f / cr, py * 3.0f / cr, 4, seed + 50);
                },
                [&](float px, float py) {
                    const float n = fbm(px * 8.0f / cr, py * 8.0f / cr, 3, seed + 51);
                    return mix(shade, lit, clamp01(0.5f + 0.6f * n - 0.4f * (py - crownY) / cr));
                });
    }
    // Shafts of light through the leaves.
    c.each([&](float x, float y, Rgb& out) {
        const float u = x + y * 0.45f;
        const float shafts = std::pow(clamp01(0.5f + 0.5f * fbm1(u * 9.0f, 2, 158)), 3.0f);
        out = out + hex(0xfff0c0) * (0.22f * shafts * smooth(1.0f, 0.2f, y));
    });
    finish(c, 1021, 0.35f, 0.02f, 0.1f);
}

// Dunes at dusk: crests catching the last light, valleys in violet shade.
void dunes(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x3a3a78)}, {0.3f, hex(0x9a6a98)}, {0.5f, hex(0xf2a070)}, {0.58f, hex(0xffd0a0)}});
    sun(c, w * 0.22f, 0.56f, 0.032f, hex(0xfffae8), hex(0xffa060), 0.1f, 0.6f);
    for (int k = 0; k < 4; ++k) {
        const float t = static_cast<float>(k) / 3.0f;
        const std::uint32_t seed = 161u + static_cast<std::uint32_t>(k);
        const float base = 0.62f + 0.3f * t, amp = 0.06f + 0.12f * t, freq = 1.8f - 0.6f * t;
        auto top = [=](float x) {
            const float n = noise1(x * freq, seed) * 0.7f + 0.3f * noise1(x * freq * 2.3f, seed + 1);
            return base - amp * (1.0f - std::fabs(n) * 1.4f);
        };
        const Rgb lit = mix(hex(0xf0b078), hex(0xf89a50), t), shade = mix(hex(0xa07090), hex(0x5a3a6a), t);
        terrain(c, top, 1.0f, [&](float x, float y, float depth) {
            const float e = 0.004f;
            const float slope = (top(x + e) - top(x - e)) / (2 * e);  // > 0: falls to the right
            const float facing = clamp01(0.5f - slope * 1.5f);
            const float ripples = 0.5f + 0.5f * std::sin((y * 300.0f + x * 40.0f + 8.0f * fbm(x * 6.0f, y * 10.0f, 2, seed)) * (1.0f + t));
            const Rgb col = mix(shade, lit, clamp01(facing * (1.0f - smooth(0.0f, 0.12f, depth) * 0.5f)));
            return col * (0.94f + 0.06f * ripples);
        });
    }
    finish(c, 1022, 0.35f, 0.02f, 0.1f);
}

// Red buttes standing on a desert plain under a deep sky.
void desertButtes(Canvas& c) {
    const float w = c.aspect();
    const View v{0.62f, w * 0.5f};
    gradient(c, {{0.0f, hex(0x1f58a8)}, {0.45f, hex(0x7eaedc)}, {0.62f, hex(0xe8dcc8)}});
    clouds(c, {.seed = 191, .top = 0.05f, .bottom = 0.45f, .scale = 3.5f, .stretch = 2.5f, .cover = 0.32f,
               .lit = hex(0xffffff), .shade = hex(0xb0b0c8), .softness = 0.2f});
    hills(c, 192, v.horizon, 0.015f, 3.0f, hex(0xb0a0b0), hex(0xd8c8c8), 0.3f, v.horizon + 0.003f);
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [](float wx, float wz, float, float) {
        const float n = fbm(wx * 2.0f, wz * 3.0f, 5, 193);
        const Rgb sand = ramp({hex(0x9a4a28), hex(0xc8703a), hex(0xe0a070)}, 0.5f + 0.5f * n);
        const float scrub = smooth(0.55f, 0.7f, fbm(wx * 12.0f, wz * 12.0f, 3, 194));
        return mix(mix(sand, hex(0x5a5a3a), scrub * 0.7f), hex(0xd8b8a8), clamp01(wz / 30.0f) * 0.6f);
    });
    // Buttes, far to near: talus slope, then a sheer block with a flat top.
    struct Butte {
        float x, base, width, height, haze;
    };
    const Butte buttes[4] = {{0.22f, 0.625f, 0.06f, 0.1f, 0.45f},
                             {0.9f, 0.63f, 0.1f, 0.16f, 0.35f},
                             {0.5f, 0.64f, 0.07f, 0.22f, 0.2f},
                             {1.12f, 0.66f, 0.12f, 0.3f, 0.05f}};
    for (int k = 0; k < 4; ++k) {
        const Butte& b = buttes[k];
        const float bx = b.x * w / 1.33f;
        const std::uint32_t seed = 195u + static_cast<std::uint32_t>(k);
        const float top = b.base - b.height, shoulder = b.base - b.height * 0.35f;
        c.shade({bx - b.width * 3, top - 0.02f, bx + b.width * 3, b.base + 0.01f},
                [&](float x, float y) {
                    const float t = clamp01((y - shoulder) / (b.base - shoulder));
                    const float half = y < shoulder ? b.width * (1.0f + 0.08f * fbm1(y * 40.0f, 3, seed))
                                                    : b.width * (1.0f + 1.6f * t * t + 0.3f * t);
                    const float topEdge = top + 0.006f * fbm1(x * 30.0f, 3, seed + 1);
                    return std::max(std::fabs(x - bx) - half, std::max(topEdge - y, y - b.base));
                },
                [&](float x, float y) {
                    const float across = (x - bx) / b.width;
                    const float strata = 0.5f + 0.5f * std::sin(y * 220.0f + 2.0f * fbm(x * 20.0f, y * 5.0f, 2, seed + 2));
                    const float lit = clamp01(0.65f - 0.55f * across + 0.15f * strata);
                    Rgb col = mix(hex(0x5a2418), hex(0xe08850), lit);
                    col = col * (0.9f + 0.2f * fbm(x * 60.0f, y * 120.0f, 3, seed + 3));
                    return mix(col, hex(0xc8b8c8), b.haze);
                });
    }
    finish(c, 1025, 0.3f, 0.025f, 0.12f);
}

// A road winding through green hills at the golden hour.
void windingRoad(Canvas& c) {
    const float w = c.aspect();
    const View v{0.4f, w * 0.5f};
    gradient(c, {{0.0f, hex(0x6a8ac0)}, {0.3f, hex(0xe8c8a0)}, {0.4f, hex(0xf8dcb0)}});
    sun(c, w * 0.82f, 0.33f, 0.03f, hex(0xfff4e0), hex(0xffc080), 0.12f, 0.6f);
    hills(c, 211, 0.4f, 0.07f, 1.4f, hex(0x8a8ab0), hex(0xd0b8b0), 0.5f, 0.6f);
    hills(c, 212, 0.47f, 0.08f, 1.8f, hex(0x6a8a58), hex(0xb8b890), 0.4f, 0.7f, 0.1f);
    auto roadCentre = [](float wz) { return 1.2f * std::sin(wz * 0.45f + 0.6f) - 0.5f; };
    ground(c, v.horizon, v.vx, 0.5f, 1.0f, [&](float wx, float wz, float, float y) {
        const float d = std::fabs(wx - roadCentre(wz));
        const float hill = 0.5f + 0.5f * fbm(wx * 0.5f, wz * 0.3f, 4, 213);
        Rgb grass = mix(hex(0x3a6a22), hex(0xb8c850), hill);
        grass = grass * (0.9f + 0.15f * fbm(wx * 8.0f, wz * 4.0f, 3, 214));
        const Rgb road = mix(hex(0x5a5550), hex(0x8a847a), 0.5f + 0.5f * fbm(wx * 20.0f, wz * 10.0f, 2, 215));
        const float edge = smooth(0.3f, 0.26f, d);
        const float line = smooth(0.012f, 0.004f, std::fabs(wx - roadCentre(wz))) * (fract(wz * 0.6f) < 0.5f ? 1.0f : 0.0f);
        Rgb col = mix(grass, road, edge);
        col = mix(col, hex(0xf0e8d0), line * edge);
        return mix(col, hex(0xd8c8a8), smooth(0.62f, 0.5f, y) * 0.5f);
    });
    haze(c, 0.7f, 0.5f, hex(0xf8dcb0), 0.3f);
    // Roadside trees with long shadows.
    for (int k = 7; k >= 0; --k) {
        const float wz = 1.5f + 1.5f * static_cast<float>(k);
        const float wx = roadCentre(wz) + (k % 2 ? 0.9f : -1.0f);
        const float s = v.size(1.0f, wz);
        const float x = v.x(wx, wz), y = v.y(wz);
        if (y < 0.5f) continue;
        c.fill({x - 0.5f * s, y - 0.02f * s, x + 0.1f * s, y + 0.04f * s},
               [&](float px, float py) { return sdEllipse(px, py, x - 0.28f * s, y + 0.01f * s, 0.3f * s, 0.02f * s); }, hex(0x24401a), 0.6f);
        tree(c, x, y, 0.5f * s, {.seed = 216u + static_cast<std::uint32_t>(k), .lit = hex(0xb8b040), .shade = hex(0x1a3018),
                                 .trunk = hex(0x3a2a20), .lightX = 0.9f, .lightY = -0.4f, .spread = 1.1f});
    }
    finish(c, 1027, 0.32f, 0.02f, 0.1f);
}

// An old stone bridge over a quiet river.
void stoneBridge(Canvas& c) {
    const float w = c.aspect();
    const float waterY = 0.6f, bank = 0.565f;
    gradient(c, {{0.0f, hex(0x6890c8)}, {0.55f, hex(0xd8e0e4)}});
    clouds(c, {.seed = 241, .top = 0.02f, .bottom = 0.4f, .scale = 3.0f, .stretch = 2.0f, .cover = 0.4f,
               .lit = hex(0xfffaf4), .shade = hex(0xa0a8b8), .softness = 0.18f});
    hills(c, 242, 0.5f, 0.04f, 2.5f, hex(0x5a7a5a), hex(0x90a898), 0.3f, waterY);
    for (int k = 0; k < 7; ++k) {
        const float x = w * (0.05f + 0.15f * static_cast<float>(k)) + 0.04f * rand01(243, static_cast<std::uint32_t>(k));
        tree(c, x, 0.55f, 0.14f + 0.05f * rand01(244, static_cast<std::uint32_t>(k)),
             {.seed = 245u + static_cast<std::uint32_t>(k), .lit = hex(0x7a9a4a), .shade = hex(0x2a401e), .spread = 1.2f});
    }
    c.fill({0, 0.5f, w, bank + 0.01f}, [&](float x, float y) { return y - (0.553f + 0.008f * fbm1(x * 10.0f, 3, 246)); }, hex(0x4a6a32));
    // The bridge: a deck on three arches.
    const float deckTop = 0.4f, deckBottom = 0.45f;
    const float archX[3] = {w * 0.3f, w * 0.5f, w * 0.7f};
    auto bridgeSdf = [&](float x, float y) {
        float d = sdBox(x, y, w * 0.5f, (deckTop + waterY) * 0.5f, w * 0.32f, (waterY - deckTop) * 0.5f);
        for (float ax : archX) d = std::max(d, -sdEllipse(x, y, ax, waterY, 0.085f, 0.13f));
        return std::max(d, -(sdBox(x, y, w * 0.5f, deckTop - 0.02f, w * 0.3f, 0.015f)));
    };
    auto stone = [&](float x, float y) {
        const float course = std::fabs(std::sin(y * 260.0f));
        const float joint = std::fabs(std::sin(x * 120.0f + std::floor(y * 260.0f / 3.14159f) * 1.7f));
        const float n = fbm(x * 50.0f, y * 50.0f, 3, 247);
        Rgb col = mix(hex(0x8a7a68), hex(0xc8b8a0), clamp01(0.5f + 0.5f * n));
        col = col * (0.8f + 0.2f * std::min(1.0f, course * 3.0f) * std::min(1.0f, joint * 4.0f));
        return col * (0.8f + 0.4f * smooth(deckBottom, deckTop, y));
    };
    const Rgb river = hex(0x2a4a4a);
    water(c, {.seed = 249, .horizon = bank, .tint = river, .tintNear = 0.4f, .tintFar = 0.2f, .ripple = 0.006f,
              .waveScale = 30, .darken = 0.85f});
    auto parapet = [&](float x, float y) { return sdBox(x, y, w * 0.5f, deckTop - 0.012f, w * 0.32f, 0.012f); };
    object(c, {w * 0.15f, deckTop - 0.05f, w * 0.85f, waterY},
           {{bridgeSdf, stone}, {parapet, [](float, float) { return hex(0x9a8a76); }}}, waterY, river, 0.6f, 248);
    // Reeds on the near bank.
    terrain(
        c, [&](float x) { return 0.9f + 0.05f * fbm1(x * 4.0f, 3, 250); }, 1.0f,
        [](float x, float y, float) { return mix(hex(0x2a4a1a), hex(0x6a8a3a), 0.5f + 0.5f * fbm(x * 20.0f, y * 20.0f, 3, 251)); });
    for (int k = 0; k < 120; ++k) {
        const float x = rand01(252, static_cast<std::uint32_t>(k)) * w;
        const float y = 0.92f + 0.08f * rand01(253, static_cast<std::uint32_t>(k));
        const float h = 0.05f + 0.1f * rand01(254, static_cast<std::uint32_t>(k));
        const float lean = (rand01(255, static_cast<std::uint32_t>(k)) - 0.5f) * 0.05f;
        c.fill({x - 0.05f, y - h, x + 0.05f, y}, [=](float px, float py) { return sdSegment(px, py, x, y, x + lean, y - h, 0.002f, 0.0005f); },
               mix(hex(0x3a5a1a), hex(0x9aa04a), rand01(256, static_cast<std::uint32_t>(k))));
    }
    finish(c, 1030, 0.3f, 0.02f, 0.08f);
}

// Railway tracks running to the horizon in the evening.
void railway(Canvas& c) {
    const float w = c.aspect();
    const View v{0.55f, w * 0.5f};
    gradient(c, {{0.0f, hex(0x1a3a6a)}, {0.35f, hex(0x4a8aa8)}, {0.5f, hex(0xc8d0a8)}, {0.55f, hex(0xffe0a0)}});
    clouds(c, {.seed = 261, .top = 0.05f, .bottom = 0.45f, .scale = 2.5f, .stretch = 6.0f, .cover = 0.35f,
               .lit = hex(0xffd0a0), .shade = hex(0x2a4a6a), .opacity = 0.85f, .lightX = 0, .lightY = 1});
    glow(c, v.vx, v.horizon, 0.12f, hex(0xffc070), 0.4f);
    hills(c, 262, v.horizon, 0.015f, 3.0f, hex(0x4a3a4a), hex(0x8a6a6a), 0.3f, v.horizon + 0.003f);
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [&](float wx, float wz, float, float) {
        const float ax = std::fabs(wx);
        const float n = fbm(wx * 8.0f, wz * 8.0f, 3, 263);
        Rgb col;
        if (ax < 0.55f) {
            col = mix(hex(0x4a4038), hex(0x8a7a6a), 0.5f + 0.5f * n);  // ballast
            const float sleeper = fract(wz * 1.6f);
            if (ax < 0.45f && sleeper < 0.35f / (1.0f + wz * 0.01f)) col = mix(hex(0x3a2a20), hex(0x5a4432), 0.5f + 0.5f * n);
            const float rail = std::min(std::fabs(ax - 0.3f), 1.0f);
            const float railW = 0.015f + 0.002f * wz;
            if (rail < railW) col = mix(hex(0x5a5050), hex(0xffd8a8), smooth(railW, 0.0f, rail) * clamp01(0.4f + wz * 0.05f));
        } else {
            col = mix(hex(0x5a6a3a), hex(0xa09a5a), 0.5f + 0.5f * n);
        }
        return mix(col, hex(0xb8c0a0), clamp01(wz / 30.0f) * 0.7f);
    });
    // Telegraph poles along the left.
    for (int k = 10; k >= 0; --k) {
        const float wz = 1.2f + 2.5f * static_cast<float>(k);
        const float s = v.size(1.0f, wz);
        const float x = v.x(-1.0f, wz), y = v.y(wz);
        c.fill({x - 0.2f * s, y - 0.9f * s, x + 0.2f * s, y},
               [=](float px, float py) {
                   return std::min(sdBox(px, py, x, y - 0.42f * s, 0.01f * s, 0.42f * s), sdBox(px, py, x, y - 0.78f * s, 0.09f * s, 0.008f * s));
               },
               hex(0x2a2028));
    }
    // The wires between the poles sag a little.
    c.each({0, 0, w, 1}, [&](float x, float y, Rgb& out) {
        for (float level : {0.8f, 0.76f}) {
            float best = 1e9f;
            for (int k = 0; k < 10; ++k) {
                const float z0 = 1.2f + 2.5f * static_cast<float>(k), z1 = z0 + 2.5f;
                const float x0 = v.x(-1.0f, z0), x1 = v.x(-1.0f, z1);
                if (x < std::min(x0, x1) || x > std::max(x0, x1)) continue;
                const float t = (x - x0) / (x1 - x0);
                const float wz = z0 + (z1 - z0) * t;
                const float wy = v.y(wz) - level * v.size(1.0f, wz) + 0.05f * v.size(1.0f, wz) * 4.0f * t * (1.0f - t);
                best = std::min(best, std::fabs(y - wy));
            }
            out = mix(out, hex(0x2a2028), c.coverage(best - 0.0006f));
        }
    });
    finish(c, 1031, 0.32f, 0.02f, 0.1f);
}

}  // namespace

void addCountryScenes(std::vector<Photo>& out) {
    out.push_back({"country road", countryRoad});
    out.push_back({"autumn forest", autumnForest});
    out.push_back({"dunes", dunes});
    out.push_back({"desert buttes", desertButtes});
    out.push_back({"winding road", windingRoad});
    out.push_back({"stone bridge", stoneBridge});
    out.push_back({"railway", railway});
}

}  // namespace texgen
