// Landscapes: hills, meadows, mountains, fields and roads.
#include "Elements.h"
#include "Scenes.h"

namespace texgen {

namespace {

// Misty hills at dawn, range behind range, the sun just up.
void dawnHills(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x2c3566)}, {0.28f, hex(0x7d6a9c)}, {0.5f, hex(0xe6a38a)}, {0.62f, hex(0xffd8a8)}});
    sun(c, w * 0.7f, 0.52f, 0.028f, hex(0xfff4dc), hex(0xffb070), 0.09f, 0.55f);
    clouds(c, {.seed = 11, .top = 0.04f, .bottom = 0.42f, .scale = 3.5f, .stretch = 5.0f, .cover = 0.38f,
               .lit = hex(0xffc0a8), .shade = hex(0x6d5a8c), .opacity = 0.8f, .lightX = 0.3f, .lightY = 1.0f});
    const Rgb mist = hex(0xf0b8a0);
    const Rgb far = hex(0xb88aa0), near = hex(0x262238);
    for (int k = 0; k < 5; ++k) {
        const float t = static_cast<float>(k) / 4.0f;
        hills(c, 100u + static_cast<std::uint32_t>(k), 0.6f + 0.3f * t * t + 0.06f * t, 0.07f + 0.1f * t,
              2.0f + 0.6f * t, mix(far, near, std::sqrt(t)), mist, 0.7f * (1.0f - 0.7f * t), 1.0f, 0.03f);
    }
    // A row of firs along the nearest crest.
    for (int k = 0; k < 22; ++k) {
        const float x = w * (0.01f + 0.046f * static_cast<float>(k)) + 0.03f * rand01(5, static_cast<std::uint32_t>(k));
        const float base = 0.96f - 0.17f * (0.5f + 0.5f * fbm1(x * 2.6f, 4, 104u)) + 0.02f;
        const float h = 0.06f + 0.08f * rand01(6, static_cast<std::uint32_t>(k));
        fir(c, x, base, h, h * 0.38f, hex(0x1c1828), hex(0x3a2c3c), 40u + static_cast<std::uint32_t>(k));
    }
    finish(c, 1000, 0.3f, 0.02f, 0.1f);
}

// A lone oak in a summer meadow at noon.
void meadowTree(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x2f6cc0)}, {0.45f, hex(0x86b8e6)}, {0.62f, hex(0xd6e6f0)}});
    clouds(c, {.seed = 21, .top = 0.02f, .bottom = 0.56f, .scale = 3.0f, .stretch = 1.7f, .cover = 0.45f,
               .lit = hex(0xffffff), .shade = hex(0x9aa6bf), .lightX = -0.4f, .lightY = -1.0f, .softness = 0.18f});
    hills(c, 201, 0.6f, 0.05f, 1.5f, hex(0x7f9fae), hex(0xb8cfd8), 0.4f);
    hills(c, 202, 0.64f, 0.04f, 2.0f, hex(0x5d8a45), hex(0x93b07a), 0.3f);
    ground(c, 0.62f, w * 0.5f, 0.63f, 1.0f, [](float wx, float wz, float, float) {
        const float n = fbm(wx * 3.0f, wz * 1.2f, 4, 203);
        const float stripes = 0.5f + 0.5f * std::sin(wx * 7.0f);
        Rgb col = mix(hex(0x4d7d22), hex(0x9cc24c), clamp01(0.45f + 0.5f * n + 0.12f * stripes));
        const float far = clamp01(wz / 12.0f);
        return mix(col, hex(0x8fae80), far * 0.5f);
    });
    hills(c, 204, 0.625f, 0.018f, 9.0f, hex(0x36552a), hex(0x5f8a4a), 0.5f, 0.66f, 0.2f);
    // The tree's shadow lies under it at noon, the tree itself right of centre.
    const float tx = w * 0.66f, ty = 0.8f;
    c.fill({tx - 0.3f, ty - 0.05f, tx + 0.3f, ty + 0.05f},
           [&](float x, float y) { return sdEllipse(x, y, tx + 0.03f, ty + 0.005f, 0.22f, 0.028f); }, hex(0x2f4f18), 0.6f);
    tree(c, tx, ty, 0.52f,
         {.seed = 205, .lit = hex(0x8fb24a), .shade = hex(0x1f3a12), .trunk = hex(0x3a2a1c), .lightX = -0.5f,
          .lightY = -0.85f, .spread = 1.3f});
    // Flowers in the grass near the bottom.
    for (int k = 0; k < 140; ++k) {
        const float x = rand01(206, static_cast<std::uint32_t>(k)) * w;
        const float y = 0.78f + 0.22f * rand01(207, static_cast<std::uint32_t>(k));
        const float r = 0.002f + 0.004f * (y - 0.78f) / 0.22f;
        const Rgb col = rand01(208, static_cast<std::uint32_t>(k)) < 0.6f ? hex(0xf4f0e0) : hex(0xf2c23a);
        c.fill({x - r * 2, y - r * 2, x + r * 2, y + r * 2}, [&](float px, float py) { return sdCircle(px, py, x, y, r); },
               col, 0.9f);
    }
    finish(c, 1001, 0.28f, 0.02f, 0.08f);
}

