// Towns: a city by the river at night, a winter village, a rainy street,
// fireworks and a harbour after dark.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// A skyline of towers with lit windows standing on baseY.
void skyline(Canvas& c, std::uint32_t seed, float baseY, float minH, float maxH, Rgb wall, Rgb windowLit, float litShare,
             float windowScale) {
    const float w = c.aspect();
    float x = -0.01f;
    for (int k = 0; x < w; ++k) {
        const float bw = 0.03f + 0.05f * rand01(seed, static_cast<std::uint32_t>(k));
        const float bh = minH + (maxH - minH) * std::pow(rand01(seed + 1, static_cast<std::uint32_t>(k)), 1.5f);
        const float x0 = x, top = baseY - bh;
        const std::uint32_t bseed = hash(seed, static_cast<std::uint32_t>(k), 7);
        const Rgb tone = wall * (0.8f + 0.4f * rand01(seed + 2, static_cast<std::uint32_t>(k)));
        const float cell = 0.012f * windowScale;
        c.each({x0, top, x0 + bw, baseY}, [&](float px, float py, Rgb& out) {
            if (px < x0 || px > x0 + bw || py < top) return;
            Rgb col = tone;
            const float u = (px - x0) / cell, v = (py - top) / (cell * 1.3f);
            const int ci = static_cast<int>(u), cj = static_cast<int>(v);
            if (fract(u) > 0.3f && fract(u) < 0.8f && fract(v) > 0.3f && fract(v) < 0.8f && px < x0 + bw - cell * 0.4f) {
                const float r = rand01(bseed, static_cast<std::uint32_t>(ci), static_cast<std::uint32_t>(cj));
                if (r < litShare) col = windowLit * (0.6f + 0.6f * rand01(bseed + 1, static_cast<std::uint32_t>(ci), static_cast<std::uint32_t>(cj)));
            }
            out = col;
        });
        if (rand01(seed + 3, static_cast<std::uint32_t>(k)) < 0.2f && bh > maxH * 0.6f) {
            const float ax = x0 + bw * 0.5f;
            c.fill({ax - 0.005f, top - 0.05f, ax + 0.005f, top}, [=](float px, float py) { return sdBox(px, py, ax, top - 0.025f, 0.0012f, 0.025f); },
                   tone);
            glow(c, ax, top - 0.05f, 0.003f, hex(0xff3020), 0.8f, {ax - 0.03f, top - 0.08f, ax + 0.03f, top - 0.02f});
        }
        x += bw + 0.002f;
    }
}

// The city at night across the river, lights doubled in the water.
void cityNight(Canvas& c) {
    const float w = c.aspect();
    const float bank = 0.66f;
    gradient(c, {{0.0f, hex(0x050818)}, {0.4f, hex(0x142046)}, {0.66f, hex(0x3a3a60)}});
    stars(c, 301, 0.4f, 90, 0.5f);
    sun(c, w * 0.18f, 0.14f, 0.03f, hex(0xf0eee0), hex(0x6a80b8), 0.08f, 0.3f);
    skyline(c, 302, bank, 0.08f, 0.2f, hex(0x1a1e30), hex(0xb0c8e8), 0.25f, 0.7f);
    skyline(c, 303, bank, 0.05f, 0.4f, hex(0x10121e), hex(0xffd890), 0.35f, 1.0f);
    c.fill({0, bank - 0.01f, w, bank + 0.01f}, [&](float, float y) { return std::fabs(y - bank) - 0.004f; }, hex(0x0a0a10));
    // Street lights along the embankment.
    for (int k = 0; k < 14; ++k) {
        const float lx = w * (0.03f + 0.074f * static_cast<float>(k));
        glow(c, lx, bank - 0.008f, 0.004f, hex(0xffc870), 0.9f, {lx - 0.05f, bank - 0.06f, lx + 0.05f, bank + 0.02f});
    }
    water(c, {.seed = 304, .horizon = bank + 0.004f, .tint = hex(0x080c1c), .tintNear = 0.5f, .tintFar = 0.1f,
              .ripple = 0.004f, .waveScale = 10, .darken = 0.9f, .sparkle = 0.3f});
    // Lights stretch into long streaks on moving water.
    c.each({0, bank, w, 1.0f}, [&](float x, float y, Rgb& out) {
        Rgb sum;
        const float n = fbm(x * 4.0f, y * 300.0f, 2, 305);
        for (int k = 1; k <= 6; ++k) {
            const Rgb s = c.sample(x + 0.003f * n, std::max(0.0f, 2 * bank - y + 0.012f * static_cast<float>(k) - 0.03f));
            sum = sum + s * clamp01((luma(s) - 0.35f) * 2.0f);
        }
        out = out * (0.8f + 0.4f * clamp01(n + 0.5f)) + sum * (0.12f * clamp01(0.6f + n));
    });
    finish(c, 1040, 0.35f, 0.03f, 0.1f);
}

