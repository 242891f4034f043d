// The bitmap font on the offscreen context: its block of glyph lists, where
// a glyph lands relative to the raster offset, and what draw leaves behind.
#include <algorithm>
#include <string>

#include "tests/text_support.h"

namespace {

using texttest::grab;
using texttest::Pixels;
using texttest::TextTest;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

Box whiteBox(const Pixels& pixels) {
    Box box;
    for (int y = 0; y < texttest::height; ++y)
        for (int x = 0; x < texttest::width; ++x)
            if (pixels.white(x, y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

Pixels drawAt(float x, float y, const char* text) {
    texttest::startPicture();
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    font.draw(text);
    glPopMatrix();
    return grab();
}

float rasterX() {
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return position[0];
}

using FontTest = TextTest;

TEST_F(FontTest, BuildMakesOneListPerCharacterAndRebuildReplacesTheBlock) {
    const GLuint first = font.glyphListBase();
    for (GLuint i = 0; i < BitmapFont::glyphCount; ++i) EXPECT_TRUE(glIsList(first + i)) << "list " << i;
    EXPECT_FALSE(glIsList(first + BitmapFont::glyphCount));

    // Something else takes names after the block; a second build must not
    // leave the first block behind.
    const GLuint spare = glGenLists(1);
    font.build(texttest::testDeviceContext(), "Verdana", 16);
    const GLuint second = font.glyphListBase();
    ASSERT_NE(second, 0u);
    if (second != first) {
        for (GLuint i = 0; i < BitmapFont::glyphCount; ++i) EXPECT_FALSE(glIsList(first + i));
    }
    for (GLuint i = 0; i < BitmapFont::glyphCount; ++i) EXPECT_TRUE(glIsList(second + i));
    glDeleteLists(spare, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontTest, ReleaseDeletesTheListsOnceAndAnUnbuiltFontDrawsNothing) {
    const GLuint first = font.glyphListBase();
    font.release();
    EXPECT_EQ(font.glyphListBase(), 0u);
    EXPECT_FALSE(glIsList(first));
    font.release();  // nothing left to delete
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    BitmapFont unbuilt;
    texttest::startPicture();
    unbuilt.draw("Nothing to see");
    EXPECT_EQ(grab().count(&Pixels::white), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontTest, EmptyStringSetsTheRasterPositionAndKeepsTheCallersListBase) {
    glListBase(777);
    glPushMatrix();
    glTranslatef(100.0f, 200.0f, 0.0f);
    font.draw("");
    glPopMatrix();
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 777);
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    EXPECT_FLOAT_EQ(position[0], 101.0f);
    EXPECT_FLOAT_EQ(position[1], static_cast<float>(texttest::height - 209));
    EXPECT_EQ(grab().count(&Pixels::white), 0);

    font.draw("Abc");
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 777);
    glListBase(0);
}

TEST_F(FontTest, GlyphsSitOnTheBaselineNinePixelsBelowTheOrigin) {
    // Origin (100, 100): raster position (101, 109), so the baseline lies
    // between rows 108 and 109.
    const Box capital = whiteBox(drawAt(100.0f, 100.0f, "H"));
    ASSERT_FALSE(capital.empty());
    EXPECT_EQ(capital.bottom, 108);
    const int capHeight = capital.bottom - capital.top + 1;
    EXPECT_GE(capHeight, 9);
    EXPECT_LE(capHeight, 12);
    EXPECT_GE(capital.left, 101);
    EXPECT_LE(capital.left, 103);

    // Upright, not mirrored: a T has its bar on top.
    const Pixels tee = drawAt(100.0f, 100.0f, "T");
    const Box teeBox = whiteBox(tee);
    auto rowWidth = [&](int y) {
        int n = 0;
        for (int x = teeBox.left; x <= teeBox.right; ++x) n += tee.white(x, y) ? 1 : 0;
        return n;
    };
    EXPECT_GT(rowWidth(teeBox.top), 2 * rowWidth(teeBox.bottom));

    const Box descender = whiteBox(drawAt(100.0f, 100.0f, "g"));
    EXPECT_GT(descender.bottom, 108);
    EXPECT_LE(descender.bottom, 112);

    // The whole cell, tallest accent to deepest descender, stays within
    // the requested 16 pixels.
    const Box all = whiteBox(drawAt(100.0f, 100.0f, "Hgjy|(){}[]"));
    EXPECT_LE(all.bottom - all.top + 1, 16);
}

TEST_F(FontTest, EveryPrintableCharacterIsCrispAndAdvances) {
    for (int c = 33; c <= 126; ++c) {
        const char text[2] = {static_cast<char>(c), '\0'};
        const Pixels pixels = drawAt(100.0f, 100.0f, text);
        const float advance = rasterX() - 101.0f;
        const long white = pixels.count(&Pixels::white);
        // One bit per pixel: nothing but the glyph's white and the
        // untouched background.
        EXPECT_EQ(white + pixels.count(&Pixels::background), long(texttest::width) * texttest::height)
            << "character " << c;
        EXPECT_GT(white, 0) << "character " << c;
        EXPECT_GE(advance, 3.0f) << "character " << c;
        EXPECT_LE(advance, 16.0f) << "character " << c;
    }

    texttest::startPicture();
    font.draw(" ");
    EXPECT_GT(rasterX(), 3.0f);  // the space is an advance only
    EXPECT_EQ(grab().count(&Pixels::white), 0);
}

TEST_F(FontTest, BytesOutsideTheBlockDrawNothingAndLeaveNoGap) {
    const Pixels plain = drawAt(50.0f, 50.0f, "AB");
    const float plainAdvance = rasterX();
    for (const char* text : {"A\x01" "B", "A\x1f" "B", "A\x80" "B", "A\xc8" "B", "A\xff" "B", "A\n\t\rB"}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(text)));
        EXPECT_TRUE(drawAt(50.0f, 50.0f, text) == plain);
        EXPECT_FLOAT_EQ(rasterX(), plainAdvance);
    }
}

TEST_F(FontTest, AMissingFaceGetsASubstitute) {
    font.build(texttest::testDeviceContext(), "No Such Face Anywhere", 16);
    ASSERT_NE(font.glyphListBase(), 0u);
    EXPECT_GT(drawAt(20.0f, 20.0f, "Substitute").count(&Pixels::white), 50);
}

}  // namespace
