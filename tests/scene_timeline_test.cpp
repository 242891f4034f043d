// The photo timeline as the viewer sees it: the real program runs headless on
// a virtual clock, and every saved frame is compared, pixel by pixel, with
// where the visible cards must lie and which of them must be on top.
//
// The frames run at 2 per second on a 2.56 MHz counter (a multiple of 256),
// so frame k is shown at demoTime k / 2 exactly and every frame lasts 0.5 s.
// The pictures are flat colours: leaves fully transparent, the drifting
// photos the background grey, photo i a hue that differs from its
// neighbours' (see scene_support.h), so only the photo cards show.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/scene_support.h"

using namespace scenetest;

namespace {

constexpr double frameStep = 0.5;

struct SavedFrame {
    long index = -1;
    double demoTime = -1.0;
};

// "wrote DIR/0007.png (frame 12, demoTime 6.000000)" lines, by request number.
std::vector<SavedFrame> parseWritten(const std::string& out, std::size_t requests) {
    std::vector<SavedFrame> frames(requests);
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t slash = line.rfind(".png");
        if (line.rfind("wrote ", 0) != 0 || slash == std::string::npos || slash < 4) continue;
        const int number = std::stoi(line.substr(slash - 4, 4));
        SavedFrame frame;
        if (std::sscanf(line.c_str() + slash, ".png (frame %ld, demoTime %lf)", &frame.index, &frame.demoTime) != 2)
            continue;
        if (number >= 1 && static_cast<std::size_t>(number) <= requests) frames[number - 1] = frame;
    }
    return frames;
}

// A card's clock in frame k: the frames 1..k whose demoTime lies strictly
// inside its window, each worth one frame step (frame 0 has frameDelta 0).
float cardClock(int card, long k) {
    float clock = 0.0f;
    for (long j = 1; j <= k; ++j) {
        const double t = static_cast<double>(j) * frameStep;
        if (t > 2.5 * card && t < 2.5 * card + 5.0) clock += static_cast<float>(frameStep);
    }
    return clock;
}

// Whether a text page is up: its white and black pixels lie over the scene.
bool textShown(double t) {
    return (t > 1.0 && t < 25.0) || (t > 25.5 && t < 50.0) || (t > 50.5 && t < 75.0) || (t > 75.5 && t < 100.0);
}

bool looksLikeText(const std::uint8_t* p) {
    const bool black = p[0] <= 2 && p[1] <= 2 && p[2] <= 2;
    const bool white = p[0] >= 253 && p[1] >= 253 && p[2] >= 253;
    return black || white;
}

// The pixel nearest (x, y) that is not part of a text line, or null.
const std::uint8_t* nearestNonText(const support::Png& png, int x, int y) {
    for (int radius = 0; radius <= 12; ++radius)
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const int px = x + dx, py = y + dy;
                if (px < 0 || py < 0 || px >= png.width || py >= png.height) continue;
                if (!looksLikeText(png.at(px, py))) return png.at(px, py);
            }
    return nullptr;
}

struct FrameCheck {
    long mismatches = 0;             // pixels off the prediction, away from card edges
    long textPixels = 0;             // pure black or white pixels left out while a page is up
    long cardPixels[photoCount] = {};  // pixels predicted to show card i
    long overlap[photoCount] = {};   // of those, pixels the card before it also covers
    std::string firstMismatch;
};

// Compares a presented frame with the timeline: which cards are visible at
// frame k, where each one lies, later cards over earlier ones, grey elsewhere.
// While a text page is up, its pure black and white pixels are left out.
FrameCheck checkAgainstTimeline(const support::Png& png, long k) {
    FrameCheck check;
    const double now = static_cast<double>(k) * frameStep;
    const bool skipText = textShown(now);
    std::vector<int> visible;
    std::vector<ScreenQuad> quads;
    for (int i = 0; i < photoCount; ++i) {
        if (now > 2.5 * i && now < 2.5 * i + 5.0) {
            visible.push_back(i);
            quads.push_back(projectCard(photoCards[i], cardClock(i, k)));
        }
    }
    for (int y = 0; y < png.height; ++y) {
        for (int x = 0; x < png.width; ++x) {
            int predicted = -1;
            double nearestEdge = 1e30;
            bool coveredByEarlier = false;
            for (std::size_t v = 0; v < visible.size(); ++v) {
                double edge = 0.0;
                const bool inside = insideQuad(quads[v], x + 0.5, y + 0.5, edge);
                nearestEdge = std::min(nearestEdge, edge);
                if (inside) {
                    coveredByEarlier = predicted >= 0;
                    predicted = visible[v];
                }
            }
            const std::uint8_t* p = png.at(x, y);
            if (skipText && looksLikeText(p)) {
                check.textPixels++;
                continue;
            }
            bool ok;
            if (predicted < 0) {
                ok = std::abs(p[0] - backgroundGrey) <= 2 && std::abs(p[1] - backgroundGrey) <= 2 &&
                     std::abs(p[2] - backgroundGrey) <= 2;
            } else {
                ok = hueOfPixel(p) == photoHue(predicted);
                if (nearestEdge > 2.0) {
                    check.cardPixels[predicted]++;
                    if (coveredByEarlier) check.overlap[predicted]++;
                }
            }
            if (!ok && nearestEdge > 2.0) {
                if (check.mismatches == 0) {
                    std::ostringstream text;
                    text << "pixel (" << x << ", " << y << ") is " << int(p[0]) << "," << int(p[1]) << "," << int(p[2])
                         << ", expected " << (predicted < 0 ? std::string("background") : "photo " + std::to_string(predicted));
                    check.firstMismatch = text.str();
                }
                check.mismatches++;
            }
        }
    }
    return check;
}

}  // namespace