// A village in the snow at the blue hour, windows lit.
void winterVillage(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x1a2450)}, {0.35f, hex(0x4a5a9a)}, {0.55f, hex(0xc8a0b8)}});
    stars(c, 311, 0.3f, 60, 0.5f);
    hills(c, 312, 0.5f, 0.08f, 1.5f, hex(0x8a94c0), hex(0xa8b0d0), 0.3f);
    for (int k = 0; k < 40; ++k) {
        const float fx = rand01(313, static_cast<std::uint32_t>(k)) * w;
        const float base = 0.5f - 0.08f * (0.5f + 0.5f * fbm1(fx * 1.5f, 4, 312)) + 0.03f;
        const float h = 0.03f + 0.03f * rand01(314, static_cast<std::uint32_t>(k));
        fir(c, fx, base, h, h * 0.45f, hex(0x2a3458), hex(0x5a6a9a), 3140u + static_cast<std::uint32_t>(k));
    }
    hills(c, 315, 0.64f, 0.05f, 2.0f, hex(0xb8c0e0), hex(0xd0d4ec), 0.0f);
    // Houses, the church in the middle.
    struct House {
        float x, base, width, height;
    };
    const House houses[7] = {{0.12f, 0.7f, 0.07f, 0.07f}, {0.3f, 0.68f, 0.06f, 0.06f}, {0.47f, 0.71f, 0.08f, 0.08f},
                             {0.86f, 0.69f, 0.07f, 0.065f}, {1.02f, 0.72f, 0.08f, 0.08f}, {1.2f, 0.7f, 0.06f, 0.06f},
                             {0.66f, 0.74f, 0.09f, 0.09f}};
    const float chx = w * 0.52f, chBase = 0.67f;
    c.fill({chx - 0.04f, 0.3f, chx + 0.04f, chBase},
           [&](float x, float y) {
               return std::min(sdBox(x, y, chx, chBase - 0.09f, 0.022f, 0.09f),
                               sdPolygon(x, y, {{chx - 0.024f, chBase - 0.18f}, {chx, chBase - 0.3f}, {chx + 0.024f, chBase - 0.18f}}));
           },
           hex(0x3a3a5a));
    c.fill({chx - 0.01f, chBase - 0.16f, chx + 0.01f, chBase - 0.12f},
           [&](float x, float y) { return sdBox(x, y, chx, chBase - 0.14f, 0.006f, 0.012f); }, hex(0xffd080));
    glow(c, chx, chBase - 0.14f, 0.01f, hex(0xffb060), 0.4f);
    for (const House& h : houses) {
        const float hx = h.x * w / 1.33f, top = h.base - h.height, roof = h.height * 0.6f;
        c.fill({hx - h.width - 0.02f, top - roof - 0.01f, hx + h.width + 0.02f, h.base},
               [&](float x, float y) { return sdBox(x, y, hx, (top + h.base) / 2, h.width, (h.base - top) / 2); }, hex(0x5a4a5a));
        // Snow on the roof.
        c.shade({hx - h.width - 0.02f, top - roof - 0.01f, hx + h.width + 0.02f, top + 0.01f},
                [&](float x, float y) {
                    return sdPolygon(x, y, {{hx - h.width - 0.012f, top + 0.004f}, {hx, top - roof}, {hx + h.width + 0.012f, top + 0.004f}});
                },
                [&](float x, float) { return x < hx ? hex(0xe8ecff) : hex(0xa8b0d8); });
        for (int k = 0; k < 2; ++k) {
            const float wx = hx - h.width * 0.5f + h.width * static_cast<float>(k);
            const float wy = top + h.height * 0.45f;
            c.fill({wx - 0.02f, wy - 0.02f, wx + 0.02f, wy + 0.02f},
                   [&](float x, float y) { return sdBox(x, y, wx, wy, h.width * 0.2f, h.height * 0.18f); }, hex(0xffc860));
            glow(c, wx, wy, h.width * 0.3f, hex(0xff9a40), 0.35f, {wx - 0.08f, wy - 0.08f, wx + 0.08f, wy + 0.08f});
        }
    }
    // Snow in the foreground with blue shadows.
    terrain(
        c, [&](float x) { return 0.78f + 0.04f * fbm1(x * 3.0f, 4, 316); }, 1.0f,
        [](float x, float y, float depth) {
            return mix(hex(0xc8d0f0), hex(0x8a94c8), clamp01(0.4f + 0.5f * fbm(x * 6.0f, y * 12.0f, 3, 317) + depth));
        });
    fir(c, w * 0.08f, 1.0f, 0.35f, 0.15f, hex(0x1a2440), hex(0xc8d0f0), 318);
    fir(c, w * 0.93f, 1.02f, 0.42f, 0.17f, hex(0x1a2440), hex(0xc8d0f0), 319);
    // Falling snow.
    for (int k = 0; k < 260; ++k) {
        const float x = rand01(320, static_cast<std::uint32_t>(k)) * w, y = rand01(321, static_cast<std::uint32_t>(k));
        const float r = 0.001f + 0.003f * rand01(322, static_cast<std::uint32_t>(k));
        c.fill({x - r * 2, y - r * 2, x + r * 2, y + r * 2}, [=](float px, float py) { return sdCircle(px, py, x, y, r); }, hex(0xf4f6ff), 0.8f);
    }
    finish(c, 1041, 0.35f, 0.02f, 0.08f);
}

