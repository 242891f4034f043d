// A display-list font: one bitmap list per character code 32 to 127, made
// once from a system font and drawn a whole string at a time.
//
// Drawing a string bitmap by bitmap is slow on software OpenGL (each colour
// or position change flushes the driver's bitmap cache), so build also
// packs the font's glyph images into one texture; draw then sets the same
// pixels with one textured quad per glyph. The texture is made from the
// same images the lists hold, never from pixels read back from a window,
// which may be obscured or smaller than the drawing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

class BitmapFont {
public:
    static constexpr std::uint32_t firstCharacter = 32;
    static constexpr std::uint32_t glyphCount = 96;

    // Makes no OpenGL call: safe before any rendering context exists.
    BitmapFont() = default;
    virtual ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Makes the 96 glyph lists from the face at the given GDI height (a
    // positive height is the cell height in pixels). Needs the device
    // context's rendering context to be current. A second build replaces
    // the first block.
    void build(HDC deviceContext, const char* faceName, int height);
    // Deletes the glyph lists, if any.
    void release();
    // Draws the string at raster offset (1, 9) from the current modelview
    // origin, in the current colour. Bytes outside 32..127 draw nothing and
    // do not move the raster position. The caller's list base is kept.
    void draw(const char* text) const;
    void draw(const char* text, std::size_t length) const;

    // The first glyph list, or 0 when the font holds none.
    std::uint32_t glyphListBase() const { return listBase; }

private:
    // Where a glyph's pixels lie relative to the raster position, and where
    // the texture holds them; width 0 for a glyph that draws nothing.
    struct Glyph {
        int left = 0;
        int bottom = 0;
        int width = 0;
        int height = 0;
        float advance = 0.0f;
        float s0 = 0.0f, t0 = 0.0f, s1 = 0.0f, t1 = 0.0f;
    };

    // Packs every glyph's image and advance into the texture; false (and
    // no texture: draw uses the lists) when the font gives no images.
    bool buildGlyphTexture(HDC deviceContext);
    void drawWithLists(const char* text, std::size_t length) const;
    void drawFromTexture(const char* text, std::size_t length) const;

    std::uint32_t listBase = 0;
    std::uint32_t glyphTexture = 0;  // 0: draw with the lists
    Glyph glyphs[glyphCount];
};

// The presentation's one font, built by the asset load.
extern BitmapFont font;
