// Decoding JPEG files into Images, and merging masks into their alpha.
#include <dirent.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "tests/assets_JpegCraft.h"
#include "tests/support/TestSupport.h"
#include "tools/common/JpegWriter.h"

#if defined(__SANITIZE_ADDRESS__)
#define SALUTE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SALUTE_UNDER_ASAN 1
#endif
#endif

namespace {

using craft::Bytes;

int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

// An Image holding a small known picture, to see that a failed load leaves
// it exactly as it was.
void fillSentinel(Image& image) {
    image.release();
    image.width = 3;
    image.height = 2;
    image.pixels = new std::uint8_t[3 * 2 * 4];
    for (int i = 0; i < 3 * 2 * 4; ++i) image.pixels[i] = static_cast<std::uint8_t>(i * 11 + 7);
}

bool isSentinel(const Image& image) {
    if (!image.pixels || image.width != 3 || image.height != 2) return false;
    for (int i = 0; i < 3 * 2 * 4; ++i) {
        if (image.pixels[i] != static_cast<std::uint8_t>(i * 11 + 7)) return false;
    }
    return true;
}

#if !defined(SALUTE_UNDER_ASAN)
// Bytes handed out by malloc, from the heap and as separate mappings.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
#endif

struct LoadResult {
    bool ok;
    std::string err;  // what the loader wrote to stderr
};

LoadResult loadCapturingErrors(const std::string& path, Image& image) {
    testing::internal::CaptureStderr();
    JpegLoader loader;
    const bool ok = loader.load(path.c_str(), image);
    return {ok, testing::internal::GetCapturedStderr()};
}

int lineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// The loader's pixels against libjpeg's own decode of the same bytes.
void expectMatchesReference(const Image& image, const Bytes& jpeg) {
    const craft::Decoded reference = craft::referenceDecode(jpeg);
    ASSERT_TRUE(reference.ok);
    ASSERT_EQ(image.width, reference.width);
    ASSERT_EQ(image.height, reference.height);
    ASSERT_NE(image.pixels, nullptr);
    const int count = image.width * image.height;
    for (int k = 0; k < count; ++k) {
        const std::uint8_t* pixel = image.pixels + 4 * k;
        const std::uint8_t* sample = reference.samples.data() + reference.components * k;
        const std::uint8_t r = sample[0];
        const std::uint8_t g = reference.components == 3 ? sample[1] : sample[0];
        const std::uint8_t b = reference.components == 3 ? sample[2] : sample[0];
        ASSERT_EQ(pixel[0], r) << "pixel " << k;
        ASSERT_EQ(pixel[1], g) << "pixel " << k;
        ASSERT_EQ(pixel[2], b) << "pixel " << k;
        ASSERT_EQ(pixel[3], 255) << "pixel " << k;
    }
}

class JpegLoad : public testing::Test {
protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.file(name);
        if (bytes.empty()) {
            std::FILE* file = std::fopen(path.c_str(), "wb");
            EXPECT_TRUE(file && std::fclose(file) == 0);
        } else {
            EXPECT_TRUE(tools::writeFile(path, bytes));
        }
        return path;
    }
    support::TempDir dir;
};

TEST_F(JpegLoad, GreyAndColourPicturesDecodeToOpaqueRgba) {
    struct Case {
        const char* name;
        int width, height, components;
        bool progressive;
    };
    const Case cases[] = {
        {"grey.jpg", 16, 8, 1, false},
        {"rgb.jpg", 17, 13, 3, false},      // odd sizes, partial blocks on both axes
        {"tall.jpg", 3, 41, 3, false},
        {"one.jpg", 1, 1, 3, false},
        {"onegrey.jpg", 1, 1, 1, false},
        {"progressive.jpg", 33, 21, 3, true},
        {"progressivegrey.jpg", 9, 30, 1, true},
    };
    Image image;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes jpeg = craft::picture(c.width, c.height, c.components, c.progressive);
        const std::string path = write(c.name, jpeg);
        const int descriptors = openDescriptors();
        const LoadResult result = loadCapturingErrors(path, image);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(openDescriptors(), descriptors);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        expectMatchesReference(image, jpeg);
    }
}

TEST_F(JpegLoad, GreySampleFillsAllThreeChannels) {
    // A flat grey picture of a value that survives compression exactly.
    const Bytes samples(8 * 8, 200);
    const std::string path = write("flat.jpg", tools::encodeJpeg(samples.data(), 8, 8, 1));
    Image image;
    ASSERT_TRUE(JpegLoader().load(path.c_str(), image));
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(image.pixels[4 * k + 0], 200);
        EXPECT_EQ(image.pixels[4 * k + 1], 200);
        EXPECT_EQ(image.pixels[4 * k + 2], 200);
        EXPECT_EQ(image.pixels[4 * k + 3], 255);
    }
}