// An evening street in the rain, shop windows and lamps mirrored on the road.
void rainyStreet(Canvas& c) {
    const float w = c.aspect();
    const View v{0.48f, w * 0.38f};
    gradient(c, {{0.0f, hex(0x1a2030)}, {0.48f, hex(0x4a5060)}});
    // Facades on both sides converge to the vanishing point.
    auto facade = [&](float side) {
        c.each({side < 0 ? 0.0f : v.vx, 0, side < 0 ? v.vx : w, 1.0f}, [&](float x, float y, Rgb& out) {
            const float dx = (x - v.vx) * side;
            if (dx <= 0.001f) return;
            const float wz = (side < 0 ? 0.6f : 1.3f) / dx;  // the facades stand back from the middle
            const float height = (v.horizon - y) * wz;
            if (height > 1.2f || wz > 40.0f || y > v.y(wz) + 0.0f) return;
            if (height < -0.5f) return;
            const float storey = fract(height * 3.0f), bay = fract(wz * 0.8f);
            Rgb col = mix(hex(0x2a2428), hex(0x4a3e3a), 0.5f + 0.5f * fbm(wz * 2.0f, height * 4.0f, 2, 331));
            const bool shop = height < 0.25f && height > -0.45f;
            if (shop && bay > 0.15f && bay < 0.85f && height < 0.2f) {
                col = mix(hex(0xffc070), hex(0xffe8b0), 0.5f + 0.5f * fbm(wz, height * 5.0f, 2, 332));
            } else if (!shop && storey > 0.3f && storey < 0.75f && bay > 0.3f && bay < 0.7f) {
                col = rand01(333, static_cast<std::uint32_t>(wz * 0.8f), static_cast<std::uint32_t>(height * 3.0f + 10.0f)) < 0.45f ? hex(0xe8b070)
                                                                                                                                : hex(0x1a1a22);
            }
            out = mix(col, hex(0x4a5060), clamp01(wz / 40.0f) * 0.8f);
        });
    };
    facade(-1.0f);
    facade(1.0f);
    // The wet street mirrors what stands above it.
    c.each({0, v.horizon, w, 1.0f}, [&](float x, float y, Rgb& out) {
        if (y <= v.horizon) return;
        const float dx = std::fabs(x - v.vx);
        const float wzStreet = (1.0f - v.horizon) / (y - v.horizon);
        const float wzWall = dx > 0.001f ? (x < v.vx ? 0.6f : 1.3f) / dx : 1e9f;
        if (wzStreet > wzWall) return;  // this pixel belongs to a facade
        const float n = fbm(x * 30.0f, y * 400.0f, 2, 334);
        const Rgb mirrored = c.sample(x + 0.004f * n, 2 * v.horizon - y);
        const Rgb asphalt = mix(hex(0x18181c), hex(0x2a2a30), 0.5f + 0.5f * fbm(x * 40.0f, y * 40.0f, 2, 335));
        out = asphalt + mirrored * 0.55f * (0.7f + 0.3f * n);
    });
    // Lamps.
    for (int k = 0; k < 5; ++k) {
        const float wz = 1.3f + 2.2f * static_cast<float>(k);
        for (float side : {-0.5f, 1.15f}) {
            const float lx = v.x(side, wz), ly = v.y(wz) - v.size(0.7f, wz);
            c.fill({lx - 0.01f, ly, lx + 0.01f, v.y(wz)},
                   [=](float x, float y) { return sdBox(x, y, lx, (ly + v.y(wz)) / 2, v.size(0.008f, wz), (v.y(wz) - ly) / 2); }, hex(0x101014));
            glow(c, lx, ly, v.size(0.02f, wz), hex(0xffd090), 1.0f);
            const float ry = 2 * v.horizon - ly + 2 * (v.y(wz) - v.horizon);
            glow(c, lx, std::min(ry, 0.99f), v.size(0.02f, wz), hex(0xffb060), 0.35f, {lx - 0.03f, v.y(wz), lx + 0.03f, 1.0f});
        }
    }
    // Rain.
    c.each([&](float x, float y, Rgb& out) {
        const float u = x * 140.0f + y * 12.0f;
        const float streak = smooth(0.9f, 1.0f, noise(u, y * 6.0f, 336) * 0.5f + 0.5f + 0.2f * noise(u * 0.3f, y * 30.0f, 337));
        out = out + Rgb{0.5f, 0.55f, 0.6f} * (0.25f * streak);
    });
    finish(c, 1042, 0.35f, 0.03f, 0.1f);
}

