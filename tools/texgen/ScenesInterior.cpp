// Indoors and close up: a workshop, a window, a table, a candle, and the
// four small photographs of the tumbling particles.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// Wood grain along x, in colours from dark to light.
Rgb wood(float x, float y, std::uint32_t seed, Rgb dark, Rgb light) {
    const float rings = fract((y + 0.02f * fbm(x * 3.0f, y * 20.0f, 3, seed)) * 60.0f);
    const float grain = 0.5f + 0.5f * fbm(x * 4.0f, y * 120.0f, 3, seed + 1);
    return mix(dark, light, clamp01(0.3f + 0.4f * grain + 0.3f * smooth(0.2f, 0.5f, rings) * smooth(0.9f, 0.6f, rings)));
}

// A workshop: a window's sunlight on the bench, tools on the wall.
void workshop(Canvas& c) {
    const float w = c.aspect();
    const float benchTop = 0.66f;
    // Plank wall.
    c.each([&](float x, float y, Rgb& out) {
        const float plank = fract(x * 7.0f);
        out = wood(y * 0.3f + std::floor(x * 7.0f) * 0.37f, x, 401, hex(0x3a2618), hex(0x7a5a3a)) * (0.85f + 0.15f * smooth(0.0f, 0.04f, plank));
    });
    // Window at the left: bright sky and a green garden through four panes.
    const float wx0 = w * 0.06f, wx1 = w * 0.36f, wy0 = 0.1f, wy1 = 0.5f;
    c.each({wx0, wy0, wx1, wy1}, [&](float x, float y, Rgb& out) {
        const Rgb sky = mix(hex(0xcfe4f4), hex(0xfaf8ee), (y - wy0) / (wy1 - wy0));
        const float hedge = 0.38f + 0.03f * fbm1(x * 20.0f, 3, 402);
        out = y > hedge ? mix(hex(0x6a9a3a), hex(0xb8d080), 0.5f + 0.5f * fbm(x * 30.0f, y * 30.0f, 3, 403)) : sky;
    });
    c.fill({wx0 - 0.03f, wy0 - 0.03f, wx1 + 0.03f, wy1 + 0.03f},
           [&](float x, float y) {
               const float outer = sdBox(x, y, (wx0 + wx1) / 2, (wy0 + wy1) / 2, (wx1 - wx0) / 2 + 0.015f, (wy1 - wy0) / 2 + 0.015f);
               const float inner = sdBox(x, y, (wx0 + wx1) / 2, (wy0 + wy1) / 2, (wx1 - wx0) / 2, (wy1 - wy0) / 2);
               const float bars = std::min(std::fabs(x - (wx0 + wx1) / 2) - 0.006f, std::fabs(y - (wy0 + wy1) / 2) - 0.006f);
               return std::min(std::max(outer, -inner), std::max(bars, inner));
           },
           hex(0xe8e0d0));
    // Sunbeam from the window falling to the right and down.
    c.each({0, 0, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float sx = x - (y - wy0) * 0.9f;
        const float inBeam = smooth(wx0 - 0.02f, wx0 + 0.02f, sx) * smooth(wx1 + 0.02f, wx1 - 0.02f, sx) * smooth(wy0, wy0 + 0.1f, y);
        const float dust = 0.8f + 0.2f * fbm(x * 40.0f, y * 40.0f, 2, 404);
        out = out + hex(0xffe8b0) * (0.18f * inBeam * dust);
    });
    // Tools hanging on the wall: saw, hammer, wrenches, a square.
    const float ty = 0.2f;
    c.fill({w * 0.45f, ty - 0.02f, w * 0.68f, ty + 0.2f},
           [&](float x, float y) {
               return std::min(sdPolygon(x, y, {{w * 0.47f, ty + 0.03f}, {w * 0.66f, ty + 0.06f}, {w * 0.66f, ty + 0.12f}, {w * 0.47f, ty + 0.09f}}),
                               sdBox(x, y, w * 0.465f, ty + 0.06f, 0.015f, 0.04f));
           },
           hex(0xb8bcc4));
    c.fill({w * 0.44f, ty, w * 0.48f, ty + 0.12f}, [&](float x, float y) { return sdBox(x, y, w * 0.465f, ty + 0.06f, 0.012f, 0.035f); }, hex(0x6a3a1a));
    for (int k = 0; k < 4; ++k) {
        const float hx = w * (0.72f + 0.05f * static_cast<float>(k)), len = 0.12f + 0.03f * static_cast<float>(k);
        c.fill({hx - 0.03f, ty - 0.02f, hx + 0.03f, ty + len + 0.03f},
               [=](float x, float y) {
                   return std::min(sdSegment(x, y, hx, ty, hx, ty + len, 0.006f, 0.006f),
                                   std::max(sdCircle(x, y, hx, ty + len, 0.016f), -sdBox(x, y, hx, ty + len + 0.012f, 0.007f, 0.012f)));
               },
               hex(0x9aa0a8));
    }
    c.fill({w * 0.92f, ty - 0.02f, w, ty + 0.25f},
           [&](float x, float y) {
               return std::min(sdSegment(x, y, w * 0.95f, ty + 0.22f, w * 0.95f, ty, 0.006f, 0.006f),
                               sdBox(x, y, w * 0.95f, ty + 0.2f, 0.03f, 0.02f));
           },
           hex(0x4a2a18));
    c.fill({w * 0.92f, ty - 0.04f, w, ty + 0.02f}, [&](float x, float y) { return sdBox(x, y, w * 0.95f, ty - 0.01f, 0.035f, 0.012f); }, hex(0x50555c));
    // Bench: top in the light, front edge darker, a vice and shavings.
    c.each({0, benchTop, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float front = 0.8f;
        if (y < front) {
            const Rgb top = wood(x, y * 3.0f, 405, hex(0x8a5a30), hex(0xd8a870));
            const float light = smooth(w * 0.75f, w * 0.15f, x);
            out = top * (0.7f + 0.5f * light);
        } else if (y < front + 0.05f) {
            out = wood(x, y, 406, hex(0x4a2a14), hex(0x8a5a30));
        } else {
            out = mix(hex(0x1a120c), hex(0x2a1c12), fbm(x * 10.0f, y * 10.0f, 2, 407) + 0.5f);
        }
    });
    c.fill({w * 0.72f, benchTop - 0.12f, w * 0.92f, 0.85f},
           [&](float x, float y) {
               return std::min(sdBox(x, y, w * 0.82f, benchTop - 0.02f, 0.08f, 0.04f), sdBox(x, y, w * 0.82f, benchTop + 0.08f, 0.015f, 0.08f));
           },
           hex(0x3a4a5a));
    c.fill({w * 0.8f, benchTop - 0.1f, w * 0.86f, benchTop}, [&](float x, float y) { return sdBox(x, y, w * 0.83f, benchTop - 0.05f, 0.02f, 0.03f); },
           hex(0xd0b080));
    // A hand plane and curls of shavings.
    const float px = w * 0.42f, py = 0.7f;
    c.shade({px - 0.12f, py - 0.06f, px + 0.12f, py + 0.03f},
            [&](float x, float y) { return sdBox(x, y, px, py - 0.01f, 0.1f, 0.022f) - 0.006f; },
            [&](float, float y) { return mix(hex(0x6a7078), hex(0x2a3038), clamp01((y - py + 0.03f) / 0.05f)); });
    c.fill({px - 0.05f, py - 0.09f, px + 0.06f, py - 0.02f}, [&](float x, float y) { return sdEllipse(x, y, px + 0.05f, py - 0.04f, 0.02f, 0.025f); },
           hex(0x7a3a1a));
    for (int k = 0; k < 24; ++k) {
        const float sx = w * (0.1f + 0.5f * rand01(408, static_cast<std::uint32_t>(k)));
        const float sy = 0.68f + 0.1f * rand01(409, static_cast<std::uint32_t>(k));
        const float r = 0.01f + 0.015f * rand01(410, static_cast<std::uint32_t>(k));
        c.shade({sx - r * 1.6f, sy - r * 1.6f, sx + r * 1.6f, sy + r * 1.6f},
                [=](float x, float y) { return std::fabs(sdEllipse(x, y, sx, sy, r * 1.3f, r * 0.7f)) - r * 0.18f; },
                [=](float x, float) { return mix(hex(0xf0d8a8), hex(0xb08050), clamp01((x - sx) / r * 0.5f + 0.5f)); });
    }
    finish(c, 1050, 0.4f, 0.025f, 0.1f);
}

