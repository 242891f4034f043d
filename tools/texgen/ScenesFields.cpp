// What grows in the country: wheat, vines, an orchard, sunflowers, tulips and a garden.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// A wheat field in the low sun, a farmhouse far off.
void wheatSunset(Canvas& c) {
    const float w = c.aspect();
    const View v{0.6f, w * 0.5f};
    gradient(c, {{0.0f, hex(0x3a5a98)}, {0.3f, hex(0xc88a80)}, {0.5f, hex(0xf8a860)}, {0.6f, hex(0xffd890)}});
    clouds(c, {.seed = 171, .top = 0.05f, .bottom = 0.4f, .scale = 3.0f, .stretch = 4.0f, .cover = 0.35f,
               .lit = hex(0xffd0a0), .shade = hex(0x8a6a7a), .opacity = 0.8f, .lightX = 0.5f, .lightY = 1.0f});
    sun(c, w * 0.68f, 0.56f, 0.035f, hex(0xfff6d8), hex(0xffb050), 0.16f, 0.7f);
    hills(c, 172, v.horizon, 0.02f, 3.0f, hex(0x8a6a5a), hex(0xc09070), 0.4f, v.horizon + 0.003f);
    // The farmhouse with its tree on the horizon.
    const float fx = w * 0.28f, fy = v.horizon - 0.005f;
    c.fill({fx - 0.05f, fy - 0.06f, fx + 0.05f, fy + 0.005f},
           [&](float x, float y) {
               return std::min(sdBox(x, y, fx, fy - 0.016f, 0.03f, 0.016f),
                               sdPolygon(x, y, {{fx - 0.036f, fy - 0.03f}, {fx - 0.01f, fy - 0.052f}, {fx + 0.02f, fy - 0.052f}, {fx + 0.036f, fy - 0.03f}}));
           },
           hex(0x4a3030));
    tree(c, fx + 0.07f, fy + 0.003f, 0.09f, {.seed = 173, .lit = hex(0x5a4030), .shade = hex(0x3a2828), .trunk = hex(0x3a2828), .spread = 1.2f});
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [&](float wx, float wz, float x, float) {
        const float n = fbm(wx * 2.0f, wz * 1.5f, 5, 174);
        const float stalks = fbm(x * 500.0f / (1.0f + wz * 0.2f), wz * 3.0f, 2, 175);
        Rgb col = ramp({hex(0x8a5a20), hex(0xd89a38), hex(0xf2c860), hex(0xffe8a0)}, 0.5f + 0.4f * n + 0.25f * stalks);
        const float backlight = std::exp(-std::fabs(x - w * 0.68f) * 3.0f) * clamp01(wz / 8.0f);
        return mix(col, hex(0xffe8b0), backlight * 0.6f);
    });
    // Ears of wheat in the foreground, lit from behind.
    for (int k = 0; k < 260; ++k) {
        const float x = rand01(176, static_cast<std::uint32_t>(k)) * w;
        const float y = 0.8f + 0.25f * rand01(177, static_cast<std::uint32_t>(k));
        const float h = 0.06f + 0.08f * rand01(178, static_cast<std::uint32_t>(k));
        const float lean = (rand01(179, static_cast<std::uint32_t>(k)) - 0.5f) * 0.04f;
        const Rgb col = mix(hex(0xa06a28), hex(0xf0c060), rand01(180, static_cast<std::uint32_t>(k)));
        c.fill({x - 0.04f, y - h - 0.03f, x + 0.04f, y},
               [=](float px, float py) {
                   const float stem = sdSegment(px, py, x, y, x + lean, y - h, 0.0015f, 0.001f);
                   const float ear = sdEllipse(px, py, x + lean * 1.1f, y - h - 0.012f, 0.0045f, 0.016f);
                   return std::min(stem, ear);
               },
               col);
    }
    finish(c, 1023, 0.35f, 0.02f, 0.1f);
}

