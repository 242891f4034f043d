#include "text/TextPages.h"

#include <GL/gl.h>

#include <cstring>

#include "frame/FrameState.h"
#include "text/BitmapFont.h"
#include "text/PageTexts.inc"

const TextPage textPages[4] = {
    {pageText1, 1.0f, 25.0f},
    {pageText2, 25.5f, 50.0f},
    {pageText3, 50.5f, 75.0f},
    {pageText4, 75.5f, 100.0f},
};

namespace {
const float pageX = 16.0f;
const float pageY = 80.0f;
const float linePitch = 16.0f;
}  // namespace

void drawPage(const char* text, float start, float end) {
    // Strict on both sides; a NaN time fails both tests and shows nothing.
    if (demoTime > start && demoTime < end) drawTextBlock(pageX, pageY, text);
}

void drawTextBlock(float x, float y, const char* text) {
    // Fog stays enabled after the 3D pass. Some OpenGLs fog a raster
    // position by its distance from the eye rather than its depth, which
    // would grey the text, so the text is drawn with fog off.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_FOG);
    glPushMatrix();
    // In a drawing N times the design's size, every position and offset of
    // the layout (origin, pitch, the copies' offsets, the font's raster
    // offset) is N times larger; the font itself was built N times larger.
    if (viewScale != 1) glScalef(static_cast<float>(viewScale), static_cast<float>(viewScale), 1.0f);
    glTranslatef(x, y, 0.0f);

    // A line ends at its line feed; characters after the last line feed
    // are not drawn, and an empty line ends the block.
    const char* line = text;
    const char* lineEnd = std::strchr(line, '\n');
    while (lineEnd != nullptr && lineEnd != line) {
        const std::size_t length = static_cast<std::size_t>(lineEnd - line);

        // Two black copies and a white one on top, one pixel right of and
        // below the first: the black shows as a rim above and to the left.
        glColor3f(0.0f, 0.0f, 0.0f);
        font.draw(line, length);
        glTranslatef(1.0f, 0.0f, 0.0f);
        font.draw(line, length);  // the raster position latched black again
        glTranslatef(0.0f, 1.0f, 0.0f);
        glColor3f(1.0f, 1.0f, 1.0f);
        font.draw(line, length);
        glTranslatef(-1.0f, -1.0f, 0.0f);

        line = lineEnd + 1;
        lineEnd = std::strchr(line, '\n');
        glTranslatef(0.0f, linePitch, 0.0f);
    }

    glPopMatrix();
    glPopAttrib();
}