// Geraniums on a window sill, the country outside.
void windowView(Canvas& c) {
    const float w = c.aspect();
    const float x0 = w * 0.2f, x1 = w * 0.8f, y0 = 0.08f, y1 = 0.7f;
    // Outside: summer hills under a bright sky.
    gradient(c, {{0.0f, hex(0x5a9ae0)}, {0.5f, hex(0xd8e8f0)}});
    clouds(c, {.seed = 411, .top = 0.05f, .bottom = 0.45f, .scale = 4.0f, .stretch = 1.7f, .cover = 0.4f,
               .lit = hex(0xffffff), .shade = hex(0xa8b4c8), .softness = 0.15f});
    hills(c, 412, 0.48f, 0.06f, 2.0f, hex(0x7a9ab0), hex(0xb8ccd8), 0.3f);
    hills(c, 413, 0.56f, 0.06f, 2.5f, hex(0x6a9a3a), hex(0xa8c070), 0.2f);
    for (int k = 0; k < 6; ++k) {
        const float tx = w * (0.25f + 0.1f * static_cast<float>(k));
        tree(c, tx, 0.6f, 0.06f + 0.03f * rand01(414, static_cast<std::uint32_t>(k)),
             {.seed = 415u + static_cast<std::uint32_t>(k), .lit = hex(0x7aa040), .shade = hex(0x2a4a1a)});
    }
    // The wall around the window, softly lit, with the frame and its cross.
    c.each([&](float x, float y, Rgb& out) {
        const bool inside = x > x0 && x < x1 && y > y0 && y < y1;
        if (inside) return;
        const float light = 0.75f + 0.25f * smooth(1.0f, 0.3f, std::fabs(x - w * 0.5f));
        out = mix(hex(0xc8b498), hex(0xf0e4cc), light * (0.8f + 0.1f * fbm(x * 20.0f, y * 20.0f, 3, 416)));
    });
    c.fill({x0 - 0.03f, y0 - 0.03f, x1 + 0.03f, y1 + 0.03f},
           [&](float x, float y) {
               const float outer = sdBox(x, y, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 + 0.012f, (y1 - y0) / 2 + 0.012f);
               const float inner = sdBox(x, y, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - 0.008f, (y1 - y0) / 2 - 0.008f);
               const float bars = std::min(std::fabs(x - (x0 + x1) / 2) - 0.008f, std::fabs(y - (y0 + 0.42f * (y1 - y0))) - 0.007f);
               return std::min(std::max(outer, -inner), std::max(bars, inner));
           },
           hex(0xf4f2ee));
    // A curtain at the right.
    c.shade({x1 - 0.05f, 0, w, 1.0f},
            [&](float x, float y) { return (x1 - 0.03f + 0.03f * y * y) - x; },
            [&](float x, float y) {
                const float folds = 0.5f + 0.5f * std::sin(x * 160.0f + 2.0f * fbm(x * 5.0f, y * 3.0f, 2, 417));
                return mix(hex(0x8a2a2a), hex(0xd86a5a), folds);
            });
    // Sill and the pot of geraniums.
    c.shade({0, y1 - 0.005f, w, y1 + 0.06f}, [&](float x, float y) { return sdBox(x, y, w * 0.5f, y1 + 0.025f, w * 0.38f, 0.02f); },
            [&](float, float y) { return mix(hex(0xfaf8f4), hex(0xb8b0a4), clamp01((y - y1) / 0.04f)); });
    const float px = w * 0.42f, potTop = y1 - 0.11f;
    c.shade({px - 0.08f, potTop, px + 0.08f, y1 + 0.006f},
            [&](float x, float y) {
                const float t = (y - potTop) / (y1 - potTop);
                return std::max(std::fabs(x - px) - (0.065f - 0.02f * t), std::max(potTop - y, y - y1));
            },
            [&](float x, float) { return mix(hex(0xd87a4a), hex(0x8a3a20), clamp01((x - px) / 0.12f + 0.5f)); });
    // Leaves, then the red flower heads.
    for (int k = 0; k < 14; ++k) {
        const float a = 3.14159f * (0.1f + 0.8f * rand01(418, static_cast<std::uint32_t>(k)));
        const float lx = px - 0.12f * std::cos(a), ly = potTop - 0.06f * std::sin(a);
        c.shade({lx - 0.04f, ly - 0.04f, lx + 0.04f, ly + 0.04f}, [=](float x, float y) { return sdCircle(x, y, lx, ly, 0.028f) + 0.004f * std::sin(std::atan2(y - ly, x - lx) * 7.0f); },
                [=](float x, float y) { return mix(hex(0x2a5a1a), hex(0x6a9a3a), clamp01(0.5f - (y - ly) / 0.05f - (x - lx) / 0.08f)); });
    }
    for (int k = 0; k < 6; ++k) {
        const float fx = px + (rand01(419, static_cast<std::uint32_t>(k)) - 0.5f) * 0.18f;
        const float fy = potTop - 0.1f - 0.08f * rand01(420, static_cast<std::uint32_t>(k));
        c.fill({fx - 0.01f, fy, fx + 0.01f, potTop}, [=](float x, float y) { return sdSegment(x, y, fx, fy, px, potTop, 0.002f, 0.003f); }, hex(0x3a6a22));
        for (int p = 0; p < 9; ++p) {
            const float qx = fx + 0.022f * (rand01(421, static_cast<std::uint32_t>(k * 9 + p)) - 0.5f);
            const float qy = fy + 0.022f * (rand01(422, static_cast<std::uint32_t>(k * 9 + p)) - 0.5f);
            c.shade({qx - 0.02f, qy - 0.02f, qx + 0.02f, qy + 0.02f}, [=](float x, float y) { return sdCircle(x, y, qx, qy, 0.011f); },
                    [=](float x, float y) { return mix(hex(0xe8202a), hex(0x9a0a18), clamp01(0.5f + ((x - qx) + (y - qy)) / 0.02f)); });
        }
    }
    finish(c, 1051, 0.35f, 0.02f, 0.08f);
}