// Vine rows climbing towards a farmhouse and cypresses, late afternoon.
void vineyard(Canvas& c) {
    const float w = c.aspect();
    const View v{0.42f, w * 0.7f};
    gradient(c, {{0.0f, hex(0x5d8cc8)}, {0.42f, hex(0xe4e8e0)}});
    clouds(c, {.seed = 181, .top = 0.02f, .bottom = 0.3f, .scale = 3.0f, .stretch = 3.0f, .cover = 0.3f,
               .lit = hex(0xffffff), .shade = hex(0xb0b8c8), .opacity = 0.8f});
    hills(c, 182, 0.4f, 0.06f, 1.5f, hex(0x8aa0a8), hex(0xc8d4d8), 0.3f, 0.5f);
    hills(c, 183, 0.44f, 0.04f, 2.0f, hex(0x8a9a58), hex(0xb4bc88), 0.3f, 0.55f);
    // Farmhouse on the crest.
    const float fx = w * 0.3f, fy = 0.43f;
    c.fill({fx - 0.08f, fy - 0.08f, fx + 0.08f, fy + 0.01f},
           [&](float x, float y) { return sdBox(x, y, fx, fy - 0.022f, 0.055f, 0.024f); }, hex(0xe0b878));
    c.fill({fx - 0.08f, fy - 0.08f, fx + 0.08f, fy + 0.01f},
           [&](float x, float y) { return sdBox(x, y, fx + 0.04f, fy - 0.022f, 0.015f, 0.024f); }, hex(0xb08858));
    c.fill({fx - 0.08f, fy - 0.08f, fx + 0.08f, fy + 0.01f},
           [&](float x, float y) { return sdPolygon(x, y, {{fx - 0.062f, fy - 0.044f}, {fx - 0.04f, fy - 0.062f}, {fx + 0.04f, fy - 0.062f}, {fx + 0.062f, fy - 0.044f}}); },
           hex(0xb0503a));
    for (int k = 0; k < 3; ++k)
        c.fill({fx - 0.08f, fy - 0.08f, fx + 0.08f, fy + 0.01f},
               [&](float x, float y) { return sdBox(x, y, fx - 0.035f + 0.03f * static_cast<float>(k), fy - 0.025f, 0.006f, 0.008f); },
               hex(0x4a3a30));
    for (int k = 0; k < 5; ++k)
        poplar(c, fx + 0.1f + 0.03f * static_cast<float>(k), fy + 0.005f, 0.12f + 0.02f * rand01(184, static_cast<std::uint32_t>(k)),
               0.022f, hex(0x4a6a30), hex(0x18281a), 185u + static_cast<std::uint32_t>(k), -1.0f);
    // The vineyard: rows of vines with earth between, converging uphill.
    ground(c, v.horizon, v.vx, 0.5f, 1.0f, [&](float wx, float wz, float, float y) {
        const float row = fract(wx * 3.2f + 0.5f);
        const float bush = 0.08f * fbm(wx * 3.0f, wz * 14.0f, 3, 188);
        const float vine = smooth(0.12f, 0.22f, row + bush) * smooth(0.7f, 0.58f, row + bush);
        const float n = fbm(wx * 6.0f, wz * 6.0f, 4, 186);
        const Rgb leaves = mix(hex(0x2a4418), hex(0xa8b84a), clamp01(0.5f + 0.6f * n - 1.2f * (row - 0.4f)));
        const Rgb earth = mix(hex(0x8a6a48), hex(0xc0a078), 0.5f + 0.4f * fbm(wx * 10.0f, wz * 10.0f, 3, 187));
        const Rgb col = mix(earth, leaves, vine);
        return mix(col, hex(0xb4bc88), smooth(0.58f, 0.5f, y) * 0.7f);
    });
    finish(c, 1024, 0.3f, 0.02f, 0.1f);
}

