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
        buildGlyphTexture(deviceContext);
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

bool BitmapFont::buildGlyphTexture(HDC deviceContext) {
    // Each glyph's image, packed in rows into one alpha texture: set bits
    // opaque, the rest clear. The images come from the same font as the
    // lists, so the texture holds exactly what they draw.
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const int textureWidth = 256;
    std::vector<GLubyte> alpha;
    std::vector<unsigned char> bits;
    int packX = 0, packY = 0, rowHeight = 0;
    for (std::uint32_t i = 0; i < glyphCount; ++i) {
        GLYPHMETRICS metrics{};
        const DWORD size = GetGlyphOutlineA(deviceContext, firstCharacter + i, GGO_BITMAP, &metrics, 0, nullptr,
                                            &identity);
        if (size == GDI_ERROR) return false;
        bits.resize(size);
        if (size > 0 &&
            GetGlyphOutlineA(deviceContext, firstCharacter + i, GGO_BITMAP, &metrics, size, bits.data(), &identity) !=
                size)
            return false;

        Glyph& glyph = glyphs[i];
        glyph.advance = static_cast<float>(metrics.gmCellIncX);
        glyph.width = size > 0 ? static_cast<int>(metrics.gmBlackBoxX) : 0;
        if (glyph.width == 0 || glyph.width > textureWidth) {
            glyph.width = 0;
            continue;
        }
        glyph.height = static_cast<int>(metrics.gmBlackBoxY);
        glyph.left = metrics.gmptGlyphOrigin.x;
        glyph.bottom = metrics.gmptGlyphOrigin.y - glyph.height;
        if (packX + glyph.width > textureWidth) {
            packX = 0;
            packY += rowHeight;
            rowHeight = 0;
        }
        const std::size_t needed = static_cast<std::size_t>(packY + glyph.height) * textureWidth;
        if (needed > alpha.size()) alpha.resize(needed, 0);
        // Bitmap rows run top first, 32-bit padded; texture rows bottom first.
        const std::size_t pitch = size / static_cast<std::size_t>(glyph.height);
        for (int y = 0; y < glyph.height; ++y) {
            const unsigned char* row = &bits[static_cast<std::size_t>(glyph.height - 1 - y) * pitch];
            for (int x = 0; x < glyph.width; ++x)
                alpha[static_cast<std::size_t>(packY + y) * textureWidth + packX + x] =
                    (row[x / 8] >> (7 - x % 8) & 1) != 0 ? 255 : 0;
        }
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

    glPushAttrib(GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, textureWidth, textureHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glPopClientAttrib();
    glPopAttrib();  // the caller's texture binding
    glyphTexture = name;
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
