// The font's glyph images as a file, for systems that have no font of their
// own (the browser): a tool renders them at build time with the desktop's
// font code (GetGlyphOutlineA), and the page's font calls read them back.
//
// Layout, all integers 32-bit little-endian: "SGLYPHS1", the number of
// sizes; then per size its cell height, the first character code and the
// number of characters; then per character its image width, rows, left
// column, top row, advance and byte count, and the image bytes in
// GetGlyphOutlineA's GGO_BITMAP layout (rows top first, padded to 32 bits).
#pragma once

#include <string>
#include <vector>

namespace platform {

struct BakedGlyph {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<unsigned char> bits;
};

// One size of the font: the glyphs of the codes first, first + 1, ...
struct BakedFont {
    int height = 0;
    int first = 0;
    std::vector<BakedGlyph> glyphs;
};

// False, with `error` saying why, when the file cannot be written or read
// or is not such a file.
bool writeBakedFonts(const std::string& path, const std::vector<BakedFont>& fonts, std::string& error);
bool readBakedFonts(const std::string& path, std::vector<BakedFont>& fonts, std::string& error);

}  // namespace platform