// An orchard in blossom in spring.
void orchard(Canvas& c) {
    const float w = c.aspect();
    const View v{0.5f, w * 0.55f};
    gradient(c, {{0.0f, hex(0x6aa0dc)}, {0.5f, hex(0xdcecf4)}});
    clouds(c, {.seed = 201, .top = 0.02f, .bottom = 0.35f, .scale = 3.5f, .stretch = 1.8f, .cover = 0.3f,
               .lit = hex(0xffffff), .shade = hex(0xb8c4d8), .softness = 0.15f});
    hills(c, 202, v.horizon, 0.03f, 2.0f, hex(0x7aa070), hex(0xb0c8b0), 0.4f, v.horizon + 0.003f);
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [](float wx, float wz, float, float) {
        const float n = fbm(wx * 3.0f, wz * 2.0f, 4, 203);
        const Rgb grass = mix(hex(0x5a9a30), hex(0xa8d060), 0.5f + 0.5f * n);
        return mix(grass, hex(0xb0c8a0), clamp01(wz / 20.0f) * 0.6f);
    });
    // Rows of trees to both sides of a grassy lane, far ones first.
    for (int k = 9; k >= 0; --k) {
        const float wz = 1.3f + 1.4f * static_cast<float>(k);
        for (float wx : {-1.5f, -0.8f, 0.8f, 1.6f}) {
            const float s = v.size(1.0f, wz);
            const float x = v.x(wx, wz), y = v.y(wz);
            if (x < -0.3f || x > w + 0.3f) continue;
            const float fog = clamp01(wz / 18.0f) * 0.6f;
            c.fill({x - 0.3f * s, y - 0.01f * s, x + 0.3f * s, y + 0.03f * s},
                   [&](float px, float py) { return sdEllipse(px, py, x + 0.05f * s, y, 0.22f * s, 0.03f * s); }, hex(0x3a6a20), 0.5f);
            tree(c, x, y, 0.55f * s,
                 {.seed = 204u + static_cast<std::uint32_t>(k * 4) + static_cast<std::uint32_t>(wx * 10.0f + 20.0f),
                  .lit = mix(hex(0xfff0f4), hex(0xe8f0f4), fog), .shade = mix(hex(0xd87898), hex(0xc8d4e0), fog),
                  .trunk = mix(hex(0x4a3428), hex(0xa8b4b8), fog), .lightX = -0.6f, .lightY = -0.8f, .spread = 1.35f});
        }
    }
    // Fallen petals.
    for (int k = 0; k < 300; ++k) {
        const float x = rand01(205, static_cast<std::uint32_t>(k)) * w;
        const float y = 0.75f + 0.25f * rand01(206, static_cast<std::uint32_t>(k));
        const float r = 0.0015f + 0.003f * (y - 0.75f) / 0.25f;
        c.fill({x - 0.01f, y - 0.01f, x + 0.01f, y + 0.01f}, [=](float px, float py) { return sdEllipse(px, py, x, y, r * 1.4f, r); },
               hex(0xf8e0ea), 0.9f);
    }
    finish(c, 1026, 0.28f, 0.02f, 0.06f);
}