// Coffee and a book on a wooden table in the morning light.
void coffeeTable(Canvas& c) {
    const float w = c.aspect();
    const float edge = 0.45f;
    // A dim wall, warmer towards the window light on the left.
    c.each([&](float x, float y, Rgb& out) {
        out = mix(hex(0x2a2018), hex(0x8a7054), smooth(w * 1.0f, 0.0f, x) * smooth(0.0f, 0.45f, y) * 0.9f);
    });
    c.each({0, edge, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float wz = 0.5f / (y - edge + 0.05f);
        const Rgb t = wood((x - w * 0.5f) * wz * 0.3f, wz * 0.2f, 431, hex(0x4a2a16), hex(0xa8703a));
        out = t * (0.6f + 0.5f * smooth(w, 0.0f, x));
    });
    // The book, closed, with its pages showing.
    const float bx = w * 0.3f, by = 0.72f;
    c.shade({bx - 0.3f, by - 0.15f, bx + 0.3f, by + 0.15f},
            [&](float x, float y) { return sdPolygon(x, y, {{bx - 0.26f, by + 0.05f}, {bx - 0.1f, by - 0.1f}, {bx + 0.26f, by - 0.07f}, {bx + 0.14f, by + 0.1f}}); },
            [&](float x, float y) { return mix(hex(0x2a4a6a), hex(0x3a6a8a), clamp01(0.5f - (x - bx) * 2.0f + fbm(x * 20.0f, y * 20.0f, 2, 432) * 0.2f)); });
    c.shade({bx - 0.3f, by - 0.1f, bx + 0.3f, by + 0.16f},
            [&](float x, float y) { return sdPolygon(x, y, {{bx - 0.26f, by + 0.05f}, {bx + 0.14f, by + 0.1f}, {bx + 0.14f, by + 0.125f}, {bx - 0.26f, by + 0.075f}}); },
            [&](float, float y) { return mix(hex(0xe8dcc0), hex(0xb8a888), 0.5f + 0.5f * std::sin(y * 900.0f)); });
    // The cup and saucer.
    const float cx = w * 0.68f, cy = 0.66f;
    c.fill({cx - 0.2f, cy + 0.06f, cx + 0.2f, cy + 0.16f}, [&](float x, float y) { return sdEllipse(x, y, cx + 0.03f, cy + 0.11f, 0.17f, 0.035f); },
           hex(0x1a120a), 0.5f);
    c.shade({cx - 0.2f, cy, cx + 0.2f, cy + 0.16f}, [&](float x, float y) { return sdEllipse(x, y, cx, cy + 0.1f, 0.16f, 0.04f); },
            [&](float x, float y) { return mix(hex(0xf4f0ea), hex(0x9a948c), clamp01((x - cx) / 0.2f + 0.4f + (y - cy - 0.1f) * 5.0f)); });
    c.shade({cx - 0.12f, cy - 0.12f, cx + 0.12f, cy + 0.12f},
            [&](float x, float y) {
                const float body = std::max(std::fabs(x - cx) - (0.085f - 0.012f * smooth(cy, cy + 0.1f, y)), std::max(cy - 0.08f - y, 0.0f));
                return std::max(std::min(body, sdEllipse(x, y, cx, cy + 0.085f, 0.073f, 0.018f)), y - (cy + 0.1f));
            },
            [&](float x, float) { return mix(hex(0xfaf8f4), hex(0x8a847c), clamp01((x - cx) / 0.16f + 0.45f)); });
    c.fill({cx + 0.06f, cy - 0.06f, cx + 0.16f, cy + 0.06f},
           [&](float x, float y) { return std::fabs(sdEllipse(x, y, cx + 0.09f, cy - 0.01f, 0.035f, 0.04f)) - 0.008f; }, hex(0xb8b2aa));
    c.fill({cx - 0.1f, cy - 0.11f, cx + 0.1f, cy - 0.05f}, [&](float x, float y) { return sdEllipse(x, y, cx, cy - 0.08f, 0.085f, 0.02f); },
           hex(0xe8e4dc));
    c.fill({cx - 0.1f, cy - 0.11f, cx + 0.1f, cy - 0.05f}, [&](float x, float y) { return sdEllipse(x, y, cx, cy - 0.078f, 0.075f, 0.015f); },
           hex(0x3a1e0e));
    // Steam rising.
    c.each({cx - 0.1f, 0.2f, cx + 0.1f, cy - 0.08f}, [&](float x, float y, Rgb& out) {
        const float t = (cy - 0.08f - y) / 0.4f;
        const float line = x - cx - 0.03f * std::sin(y * 30.0f) * t - 0.02f * fbm(y * 8.0f, 0.5f, 2, 433);
        const float s = std::exp(-(line * line) / (0.0002f + 0.001f * t)) * smooth(1.0f, 0.2f, t) * smooth(0.0f, 0.1f, t);
        out = out + Rgb{0.5f, 0.48f, 0.45f} * (0.5f * s);
    });
    finish(c, 1052, 0.4f, 0.025f, 0.1f);
}

