// The GDI font calls on fontconfig and FreeType: a font is matched by face
// name the way the system's font matching does (a substitute when the face
// is missing), sized so its cell is the requested height, and turned into
// one glBitmap display list per character, as wglUseFontBitmaps makes them.
#include <GL/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/common/Glyphs.h"
#include "platform/win32.h"

// A font object: the matched face, opened at its pixel size.
struct HGDIOBJ__ {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

namespace {

// Every font handed out and not yet deleted, so that a stale or foreign
// handle is refused instead of followed.
std::unordered_set<HGDIOBJ>& liveFonts() {
    static std::unordered_set<HGDIOBJ> fonts;
    return fonts;
}

// The font selected into each device context. A context without an entry
// has the system's default font, which draws nothing here.
std::unordered_map<HDC, HGDIOBJ>& selectedFonts() {
    static std::unordered_map<HDC, HGDIOBJ> fonts;
    return fonts;
}

void destroyFont(HGDIOBJ font) {
    if (font->face != nullptr) FT_Done_Face(font->face);
    if (font->library != nullptr) FT_Done_FreeType(font->library);
    delete font;
}

// The pixel size (em square) for a GDI height: a positive height is the
// cell height, ascent plus descent, measured as the system does it (the
// OS/2 Windows metrics where the font has them); a negative height is the
// character height, the em square itself.
FT_UInt pixelSizeFor(FT_Face face, int height) {
    if (height == 0) height = 16;  // the system's choice for "any size"
    double pixels = 0.0;
    if (height < 0) {
        pixels = -static_cast<double>(height);
    } else {
        double cell = 0.0;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 != nullptr && os2->version != 0xFFFF) cell = double(os2->usWinAscent) + double(os2->usWinDescent);
        if (cell <= 0.0) cell = double(face->ascender) - double(face->descender);
        if (cell <= 0.0) cell = face->units_per_EM;
        pixels = static_cast<double>(height) * face->units_per_EM / cell;
    }
    const double rounded = std::floor(pixels + 0.5);
    if (rounded < 1.0) return 1;
    if (rounded > 1024.0) return 1024;
    return static_cast<FT_UInt>(rounded);
}

// The font's character for an 8-bit code, in the Western ANSI code page.
FT_ULong unicodeFor(DWORD code) {
    static const unsigned short high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (code >= 0x80 && code < 0xA0) return high[code - 0x80];
    return code;
}

// One character's image as the font draws it: its form (see Glyphs.h) with
// each row padded to whole bytes, and the rows themselves, which the form
// points to once it is handed out (bitmapOf).
struct GlyphImage {
    platform::GlyphBitmap form;
    std::vector<unsigned char> bits;
};

GlyphImage renderGlyph(FT_Face face, DWORD code) {
    GlyphImage rendered;
    platform::GlyphBitmap& image = rendered.form;
    const FT_UInt glyph = FT_Get_Char_Index(face, unicodeFor(code));
    // Hinted and rendered straight to one bit per pixel: crisp stems at
    // small sizes, as the system's bitmap fonts are.
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return rendered;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    image.advance = static_cast<int>(std::floor(static_cast<float>(slot->advance.x) / 64.0f + 0.5f));
    if (bitmap.width == 0 || bitmap.rows == 0 ||
        (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY))
        return rendered;
    image.width = static_cast<int>(bitmap.width);
    image.rows = static_cast<int>(bitmap.rows);
    image.left = slot->bitmap_left;
    image.top = slot->bitmap_top;
    image.pitch = (static_cast<std::size_t>(image.width) + 7) / 8;
    rendered.bits.assign(image.pitch * static_cast<std::size_t>(image.rows), 0);
    for (int y = 0; y < image.rows; ++y) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        unsigned char* target = &rendered.bits[static_cast<std::size_t>(y) * image.pitch];
        for (int x = 0; x < image.width; ++x) {
            const bool on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((source[x / 8] >> (7 - x % 8)) & 1) != 0
                                                                     : source[x] >= 128;
            if (on) target[x / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
        }
    }
    return rendered;
}

// The font selected into a device context, or null.
FT_Face selectedFace(HDC deviceContext) {
    const auto found = selectedFonts().find(deviceContext);
    return found == selectedFonts().end() ? nullptr : found->second->face;
}

// The shared form of an image (see Glyphs.h).
platform::GlyphBitmap bitmapOf(const GlyphImage& image) {
    platform::GlyphBitmap bitmap = image.form;
    bitmap.bits = image.bits.data();
    return bitmap;
}

}  // namespace

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, DWORD, LPCSTR faceName) {
    const char* name = faceName != nullptr ? faceName : "";
    if (!FcInit()) {
        std::fprintf(stderr, "salute: the font configuration could not be loaded; text is not shown\n");
        return nullptr;
    }

    FcPattern* request = FcPatternCreate();
    if (request == nullptr) return nullptr;
    // The face name is taken literally, not parsed as a fontconfig name.
    if (name[0] != '\0') FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    FcPatternAddInteger(request, FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : FW_NORMAL));
    FcPatternAddInteger(request, FC_SLANT, italic != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(request, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, request, &result);
    FcPatternDestroy(request);

    FcChar8* file = nullptr;
    int index = 0;
    if (match == nullptr || FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) {
        std::fprintf(stderr, "salute: no installed font can stand in for \"%s\"; text is not shown\n", name);
        if (match != nullptr) FcPatternDestroy(match);
        return nullptr;
    }
    FcPatternGetInteger(match, FC_INDEX, 0, &index);

    auto* font = new HGDIOBJ__;
    const char* path = reinterpret_cast<const char*>(file);
    bool ok = FT_Init_FreeType(&font->library) == 0;
    ok = ok && FT_New_Face(font->library, path, index, &font->face) == 0;
    ok = ok && FT_Set_Pixel_Sizes(font->face, 0, pixelSizeFor(font->face, height)) == 0;
    if (!ok) {
        std::fprintf(stderr, "salute: the font file %s could not be read; text is not shown\n", path);
        FcPatternDestroy(match);
        destroyFont(font);
        return nullptr;
    }
    FcPatternDestroy(match);
    liveFonts().insert(font);
    return font;
}