// Snowy peaks under a deep blue sky, firs in front.
void snowPeaks(Canvas& c) {
    const float w = c.aspect();
    gradient(c, {{0.0f, hex(0x17407f)}, {0.35f, hex(0x3f78be)}, {0.6f, hex(0x9cc4e8)}});
    clouds(c, {.seed = 31, .top = 0.05f, .bottom = 0.3f, .scale = 3.0f, .stretch = 4.0f, .cover = 0.3f,
               .lit = hex(0xffffff), .shade = hex(0xb0c0dc), .opacity = 0.7f});
    mountains(c, {.seed = 32, .base = 0.55f, .amp = 0.38f, .freq = 1.6f, .rockLit = hex(0x8a8a96),
                  .rockShade = hex(0x3a4566), .snowLine = 0.45f, .hazeColour = hex(0x9cc0e6), .haze = 0.25f,
                  .lightX = -1.0f});
    mountains(c, {.seed = 33, .base = 0.68f, .amp = 0.16f, .freq = 2.4f, .rockLit = hex(0x6a6a70),
                  .rockShade = hex(0x27304a), .snowLine = 0.6f, .hazeColour = hex(0x9cc0e6), .haze = 0.12f,
                  .lightX = -1.0f});
    hills(c, 34, 0.74f, 0.05f, 3.0f, hex(0x1e3324), hex(0x4a6a70), 0.25f);
    for (int k = 0; k < 40; ++k) {
        const float x = rand01(35, static_cast<std::uint32_t>(k)) * w;
        const float base = 0.76f + 0.06f * rand01(36, static_cast<std::uint32_t>(k));
        const float h = 0.05f + 0.05f * rand01(37, static_cast<std::uint32_t>(k));
        fir(c, x, base, h, h * 0.4f, hex(0x122418), hex(0x2f4a30), 300u + static_cast<std::uint32_t>(k));
    }
    ground(c, 0.7f, w * 0.5f, 0.79f, 1.0f, [](float wx, float wz, float, float) {
        const float n = fbm(wx * 2.0f, wz * 1.5f, 4, 38);
        const float flowers = smooth(0.6f, 0.75f, fbm(wx * 30.0f, wz * 20.0f, 2, 380));
        const Rgb grass = mix(hex(0x3a6a20), hex(0x8ab840), clamp01(0.5f + 0.6f * n));
        return mix(grass, wz < 3.0f ? hex(0xf0e060) : hex(0xb0c870), flowers * 0.8f);
    });
    const float fx[4] = {0.08f, 0.2f, 1.13f, 1.26f};
    for (int k = 0; k < 4; ++k) {
        const float h = 0.34f + 0.1f * rand01(39, static_cast<std::uint32_t>(k));
        fir(c, fx[k] * w / 1.33f, 1.02f, h, h * 0.42f, hex(0x0c1a10), hex(0x355a34), 310u + static_cast<std::uint32_t>(k));
    }
    finish(c, 1003, 0.3f, 0.02f, 0.1f);
}

}  // namespace

void addLandscapes(std::vector<Photo>& out) {
    out.push_back({"dawn hills", dawnHills});
    out.push_back({"meadow tree", meadowTree});
    out.push_back({"snow peaks", snowPeaks});
}

}  // namespace texgen
