// The font's glyph file for the browser: what is written reads back the
// same, and a cut or damaged file is refused, never half read.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/common/BakedGlyphs.h"
#include "tests/support/TestSupport.h"

namespace {

std::vector<platform::BakedFont> sample() {
    platform::BakedGlyph space;  // no image, only an advance
    space.advance = 5;
    platform::BakedGlyph bang{3, 2, 1, 9, 6, {0xE0, 0, 0, 0, 0x40, 0, 0, 0}};
    return {{16, 32, {space, bang}}, {32, 32, {space}}};
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(BakedGlyphsTest, WhatIsWrittenReadsBack) {
    support::TempDir dir;
    std::string error;
    ASSERT_TRUE(platform::writeBakedFonts(dir.file("glyphs.bin"), sample(), error)) << error;
    std::vector<platform::BakedFont> read;
    ASSERT_TRUE(platform::readBakedFonts(dir.file("glyphs.bin"), read, error)) << error;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].height, 16);
    EXPECT_EQ(read[1].height, 32);
    ASSERT_EQ(read[0].glyphs.size(), 2u);
    const platform::BakedGlyph& bang = read[0].glyphs[1];
    EXPECT_EQ(std::vector<int>({bang.width, bang.rows, bang.left, bang.top, bang.advance}),
              std::vector<int>({3, 2, 1, 9, 6}));
    EXPECT_EQ(bang.bits, sample()[0].glyphs[1].bits);
    EXPECT_EQ(read[0].glyphs[0].advance, 5);
    EXPECT_TRUE(read[0].glyphs[0].bits.empty());
}

TEST(BakedGlyphsTest, CutDamagedOrMissingFilesAreRefused) {
    support::TempDir dir;
    std::string error;
    ASSERT_TRUE(platform::writeBakedFonts(dir.file("whole.bin"), sample(), error)) << error;
    const std::vector<char> whole = bytesOf(dir.file("whole.bin"));
    std::vector<std::vector<char>> broken;
    for (std::size_t length = 0; length < whole.size(); ++length) broken.emplace_back(whole.begin(), whole.begin() + length);
    std::vector<char> magic = whole;
    magic[0] = 'X';
    broken.push_back(magic);
    std::vector<char> huge = whole;
    huge[11] = 0x7F;  // a size count of about two billion
    broken.push_back(huge);
    std::vector<char> pitch = whole;
    pitch[68] = 9;  // the second glyph's byte count (after the header, the size and the first glyph) no longer fits its rows
    broken.push_back(pitch);
    for (std::size_t i = 0; i < broken.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        writeBytes(dir.file("broken.bin"), broken[i]);
        std::vector<platform::BakedFont> read(1);
        EXPECT_FALSE(platform::readBakedFonts(dir.file("broken.bin"), read, error));
        EXPECT_TRUE(read.empty());
        EXPECT_NE(error.find("broken.bin"), std::string::npos) << error;
    }
    std::vector<platform::BakedFont> read;
    EXPECT_FALSE(platform::readBakedFonts(dir.file("missing.bin"), read, error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}
