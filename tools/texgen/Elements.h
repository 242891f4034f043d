// Reusable pieces of landscapes and other scenes: skies, sun and glow,
// clouds, stars, terrain silhouettes, ground planes in perspective, water
// with reflections, trees, and the finishing touches of a photograph.
#pragma once

#include <functional>
#include <utility>

#include "Paint.h"

namespace texgen {

struct Stop {
    float y;
    Rgb colour;
};

// Vertical gradient through the stops (sorted by y), over the whole width
// between the first and last stop; beyond them the end colours hold.
void gradient(Canvas& c, std::initializer_list<Stop> stops, float y0 = 0, float y1 = 1);

// Adds light around a point: a soft halo whose brightness halves at radius.
void glow(Canvas& c, float cx, float cy, float radius, Rgb colour, float strength = 1.0f,
          Bounds b = {-1, -1, 9, 9});
// A bright disc with its glow.
void sun(Canvas& c, float cx, float cy, float r, Rgb core, Rgb halo, float haloRadius, float haloStrength);

struct CloudStyle {
    std::uint32_t seed = 1;
    float top = 0, bottom = 0.5f;  // band the clouds fill, fading at both ends
    float scale = 4;               // features per unit
    float stretch = 2.5f;          // horizontal stretch (> 1: streaks)
    float cover = 0.5f;            // 0 clear .. 1 overcast
    Rgb lit{1, 1, 1}, shade{0.6f, 0.62f, 0.7f};
    float opacity = 1;
    float lightX = 0, lightY = -1;  // direction towards the light
    float softness = 0.25f;
};
void clouds(Canvas& c, const CloudStyle& s);

void stars(Canvas& c, std::uint32_t seed, float yMax, int count, float brightness, float horizonFade = 0.1f);

// Terrain from its top outline: every column is filled from top(x) down to
// bottom with colour(x, y, depth) where depth = y - top(x).
void terrain(Canvas& c, const std::function<float(float)>& top, float bottom,
             const std::function<Rgb(float, float, float)>& colour);

// Ground plane in perspective below the horizon. colour(wx, wz, x, y):
// wx sideways and wz distance (1 at the bottom edge, growing to infinity at
// the horizon), vanishing point at vx.
void ground(Canvas& c, float horizon, float vx, float y0, float y1,
            const std::function<Rgb(float, float, float, float)>& colour);

// Places things on the ground plane of ground(): world x sideways, z the
// distance (1 at the bottom edge); one world unit at z = 1 is one logical unit.
struct View {
    float horizon, vx;
    float x(float wx, float wz) const { return vx + wx / wz; }
    float y(float wz) const { return horizon + (1.0f - horizon) / wz; }
    float size(float s, float wz) const { return s / wz; }
};

struct WaterStyle {
    std::uint32_t seed = 7;
    float horizon = 0.5f;
    float bottom = 1.0f;
    Rgb tint{0.1f, 0.2f, 0.3f};
    float tintNear = 0.5f, tintFar = 0.2f;  // how much tint replaces the reflection
    float ripple = 0.02f;                  // horizontal wobble of the reflection
    float waveScale = 60;                  // wave lines per unit of height near the horizon
    float darken = 0.85f;
    float sparkle = 0;      // glints where the reflection is bright
    // A path of glitter under a low sun or moon at x = pathX.
    float pathX = 0, pathWidth = 0.02f, pathStrength = 0;
    Rgb pathColour{1.0f, 0.8f, 0.5f};
};
// Mirrors what lies above the horizon into the water below it.
void water(Canvas& c, const WaterStyle& s);

struct TreeStyle {
    std::uint32_t seed = 3;
    Rgb lit{0.45f, 0.6f, 0.2f}, shade{0.12f, 0.22f, 0.08f};
    Rgb trunk{0.25f, 0.18f, 0.12f};
    float lightX = -0.7f, lightY = -0.7f;
    float spread = 1.0f;   // crown width relative to its height
    float opacity = 1;
};
// A broad-leaved tree standing at (x, baseY), h high.
void tree(Canvas& c, float x, float baseY, float h, const TreeStyle& s);
// A fir: tiers of jagged branches, w wide at the base.
void fir(Canvas& c, float x, float baseY, float h, float w, Rgb colour, Rgb lit, std::uint32_t seed);
// A slim column of foliage (poplar, cypress).
void poplar(Canvas& c, float x, float baseY, float h, float w, Rgb lit, Rgb shade, std::uint32_t seed,
            float lightX = -1);

// A range of rolling hills: outline base - amp * (0..1), its foot fading into
// mist (a valley haze that sets off the next range in front).
void hills(Canvas& c, std::uint32_t seed, float base, float amp, float freq, Rgb colour, Rgb mistColour,
           float mist, float bottom = 1.0f, float texture = 0.08f);

struct MountainStyle {
    std::uint32_t seed = 5;
    float base = 0.6f, amp = 0.3f, freq = 2.0f;
    Rgb rockLit{0.55f, 0.5f, 0.48f}, rockShade{0.2f, 0.22f, 0.3f};
    Rgb snowLit{0.97f, 0.97f, 1.0f}, snowShade{0.55f, 0.62f, 0.8f};
    float snowLine = 0.5f;  // snow above this height (0 foot .. 1 highest peak)
    Rgb hazeColour{0.7f, 0.8f, 0.9f};
    float haze = 0.0f;       // atmospheric perspective: 0 near, 1 lost in the sky
    float lightX = -1.0f;    // sun from the left (-1) or right (1)
    float bottom = 1.0f;
};
void mountains(Canvas& c, const MountainStyle& s);

// A part of a drawn object: its outline and colour.
struct Part {
    std::function<float(float, float)> sdf;
    std::function<Rgb(float, float)> colour;
};
// Draws the parts in order inside b. With a mirror line (y > 0), first draws
// their reflection in the water below it: flipped, wobbling, faded to water.
void object(Canvas& c, const Bounds& b, const std::vector<Part>& parts, float mirrorY = 0,
            Rgb waterColour = {}, float reflection = 0.55f, std::uint32_t seed = 1);
// A boat lying on the water at waterY, bow to the right (or left with
// facing -1): hull, cabin, mast and, with sail, a white sail.
void boat(Canvas& c, float x, float waterY, float length, Rgb hull, Rgb trim, bool sail, float facing,
          Rgb waterColour, std::uint32_t seed, float light = 1.0f);

// Blends a flat colour over a band, weight rising from 0 at y0 to amount at y1.
void haze(Canvas& c, float y0, float y1, Rgb colour, float amount);

// Photographic finish: vignette, a gentle contrast curve, fine grain.
void finish(Canvas& c, std::uint32_t seed, float vignette = 0.35f, float grain = 0.025f, float contrast = 0.1f);

}  // namespace texgen