// A candle burning in a dark room.
void candle(Canvas& c) {
    const float w = c.aspect();
    const float cx = w * 0.5f, top = 0.5f;
    c.each([&](float x, float y, Rgb& out) {
        const float d2 = ((x - cx) * (x - cx) + (y - top) * (y - top)) * 5.0f;
        out = hex(0x0c0806) + hex(0x6a3a14) * (0.6f / (1.0f + d2 * 8.0f));
    });
    // Table surface catching the light.
    c.each({0, 0.8f, w, 1.0f}, [&](float x, float y, Rgb& out) {
        const float d = std::fabs(x - cx);
        out = mix(hex(0x140c06), hex(0x5a3414), std::exp(-d * 5.0f) * smooth(0.8f, 0.84f, y)) *
              (0.85f + 0.15f * fbm(x * 30.0f, y * 200.0f, 2, 441));
    });
    // Holder and candle.
    c.shade({cx - 0.12f, 0.74f, cx + 0.12f, 0.86f},
            [&](float x, float y) { return std::min(sdEllipse(x, y, cx, 0.82f, 0.11f, 0.025f), sdBox(x, y, cx, 0.79f, 0.035f, 0.03f)); },
            [&](float x, float) { return mix(hex(0xe8c070), hex(0x4a3010), clamp01((x - cx) / 0.12f + 0.4f)); });
    c.shade({cx - 0.05f, top, cx + 0.05f, 0.77f},
            [&](float x, float y) { return std::max(std::fabs(x - cx) - 0.032f, top + 0.005f * std::sin(x * 200.0f) - y); },
            [&](float x, float y) {
                const float glowTop = std::exp(-(y - top) * 12.0f);
                return mix(hex(0xc8b090), hex(0xfff0d0), clamp01(0.5f - (x - cx) / 0.06f * 0.5f + glowTop * 0.6f)) * (0.55f + 0.6f * glowTop);
            });
    // Wick, flame and halo.
    c.fill({cx - 0.01f, top - 0.03f, cx + 0.01f, top + 0.005f}, [&](float x, float y) { return sdSegment(x, y, cx, top, cx + 0.002f, top - 0.02f, 0.002f, 0.0015f); },
           hex(0x1a0e08));
    glow(c, cx, top - 0.06f, 0.05f, hex(0xff9a40), 0.5f);
    c.each({cx - 0.05f, top - 0.16f, cx + 0.05f, top}, [&](float x, float y, Rgb& out) {
        const float t = (top - 0.01f - y) / 0.12f;  // 0 at the base, 1 at the tip
        const float half = 0.022f * std::sqrt(clamp01(t * 3.0f)) * (1.0f - t);
        const float f = smooth(half, half * 0.4f, std::fabs(x - cx)) * smooth(1.0f, 0.9f, t) * smooth(-0.05f, 0.0f, t);
        const Rgb col = ramp({hex(0x6a4aff), hex(0xff9a30), hex(0xffe6a0), hex(0xfffaf0)}, clamp01(t * 2.0f + 0.2f));
        out = mix(out, col, f);
    });
    finish(c, 1053, 0.3f, 0.03f, 0.08f);
}

