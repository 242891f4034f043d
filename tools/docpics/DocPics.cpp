// Writes the data behind the pictures of docs/ARCHITECTURE.md, taken from the
// program's own code: the timeline (each photo's window, the text pages, the
// music's sections) and the photo cards' flights, placed by the cards' own
// code at every frame of a 60 fps run. pictures.gp draws them.
//
// Usage: salute-docpics OUTDIR
//   -> OUTDIR/timeline.dat, OUTDIR/paths.dat, OUTDIR/controls.dat, OUTDIR/view.dat
#include <cmath>
#include <cstdio>
#include <string>

#include "app/FrameCycle.h"
#include "app/Window.h"
#include "scene/Scene.h"
#include "text/TextPages.h"
#include "tools/musicgen/Score.h"

namespace {

// One bar of the chart: from, to, its row, its colour group and a label.
void bar(std::FILE* out, double from, double to, double row, int group, const std::string& label) {
    std::fprintf(out, "%.4f %.4f %.1f %d \"%s\"\n", from, to, row, group, label.c_str());
}

bool writeTimeline(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    namespace score = musicgen::score;
    std::fprintf(out, "# from to row group label\n# the music's sections, then its fade\n");
    for (int s = 0; s < score::sectionCount; ++s) {
        const std::string name(1, static_cast<char>('A' + s));
        bar(out, score::sectionStart(s), score::sectionStart(s + 1), -4, 0, "section " + name);
    }
    bar(out, score::fadeStart, score::fadeEnd, -4.0, 1, "");
    std::fprintf(out, "\n\n# the text pages\n");
    for (int p = 0; p < 4; ++p)
        bar(out, textPages[p].start, textPages[p].end, -2, 2, "page " + std::to_string(p + 1));
    std::fprintf(out, "\n\n# the photos' windows\n");
    for (int i = 0; i < photoCount; ++i) {
        const double start = photoInterval * static_cast<float>(i);
        bar(out, start, start + photoWindow, i, 3, std::to_string(i));
    }
    std::fprintf(out, "\n\n# the music's end, where the presentation ends\n%.4f\n", score::totalSeconds);
    return std::fclose(out) == 0;
}

// Every card's centre at each frame of its window, one block per card:
// x y z, the card's number, the time into its window.
bool writePaths(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    constexpr float frame = 1.0f / 60.0f;
    std::fprintf(out, "# x y z card seconds\n");
    for (int i = 0; i < photoCount; ++i) {
        PhotoCard& card = photoCards[i];
        card.clock = 0.0f;
        // The window is open, so its first frame already lies a frame in.
        for (float t = frame; t < photoWindow; t += frame) {
            card.advance(frame, photoWindow);
            std::fprintf(out, "%.5f %.5f %.5f %d %.4f\n", card.position.x, card.position.y, card.position.z, i,
                         card.clock);
        }
        std::fprintf(out, "\n\n");
    }
    return std::fclose(out) == 0;
}

// Each card's random outer control points A and C: x y z card.
bool writeControls(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    std::fprintf(out, "# A, then C: x y z card\n");
    for (int end = 0; end < 3; end += 2) {
        for (int i = 0; i < photoCount; ++i) {
            const Vector3& p = photoCards[i].positionPath[end];
            std::fprintf(out, "%.5f %.5f %.5f %d\n", p.x, p.y, p.z, i);
        }
        std::fprintf(out, "\n\n");
    }
    return std::fclose(out) == 0;
}

// What the eye sees, in scene units: the eye, in front of the origin, and the view's left and right edges out to farZ (x z pairs); then
// the view's frame at the origin's depth (x y).
bool writeView(const std::string& path, float farZ) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    constexpr double eyeZ = eyeDistance;
    const double halfHeight = std::tan(fieldOfView / 2.0 * M_PI / 180.0);
    const double halfWidth = halfHeight * screenWidth / screenHeight;
    std::fprintf(out, "# the view's edges from above: x z\n");
    for (int side = -1; side <= 1; side += 2) {
        std::fprintf(out, "0 %.4f\n%.4f %.4f\n\n", eyeZ, side * halfWidth * (eyeZ - farZ), static_cast<double>(farZ));
    }
    const double w = halfWidth * eyeZ;
    const double h = halfHeight * eyeZ;
    std::fprintf(out, "\n# the view's frame at the origin's depth: x y\n");
    std::fprintf(out, "%.4f %.4f\n%.4f %.4f\n%.4f %.4f\n%.4f %.4f\n%.4f %.4f\n", -w, -h, w, -h, w, h, -w, h, -w, -h);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    // The controls first: placing the cards below does not touch them.
    if (!writeTimeline(dir + "/timeline.dat") || !writeControls(dir + "/controls.dat") ||
        !writeView(dir + "/view.dat", -13.0f) || !writePaths(dir + "/paths.dat")) {
        std::fprintf(stderr, "salute-docpics: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
