// Decoding JPEG files into Images, and merging masks into their alpha.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "tests/assets/JpegCraft.h"
#include "tests/support/TestSupport.h"
#include "tools/common/JpegWriter.h"
#include "tools/content/JpegRead.h"

namespace {

using craft::Bytes;

long openDescriptors() { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); }

// A small known picture, to see that a failed load leaves the Image as it was.
void fillSentinel(Image& image) {
    image.release();
    image.width = 3, image.height = 2, image.pixels = new std::uint8_t[24];
    std::iota(image.pixels, image.pixels + 24, std::uint8_t(7));
}

bool isSentinel(const Image& image) {
    std::uint8_t expected[24];
    std::iota(expected, expected + 24, std::uint8_t(7));
    return image.pixels && image.width == 3 && image.height == 2 && std::equal(expected, expected + 24, image.pixels);
}

class ImageTest : public testing::Test {
protected:
    // Loads the bytes (none: no file at all) from a file; what the loader says goes to err.
    bool load(const std::string& name, const Bytes* bytes, Image& image) {
        path = dir.file(name);
        if (bytes && !bytes->empty()) {
            EXPECT_TRUE(tools::writeFile(path, *bytes));
        }
        if (bytes && bytes->empty()) std::fclose(std::fopen(path.c_str(), "wb"));
        const long descriptors = openDescriptors();
        testing::internal::CaptureStderr();
        const bool ok = JpegLoader().load(path.c_str(), image);
        err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(openDescriptors(), descriptors);
        return ok;
    }
    int errLines() const { return static_cast<int>(std::count(err.begin(), err.end(), '\n')); }
    support::TempDir dir;
    std::string path, err;
};

TEST_F(ImageTest, PicturesDecodeToOpaqueRgbaAsLibjpegDecodesThem) {
    // Width, height, components, progressive: odd sizes leave partial blocks on
    // both axes; grey fills all three channels.
    const std::tuple<int, int, int, bool> cases[] = {{16, 8, 1, false}, {17, 13, 3, false}, {3, 41, 3, false},
                                                     {1, 1, 3, false}, {1, 1, 1, false}, {33, 21, 3, true}, {9, 30, 1, true}};
    Image image;
    for (const auto& [width, height, components, progressive] : cases) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << "x" << components);
        const Bytes jpeg = craft::picture(width, height, components, progressive);
        ASSERT_TRUE(load("p.jpg", &jpeg, image));
        EXPECT_EQ(err, "");
        content::RgbImage reference;  // libjpeg's own decode
        ASSERT_TRUE(content::readJpeg(path, reference));
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        for (int k = 0; k < width * height; ++k) {
            for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(image.pixels[4 * k + ch], reference.rgb[3 * k + ch]) << k;
            ASSERT_EQ(image.pixels[4 * k + 3], 255) << k;
        }
    }
}

TEST_F(ImageTest, RefusedFilesLeaveTheImageAsItWasAndSayWhyInOneLine) {
    const Bytes rgb = craft::picture(16, 16, 3);
    const Bytes progressive = craft::picture(16, 16, 1, true);
    const int scans = craft::scanCount(progressive);
    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"absent.jpg", {}, "No such file or directory"},
        {"empty.jpg", {}, "Empty input file"},
        {"gif.jpg", craft::gifHeader(), "Not a JPEG file: starts with 0x47 0x49"},
        {"cmyk.jpg", craft::picture(8, 8, 4), "CMYK pictures are not supported"},
        {"tables.jpg", craft::tablesOnly(), "JPEG datastream contains no image"},
        {"header.jpg", Bytes(rgb.begin(), rgb.begin() + 30), ""},
        {"huge.jpg", craft::withDimensions(rgb, 20000, 20000), "picture is 20000 x 20000, larger than 16384"},
        {"wide.jpg", craft::withDimensions(rgb, 16385, 1), "picture is 16385 x 1, larger than 16384"},
        {"many.jpg", craft::withDimensions(rgb, 16384, 8192), "picture is 16384 x 8192, more than 67108864 pixels"},
        {"scans.jpg", craft::withExtraScans(progressive, 3000), "file has more than 100 scans"},
        {"scans101.jpg", craft::withExtraScans(progressive, 101 - scans), "file has more than 100 scans"},
    };
    Image image;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fillSentinel(image);
        EXPECT_FALSE(load(c.name, std::string(c.name) == "absent.jpg" ? nullptr : &c.bytes, image));
        EXPECT_TRUE(isSentinel(image));
        EXPECT_EQ(errLines(), 1) << err;
        EXPECT_EQ(err.rfind("salute: cannot load \"" + path + "\": " + c.reason, 0), 0u) << err;
    }
    // A hundred scans are still decoded (as a damaged file).
    const Bytes hundred = craft::withExtraScans(progressive, 100 - scans);
    ASSERT_EQ(craft::scanCount(hundred), 100);
    EXPECT_TRUE(load("hundred.jpg", &hundred, image));
    EXPECT_EQ(image.width, 16);
    EXPECT_LE(errLines(), 1);
}

// ---- alpha merge ----------------------------------------------------------

void makeImage(Image& image, int width, int height, std::uint8_t fill) {
    image.release();
    image.width = width;
    image.height = height;
    image.pixels = new std::uint8_t[static_cast<std::size_t>(width) * height * 4];
    std::memset(image.pixels, fill, static_cast<std::size_t>(width) * height * 4);
}

TEST_F(ImageTest, AlphaIsTheRoundedDownMeanOfTheMasksColourReadInBufferOrder) {
    Image target;
    makeImage(target, 4, 1, 77);
    Image mask;
    makeImage(mask, 5, 1, 0);  // one pixel more than needed, another shape
    const std::uint8_t colours[5][4] = {{255, 255, 255, 0}, {0, 0, 0, 255}, {1, 1, 0, 9}, {255, 255, 254, 1}, {9, 9, 9, 9}};
    std::memcpy(mask.pixels, colours, sizeof colours);
    target.mergeAlpha(mask);
    const std::uint8_t expected[4] = {255, 0, 0, 254};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(target.pixels[4 * k], 77);
        EXPECT_EQ(target.pixels[4 * k + 3], expected[k]) << "pixel " << k;
    }
    EXPECT_EQ(std::memcmp(mask.pixels, colours, sizeof colours), 0);  // only read
}

}  // namespace