// A field of sunflowers facing the viewer.
void sunflowers(Canvas& c) {
    const float w = c.aspect();
    const View v{0.45f, w * 0.5f};
    gradient(c, {{0.0f, hex(0x2a6ac0)}, {0.45f, hex(0xbcdcf0)}});
    clouds(c, {.seed = 221, .top = 0.05f, .bottom = 0.42f, .scale = 3.5f, .stretch = 1.6f, .cover = 0.42f,
               .lit = hex(0xffffff), .shade = hex(0x9aa8c4), .softness = 0.14f});
    hills(c, 222, v.horizon, 0.03f, 2.0f, hex(0x4a7a4a), hex(0x8aa890), 0.3f, v.horizon + 0.003f);
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [](float wx, float wz, float, float) {
        const float n = fbm(wx * 4.0f, wz * 4.0f, 4, 223);
        const Rgb leaves = mix(hex(0x2a4a1a), hex(0x6a8a2a), 0.5f + 0.5f * n);
        const Rgb petals = mix(hex(0xd8a010), hex(0xf8d040), 0.5f + 0.5f * n);
        return mix(leaves, petals, clamp01(wz / 6.0f) * 0.7f);
    });
    // Flower heads far to near.
    for (int row = 40; row >= 0; --row) {
        const float wz = 1.0f + 0.35f * static_cast<float>(row) * (1.0f + 0.05f * static_cast<float>(row));
        const int count = 12 + row;
        for (int k = 0; k < count; ++k) {
            const float jitter = rand01(224, static_cast<std::uint32_t>(row * 97 + k));
            const float wx = (static_cast<float>(k) - static_cast<float>(count) * 0.5f + jitter * 0.6f) * 0.18f * (0.6f + wz * 0.3f) * 0.8f;
            const float s = v.size(0.06f, wz);
            const float x = v.x(wx, wz), y = v.y(wz) - s * 2.2f;
            if (x < -s * 2 || x > w + s * 2 || s < 0.0025f) continue;
            const std::uint32_t seed = hash(225, static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(k));
            // Stem and leaf, then the ring of petals and the seed disc.
            c.fill({x - s * 1.5f, y, x + s * 1.5f, y + s * 3.0f},
                   [=](float px, float py) {
                       return std::min(sdSegment(px, py, x, y, x, y + s * 3.0f, s * 0.08f, s * 0.1f),
                                       sdEllipse(px, py, x + s * 0.6f, y + s * 1.4f, s * 0.55f, s * 0.25f));
                   },
                   hex(0x2f5a1c));
            c.shade({x - s * 1.2f, y - s * 1.2f, x + s * 1.2f, y + s * 1.2f},
                    [=](float px, float py) {
                        const float a = std::atan2(py - y, px - x);
                        const float petal = 0.75f + 0.25f * std::fabs(std::cos(a * 8.0f + static_cast<float>(seed % 7)));
                        return std::sqrt((px - x) * (px - x) + (py - y) * (py - y)) - s * petal;
                    },
                    [=](float px, float py) {
                        const float r = std::sqrt((px - x) * (px - x) + (py - y) * (py - y)) / s;
                        return mix(hex(0xfad040), hex(0xd89010), clamp01(r - 0.4f + 0.3f * (py - y) / s));
                    });
            c.shade({x - s, y - s, x + s, y + s}, [=](float px, float py) { return sdCircle(px, py, x, y, s * 0.42f); },
                    [=](float px, float py) {
                        return mix(hex(0x3a2210), hex(0x7a4a1a), clamp01(0.5f + fbm(px * 3.0f / s, py * 3.0f / s, 2, seed)));
                    });
        }
    }
    finish(c, 1028, 0.28f, 0.02f, 0.08f);
}

