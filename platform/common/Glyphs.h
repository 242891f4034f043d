// What every font backend does the same way with a character's image once
// it has one: record it as a glBitmap display list, as wglUseFontBitmaps
// makes them, and hand it out in GetGlyphOutline's GGO_BITMAP layout. The
// desktop renders the images with FreeType (Font.cpp); the page reads them
// from the file baked at build time from the same font.
#pragma once

#include <cstddef>

#include "platform/win32.h"

namespace platform {

// One character's image: one bit per pixel, most significant bit first,
// rows top first, `pitch` bytes apart; width 0 when it has no image.
struct GlyphBitmap {
    int width = 0;
    int rows = 0;
    int left = 0;  // the image's left column, from the origin
    int top = 0;   // the image's top row, above the baseline
    int advance = 0;
    const unsigned char* bits = nullptr;
    std::size_t pitch = 0;
};

// While one lives, glBitmap copies images with tightly packed rows, most
// significant bit first (the caller's unpacking state comes back after).
class BitmapUnpacking {
public:
    BitmapUnpacking();
    ~BitmapUnpacking();
    BitmapUnpacking(const BitmapUnpacking&) = delete;
    BitmapUnpacking& operator=(const BitmapUnpacking&) = delete;
};

// Records display list `list` as one glBitmap of the glyph: its image at
// the raster position, which then moves on by the advance. The current
// OpenGL context records it; call with a BitmapUnpacking alive.
void recordGlyphList(DWORD list, const GlyphBitmap& glyph);

// Whether a GetGlyphOutlineA transform is the identity, the only one served.
bool isIdentity(const MAT2* transform);

// GetGlyphOutlineA's answer for an image: fills the metrics, and the buffer
// with rows padded to 32 bits when it is given; the bytes needed or written,
// or GDI_ERROR for a buffer too small.
DWORD copyGlyphOutline(const GlyphBitmap& glyph, GLYPHMETRICS* metrics, DWORD bufferSize, void* buffer);

}  // namespace platform
