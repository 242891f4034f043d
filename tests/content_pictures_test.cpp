// The generated pictures: every file decodes through the program's loader at
// its size, is a baseline JPEG of its kind, the masks outline their leaves,
// and the photographs look like pictures and differ from one another.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "tests/support/TestSupport.h"

namespace {

struct Picture {
    std::string name;  // under textures/, without ".jpg"
    int size;          // width and height
    int components;    // 3 for colour, 1 for a mask
};

std::vector<Picture> allPictures() {
    std::vector<Picture> list;
    for (int i = 0; i < 38; ++i) list.push_back({"photo" + std::to_string(i), 512, 3});
    for (int k = 1; k <= 4; ++k) list.push_back({"secPhoto" + std::to_string(k), 256, 3});
    for (const char* leaf : {"leaf", "leaf2", "leaf3"}) {
        list.push_back({leaf, 256, 3});
        list.push_back({std::string(leaf) + "_a", 256, 1});
    }
    return list;
}

std::string pathOf(const std::string& name) { return support::dataDir() + "/textures/" + name + ".jpg"; }

// A decoded picture as RGBA, top row first.
struct Rgba {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
    double luma(int x, int y) const {
        const std::uint8_t* p = at(x, y);
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
};

Rgba load(const std::string& name) {
    Image image;
    JpegLoader loader;
    Rgba out;
    if (!loader.load(pathOf(name).c_str(), image)) return out;
    out.width = image.width;
    out.height = image.height;
    out.pixels.assign(image.pixels, image.pixels + static_cast<std::size_t>(image.width) * image.height * 4);
    return out;
}

// Mean of the red channel (a mask is grey) over a square block.
double blockMean(const Rgba& image, int x0, int y0, int size) {
    double sum = 0;
    for (int y = y0; y < y0 + size; ++y)
        for (int x = x0; x < x0 + size; ++x) sum += image.at(x, y)[0];
    return sum / (size * size);
}

// A small thumbnail (box-averaged) in RGB, for comparing pictures.
std::vector<double> thumbnail(const Rgba& image, int n) {
    std::vector<double> out(static_cast<std::size_t>(n * n * 3), 0.0);
    const int sx = image.width / n, sy = image.height / n;
    for (int y = 0; y < n * sy; ++y)
        for (int x = 0; x < n * sx; ++x)
            for (int c = 0; c < 3; ++c) out[static_cast<std::size_t>(((y / sy) * n + x / sx) * 3 + c)] += image.at(x, y)[c];
    for (double& v : out) v /= sx * sy;
    return out;
}

TEST(ContentPictures, EveryPictureDecodesThroughTheLoaderAtItsSize) {
    for (const Picture& p : allPictures()) {
        SCOPED_TRACE(p.name);
        const Rgba image = load(p.name);
        ASSERT_EQ(image.width, p.size);
        ASSERT_EQ(image.height, p.size);
        // Power-of-two sizes no larger than the largest picture the program expects.
        EXPECT_EQ(image.width & (image.width - 1), 0);
        EXPECT_LE(image.width, 1024);
    }
}

TEST(ContentPictures, FilesAreBaselineJpegsOfTheirKind) {
    for (const Picture& p : allPictures()) {
        SCOPED_TRACE(p.name);
        std::ifstream file(pathOf(p.name), std::ios::binary);
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), 4u);
        ASSERT_EQ(bytes[0], 0xFF);
        ASSERT_EQ(bytes[1], 0xD8);
        // Walk the markers up to the frame header.
        std::size_t i = 2;
        int frameMarker = -1, components = -1;
        while (i + 4 <= bytes.size() && bytes[i] == 0xFF) {
            const int marker = bytes[i + 1];
            const std::size_t length = static_cast<std::size_t>(bytes[i + 2]) << 8 | bytes[i + 3];
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
                frameMarker = marker;
                if (i + 9 < bytes.size()) components = bytes[i + 9];
                break;
            }
            i += 2 + length;
        }
        EXPECT_EQ(frameMarker, 0xC0) << "not a baseline frame";
        EXPECT_EQ(components, p.components);
    }
}

