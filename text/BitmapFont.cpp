#include "text/BitmapFont.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

BitmapFont::~BitmapFont() { release(); }

void BitmapFont::build(HDC deviceContext, const char* faceName, int height) {
    release();
    listBase = glGenLists(glyphCount);

    HFONT systemFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                   faceName);
    // The system's font is not selected back: nothing else draws GDI text
    // into this device context.
    SelectObject(deviceContext, systemFont);
    if (listBase != 0 && wglUseFontBitmapsA(deviceContext, firstCharacter, glyphCount, listBase))
        captureGlyphs(height);
    DeleteObject(systemFont);
}

void BitmapFont::release() {
    if (listBase != 0) glDeleteLists(listBase, glyphCount);
    listBase = 0;
    if (glyphTexture != 0) {
        const GLuint name = glyphTexture;
        glDeleteTextures(1, &name);
    }
    glyphTexture = 0;
}

bool BitmapFont::captureGlyphs(int height) {
    // Each glyph is drawn in a cell of its own, its raster position a third
    // of the way into the cell, so accents, descenders and overhangs stay
    // inside it.
    const int cell = std::max(32, 3 * std::abs(height));
    const int origin = cell / 3;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int columns = viewport[2] / cell;
    const int rows = columns > 0 ? (static_cast<int>(glyphCount) + columns - 1) / columns : 0;
    if (columns <= 0 || rows * cell > viewport[3]) return false;
    const int areaWidth = columns * cell;
    const int areaHeight = rows * cell;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (GLenum capability : {GL_TEXTURE_2D, GL_FOG, GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST,
                              GL_SCISSOR_TEST, GL_LIGHTING, GL_DITHER, GL_COLOR_LOGIC_OP})
        glDisable(capability);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelZoom(1.0f, 1.0f);

    // What lies in the corner now is put back afterwards.
    std::vector<GLubyte> saved(static_cast<std::size_t>(areaWidth) * areaHeight * 4);
    glReadPixels(viewport[0], viewport[1], areaWidth, areaHeight, GL_RGBA, GL_UNSIGNED_BYTE, saved.data());

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glScissor(viewport[0], viewport[1], areaWidth, areaHeight);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (std::uint32_t i = 0; i < glyphCount; ++i) {
        const int x = static_cast<int>(i) % columns * cell + origin;
        const int y = static_cast<int>(i) / columns * cell + origin;
        glRasterPos2i(x, y);
        GLfloat before[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
        glCallList(listBase + i);
        GLfloat after[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
        glyphs[i].advance = after[0] - before[0];
    }
    std::vector<GLubyte> drawn(saved.size());
    glReadPixels(viewport[0], viewport[1], areaWidth, areaHeight, GL_RGBA, GL_UNSIGNED_BYTE, drawn.data());

    glRasterPos2i(0, 0);  // the corner of the viewport
    glDrawPixels(areaWidth, areaHeight, GL_RGBA, GL_UNSIGNED_BYTE, saved.data());

    // Each glyph's box of drawn pixels, packed in rows into one texture.
    const int textureWidth = 256;
    std::vector<GLubyte> alpha;
    int packX = 0, packY = 0, rowHeight = 0;
    const auto lit = [&](int x, int y) { return drawn[(static_cast<std::size_t>(y) * areaWidth + x) * 4] >= 128; };
    for (std::uint32_t i = 0; i < glyphCount; ++i) {
        const int cellX = static_cast<int>(i) % columns * cell;
        const int cellY = static_cast<int>(i) / columns * cell;
        int left = cell, right = -1, bottom = cell, top = -1;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (lit(cellX + x, cellY + y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    bottom = std::min(bottom, y);
                    top = std::max(top, y);
                }
        Glyph& glyph = glyphs[i];
        glyph.width = 0;
        if (right < 0) continue;
        glyph.left = left - origin;
        glyph.bottom = bottom - origin;
        glyph.width = right - left + 1;
        glyph.height = top - bottom + 1;
        if (packX + glyph.width > textureWidth) {
            packX = 0;
            packY += rowHeight;
            rowHeight = 0;
        }
        const std::size_t needed = static_cast<std::size_t>(packY + glyph.height) * textureWidth;
        if (needed > alpha.size()) alpha.resize(needed, 0);
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
                alpha[static_cast<std::size_t>(packY + y) * textureWidth + packX + x] =
                    lit(cellX + left + x, cellY + bottom + y) ? 255 : 0;
        glyph.s0 = static_cast<float>(packX);
        glyph.t0 = static_cast<float>(packY);
        packX += glyph.width;
        rowHeight = std::max(rowHeight, glyph.height);
    }
    int textureHeight = 1;
    while (textureHeight < packY + rowHeight) textureHeight *= 2;
    alpha.resize(static_cast<std::size_t>(textureHeight) * textureWidth, 0);
    for (Glyph& glyph : glyphs) {
        glyph.s1 = (glyph.s0 + static_cast<float>(glyph.width)) / textureWidth;
        glyph.t1 = (glyph.t0 + static_cast<float>(glyph.height)) / static_cast<float>(textureHeight);
        glyph.s0 /= textureWidth;
        glyph.t0 /= static_cast<float>(textureHeight);
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, textureWidth, textureHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glyphTexture = name;

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();  // also the texture binding and the clear colour
    return true;
}

void BitmapFont::draw(const char* text) const { draw(text, std::strlen(text)); }

void BitmapFont::draw(const char* text, std::size_t length) const {
    if (glyphTexture != 0) drawFromTexture(text, length);
    else drawWithLists(text, length);
}

void BitmapFont::drawWithLists(const char* text, std::size_t length) const {
    glPushAttrib(GL_LIST_BIT);
    // Unsigned arithmetic: byte c runs list listBase - 32 + c. Without a
    // block (listBase 0) every byte names a list that does not exist.
    glListBase(listBase - firstCharacter);
    glRasterPos2i(1, 9);
    glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

// The same pixels as the lists: each glyph's box at the raster position,
// rounded down as a bitmap is (Mesa adds a hair first, and so does this),
// in the raster colour, set texels only.
void BitmapFont::drawFromTexture(const char* text, std::size_t length) const {
    glRasterPos2i(1, 9);
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return;  // as for a bitmap: nothing drawn, nothing moved
    GLfloat position[4];
    GLfloat colour[4];
    GLint viewport[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glGetIntegerv(GL_VIEWPORT, viewport);

    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Window coordinates, as the raster position is given in.
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, glyphTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Unset texels have alpha 0: dropped, as unset bits draw nothing.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glColor4fv(colour);

    const float hair = 0.0001f;
    float x = position[0];
    const float y = std::floor(position[1] + hair);
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t code = static_cast<unsigned char>(text[i]);
        if (code < firstCharacter || code >= firstCharacter + glyphCount) continue;
        const Glyph& glyph = glyphs[code - firstCharacter];
        if (glyph.width > 0) {
            const float left = std::floor(x + hair) + static_cast<float>(glyph.left);
            const float bottom = y + static_cast<float>(glyph.bottom);
            const float right = left + static_cast<float>(glyph.width);
            const float top = bottom + static_cast<float>(glyph.height);
            glTexCoord2f(glyph.s0, glyph.t0);
            glVertex2f(left, bottom);
            glTexCoord2f(glyph.s1, glyph.t0);
            glVertex2f(right, bottom);
            glTexCoord2f(glyph.s1, glyph.t1);
            glVertex2f(right, top);
            glTexCoord2f(glyph.s0, glyph.t1);
            glVertex2f(left, top);
        }
        x += glyph.advance;
    }
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();

    // The raster position moves on as the bitmaps would have moved it, one
    // advance at a time so that its rounding is the same.
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t code = static_cast<unsigned char>(text[i]);
        if (code >= firstCharacter && code < firstCharacter + glyphCount)
            glBitmap(0, 0, 0.0f, 0.0f, glyphs[code - firstCharacter].advance, 0.0f, nullptr);
    }
}
