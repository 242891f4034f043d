#include "platform/common/Glyphs.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

namespace platform {

BitmapUnpacking::BitmapUnpacking() {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
}

BitmapUnpacking::~BitmapUnpacking() { glPopClientAttrib(); }

void recordGlyphList(DWORD list, const GlyphBitmap& glyph) {
    // glBitmap's rows run upwards, tightly packed.
    const std::size_t rowBytes = (static_cast<std::size_t>(glyph.width) + 7) / 8;
    std::vector<GLubyte> bits(rowBytes * static_cast<std::size_t>(glyph.rows));
    for (int y = 0; y < glyph.rows; ++y)
        std::copy_n(glyph.bits + static_cast<std::size_t>(y) * glyph.pitch, rowBytes,
                    &bits[static_cast<std::size_t>(glyph.rows - 1 - y) * rowBytes]);
    glNewList(list, GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, static_cast<GLfloat>(-glyph.left), static_cast<GLfloat>(glyph.rows - glyph.top),
             static_cast<GLfloat>(glyph.advance), 0.0f, bits.empty() ? nullptr : bits.data());
    glEndList();
}

bool isIdentity(const MAT2* transform) {
    return transform != nullptr && transform->eM11.value == 1 && transform->eM11.fract == 0 &&
           transform->eM22.value == 1 && transform->eM22.fract == 0 && transform->eM12.value == 0 &&
           transform->eM12.fract == 0 && transform->eM21.value == 0 && transform->eM21.fract == 0;
}

DWORD copyGlyphOutline(const GlyphBitmap& glyph, GLYPHMETRICS* metrics, DWORD bufferSize, void* buffer) {
    const std::size_t rowBytes = (static_cast<std::size_t>(glyph.width) + 7) / 8;
    const std::size_t pitch = (static_cast<std::size_t>(glyph.width) + 31) / 32 * 4;
    const std::size_t needed = pitch * static_cast<std::size_t>(glyph.rows);
    *metrics = GLYPHMETRICS{static_cast<UINT>(glyph.width), static_cast<UINT>(glyph.rows),
                            POINT{glyph.left, glyph.top}, static_cast<short>(glyph.advance), 0};
    if (buffer == nullptr || bufferSize == 0) return static_cast<DWORD>(needed);
    if (bufferSize < needed) return GDI_ERROR;
    auto* out = static_cast<unsigned char*>(buffer);
    std::fill_n(out, needed, 0);
    for (int y = 0; y < glyph.rows; ++y)
        std::copy_n(glyph.bits + static_cast<std::size_t>(y) * glyph.pitch, rowBytes, out + y * pitch);
    return static_cast<DWORD>(needed);
}

}  // namespace platform