TEST_F(JpegLoad, RefusedFilesLeaveTheImageAsItWasAndSayWhyInOneLine) {
    const Bytes rgb = craft::picture(16, 16, 3);
    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty.jpg", {}, "Empty input file"},
        {"gif.jpg", craft::gifHeader(), "Not a JPEG file: starts with 0x47 0x49"},
        {"cmyk.jpg", craft::picture(8, 8, 4), "CMYK pictures are not supported"},
        {"tables.jpg", craft::tablesOnly(), "no image"},
        {"header.jpg", Bytes(rgb.begin(), rgb.begin() + 30), ""},
        {"huge.jpg", craft::withDimensions(rgb, 20000, 20000), "picture is 20000 x 20000, larger than 16384"},
        {"wide.jpg", craft::withDimensions(rgb, 16385, 1), "picture is 16385 x 1, larger than 16384"},
        {"many.jpg", craft::withDimensions(rgb, 16384, 8192),
         "picture is 16384 x 8192, more than 67108864 pixels"},
        {"scans.jpg", craft::withExtraScans(craft::picture(16, 16, 1, true), 3000), "more than 100 scans"},
    };
    Image image;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.name, c.bytes);
        fillSentinel(image);
        const int descriptors = openDescriptors();
        const LoadResult result = loadCapturingErrors(path, image);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(isSentinel(image));
        EXPECT_EQ(openDescriptors(), descriptors);
        EXPECT_EQ(lineCount(result.err), 1) << result.err;
        EXPECT_EQ(result.err.rfind("salute: cannot load \"" + path + "\": ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    }
}

TEST_F(JpegLoad, MissingFileNamesTheSystemsReason) {
    Image image;
    fillSentinel(image);
    const std::string path = dir.file("absent.jpg");
    const LoadResult result = loadCapturingErrors(path, image);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(isSentinel(image));
    EXPECT_EQ(result.err, "salute: cannot load \"" + path + "\": No such file or directory\n");
}

TEST_F(JpegLoad, ScanLimitAllowsAHundredScans) {
    const Bytes progressive = craft::picture(16, 16, 1, true);
    const int base = craft::scanCount(progressive);
    ASSERT_GT(base, 1);
    ASSERT_LT(base, 100);

    Image image;
    const Bytes hundred = craft::withExtraScans(progressive, 100 - base);
    ASSERT_EQ(craft::scanCount(hundred), 100);
    // Repeated scans are a damaged file: decoded, with one line saying so.
    LoadResult result = loadCapturingErrors(write("hundred.jpg", hundred), image);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(image.width, 16);
    EXPECT_LE(lineCount(result.err), 1);

    fillSentinel(image);
    result = loadCapturingErrors(write("hundredone.jpg", craft::withExtraScans(progressive, 101 - base)), image);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(isSentinel(image));
}

TEST_F(JpegLoad, FileCutShortDecodesWithOneLineAboutTheDamage) {
    const Bytes whole = craft::picture(64, 64, 3);
    const Bytes half(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    const std::string path = write("half.jpg", half);
    Image image;
    const int descriptors = openDescriptors();
    const LoadResult result = loadCapturingErrors(path, image);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
    EXPECT_EQ(lineCount(result.err), 1) << result.err;
    EXPECT_NE(result.err.find("\"" + path + "\" is damaged"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Premature end of JPEG file"), std::string::npos) << result.err;
    // The part that was there is the same as the whole file's.
    const Image& cut = image;
    Image full;
    ASSERT_TRUE(JpegLoader().load(write("whole.jpg", whole).c_str(), full));
    EXPECT_EQ(std::memcmp(cut.pixels, full.pixels, 64 * 4 * 8), 0);
}

TEST_F(JpegLoad, ReloadKeepsOnlyTheNewPicture) {
    const std::string big = write("big.jpg", craft::picture(256, 256, 3));
    const std::string small = write("small.jpg", craft::picture(5, 7, 1));
    JpegLoader loader;
    Image image;
    ASSERT_TRUE(loader.load(big.c_str(), image));
#if !defined(SALUTE_UNDER_ASAN)
    // Each 256 x 256 picture is 256 KiB of pixels: loading it again and
    // again must not pile them up. (Under AddressSanitizer the leak checker
    // watches this instead.)
    const std::size_t before = heapInUse();
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(loader.load(big.c_str(), image));
    EXPECT_LT(heapInUse(), before + 128 * 1024);
#endif
    ASSERT_TRUE(loader.load(small.c_str(), image));
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 7);
    ASSERT_TRUE(loader.load(big.c_str(), image));
    EXPECT_EQ(image.width, 256);
}

// ---- alpha merge ----------------------------------------------------------

void makeImage(Image& image, int width, int height, std::uint8_t fill) {
    image.release();
    image.width = width;
    image.height = height;
    image.pixels = new std::uint8_t[static_cast<std::size_t>(width) * height * 4];
    std::memset(image.pixels, fill, static_cast<std::size_t>(width) * height * 4);
}

TEST(AlphaMerge, AlphaIsTheRoundedDownMeanOfTheMasksColour) {
    Image target;
    makeImage(target, 2, 2, 0);
    for (int k = 0; k < 4; ++k) {
        target.pixels[4 * k + 0] = static_cast<std::uint8_t>(10 + k);
        target.pixels[4 * k + 1] = static_cast<std::uint8_t>(20 + k);
        target.pixels[4 * k + 2] = static_cast<std::uint8_t>(30 + k);
        target.pixels[4 * k + 3] = 77;
    }
    Image mask;
    makeImage(mask, 2, 2, 0);
    const std::uint8_t colours[4][4] = {
        {255, 255, 255, 0}, {0, 0, 0, 255}, {1, 1, 0, 9}, {255, 255, 254, 1}};
    std::memcpy(mask.pixels, colours, sizeof colours);

    target.mergeAlpha(mask);
    const std::uint8_t expected[4] = {255, 0, 0, 254};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(target.pixels[4 * k + 0], 10 + k);
        EXPECT_EQ(target.pixels[4 * k + 1], 20 + k);
        EXPECT_EQ(target.pixels[4 * k + 2], 30 + k);
        EXPECT_EQ(target.pixels[4 * k + 3], expected[k]) << "pixel " << k;
    }
    // The mask itself is only read.
    EXPECT_EQ(std::memcmp(mask.pixels, colours, sizeof colours), 0);
}

TEST(AlphaMerge, MaskIsReadInBufferOrderWhateverItsShape) {
    Image target;
    makeImage(target, 4, 2, 0);
    Image mask;
    makeImage(mask, 3, 3, 0);  // 9 pixels, one more than needed
    for (int k = 0; k < 9; ++k) {
        mask.pixels[4 * k + 0] = mask.pixels[4 * k + 1] = mask.pixels[4 * k + 2] = static_cast<std::uint8_t>(k * 20);
    }
    target.mergeAlpha(mask);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(target.pixels[4 * k + 3], k * 20);
}

TEST(AlphaMerge, MissingOrSmallerMaskLeavesAlphaAlone) {
    Image target;
    makeImage(target, 4, 4, 90);
    Image empty;
    target.mergeAlpha(empty);
    Image smaller;
    makeImage(smaller, 4, 3, 0);
    target.mergeAlpha(smaller);
    Image oneShort;
    makeImage(oneShort, 5, 3, 0);  // 15 of the 16 pixels
    target.mergeAlpha(oneShort);
    for (int i = 0; i < 4 * 4 * 4; ++i) EXPECT_EQ(target.pixels[i], 90) << "byte " << i;
}

TEST(AlphaMerge, EmptyImageTouchesNothing) {
    Image empty;
    Image mask;
    makeImage(mask, 2, 2, 33);
    empty.mergeAlpha(mask);
    EXPECT_EQ(empty.pixels, nullptr);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(mask.pixels[i], 33);
}

TEST(AlphaMerge, LoadedPictureAndMask) {
    // The way the presentation uses it: a picture and a grey mask of the
    // same size, both from files.
    support::TempDir dir;
    const std::string picturePath = dir.file("leaf.jpg");
    const std::string maskPath = dir.file("leaf_a.jpg");
    const Bytes pictureBytes = craft::picture(20, 10, 3);
    ASSERT_TRUE(tools::writeFile(picturePath, pictureBytes));
    ASSERT_TRUE(tools::writeFile(maskPath, craft::picture(20, 10, 1, false, 5)));
    JpegLoader loader;
    Image picture;
    Image mask;
    ASSERT_TRUE(loader.load(picturePath.c_str(), picture));
    ASSERT_TRUE(loader.load(maskPath.c_str(), mask));
    picture.mergeAlpha(mask);
    const craft::Decoded colour = craft::referenceDecode(pictureBytes);
    for (int k = 0; k < 200; ++k) {
        // A grey mask's mean is its grey value.
        EXPECT_EQ(picture.pixels[4 * k + 3], mask.pixels[4 * k]);
        EXPECT_EQ(picture.pixels[4 * k + 0], colour.samples[3 * k]);
    }
}

}  // namespace