// ------------------------------------------------- particle photographs

// A daisy close up against a soft green background.
void daisy(Canvas& c) {
    c.each([&](float x, float y, Rgb& out) {
        out = mix(hex(0x2a4a1a), hex(0x9ac060), 0.5f + 0.5f * fbm(x * 2.5f, y * 2.5f, 3, 451));
    });
    const float cx = 0.52f, cy = 0.48f;
    for (int k = 0; k < 22; ++k) {
        const float a = 6.2831853f * static_cast<float>(k) / 22.0f + 0.1f * rand01(452, static_cast<std::uint32_t>(k));
        const float len = 0.33f + 0.05f * rand01(453, static_cast<std::uint32_t>(k));
        const float ex = cx + std::cos(a) * len, ey = cy + std::sin(a) * len;
        c.shade({std::min(cx, ex) - 0.06f, std::min(cy, ey) - 0.06f, std::max(cx, ex) + 0.06f, std::max(cy, ey) + 0.06f},
                [=](float x, float y) { return sdSegment(x, y, cx, cy, ex, ey, 0.035f, 0.03f); },
                [=](float x, float y) {
                    const float along = ((x - cx) * std::cos(a) + (y - cy) * std::sin(a)) / len;
                    return mix(hex(0xd8d8e0), hex(0xffffff), clamp01(0.3f + along * 0.8f - 0.3f * std::sin(a)));
                });
    }
    c.shade({cx - 0.15f, cy - 0.15f, cx + 0.15f, cy + 0.15f}, [&](float x, float y) { return sdCircle(x, y, cx, cy, 0.11f); },
            [&](float x, float y) {
                const float n = fbm(x * 60.0f, y * 60.0f, 2, 454);
                return mix(hex(0xe8a010), hex(0xffd840), clamp01(0.6f - ((x - cx) + (y - cy)) * 4.0f + 0.3f * n));
            });
    finish(c, 1060, 0.3f, 0.02f, 0.08f);
}