// Stripes of tulips to the horizon and a windmill.
void tulips(Canvas& c) {
    const float w = c.aspect();
    const View v{0.5f, w * 0.4f};
    gradient(c, {{0.0f, hex(0x3a78c8)}, {0.5f, hex(0xd4e4f0)}});
    clouds(c, {.seed = 231, .top = 0.02f, .bottom = 0.45f, .scale = 2.5f, .stretch = 2.0f, .cover = 0.45f,
               .lit = hex(0xffffff), .shade = hex(0x98a8c0), .lightX = 0.5f, .lightY = -1.0f, .softness = 0.18f});
    hills(c, 232, v.horizon, 0.01f, 3.0f, hex(0x5a7a60), hex(0xa0b0a8), 0.3f, v.horizon + 0.003f);
    // The windmill on the horizon.
    const float mx = w * 0.78f, my = v.horizon + 0.002f;
    c.fill({mx - 0.06f, my - 0.2f, mx + 0.06f, my + 0.002f},
           [&](float x, float y) {
               const float t = (my - y) / 0.16f;
               return std::max(std::fabs(x - mx) - (0.04f - 0.018f * t), std::max(y - my, my - 0.16f - y));
           },
           hex(0x3a3432));
    c.fill({mx - 0.04f, my - 0.2f, mx + 0.04f, my - 0.15f},
           [&](float x, float y) { return sdEllipse(x, y, mx, my - 0.165f, 0.026f, 0.02f); }, hex(0x2a2422));
    const float hx = mx - 0.005f, hy = my - 0.17f;
    for (int k = 0; k < 4; ++k) {
        const float a = 0.5f + 1.5707963f * static_cast<float>(k);
        const float ex = hx + 0.13f * std::cos(a), ey = hy + 0.13f * std::sin(a);
        c.fill({hx - 0.14f, hy - 0.14f, hx + 0.14f, hy + 0.14f},
               [=](float x, float y) {
                   const float along = ((x - hx) * std::cos(a) + (y - hy) * std::sin(a)) / 0.13f;
                   const float lattice = sdSegment(x, y, hx, hy, ex, ey, 0.004f, 0.004f);
                   const float sailPart = sdSegment(x, y, hx + 0.03f * std::cos(a) + 0.008f * std::sin(a), hy + 0.03f * std::sin(a) - 0.008f * std::cos(a),
                                                    ex + 0.008f * std::sin(a), ey - 0.008f * std::cos(a), 0.009f, 0.009f);
                   return along < 0 ? 1.0f : std::min(lattice, sailPart);
               },
               hex(0x4a403a));
    }
    c.fill({mx - 0.02f, my - 0.06f, mx + 0.02f, my}, [&](float x, float y) { return sdBox(x, y, mx, my - 0.015f, 0.006f, 0.015f); },
           hex(0x1a1414));
    const Rgb colours[5] = {hex(0xd81e28), hex(0xf4d21e), hex(0xe85aa0), hex(0xf4f0ea), hex(0xf07a1e)};
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [&](float wx, float wz, float, float) {
        const float stripe = wx * 0.9f;
        const int band = static_cast<int>(std::floor(stripe));
        const float u = stripe - std::floor(stripe);
        const bool path = u > 0.88f;
        const Rgb flower = colours[((band % 5) + 5) % 5];
        const float n = fbm(wx * 30.0f, wz * 20.0f, 3, 233);
        Rgb col = path ? mix(hex(0x5a4a3a), hex(0x4a6a2a), 0.5f) : mix(flower * 0.7f, flower, clamp01(0.6f + 0.6f * n));
        if (!path) col = mix(col, hex(0x3a6a22), clamp01(0.3f - 0.6f * n) * smooth(8.0f, 1.0f, wz));
        return mix(col, hex(0xb8c4c0), clamp01(wz / 30.0f) * 0.5f);
    });
    // Single tulips in front.
    for (int k = 0; k < 140; ++k) {
        const float x = rand01(234, static_cast<std::uint32_t>(k)) * w;
        const float y = 0.86f + 0.16f * rand01(235, static_cast<std::uint32_t>(k));
        const float wz = (1.0f - v.horizon) / (y - v.horizon);
        const float wx = (x - v.vx) * wz;
        const float u = wx * 0.9f - std::floor(wx * 0.9f);
        if (u > 0.86f) continue;
        const Rgb col = colours[((static_cast<int>(std::floor(wx * 0.9f)) % 5) + 5) % 5];
        const float s = 0.012f;
        c.fill({x - s * 2, y - s * 4, x + s * 2, y + s}, [=](float px, float py) { return sdSegment(px, py, x, y, x, y - s * 2.5f, 0.0012f, 0.0012f); },
               hex(0x3a6a22));
        c.shade({x - s * 2, y - s * 4, x + s * 2, y},
                [=](float px, float py) {
                    const float cup = sdEllipse(px, py, x, y - s * 3.0f, s * 0.55f, s * 0.75f);
                    return std::max(cup, (y - s * 3.5f) - py - 0.3f * s * std::fabs(std::sin((px - x) / s * 4.0f)));
                },
                [=](float px, float) { return col * (0.8f + 0.3f * clamp01(0.5f - (px - x) / s)); });
    }
    finish(c, 1029, 0.28f, 0.02f, 0.08f);
}