TEST(SceneTimeline, PhotosFollowTheirWindowsFrameByFrame) {
    support::TempDir data;
    ASSERT_TRUE(writeFlatData(data, 101.0));
    support::TempDir out;

    // Requested frames: the first two; for each photo its opening instant,
    // one frame later, and when it passes the middle of the view; 5.0, 6.0,
    // and the end of the timeline.
    std::vector<double> times = {0.0, 0.5, 3.5, 5.0, 6.0, 97.5, 98.0, 99.5};
    for (int i = 0; i < photoCount; ++i) {
        times.push_back(2.5 * i);
        times.push_back(2.5 * i + 0.5);
        times.push_back(2.5 * i + 1.5);
    }
    std::string list;
    for (double t : times) list += (list.empty() ? "" : ",") + std::to_string(t);

    const support::RunResult run =
        support::runProcess({support::capturePath(), "--data", data.path(), "--fps", "2", "--frames-at", list, "--png",
                             out.path()},
                            "", {"SALUTE_COUNTER_HZ=2560000"}, 900);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<SavedFrame> frames = parseWritten(run.out, times.size());
    long totalOverlap = 0;

    for (std::size_t n = 0; n < times.size(); ++n) {
        const double t = times[n];
        SCOPED_TRACE("demoTime " + std::to_string(t));
        // The virtual clock lands on the requested instant exactly.
        ASSERT_EQ(frames[n].demoTime, t);
        const long k = frames[n].index;
        ASSERT_EQ(static_cast<double>(k) * frameStep, t);

        char name[32];
        std::snprintf(name, sizeof name, "/%04zu.png", n + 1);
        const support::Png png = support::readPng(out.path() + name);
        ASSERT_TRUE(png.ok);
        ASSERT_EQ(png.width, viewWidth);
        ASSERT_EQ(png.height, viewHeight);

        if (k == 0) {
            // The first frame is cleared black; only the grey drifting photos
            // may cover parts of it, and no photo card is due yet.
            long black = 0, other = 0;
            for (int y = 0; y < png.height; ++y) {
                for (int x = 0; x < png.width; ++x) {
                    const std::uint8_t* p = png.at(x, y);
                    if (p[0] <= 2 && p[1] <= 2 && p[2] <= 2) black++;
                    else if (hueOfPixel(p) != -1) other++;
                }
            }
            EXPECT_EQ(other, 0);
            EXPECT_GT(black, png.width * png.height * 8 / 10);
            continue;
        }

        const FrameCheck check = checkAgainstTimeline(png, k);
        EXPECT_LE(check.mismatches, 20) << check.firstMismatch;
        EXPECT_LT(check.textPixels, png.width * png.height / 5);

        const int i = static_cast<int>(t / 2.5);
        const double sinceStart = t - 2.5 * i;
        if (t >= 97.5) {
            ASSERT_GE(i, photoCount);
            for (long pixels : check.cardPixels) EXPECT_EQ(pixels, 0);
        } else if (sinceStart == 0.5) {
            // One frame in, photo i is well in view: had it been drawn on the
            // frame of its opening instant, that frame would have shown it.
            EXPECT_GT(check.cardPixels[i], 1000) << "photo " << i;
        } else if (sinceStart == 1.5) {
            // Near the middle of the view, in front of the fog: its own colour.
            // Any text lies over it, so the pixel nearest the card's centre
            // that is not text is taken.
            const ScreenQuad quad = projectCard(photoCards[i], cardClock(i, k));
            const std::uint8_t* p = nearestNonText(png, static_cast<int>(quad.centreX), static_cast<int>(quad.centreY));
            ASSERT_NE(p, nullptr);
            const Rgb c = photoColour(i);
            for (int channel = 0; channel < 3; ++channel)
                EXPECT_NEAR(p[channel], c[channel], 4) << "photo " << i << " channel " << channel;
        }
        if (t == 5.0) {
            for (int j = 0; j < photoCount; ++j) EXPECT_EQ(check.cardPixels[j] > 0, j == 1) << "photo " << j;
        }
        if (t == 6.0) {
            EXPECT_GT(check.cardPixels[1], 1000);
            EXPECT_GT(check.cardPixels[2], 200);
        }
        // Where two cards overlap, the later one covers the earlier: photo 1
        // over photo 0 at 3.5, photo 3 over photo 2 at 8.0 (the whole-frame
        // comparison above checks every overlap; these make sure there is one).
        if (t == 3.5) {
            EXPECT_GT(check.overlap[1], 5000);
        }
        if (t == 8.0) {
            EXPECT_GT(check.overlap[3], 10000);
        }
        totalOverlap += check.overlap[i < photoCount ? i : 0];
    }
    // Over all the frames checked, cards covered one another often.
    EXPECT_GT(totalOverlap, 50000);
}
