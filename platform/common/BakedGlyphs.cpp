#include "platform/common/BakedGlyphs.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform {

namespace {

constexpr char magic[8] = {'S', 'G', 'L', 'Y', 'P', 'H', 'S', '1'};
// Far above any real font's glyphs: a damaged count is refused, not allocated.
constexpr std::uint32_t largestCount = 1u << 20;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

bool put(std::FILE* file, int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                    static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    return std::fwrite(bytes, 1, 4, file) == 4;
}

bool get(std::FILE* file, int& value) {
    unsigned char bytes[4];
    if (std::fread(bytes, 1, 4, file) != 4) return false;
    value = static_cast<int>(static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                             static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
    return true;
}

bool getCount(std::FILE* file, int& value) {
    return get(file, value) && value >= 0 && static_cast<std::uint32_t>(value) <= largestCount;
}

}  // namespace

bool writeBakedFonts(const std::string& path, const std::vector<BakedFont>& fonts, std::string& error) {
    File file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(magic, 1, sizeof magic, file.get()) == sizeof magic &&
              put(file.get(), static_cast<int>(fonts.size()));
    for (const BakedFont& font : fonts) {
        ok = ok && put(file.get(), font.height) && put(file.get(), font.first) &&
             put(file.get(), static_cast<int>(font.glyphs.size()));
        for (const BakedGlyph& glyph : font.glyphs) {
            ok = ok && put(file.get(), glyph.width) && put(file.get(), glyph.rows) && put(file.get(), glyph.left) &&
                 put(file.get(), glyph.top) && put(file.get(), glyph.advance) &&
                 put(file.get(), static_cast<int>(glyph.bits.size())) &&
                 (glyph.bits.empty() ||  // a space: no image, and no buffer to hand fwrite
                  std::fwrite(glyph.bits.data(), 1, glyph.bits.size(), file.get()) == glyph.bits.size());
        }
    }
    if (std::fclose(file.release()) != 0) ok = false;
    if (!ok) error = path + ": cannot be written";
    return ok;
}

bool readBakedFonts(const std::string& path, std::vector<BakedFont>& fonts, std::string& error) {
    File file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    char header[sizeof magic];
    int count = 0;
    bool ok = std::fread(header, 1, sizeof header, file.get()) == sizeof header &&
              std::memcmp(header, magic, sizeof magic) == 0 && getCount(file.get(), count);
    fonts.assign(ok ? static_cast<std::size_t>(count) : 0, BakedFont{});
    for (BakedFont& font : fonts) {
        int glyphs = 0;
        ok = ok && get(file.get(), font.height) && get(file.get(), font.first) && getCount(file.get(), glyphs);
        if (!ok) break;
        font.glyphs.resize(static_cast<std::size_t>(glyphs));
        for (BakedGlyph& glyph : font.glyphs) {
            int bytes = 0;
            ok = ok && get(file.get(), glyph.width) && get(file.get(), glyph.rows) && get(file.get(), glyph.left) &&
                 get(file.get(), glyph.top) && get(file.get(), glyph.advance) && getCount(file.get(), bytes);
            // The image must hold its rows at GetGlyphOutlineA's 32-bit pitch.
            ok = ok && glyph.width >= 0 && glyph.rows >= 0 && glyph.width <= 4096 &&
                 static_cast<long long>(bytes) == static_cast<long long>((glyph.width + 31) / 32 * 4) * glyph.rows;
            if (!ok) break;
            glyph.bits.resize(static_cast<std::size_t>(bytes));
            ok = glyph.bits.empty() ||
                 std::fread(glyph.bits.data(), 1, glyph.bits.size(), file.get()) == glyph.bits.size();
        }
    }
    if (!ok) {
        error = path + ": not a glyph file, or damaged";
        fonts.clear();
    }
    return ok;
}

}  // namespace platform