// A garden in the sun: flower borders along a path, a bench under a tree.
void garden(Canvas& c) {
    const float w = c.aspect();
    const View v{0.42f, w * 0.55f};
    gradient(c, {{0.0f, hex(0x5a94d8)}, {0.42f, hex(0xcfe4f0)}});
    // A tall hedge closes the garden.
    terrain(
        c, [&](float x) { return 0.3f + 0.02f * fbm1(x * 8.0f, 3, 271); }, 0.5f,
        [](float x, float y, float depth) {
            const float n = fbm(x * 40.0f, y * 40.0f, 4, 272);
            return mix(hex(0x1e3a18), hex(0x5a8a34), clamp01(0.45f + 0.6f * n - 2.0f * depth));
        });
    tree(c, w * 0.2f, 0.5f, 0.48f, {.seed = 273, .lit = hex(0x9ac050), .shade = hex(0x1a3414), .spread = 1.3f});
    ground(c, v.horizon, v.vx, 0.45f, 1.0f, [&](float wx, float wz, float, float) {
        const float pathC = 0.2f * std::sin(wz * 0.8f);
        const float d = std::fabs(wx - pathC);
        const float n = fbm(wx * 6.0f, wz * 6.0f, 4, 274);
        if (d < 0.35f) return mix(hex(0xb8a888), hex(0xe0d4b8), 0.5f + 0.5f * n);  // gravel
        if (d < 1.1f) {
            // Flower borders: dense colour on dark foliage.
            const float f = fbm(wx * 14.0f, wz * 14.0f, 3, 275);
            const float kind = 0.5f + 0.5f * fbm(wx * 2.0f, wz * 2.0f, 2, 276);
            const Rgb bloom = ramp({hex(0xd83a5a), hex(0xf0a030), hex(0x9a5ad0), hex(0xf4f0f0), hex(0xe86aa0)}, kind);
            return mix(hex(0x2a4a1e), bloom, smooth(0.0f, 0.3f, f));
        }
        return mix(hex(0x4a8a2a), hex(0x8ac04a), 0.5f + 0.5f * n);  // lawn
    });
    // The bench.
    const float bx = w * 0.28f, by = 0.62f;
    c.fill({bx - 0.12f, by - 0.1f, bx + 0.12f, by + 0.02f},
           [&](float x, float y) {
               float d = sdBox(x, y, bx, by - 0.045f, 0.1f, 0.006f);
               d = std::min(d, sdBox(x, y, bx, by - 0.08f, 0.1f, 0.014f));
               d = std::min(d, sdBox(x, y, bx - 0.085f, by - 0.02f, 0.006f, 0.025f));
               d = std::min(d, sdBox(x, y, bx + 0.085f, by - 0.02f, 0.006f, 0.025f));
               return d;
           },
           hex(0x6a4a30));
    // Sunlight falling across the lawn through the tree.
    c.each({0, 0.45f, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float dapple = smooth(-0.1f, 0.2f, fbm(x * 8.0f, y * 14.0f, 3, 277));
        out = out * (0.75f + 0.35f * dapple);
    });
    finish(c, 1032, 0.3f, 0.02f, 0.08f);
}

}  // namespace

void addFieldScenes(std::vector<Photo>& out) {
    out.push_back({"wheat sunset", wheatSunset});
    out.push_back({"vineyard", vineyard});
    out.push_back({"orchard", orchard});
    out.push_back({"sunflowers", sunflowers});
    out.push_back({"tulips", tulips});
    out.push_back({"garden", garden});
}

}  // namespace texgen
