// Shared by the scene tests: a data folder of flat-coloured pictures whose
// photos can be told apart on screen, a colour classifier for presented
// frames, and where a photo card lands on screen.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <sys/stat.h>

#include "assets/Manifest.h"
#include "scene/PhotoCard.h"
#include "scene/Scene.h"
#include "tests/support/TestSupport.h"

namespace scenetest {

using Rgb = std::array<int, 3>;

constexpr int viewWidth = 640;
constexpr int viewHeight = 480;

// The background and fog grey: 0.2 in 8 bits.
constexpr int backgroundGrey = 51;

// Six hues (red, green, blue, yellow, cyan, magenta) so that photo i and
// photo i + 1 always differ in hue, even when fogged towards the grey; the
// brightness steps down every six photos so that all 38 colours differ.
inline int photoHue(int i) { return i % 6; }
inline Rgb photoColour(int i) {
    static const int on[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
    const int level = 255 - 12 * (i / 6);
    const int* mask = on[photoHue(i)];
    return {mask[0] * level, mask[1] * level, mask[2] * level};
}

// Which hue a presented pixel shows: -1 for the grey background (or black,
// when dark is allowed), 0..5 for a photo hue, 6 for anything else. A
// fogged card is a mix of its colour and the grey, so only the sign of each
// channel's distance from the grey tells the hue.
inline int hueOfPixel(const std::uint8_t* p) {
    const int d[3] = {p[0] - backgroundGrey, p[1] - backgroundGrey, p[2] - backgroundGrey};
    const int largest = std::max({std::abs(d[0]), std::abs(d[1]), std::abs(d[2])});
    if (largest < 16) return -1;
    const bool up[3] = {d[0] > 0, d[1] > 0, d[2] > 0};
    static const bool patterns[6][3] = {{true, false, false}, {false, true, false}, {false, false, true},
                                        {true, true, false},  {false, true, true},  {true, false, true}};
    for (int h = 0; h < 6; ++h)
        if (up[0] == patterns[h][0] && up[1] == patterns[h][1] && up[2] == patterns[h][2]) return h;
    return 6;
}

inline std::string texturePath(const support::TempDir& dir, const char* name) {
    return dir.path() + "/" + name;
}

// Writes "90secver.ogg" and every picture of the manifest, except those named
// in skip. Leaves are white with all-black masks, so they are fully
// transparent and never cover anything; the small drifting photos are the
// background grey, so they vanish into it from the second frame on; photo i
// has photoColour(i).
inline bool writeFlatData(const support::TempDir& dir, double musicSeconds,
                          const std::set<std::string>& skip = {}) {
    ::mkdir((dir.path() + "/textures").c_str(), 0755);
    if (!support::writeToneOgg(dir.file("90secver.ogg"), musicSeconds)) return false;
    const auto write = [&](const char* name, int w, int h, int r, int g, int b) {
        if (skip.count(name)) return true;
        return support::writeFlatJpeg(texturePath(dir, name), w, h, static_cast<std::uint8_t>(r),
                                      static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b));
    };
    bool ok = true;
    for (const LeafPictures& leaf : leafFileNames) {
        ok = ok && write(leaf.picture, 64, 64, 255, 255, 255);
        ok = ok && write(leaf.mask, 64, 64, 0, 0, 0);
    }
    for (int i = 0; i < photoCount; ++i) {
        const Rgb c = photoColour(i);
        ok = ok && write(photoFileNames[i], 64, 48, c[0], c[1], c[2]);
    }
    for (const char* name : secPhotoFileNames) ok = ok && write(name, 32, 32, backgroundGrey, backgroundGrey, backgroundGrey);
    return ok;
}

// A card's four corners on screen, in PNG pixel coordinates (x right, y
// down), for the given card clock: the card's own path and pose, then the
// camera of the presentation (40 degree perspective, 4:3, origin 5 units in
// front of the eye).
struct ScreenQuad {
    double x[4];
    double y[4];
    double centreX;
    double centreY;
};

inline ScreenQuad projectCard(const PhotoCard& card, float clock) {
    const float s = clock / (5.0f * 0.33f) - 0.77f;
    const Vector3* p = card.positionPath;
    const Vector3* r = card.rotationPath;
    const Vector3 position = catmullRom(p[0], p[1], p[1], p[2], s);
    const Vector3 rotation = catmullRom(r[0], r[1], r[1], r[2], s);
    const double pi = 3.14159265358979323846;
    const double ax = rotation.x * pi / 180.0, ay = rotation.y * pi / 180.0, az = rotation.z * pi / 180.0;
    const double focal = 1.0 / std::tan(20.0 * pi / 180.0);
    const double aspect = static_cast<double>(viewWidth) / viewHeight;
    const auto toScreen = [&](double cx, double cy, double& sx, double& sy) {
        // Rotate about z, then y, then x (glRotatef x, y, z applied to the vertex).
        double x = cx * std::cos(az) - cy * std::sin(az);
        double y = cx * std::sin(az) + cy * std::cos(az);
        double z = 0.0;
        const double x2 = x * std::cos(ay) + z * std::sin(ay);
        const double z2 = -x * std::sin(ay) + z * std::cos(ay);
        x = x2;
        z = z2;
        const double y3 = y * std::cos(ax) - z * std::sin(ax);
        const double z3 = y * std::sin(ax) + z * std::cos(ax);
        y = y3;
        z = z3;
        x += position.x;
        y += position.y;
        z += position.z - 5.0;
        const double ndcX = focal / aspect * x / -z;
        const double ndcY = focal * y / -z;
        sx = (ndcX + 1.0) * 0.5 * viewWidth;
        sy = viewHeight - (ndcY + 1.0) * 0.5 * viewHeight;
    };
    ScreenQuad quad{};
    const double w = 1.33f, h = 1.0;
    const double corners[4][2] = {{-w, -h}, {w, -h}, {w, h}, {-w, h}};
    for (int k = 0; k < 4; ++k) toScreen(corners[k][0], corners[k][1], quad.x[k], quad.y[k]);
    toScreen(0.0, 0.0, quad.centreX, quad.centreY);
    return quad;
}

// Whether the point lies inside the (convex) quad, and its distance from the
// nearest edge in pixels.
inline bool insideQuad(const ScreenQuad& q, double px, double py, double& edgeDistance) {
    int positive = 0, negative = 0;
    edgeDistance = 1e30;
    for (int k = 0; k < 4; ++k) {
        const double ax = q.x[k], ay = q.y[k];
        const double bx = q.x[(k + 1) % 4], by = q.y[(k + 1) % 4];
        const double ex = bx - ax, ey = by - ay;
        const double length = std::sqrt(ex * ex + ey * ey);
        const double cross = ex * (py - ay) - ey * (px - ax);
        (cross >= 0 ? positive : negative)++;
        // Distance to the edge segment.
        double t = length > 0 ? ((px - ax) * ex + (py - ay) * ey) / (length * length) : 0.0;
        t = std::min(1.0, std::max(0.0, t));
        const double dx = px - (ax + t * ex), dy = py - (ay + t * ey);
        edgeDistance = std::min(edgeDistance, std::sqrt(dx * dx + dy * dy));
    }
    return positive == 4 || negative == 4;
}

}  // namespace scenetest
