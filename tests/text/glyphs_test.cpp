// The font's fast path sets exactly the pixels its glyph lists set, for every
// byte and page, blended or not, under any viewport at build time.
#include <GL/gl.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/text/TextContext.h"
#include "text/TextPages.h"

namespace {

using textcontext::Pixels;

// What BitmapFont::draw does with its lists alone.
void drawWithLists(const char* text, std::size_t length) {
    glPushAttrib(GL_LIST_BIT);
    glListBase(font.glyphListBase() - BitmapFont::firstCharacter);
    glRasterPos2i(1, 9);
    glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

// A page as drawTextBlock lays it out, each line drawn by `draw`.
template <typename Draw>
Pixels page(const char* text, float x, float y, bool sceneState, Draw draw) {
    textcontext::startPicture();
    if (sceneState) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
    }
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    for (const char* line = text; const char* end = std::strchr(line, '\n'); line = end + 1) {
        const std::size_t length = static_cast<std::size_t>(end - line);
        glColor3f(0.0f, 0.0f, 0.0f);
        draw(line, length);
        glTranslatef(1.0f, 0.0f, 0.0f);
        draw(line, length);
        glTranslatef(0.0f, 1.0f, 0.0f);
        glColor3f(1.0f, 1.0f, 1.0f);
        draw(line, length);
        glTranslatef(-1.0f, 15.0f, 0.0f);
    }
    glPopMatrix();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    return textcontext::grab();
}

long differences(const Pixels& a, const Pixels& b) {
    long count = 0;
    for (std::size_t i = 0; i < a.rgba.size(); i += 4)
        count += std::memcmp(&a.rgba[i], &b.rgba[i], 3) != 0;
    return count;
}

class GlyphsTest : public textcontext::TextContext {};

void fast(const char* text, std::size_t length) { font.draw(text, length); }

// Built while the viewport reaches past the drawing or covers a corner only.
TEST_F(GlyphsTest, BuildingUnderAnyViewportGivesEveryGlyphItsListsDraw) {
    const std::array<GLint, 4> viewports[] = {{0, 0, 1920, 1080}, {0, 0, 40, 30}, {-600, 300, 640, 480}};
    for (const auto& viewport : viewports) {
        SCOPED_TRACE(testing::Message() << "viewport " << viewport[2] << "x" << viewport[3]);
        // Building leaves the framebuffer and the state as they were.
        textcontext::startPicture();
        glColor3f(0.5f, 0.25f, 1.0f);
        glBegin(GL_QUADS);
        for (const auto& [x, y] : {std::pair{10, 10}, {200, 10}, {200, 200}, {10, 200}}) glVertex2f(x, y);
        glEnd();
        const Pixels before = textcontext::grab();
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        font.build(textcontext::testDeviceContext(), "Verdana", 16);
        glViewport(0, 0, textcontext::width, textcontext::height);
        EXPECT_EQ(differences(before, textcontext::grab()), 0);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 0.5f);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0);
        std::string all;  // every byte but the line feed, as one line
        for (int c = 1; c < 256; ++c) all += static_cast<char>(c == '\n' ? ' ' : c);
        std::vector<const char*> texts = {(all += '\n').c_str()};
        for (const TextPage& textPage : textPages) texts.push_back(textPage.text);
        // At the pages' place blended, and at a fractional one not.
        for (const char* text : texts) {
            EXPECT_EQ(differences(page(text, 16.0f, 80.0f, true, drawWithLists), page(text, 16.0f, 80.0f, true, fast)), 0);
            EXPECT_EQ(differences(page(text, 16.5f, 80.25f, false, drawWithLists), page(text, 16.5f, 80.25f, false, fast)), 0);
        }
    }
}

}  // namespace
