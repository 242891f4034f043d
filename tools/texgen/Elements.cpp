#include "Elements.h"

#include <vector>

namespace texgen {

void gradient(Canvas& c, std::initializer_list<Stop> stops, float y0, float y1) {
    const Stop* s = stops.begin();
    const std::size_t n = stops.size();
    c.each(Bounds{0, y0, c.aspect(), y1}, [&](float, float y, Rgb& out) {
        if (y <= s[0].y) {
            out = s[0].colour;
            return;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if (y <= s[k].y) {
                out = mix(s[k - 1].colour, s[k].colour, smooth(s[k - 1].y, s[k].y, y));
                return;
            }
        }
        out = s[n - 1].colour;
    });
}

void glow(Canvas& c, float cx, float cy, float radius, Rgb colour, float strength, Bounds b) {
    c.each(b, [&](float x, float y, Rgb& out) {
        const float d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
        out = out + colour * (strength / (1.0f + d2));
    });
}

void sun(Canvas& c, float cx, float cy, float r, Rgb core, Rgb halo, float haloRadius, float haloStrength) {
    glow(c, cx, cy, haloRadius, halo, haloStrength);
    c.fill({cx - r - 0.01f, cy - r - 0.01f, cx + r + 0.01f, cy + r + 0.01f},
           [&](float x, float y) { return sdCircle(x, y, cx, cy, r); }, core);
}

void clouds(Canvas& c, const CloudStyle& s) {
    const float height = s.bottom - s.top;
    const float off = 0.06f;
    c.each(Bounds{0, s.top, c.aspect(), s.bottom}, [&](float x, float y, Rgb& out) {
        const float band = smooth(s.top, s.top + 0.15f * height, y) * (1.0f - smooth(s.bottom - 0.35f * height, s.bottom, y));
        if (band <= 0) return;
        // Clouds further away (lower in the sky) are flatter and smaller.
        const float depth = 1.0f + 1.5f * (y - s.top) / height;
        const float nx = x * s.scale / s.stretch * depth * 0.7f, ny = y * s.scale * depth;
        const float d = 0.5f + 0.5f * fbm(nx, ny, 5, s.seed);
        const float threshold = 1.0f - s.cover;
        const float density = smooth(threshold - s.softness * 0.5f, threshold + s.softness, d) * band;
        if (density <= 0.002f) return;
        const float d2 = 0.5f + 0.5f * fbm(nx + s.lightX * off * s.scale, ny + s.lightY * off * s.scale, 5, s.seed);
        const float lightness = clamp01(0.55f + (d - d2) * 5.0f);
        const Rgb col = mix(s.shade, s.lit, lightness);
        out = mix(out, col, density * s.opacity);
    });
}

void stars(Canvas& c, std::uint32_t seed, float yMax, int count, float brightness, float horizonFade) {
    const float px = c.pixel();
    for (int k = 0; k < count; ++k) {
        const float sx = rand01(seed, static_cast<std::uint32_t>(k), 1) * c.aspect();
        const float sy = rand01(seed, static_cast<std::uint32_t>(k), 2) * yMax;
        const float m = rand01(seed, static_cast<std::uint32_t>(k), 3);
        const float b = brightness * (0.15f + 0.85f * m * m * m) * smooth(yMax, yMax - horizonFade, sy);
        const float tint = rand01(seed, static_cast<std::uint32_t>(k), 4);
        const Rgb col = tint < 0.3f ? Rgb{1.0f, 0.85f, 0.7f} : (tint > 0.8f ? Rgb{0.75f, 0.85f, 1.0f} : Rgb{1, 1, 1});
        const float r = px * (1.0f + 1.5f * m * m);
        c.each({sx - 3 * r, sy - 3 * r, sx + 3 * r, sy + 3 * r}, [&](float x, float y, Rgb& out) {
            const float d2 = ((x - sx) * (x - sx) + (y - sy) * (y - sy)) / (r * r);
            out = out + col * (b * std::exp(-2.0f * d2));
        });
    }
}

void terrain(Canvas& c, const std::function<float(float)>& top, float bottom,
             const std::function<Rgb(float, float, float)>& colour) {
    const int w = c.width(), h = c.height();
    const float pixelY = 1.0f / static_cast<float>(h);
    for (int i = 0; i < w; ++i) {
        const float x = (static_cast<float>(i) + 0.5f) * c.aspect() / static_cast<float>(w);
        const float t = top(x);
        const int j0 = std::max(0, static_cast<int>(std::floor(t * static_cast<float>(h))) - 1);
        const int j1 = std::min(h, static_cast<int>(std::ceil(bottom * static_cast<float>(h))) + 1);
        for (int j = j0; j < j1; ++j) {
            const float y = (static_cast<float>(j) + 0.5f) * pixelY;
            const float a = clamp01((y - t) / pixelY + 0.5f) * clamp01((bottom - y) / pixelY + 0.5f);
            if (a <= 0) continue;
            Rgb& out = c.at(i, j);
            out = mix(out, colour(x, y, std::max(0.0f, y - t)), a);
        }
    }
}

void ground(Canvas& c, float horizon, float vx, float y0, float y1,
            const std::function<Rgb(float, float, float, float)>& colour) {
    const float bottomDistance = 1.0f - horizon;
    c.each(Bounds{0, std::max(y0, horizon), c.aspect(), y1}, [&](float x, float y, Rgb& out) {
        const float dy = y - horizon;
        if (dy <= 0) return;
        const float wz = bottomDistance / dy;
        out = colour((x - vx) * wz, wz, x, y);
    });
}

void water(Canvas& c, const WaterStyle& s) {
    const float range = s.bottom - s.horizon;
    c.each(Bounds{0, s.horizon, c.aspect(), s.bottom}, [&](float x, float y, Rgb& out) {
        const float dy = std::max(y - s.horizon, 0.0005f);
        const float t = dy / range;  // 0 at the horizon, 1 at the bottom
        const float wz = 1.0f / (dy * s.waveScale);
        const float wx = (x - 0.66f) * wz;
        const float n = fbm(wx * 0.6f, wz * 2.2f, 4, s.seed);
        const float n2 = noise(wx * 1.7f + 3.1f, wz * 5.0f, s.seed + 11);
        const float sy = s.horizon - dy * (1.0f + 0.6f * s.ripple * 40.0f * n2 * t);
        const Rgb reflected = c.sample(x + s.ripple * n * (0.25f + t), std::max(sy, 0.0f));
        Rgb col = mix(reflected * s.darken, s.tint, lerp(s.tintFar, s.tintNear, t));
        col = col * (1.0f + 0.18f * n);
        if (s.sparkle > 0) {
            const float bright = clamp01((luma(reflected) - 0.55f) * 3.0f);
            const float g = clamp01((n2 - 0.35f) * 4.0f);
            col = col + Rgb{1.0f, 0.95f, 0.85f} * (s.sparkle * bright * g);
        }
        if (s.pathStrength > 0) {
            const float u = (x - s.pathX) / (s.pathWidth * (1.0f + 6.0f * t));
            const float g = clamp01((n2 + 0.1f) * 2.5f) * clamp01(0.6f + n);
            col = col + s.pathColour * (s.pathStrength * std::exp(-u * u) * g);
        }
        out = col;
    });
}

void tree(Canvas& c, float x, float baseY, float h, const TreeStyle& s) {
    const float ry = h * 0.36f, rx = ry * s.spread;
    const float cy = baseY - h + ry;
    const float r = std::min(rx, ry);
    // Trunk and a few limbs reaching into the crown.
    const Rgb trunkDark = s.trunk * 0.7f;
    c.fill({x - rx, cy - ry * 0.5f, x + rx, baseY + 0.01f},
           [&](float px, float py) {
               float d = sdSegment(px, py, x, baseY, x + h * 0.01f, cy, h * 0.032f, h * 0.014f);
               d = std::min(d, sdSegment(px, py, x, baseY - h * 0.28f, x - rx * 0.55f, cy - ry * 0.1f, h * 0.012f, h * 0.004f));
               d = std::min(d, sdSegment(px, py, x, baseY - h * 0.33f, x + rx * 0.5f, cy - ry * 0.25f, h * 0.011f, h * 0.004f));
               return d;
           },
           trunkDark, s.opacity);
    // The crown: an ellipse pushed out in clumps, with a leafy fringe.
    const float lumpF = 2.6f / r, leafF = 16.0f / r;
    auto lump = [&](float px, float py) { return fbm(px * lumpF, py * lumpF, 3, s.seed); };
    const float ll = std::sqrt(s.lightX * s.lightX + s.lightY * s.lightY);
    const float lx = s.lightX / ll, ly = s.lightY / ll;
    c.shade({x - rx * 1.5f, cy - ry * 1.5f, x + rx * 1.5f, cy + ry * 1.4f},
            [&](float px, float py) {
                return sdEllipse(px, py, x, cy, rx, ry) - r * 0.3f * lump(px, py) +
                       r * 0.09f * (0.5f + 0.5f * fbm(px * leafF, py * leafF, 2, s.seed + 5));
            },
            [&](float px, float py) {
                const float nx = (px - x) / rx, ny = (py - cy) / ry;
                const float whole = nx * lx + ny * ly;
                const float e = 0.25f / lumpF;
                const float clump = (lump(px - lx * e, py - ly * e) - lump(px + lx * e, py + ly * e)) * 2.0f;
                const float crevice = smooth(-0.5f, 0.3f, lump(px, py));
                const float leaves = fbm(px * leafF * 1.5f, py * leafF * 1.5f, 2, s.seed + 9);
                const float l = clamp01(0.45f + 0.35f * whole + 0.45f * clump + 0.2f * leaves) * (0.55f + 0.45f * crevice);
                return mix(s.shade, s.lit, l);
            },
            s.opacity);
}

void fir(Canvas& c, float x, float baseY, float h, float w, Rgb colour, Rgb lit, std::uint32_t seed) {
    const float top = baseY - h;
    const float tiers = 6.0f + 4.0f * rand01(seed, 1);
    c.fill({x - h * 0.01f, baseY - h * 0.1f, x + h * 0.01f, baseY},
           [&](float px, float py) { return sdBox(px, py, x, baseY - h * 0.05f, h * 0.012f, h * 0.05f); },
           colour * 0.6f);
    c.shade({x - w * 0.6f, top, x + w * 0.6f, baseY - h * 0.05f},
            [&](float px, float py) {
                const float t = clamp01((py - top) / (h * 0.95f));
                const float tier = t * tiers - std::floor(t * tiers);
                const float half = 0.5f * w * (0.06f + 0.94f * t) * (0.62f + 0.38f * tier);
                const float jag = w * 0.05f * noise(px * 300.0f / h, py * 120.0f / h, seed);
                const float side = std::fabs(px - x) - half - jag;
                return std::max(side, top - py);
            },
            [&](float px, float py) {
                const float t = clamp01((py - top) / h);
                const float tier = t * tiers - std::floor(t * tiers);
                const float across = (x - px) / (0.5f * w * (0.1f + 0.9f * t));
                const float l = clamp01(0.3f + 0.4f * across + 0.3f * tier +
                                        0.3f * noise(px * 200.0f / h, py * 200.0f / h, seed + 3));
                return mix(colour, lit, l);
            });
}

void poplar(Canvas& c, float x, float baseY, float h, float w, Rgb lit, Rgb shade, std::uint32_t seed, float lightX) {
    const float cy = baseY - h * 0.52f;
    c.fill({x - w, baseY - h * 0.2f, x + w, baseY},
           [&](float px, float py) { return sdBox(px, py, x, baseY - h * 0.05f, w * 0.06f, h * 0.05f); }, shade * 0.7f);
    c.shade({x - w, baseY - h - 0.01f, x + w, baseY - h * 0.03f},
            [&](float px, float py) {
                return sdEllipse(px, py, x, cy, w * 0.5f, h * 0.48f) +
                       w * 0.1f * (0.5f + 0.5f * fbm(px * 60.0f / w * 0.1f, py * 60.0f / h, 3, seed));
            },
            [&](float px, float py) {
                const float across = (px - x) / (w * 0.5f) * lightX;
                const float l = clamp01(0.35f + 0.45f * across + 0.35f * fbm(px * 25.0f / w, py * 40.0f / h, 3, seed + 1));
                return mix(shade, lit, l);
            });
}

void hills(Canvas& c, std::uint32_t seed, float base, float amp, float freq, Rgb colour, Rgb mistColour,
           float mist, float bottom, float texture) {
    terrain(
        c, [&](float x) { return base - amp * (0.5f + 0.5f * fbm1(x * freq, 4, seed)); }, bottom,
        [&](float x, float y, float depth) {
            const Rgb col = colour * (1.0f + texture * fbm(x * 40.0f, y * 60.0f, 3, seed + 1));
            return mix(col, mistColour, mist * smooth(0.0f, 0.12f, depth));
        });
}

void mountains(Canvas& c, const MountainStyle& s) {
    // Ridges and gullies running down the slopes.
    auto relief = [&](float x, float y) { return ridged(x * s.freq * 4.0f, y * s.freq * 1.6f, 5, s.seed + 1); };
    terrain(
        c, [&](float x) { return s.base - s.amp * ridged(x * s.freq, 0.5f, 6, s.seed); }, s.bottom,
        [&](float x, float y, float depth) {
            const float e = 0.003f;
            const float slope = (relief(x - e, y) - relief(x + e, y)) * (-s.lightX) / (2 * e);
            const float r = relief(x, y);
            const float lit = clamp01(0.45f + 0.05f * slope + 0.25f * (r - 0.5f));
            const Rgb rock = mix(s.rockShade, s.rockLit, lit);
            // Snow on the upper slopes, reaching further down in the gullies' shade.
            const float altitude = (s.base - y) / s.amp;
            const float cover = altitude + 0.35f * fbm(x * 10.0f, y * 5.0f, 4, s.seed + 3) + 0.3f * (r - 0.5f) -
                                0.1f * depth / s.amp;
            const float snow = smooth(s.snowLine - 0.04f, s.snowLine + 0.04f, cover);
            const Rgb snowCol = mix(s.snowShade, s.snowLit, clamp01(lit * 1.4f - 0.1f));
            const Rgb col = mix(rock, snowCol, snow);
            return mix(col, s.hazeColour, s.haze);
        });
}

void object(Canvas& c, const Bounds& b, const std::vector<Part>& parts, float mirrorY, Rgb waterColour,
            float reflection, std::uint32_t seed) {
    if (mirrorY > 0) {
        const float height = mirrorY - b.y0;
        const Bounds mb{b.x0 - 0.02f, mirrorY, b.x1 + 0.02f, std::min(1.0f, mirrorY + height * 1.05f)};
        for (const Part& p : parts) {
            c.shade(mb,
                    [&](float x, float y) {
                        const float wobble = 0.006f * noise(y * 180.0f, x * 3.0f, seed) * (0.3f + (y - mirrorY) * 8.0f);
                        return p.sdf(x + wobble, 2 * mirrorY - y);
                    },
                    [&](float x, float y) { return mix(p.colour(x, 2 * mirrorY - y) * 0.8f, waterColour, 0.4f); },
                    reflection);
        }
    }
    for (const Part& p : parts) c.shade(b, p.sdf, p.colour);
}

void boat(Canvas& c, float x, float waterY, float length, Rgb hull, Rgb trim, bool sail, float facing,
          Rgb waterColour, std::uint32_t seed, float light) {
    const float L = length * 0.5f;
    auto local = [=](float px) { return (px - x) * facing; };
    std::vector<Part> parts;
    const Rgb hullLit = hull * light;
    parts.push_back({[=](float px, float py) {
                         const float u = local(px), v = py - waterY;
                         // Deck line rising to the bow, hull tapering below.
                         const float deck = -0.22f * L - 0.06f * L * clamp01(u / L);
                         const float keel = 0.02f * L;
                         const float half = L * (1.0f - 0.25f * clamp01((v - deck) / (keel - deck)));
                         const float sx = u > 0 ? u - half : -u - half * 0.92f;
                         return std::max(std::max(sx, deck - v), v - keel);
                     },
                     [=](float, float py) {
                         return py - waterY < -0.17f * L ? trim * light : mix(hullLit, hullLit * 0.6f, clamp01((py - waterY + 0.17f * L) / (0.2f * L)));
                     }});
    parts.push_back({[=](float px, float py) { return sdBox(local(px), py - waterY, -0.2f * L, -0.3f * L, 0.3f * L, 0.09f * L); },
                     [=](float, float) { return Rgb{0.92f, 0.9f, 0.85f} * light; }});
    parts.push_back({[=](float px, float py) { return sdBox(local(px), py - waterY, -0.2f * L, -0.32f * L, 0.26f * L, 0.025f * L); },
                     [=](float, float) { return Rgb{0.2f, 0.25f, 0.3f} * light; }});
    const float mastTop = sail ? 1.9f * L : 1.2f * L;
    parts.push_back({[=](float px, float py) {
                         return sdSegment(local(px), py - waterY, 0.05f * L, -0.25f * L, 0.05f * L, -mastTop, 0.012f * L, 0.008f * L);
                     },
                     [=](float, float) { return Rgb{0.3f, 0.25f, 0.2f} * light; }});
    if (sail) {
        parts.push_back({[=](float px, float py) {
                             const std::vector<Vec2> poly{{0.08f * L, -mastTop}, {0.08f * L, -0.42f * L}, {0.85f * L, -0.42f * L}};
                             return sdPolygon(local(px), py - waterY, poly);
                         },
                         [=](float px, float) {
                             const float shade = clamp01((local(px) - 0.08f * L) / (0.8f * L));
                             return mix(Rgb{0.98f, 0.97f, 0.93f}, Rgb{0.75f, 0.76f, 0.8f}, shade * 0.6f) * light;
                         }});
        parts.push_back({[=](float px, float py) {
                             const std::vector<Vec2> poly{{0.02f * L, -mastTop * 0.95f}, {0.02f * L, -0.42f * L}, {-0.75f * L, -0.42f * L}};
                             return sdPolygon(local(px), py - waterY, poly);
                         },
                         [=](float, float) { return Rgb{0.9f, 0.88f, 0.84f} * light; }});
    }
    object(c, {x - L * 1.1f, waterY - mastTop - 0.01f, x + L * 1.1f, waterY + 0.03f * L}, parts, waterY,
           waterColour, 0.5f, seed);
}

void haze(Canvas& c, float y0, float y1, Rgb colour, float amount) {
    const float lo = std::min(y0, y1), hi = std::max(y0, y1);
    c.each(Bounds{0, lo, c.aspect(), hi}, [&](float, float y, Rgb& out) {
        out = mix(out, colour, amount * smooth(y0, y1, y));
    });
}

void finish(Canvas& c, std::uint32_t seed, float vignette, float grain, float contrast) {
    const float aspect = c.aspect();
    int j = 0;
    for (int row = 0; row < c.height(); ++row, ++j) {
        const float y = (static_cast<float>(row) + 0.5f) / static_cast<float>(c.height());
        for (int i = 0; i < c.width(); ++i) {
            const float x = (static_cast<float>(i) + 0.5f) / static_cast<float>(c.width());
            const float dx = (x - 0.5f) * 2.0f, dy = (y - 0.5f) * 2.0f * (1.0f / aspect) * 1.33f;
            const float v = 1.0f - vignette * smooth(0.3f, 2.2f, dx * dx + dy * dy);
            Rgb& p = c.at(i, row);
            const float g = (rand01(seed, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(row)) - 0.5f) * grain;
            auto curve = [&](float k) {
                k = clamp01(k * v + g);
                return lerp(k, k * k * (3 - 2 * k), contrast);
            };
            p = {curve(p.r), curve(p.g), curve(p.b)};
        }
    }
}

}  // namespace texgen
