#include "text/BitmapFont.h"

#include <GL/gl.h>

#include <cstring>

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
    if (listBase != 0) wglUseFontBitmapsA(deviceContext, firstCharacter, glyphCount, listBase);
    DeleteObject(systemFont);
}

void BitmapFont::release() {
    if (listBase != 0) glDeleteLists(listBase, glyphCount);
    listBase = 0;
}

void BitmapFont::draw(const char* text) const { draw(text, std::strlen(text)); }

void BitmapFont::draw(const char* text, std::size_t length) const {
    glPushAttrib(GL_LIST_BIT);
    // Unsigned arithmetic: byte c runs list listBase - 32 + c. Without a
    // block (listBase 0) every byte names a list that does not exist.
    glListBase(listBase - firstCharacter);
    glRasterPos2i(1, 9);
    glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}
