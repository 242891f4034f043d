// The GDI font calls in the browser, which has no font of the desktop's:
// the glyph images come from the file that salute-fontbake rendered at
// build time with the desktop's font code, one set per cell height the
// program asks for, so the page draws exactly the desktop's glyphs.
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/common/BakedGlyphs.h"
#include "platform/common/Glyphs.h"
#include "platform/win32.h"

// A font object: one baked size.
struct HGDIOBJ__ {
    const platform::BakedFont* size;
};

namespace {

// Where the page puts the baked glyphs, beside the program's data.
const char* const glyphFile = "glyphs.bin";

struct Fonts {
    std::vector<platform::BakedFont> sizes;
    std::vector<HGDIOBJ__> handles;  // one per size, handed out for the program's requests
    std::unordered_map<HDC, HGDIOBJ> selected;
};

// The baked sizes, read on first use; none when the file is missing or
// damaged (said once on stderr).
Fonts& fonts() {
    static Fonts loaded = [] {
        Fonts made;
        std::string error;
        if (!platform::readBakedFonts(glyphFile, made.sizes, error))
            std::fprintf(stderr, "salute: the font's glyphs cannot be read (%s); text is not shown\n", error.c_str());
        for (const platform::BakedFont& size : made.sizes) made.handles.push_back(HGDIOBJ__{&size});
        return made;
    }();
    return loaded;
}

bool isFont(HGDIOBJ object) {
    const std::vector<HGDIOBJ__>& handles = fonts().handles;
    return !handles.empty() && object >= &handles.front() && object <= &handles.back();
}

// The glyph of a code in the font selected into a device context, or null.
const platform::BakedGlyph* selectedGlyph(HDC deviceContext, UINT code) {
    const auto found = fonts().selected.find(deviceContext);
    if (found == fonts().selected.end()) return nullptr;
    const platform::BakedFont& size = *found->second->size;
    const long index = static_cast<long>(code) - size.first;
    return index >= 0 && index < static_cast<long>(size.glyphs.size()) ? &size.glyphs[static_cast<std::size_t>(index)]
                                                                         : nullptr;
}

platform::GlyphBitmap bitmapOf(const platform::BakedGlyph& glyph) {
    return platform::GlyphBitmap{glyph.width,   glyph.rows,        glyph.left,
                                 glyph.top,     glyph.advance,     glyph.bits.data(),
                                 (static_cast<std::size_t>(glyph.width) + 31) / 32 * 4};
}

}  // namespace

// Any face gets the baked one, as the system's matching substitutes a face
// it lacks; the height must be one that was baked.
HFONT CreateFontA(int height, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR) {
    if (height == 0) height = 16;  // the system's choice for "any size"
    for (HGDIOBJ__& handle : fonts().handles) {
        if (handle.size->height == height) return &handle;
    }
    if (!fonts().sizes.empty())
        std::fprintf(stderr, "salute: no glyphs were baked for a height of %d pixels; text is not shown\n", height);
    return nullptr;
}

HGDIOBJ SelectObject(HDC deviceContext, HGDIOBJ object) {
    if (deviceContext == nullptr || !isFont(object)) return nullptr;
    HGDIOBJ& selected = fonts().selected[deviceContext];
    HGDIOBJ previous = selected;
    selected = object;
    return previous;
}

// The baked sizes live as long as the page; deleting a font only leaves
// the device contexts that had it with the default one.
BOOL DeleteObject(HGDIOBJ object) {
    if (!isFont(object)) return FALSE;
    auto& selected = fonts().selected;
    for (auto it = selected.begin(); it != selected.end();) it = it->second == object ? selected.erase(it) : std::next(it);
    return TRUE;
}

BOOL wglUseFontBitmapsA(HDC deviceContext, DWORD first, DWORD count, DWORD listBase) {
    if (listBase == 0 || fonts().selected.count(deviceContext) == 0) return FALSE;
    const platform::BitmapUnpacking unpacking;
    for (DWORD i = 0; i < count; ++i) {
        const platform::BakedGlyph* glyph = selectedGlyph(deviceContext, first + i);
        platform::recordGlyphList(listBase + i, glyph ? bitmapOf(*glyph) : platform::GlyphBitmap{});
    }
    return TRUE;
}

DWORD GetGlyphOutlineA(HDC deviceContext, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* transform) {
    const platform::BakedGlyph* glyph = selectedGlyph(deviceContext, character);
    if (glyph == nullptr || format != GGO_BITMAP || metrics == nullptr || !platform::isIdentity(transform))
        return GDI_ERROR;
    return platform::copyGlyphOutline(bitmapOf(*glyph), metrics, bufferSize, buffer);
}