// Hot-air balloons over green hills in the morning.
void balloons(Canvas& c) {
    gradient(c, {{0.0f, hex(0x6aa8e8)}, {0.7f, hex(0xf0e0c8)}});
    hills(c, 461, 0.72f, 0.08f, 2.0f, hex(0x7aa070), hex(0xb8c8a0), 0.3f);
    hills(c, 462, 0.84f, 0.06f, 2.5f, hex(0x4a7a30), hex(0x8aa860), 0.2f);
    const float bx[3] = {0.3f, 0.72f, 0.5f}, by[3] = {0.35f, 0.22f, 0.6f}, br[3] = {0.16f, 0.09f, 0.05f};
    const Rgb colours[3][2] = {{hex(0xe83a2a), hex(0xf8d040)}, {hex(0x2a6ad8), hex(0xf0f0f0)}, {hex(0x3aa84a), hex(0xf8a020)}};
    for (int k = 0; k < 3; ++k) {
        const float x0 = bx[k], y0 = by[k], r = br[k];
        c.shade({x0 - r * 1.2f, y0 - r * 1.2f, x0 + r * 1.2f, y0 + r * 1.6f},
                [=](float x, float y) {
                    const float squeeze = y > y0 ? 1.0f - 0.55f * clamp01((y - y0) / (r * 1.3f)) : 1.0f;
                    return sdEllipse((x - x0) / squeeze + x0, y, x0, y0, r, r * 1.15f) * squeeze;
                },
                [=](float x, float y) {
                    const float u = (x - x0) / r;
                    const int stripe = static_cast<int>(std::floor(std::asin(clamp01(u * 0.5f + 0.5f) * 2.0f - 1.0f) * 3.0f + 10.0f));
                    const Rgb base = colours[k][stripe % 2];
                    return base * (0.55f + 0.55f * clamp01(0.6f - u * 0.6f - (y - y0) / r * 0.3f));
                });
        c.fill({x0 - r, y0 + r, x0 + r, y0 + r * 2.0f},
               [=](float x, float y) { return std::min(sdBox(x, y, x0, y0 + r * 1.75f, r * 0.16f, r * 0.12f),
                                                       std::min(sdSegment(x, y, x0 - r * 0.35f, y0 + r * 1.2f, x0 - r * 0.14f, y0 + r * 1.65f, r * 0.015f, r * 0.015f),
                                                                sdSegment(x, y, x0 + r * 0.35f, y0 + r * 1.2f, x0 + r * 0.14f, y0 + r * 1.65f, r * 0.015f, r * 0.015f))); },
               hex(0x5a3a20));
    }
    finish(c, 1061, 0.3f, 0.02f, 0.08f);
}

