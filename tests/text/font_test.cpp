// The bitmap font on the offscreen context: its block of glyph lists, the
// raster offset and advance of its glyphs, and what draw leaves behind
// (where the glyphs land on the page: GoldenTest).
#include <string>

#include "tests/text/TextContext.h"

namespace {

using textcontext::grab;
using textcontext::Pixels;

Pixels drawAt(float x, float y, const char* text) {
    textcontext::startPicture();
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

class FontTest : public textcontext::TextContext {};

TEST_F(FontTest, OneListPerCharacterReleasedOnce) {
    // Every list made without an error: a glyph without an image (the
    // space) is compiled as its advance alone, which some drivers refuse
    // when it is given as an empty bitmap.
    font.build(textcontext::testDeviceContext(), "Verdana", 16);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const GLuint first = font.glyphListBase();
    for (GLuint i = 0; i < BitmapFont::glyphCount; ++i) EXPECT_TRUE(glIsList(first + i)) << "list " << i;
    EXPECT_FALSE(glIsList(first + BitmapFont::glyphCount));
    font.release();
    EXPECT_EQ(font.glyphListBase(), 0u);
    EXPECT_FALSE(glIsList(first));
    font.release();  // nothing left to delete
    BitmapFont unbuilt;
    textcontext::startPicture();
    unbuilt.draw("Nothing to see");
    EXPECT_EQ(grab().count(&Pixels::white), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FontTest, PrintableCharactersAreCrispAndAdvanceOthersDrawNothing) {
    for (int c = 32; c <= 126; ++c) {
        const char text[2] = {static_cast<char>(c), '\0'};
        const Pixels pixels = drawAt(100.0f, 100.0f, text);
        const long white = pixels.count(&Pixels::white);
        // One bit per pixel: the glyph's white and the untouched background.
        EXPECT_EQ(white + pixels.count(&Pixels::background), long(textcontext::width) * textcontext::height) << c;
        EXPECT_EQ(white > 0, c != ' ') << c;
        EXPECT_GE(rasterX() - 101.0f, 3.0f) << c;
        EXPECT_LE(rasterX() - 101.0f, 16.0f) << c;
    }
    const Pixels plain = drawAt(50.0f, 50.0f, "AB");
    const float plainAdvance = rasterX();
    for (const char* text : {"A\x01" "B", "A\x1f" "B", "A\x80" "B", "A\xc8" "B", "A\xff" "B", "A\n\t\rB"}) {
        EXPECT_TRUE(drawAt(50.0f, 50.0f, text) == plain) << testing::PrintToString(std::string(text));
        EXPECT_FLOAT_EQ(rasterX(), plainAdvance);
    }
}

TEST_F(FontTest, AMissingFaceGetsASubstitute) {
    font.build(textcontext::testDeviceContext(), "No Such Face Anywhere", 16);
    EXPECT_GT(drawAt(20.0f, 20.0f, "Substitute").count(&Pixels::white), 50);
}

}  // namespace