TEST(ContentPictures, MasksOutlineTheirLeaves) {
    std::vector<std::vector<bool>> shapes;
    for (const char* leaf : {"leaf", "leaf2", "leaf3"}) {
        SCOPED_TRACE(leaf);
        const Rgba picture = load(leaf), mask = load(std::string(leaf) + "_a");
        ASSERT_EQ(mask.width, picture.width);
        ASSERT_EQ(mask.height, picture.height);
        const int n = mask.width, b = n / 16;
        // Transparent corners, opaque middle.
        for (int cx : {0, n - b})
            for (int cy : {0, n - b}) EXPECT_LT(blockMean(mask, cx, cy, b), 4.0) << cx << "," << cy;
        EXPECT_GT(blockMean(mask, n / 2 - b / 2, n / 2 - b / 2, b), 250.0);

        // A leaf-sized shape with a soft edge a couple of pixels wide.
        int inside = 0, edge = 0;
        std::vector<bool> shape(static_cast<std::size_t>(n * n));
        double red = 0, blue = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const int v = mask.at(x, y)[0];
                if (v >= 128) {
                    ++inside;
                    red += picture.at(x, y)[0];
                    blue += picture.at(x, y)[2];
                }
                if (v > 24 && v < 232) ++edge;
                shape[static_cast<std::size_t>(y * n + x)] = v >= 128;
            }
        const double cover = static_cast<double>(inside) / (n * n);
        EXPECT_GT(cover, 0.2);
        EXPECT_LT(cover, 0.8);
        const double perimeterGuess = 4.0 * std::sqrt(static_cast<double>(inside));
        EXPECT_GT(edge, perimeterGuess * 0.5) << "the edge should be soft";
        EXPECT_LT(edge, perimeterGuess * 6.0) << "the edge should be only a couple of pixels wide";
        // Autumn colours: far more red than blue inside the leaf.
        EXPECT_GT(red / inside, blue / inside + 60.0);
        shapes.push_back(shape);
    }
    // Three different outlines.
    for (std::size_t a = 0; a < shapes.size(); ++a)
        for (std::size_t b = a + 1; b < shapes.size(); ++b) {
            int both = 0, either = 0;
            for (std::size_t k = 0; k < shapes[a].size(); ++k) {
                both += shapes[a][k] && shapes[b][k];
                either += shapes[a][k] || shapes[b][k];
            }
            EXPECT_LT(static_cast<double>(both) / either, 0.85) << "leaves " << a << " and " << b;
        }
}

TEST(ContentPictures, PhotographsLookLikePicturesNotNoiseOrFlatFields) {
    for (const Picture& p : allPictures()) {
        if (p.components != 3 || p.name.rfind("leaf", 0) == 0) continue;
        SCOPED_TRACE(p.name);
        const Rgba image = load(p.name);
        ASSERT_GT(image.width, 0);
        double sum = 0, sum2 = 0, neighbour = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const double l = image.luma(x, y);
                sum += l;
                sum2 += l * l;
                if (x + 1 < image.width) neighbour += std::fabs(image.luma(x + 1, y) - l);
            }
        const double count = static_cast<double>(image.width) * image.height;
        const double mean = sum / count, spread = std::sqrt(std::max(0.0, sum2 / count - mean * mean));
        neighbour /= count;
        EXPECT_GT(spread, 15.0) << "too flat to read as a picture";
        // In a picture neighbouring pixels mostly agree; in noise they do not.
        EXPECT_LT(neighbour, 0.4 * spread) << "too noisy to read as a picture";
    }
}

TEST(ContentPictures, NoTwoPhotographsAreNearlyAlike) {
    std::vector<std::string> names;
    std::vector<std::vector<double>> thumbs;
    for (const Picture& p : allPictures()) {
        if (p.components != 3 || p.name.rfind("leaf", 0) == 0) continue;
        names.push_back(p.name);
        thumbs.push_back(thumbnail(load(p.name), 16));
        ASSERT_FALSE(thumbs.back().empty()) << p.name;
    }
    ASSERT_EQ(names.size(), 42u);
    double closest = 1e9;
    std::string closestPair;
    for (std::size_t a = 0; a < thumbs.size(); ++a)
        for (std::size_t b = a + 1; b < thumbs.size(); ++b) {
            double d = 0;
            for (std::size_t k = 0; k < thumbs[a].size(); ++k) d += std::fabs(thumbs[a][k] - thumbs[b][k]);
            d /= static_cast<double>(thumbs[a].size());
            if (d < closest) {
                closest = d;
                closestPair = names[a] + " and " + names[b];
            }
        }
    EXPECT_GT(closest, 10.0) << closestPair << " are nearly alike";
}

}  // namespace