HGDIOBJ SelectObject(HDC deviceContext, HGDIOBJ object) {
    if (deviceContext == nullptr || liveFonts().count(object) == 0) return nullptr;
    HGDIOBJ& selected = selectedFonts()[deviceContext];
    HGDIOBJ previous = selected;
    selected = object;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (liveFonts().erase(object) == 0) return FALSE;
    // A font deleted while selected leaves its device context with the
    // default font rather than a dangling one.
    auto& selected = selectedFonts();
    for (auto it = selected.begin(); it != selected.end();) {
        it = it->second == object ? selected.erase(it) : std::next(it);
    }
    destroyFont(object);
    return TRUE;
}

BOOL wglUseFontBitmapsA(HDC deviceContext, DWORD first, DWORD count, DWORD listBase) {
    const FT_Face face = selectedFace(deviceContext);
    if (face == nullptr || listBase == 0) return FALSE;

    const platform::BitmapUnpacking unpacking;
    for (DWORD i = 0; i < count; ++i) platform::recordGlyphList(listBase + i, bitmapOf(renderGlyph(face, first + i)));
    return TRUE;
}

DWORD GetGlyphOutlineA(HDC deviceContext, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* transform) {
    const FT_Face face = selectedFace(deviceContext);
    if (face == nullptr || format != GGO_BITMAP || metrics == nullptr || !platform::isIdentity(transform) ||
        character > 0xFF)
        return GDI_ERROR;
    const GlyphImage image = renderGlyph(face, character);
    return platform::copyGlyphOutline(bitmapOf(image), metrics, bufferSize, buffer);
}