// A wooden cabin by a lake in autumn.
void lakeCabin(Canvas& c) {
    gradient(c, {{0.0f, hex(0x7aa0c8)}, {0.5f, hex(0xe0e4e0)}});
    hills(c, 471, 0.4f, 0.1f, 2.0f, hex(0x8a7a6a), hex(0xb0a8a0), 0.3f, 0.56f);
    for (int k = 0; k < 14; ++k) {
        const float x = rand01(472, static_cast<std::uint32_t>(k));
        tree(c, x, 0.56f, 0.1f + 0.08f * rand01(473, static_cast<std::uint32_t>(k)),
             {.seed = 474u + static_cast<std::uint32_t>(k), .lit = k % 3 ? hex(0xf0a030) : hex(0xd84a1a), .shade = hex(0x6a2a10)});
    }
    // The cabin: log walls, a dark roof, one lit window.
    const float hx = 0.4f, base = 0.56f;
    c.fill({hx - 0.14f, base - 0.22f, hx + 0.14f, base},
           [&](float x, float y) { return sdBox(x, y, hx, base - 0.05f, 0.11f, 0.05f); }, hex(0x7a4a2a));
    c.each({hx - 0.11f, base - 0.1f, hx + 0.11f, base}, [&](float, float y, Rgb& out) {
        out = out * (0.75f + 0.25f * std::fabs(std::sin(y * 300.0f)));
    });
    c.fill({hx - 0.15f, base - 0.2f, hx + 0.15f, base - 0.09f},
           [&](float x, float y) { return sdPolygon(x, y, {{hx - 0.14f, base - 0.095f}, {hx, base - 0.18f}, {hx + 0.14f, base - 0.095f}}); },
           hex(0x2a2220));
    c.fill({hx - 0.03f, base - 0.08f, hx + 0.03f, base - 0.02f}, [&](float x, float y) { return sdBox(x, y, hx + 0.04f, base - 0.05f, 0.018f, 0.016f); },
           hex(0xffd080));
    water(c, {.seed = 475, .horizon = base, .tint = hex(0x2a3a48), .tintNear = 0.35f, .tintFar = 0.1f, .ripple = 0.004f,
              .waveScale = 20, .darken = 0.85f});
    finish(c, 1062, 0.3f, 0.02f, 0.08f);
}