// Fireworks over the water.
void fireworks(Canvas& c) {
    const float w = c.aspect();
    const float bank = 0.72f;
    gradient(c, {{0.0f, hex(0x04050e)}, {0.72f, hex(0x1a1830)}});
    struct Burst {
        float x, y, r;
        Rgb colour;
    };
    const Burst bursts[5] = {{0.35f, 0.3f, 0.16f, hex(0xffb040)}, {0.85f, 0.22f, 0.13f, hex(0x60c0ff)},
                             {1.1f, 0.42f, 0.11f, hex(0xff5080)}, {0.6f, 0.5f, 0.08f, hex(0x80ff90)},
                             {0.15f, 0.52f, 0.07f, hex(0xffe8c0)}};
    for (int b = 0; b < 5; ++b) {
        const Burst& k = bursts[b];
        const float bx = k.x * w / 1.33f;
        const std::uint32_t seed = 341u + static_cast<std::uint32_t>(b);
        glow(c, bx, k.y, k.r * 0.5f, k.colour, 0.12f);
        const int trails = 48;
        for (int t = 0; t < trails; ++t) {
            const float a = 6.2831853f * (static_cast<float>(t) + 0.5f * rand01(seed, static_cast<std::uint32_t>(t))) / static_cast<float>(trails);
            const float len = k.r * (0.75f + 0.25f * rand01(seed + 1, static_cast<std::uint32_t>(t)));
            const float ex = bx + std::cos(a) * len, ey = k.y + std::sin(a) * len + len * len * 0.8f;
            const float sx = bx + std::cos(a) * len * 0.25f, sy = k.y + std::sin(a) * len * 0.25f;
            c.each({std::min(sx, ex) - 0.01f, std::min(sy, ey) - 0.01f, std::max(sx, ex) + 0.01f, std::max(sy, ey) + 0.01f},
                   [&](float x, float y, Rgb& out) {
                       const float dx = ex - sx, dy = ey - sy;
                       const float tt = clamp01(((x - sx) * dx + (y - sy) * dy) / (dx * dx + dy * dy));
                       const float ox = x - sx - dx * tt, oy = y - sy - dy * tt;
                       const float d2 = (ox * ox + oy * oy) / (0.0022f * 0.0022f);
                       out = out + k.colour * (tt * tt * 1.2f * std::exp(-d2)) + Rgb{1, 1, 1} * (0.5f * std::exp(-d2 * 3.0f) * tt * tt * tt);
                   });
        }
    }
    // Smoke lit from within.
    c.each({0, 0.1f, w, bank}, [&](float x, float y, Rgb& out) {
        const float n = smooth(0.1f, 0.6f, fbm(x * 3.0f, y * 5.0f, 4, 347));
        out = out + hex(0x3a2a30) * (0.4f * n);
    });
    skyline(c, 348, bank, 0.03f, 0.12f, hex(0x08080e), hex(0xffd090), 0.2f, 0.7f);
    water(c, {.seed = 349, .horizon = bank, .tint = hex(0x06060e), .tintNear = 0.5f, .tintFar = 0.1f, .ripple = 0.01f,
              .waveScale = 30, .darken = 0.85f, .sparkle = 0.4f});
    // People watching from the shore.
    terrain(
        c, [&](float x) { return 0.93f - 0.03f * std::fabs(std::sin(x * 60.0f)) * smooth(0.2f, 0.6f, 0.5f + 0.5f * noise1(x * 8.0f, 350)); }, 1.0f,
        [](float, float, float) { return hex(0x020204); });
    finish(c, 1043, 0.3f, 0.03f, 0.08f);
}

