// Renders the glyph images of a font at a few cell heights into one file,
// with the desktop's own font calls, for the browser, which has no such font:
// the page then draws exactly the glyphs the desktop draws.
// Usage: salute-fontbake OUTPUT FACE HEIGHT...
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/BakedGlyphs.h"
#include "platform/win32.h"

namespace {

// The characters the program's font holds.
constexpr int firstCode = 32;
constexpr int codeCount = 96;

// The font calls want a device context only to select the font into: any
// handle of ours will do, no window is needed.
char contextTag;
const HDC bakingContext = reinterpret_cast<HDC>(&contextTag);

bool bake(const char* face, int height, platform::BakedFont& font) {
    HFONT handle = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    if (!handle) return false;
    SelectObject(bakingContext, handle);
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    font.height = height;
    font.first = firstCode;
    bool ok = true;
    for (int code = firstCode; ok && code < firstCode + codeCount; ++code) {
        GLYPHMETRICS metrics{};
        platform::BakedGlyph glyph;
        const DWORD size = GetGlyphOutlineA(bakingContext, code, GGO_BITMAP, &metrics, 0, nullptr, &identity);
        ok = size != GDI_ERROR;
        glyph.bits.resize(ok ? size : 0);
        if (ok && size > 0)
            ok = GetGlyphOutlineA(bakingContext, code, GGO_BITMAP, &metrics, size, glyph.bits.data(), &identity) == size;
        glyph.width = static_cast<int>(metrics.gmBlackBoxX);
        glyph.rows = static_cast<int>(metrics.gmBlackBoxY);
        glyph.left = metrics.gmptGlyphOrigin.x;
        glyph.top = metrics.gmptGlyphOrigin.y;
        glyph.advance = metrics.gmCellIncX;
        if (size == 0) glyph.width = glyph.rows = 0;  // no image (the space)
        font.glyphs.push_back(std::move(glyph));
    }
    DeleteObject(handle);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTPUT FACE HEIGHT...\n", argv[0]);
        return 2;
    }
    std::vector<platform::BakedFont> fonts;
    for (int i = 3; i < argc; ++i) {
        const int height = std::atoi(argv[i]);
        if (height <= 0 || height > 1024) {
            std::fprintf(stderr, "%s: a height is a cell height in pixels, 1 to 1024, not \"%s\"\n", argv[0], argv[i]);
            return 2;
        }
        fonts.emplace_back();
        if (!bake(argv[2], height, fonts.back())) {
            std::fprintf(stderr, "%s: no glyphs of \"%s\" at height %d\n", argv[0], argv[2], height);
            return 1;
        }
    }
    std::string error;
    if (!platform::writeBakedFonts(argv[1], fonts, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    return 0;
}
