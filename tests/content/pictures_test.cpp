// The generated pictures: every file is a baseline JPEG of its kind that
// the program's loader decodes at its size, and the masks outline their leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "tests/support/DataFolder.h"

namespace {

struct Rgba {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

Rgba load(const std::string& name) {
    Image image;
    Rgba out;
    if (!JpegLoader().load((support::dataDir() + "/" + name).c_str(), image)) return out;
    out.width = image.width;
    out.height = image.height;
    out.pixels.assign(image.pixels, image.pixels + static_cast<std::size_t>(image.width) * image.height * 4);
    return out;
}

TEST(PicturesTest, EveryPictureIsABaselineJpegOfItsKindAtItsSize) {
    for (const std::string& name : support::pictureNames()) {
        SCOPED_TRACE(name);
        const bool mask = name.find("_a.jpg") != std::string::npos;
        const int size = name.find("/photo") != std::string::npos ? 512 : 256;
        const Rgba image = load(name);
        EXPECT_EQ(image.width, size);
        EXPECT_EQ(image.height, size);
        // The frame header (the first start-of-frame marker) is baseline, with 1 or 3 components.
        const std::string bytes = support::readFile(support::dataDir() + "/" + name);
        std::size_t i = 2;
        for (int m; i + 9 < bytes.size(); i += 2 + (static_cast<unsigned char>(bytes[i + 2]) << 8 | static_cast<unsigned char>(bytes[i + 3]))) {
            m = static_cast<unsigned char>(bytes[i + 1]);
            if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) break;
        }
        ASSERT_LT(i + 9, bytes.size());
        EXPECT_EQ(static_cast<unsigned char>(bytes[i + 1]), 0xC0) << "not a baseline frame";
        EXPECT_EQ(bytes[i + 9], mask ? 1 : 3);
    }
}

TEST(PicturesTest, MasksOutlineTheirLeaves) {
    std::vector<std::vector<bool>> shapes;
    for (const LeafPictures& leaf : leafFileNames) {
        SCOPED_TRACE(leaf.picture);
        const Rgba picture = load(leaf.picture), mask = load(leaf.mask);
        ASSERT_EQ(mask.width, picture.width);
        const int n = mask.width;
        // Transparent corners, an opaque middle, a leaf-sized shape with a
        // soft edge a couple of pixels wide, autumn colours inside.
        EXPECT_LT(mask.at(0, 0)[0] + mask.at(n - 1, 0)[0] + mask.at(0, n - 1)[0] + mask.at(n - 1, n - 1)[0], 16);
        EXPECT_GT(mask.at(n / 2, n / 2)[0], 250);
        int inside = 0, edge = 0;
        double red = 0, blue = 0;
        std::vector<bool> shape(static_cast<std::size_t>(n * n));
        for (int k = 0; k < n * n; ++k) {
            const int v = mask.pixels[4 * k];
            shape[k] = v >= 128;
            inside += shape[k];
            edge += v > 24 && v < 232;
            red += shape[k] ? picture.pixels[4 * k] : 0;
            blue += shape[k] ? picture.pixels[4 * k + 2] : 0;
        }
        EXPECT_GT(inside, n * n / 5);
        EXPECT_LT(inside, n * n * 4 / 5);
        EXPECT_GT(edge, 2.0 * std::sqrt(inside)) << "the edge should be soft";
        EXPECT_LT(edge, 24.0 * std::sqrt(inside)) << "the edge should be only a couple of pixels wide";
        EXPECT_GT(red / inside, blue / inside + 60.0);
        for (const std::vector<bool>& other : shapes) {
            int both = 0, either = 0;
            for (std::size_t k = 0; k < shape.size(); ++k) {
                both += shape[k] && other[k];
                either += shape[k] || other[k];
            }
            EXPECT_LT(static_cast<double>(both) / either, 0.85) << "two leaves alike";
        }
        shapes.push_back(shape);
    }
}

}  // namespace