// A harbour after dark: moored boats, lamps on the quay.
void harbourNight(Canvas& c) {
    const float w = c.aspect();
    const float quay = 0.58f;
    gradient(c, {{0.0f, hex(0x0a1030)}, {0.45f, hex(0x2a3a70)}, {0.58f, hex(0x7a6a8a)}});
    stars(c, 351, 0.4f, 80, 0.6f);
    hills(c, 352, 0.5f, 0.08f, 1.6f, hex(0x141a34), hex(0x2a3050), 0.3f, quay);
    for (int k = 0; k < 40; ++k) {
        const float lx = rand01(353, static_cast<std::uint32_t>(k)) * w;
        const float ly = 0.46f + 0.1f * rand01(354, static_cast<std::uint32_t>(k)) + 0.04f * fbm1(lx * 1.6f, 4, 352);
        if (ly > quay - 0.01f) continue;
        glow(c, lx, ly, 0.002f, hex(0xffd090), 0.8f, {lx - 0.02f, ly - 0.02f, lx + 0.02f, ly + 0.02f});
    }
    c.fill({0, quay - 0.02f, w, quay + 0.005f}, [&](float, float y) { return std::fabs(y - (quay - 0.008f)) - 0.01f; }, hex(0x1a1a24));
    for (int k = 0; k < 7; ++k) {
        const float lx = w * (0.08f + 0.14f * static_cast<float>(k));
        c.fill({lx - 0.01f, quay - 0.1f, lx + 0.01f, quay}, [=](float x, float y) { return sdBox(x, y, lx, quay - 0.055f, 0.0015f, 0.045f); },
               hex(0x0a0a10));
        glow(c, lx, quay - 0.1f, 0.006f, hex(0xffc070), 1.0f);
    }
    const Rgb sea = hex(0x0c1024);
    water(c, {.seed = 355, .horizon = quay + 0.004f, .tint = sea, .tintNear = 0.4f, .tintFar = 0.1f, .ripple = 0.01f,
              .waveScale = 20, .darken = 0.85f, .sparkle = 0.8f});
    boat(c, w * 0.3f, 0.72f, 0.22f, hex(0x1a2030), hex(0x6a7090), true, 1, sea, 356, 0.35f);
    boat(c, w * 0.78f, 0.8f, 0.26f, hex(0x2a1a1a), hex(0x8a7a80), false, -1, sea, 357, 0.4f);
    glow(c, w * 0.78f - 0.02f, 0.8f - 0.06f, 0.006f, hex(0xffd090), 0.9f);
    finish(c, 1044, 0.35f, 0.03f, 0.08f);
}

}  // namespace

void addTownScenes(std::vector<Photo>& out) {
    out.push_back({"city night", cityNight});
    out.push_back({"winter village", winterVillage});
    out.push_back({"rainy street", rainyStreet});
    out.push_back({"fireworks", fireworks});
    out.push_back({"harbour night", harbourNight});
}

}  // namespace texgen