// Rows of lavender running to a lone tree.
void lavender(Canvas& c) {
    const View v{0.45f, 0.6f};
    gradient(c, {{0.0f, hex(0x4a8ad8)}, {0.45f, hex(0xf0dcc8)}});
    hills(c, 481, v.horizon, 0.02f, 3.0f, hex(0x8aa0a0), hex(0xc0c8c0), 0.3f, v.horizon + 0.003f);
    tree(c, 0.6f, v.horizon + 0.01f, 0.14f, {.seed = 482, .lit = hex(0x7a9a3a), .shade = hex(0x2a3a18), .spread = 1.3f});
    ground(c, v.horizon, v.vx, v.horizon, 1.0f, [](float wx, float wz, float, float) {
        const float row = fract(wx * 2.5f);
        const float bush = smooth(0.1f, 0.25f, row) * smooth(0.8f, 0.65f, row);
        const float n = fbm(wx * 10.0f, wz * 10.0f, 3, 483);
        const Rgb flowers = mix(hex(0x5a3a9a), hex(0xa088e0), clamp01(0.5f + 0.6f * n - 0.6f * (row - 0.45f)));
        const Rgb earth = mix(hex(0x8a6a4a), hex(0xb89a70), 0.5f + 0.5f * n);
        return mix(mix(earth, flowers, bush), hex(0xc8b8d0), clamp01(wz / 25.0f) * 0.6f);
    });
    finish(c, 1063, 0.3f, 0.02f, 0.08f);
}

}  // namespace

void addInteriorScenes(std::vector<Photo>& out) {
    out.push_back({"workshop", workshop});
    out.push_back({"window view", windowView});
    out.push_back({"coffee table", coffeeTable});
    out.push_back({"candle", candle});
}

const std::vector<Photo>& particlePhotos() {
    static const std::vector<Photo> photos{
        {"daisy", daisy}, {"balloons", balloons}, {"lake cabin", lakeCabin}, {"lavender", lavender}};
    return photos;
}

}  // namespace texgen
