#include "tests/assets/JpegCraft.h"

#include <stdexcept>

#include "tools/common/JpegWriter.h"

namespace craft {

namespace {

// A marker segment; a scan's includes its entropy-coded data.
struct Segment {
    std::uint8_t marker;
    std::size_t begin;
    std::size_t end;
};

std::vector<Segment> segments(const Bytes& jpeg) {
    std::vector<Segment> result;
    std::size_t at = 2;  // after the start-of-image marker
    while (at + 1 < jpeg.size()) {
        if (jpeg[at] != 0xFF) throw std::runtime_error("no marker where one was expected");
        const std::uint8_t marker = jpeg[at + 1];
        if (marker == 0xD9) {
            result.push_back({marker, at, at + 2});
            break;
        }
        if (at + 3 >= jpeg.size()) throw std::runtime_error("segment header cut short");
        std::size_t end = at + 2 + (static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3]);
        if (marker == 0xDA) {
            // It ends at a marker that is not a stuffed zero or a restart.
            while (end + 1 < jpeg.size() &&
                   !(jpeg[end] == 0xFF && jpeg[end + 1] != 0x00 &&
                     !(jpeg[end + 1] >= 0xD0 && jpeg[end + 1] <= 0xD7))) {
                ++end;
            }
        }
        result.push_back({marker, at, end});
        at = end;
    }
    return result;
}

}  // namespace

Bytes picture(int width, int height, int components, bool progressive, unsigned seed) {
    // Smooth ramps with a little texture, different per channel.
    Bytes samples(static_cast<std::size_t>(width) * height * components);
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const int c = static_cast<int>(k % components), x = static_cast<int>(k / components % width),
                  y = static_cast<int>(k / components / width);
        samples[k] = static_cast<std::uint8_t>((x * 7 + y * 3) * (c + 1) + seed * 29 + ((x ^ y) & 3) * 5 + c * 60);
    }
    tools::JpegOptions options;
    options.progressive = progressive;
    return tools::encodeJpeg(samples.data(), width, height, components, options);
}

Bytes tablesOnly() {
    const Bytes jpeg = picture(8, 8, 3);
    Bytes tables = {0xFF, 0xD8};
    for (const Segment& segment : segments(jpeg))
        if (segment.marker == 0xDB || segment.marker == 0xC4)
            tables.insert(tables.end(), jpeg.begin() + std::ptrdiff_t(segment.begin), jpeg.begin() + std::ptrdiff_t(segment.end));
    tables.insert(tables.end(), {0xFF, 0xD9});
    return tables;
}

Bytes withDimensions(Bytes jpeg, int width, int height) {
    for (const Segment& segment : segments(jpeg)) {
        // Start of frame: C0 to CF but C4 (Huffman), C8 (reserved), CC (arithmetic).
        const std::uint8_t m = segment.marker;
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            // FF Cn, length (2), precision (1), height (2), width (2)
            std::uint8_t* frame = jpeg.data() + segment.begin;
            frame[5] = static_cast<std::uint8_t>(height >> 8);
            frame[6] = static_cast<std::uint8_t>(height);
            frame[7] = static_cast<std::uint8_t>(width >> 8);
            frame[8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    }
    throw std::runtime_error("no frame header");
}

Bytes withExtraScans(const Bytes& jpeg, int extraScans) {
    const std::vector<Segment> all = segments(jpeg);
    const Segment* last = nullptr;
    for (const Segment& segment : all) {
        if (segment.marker == 0xDA) last = &segment;
    }
    if (!last || all.back().marker != 0xD9) throw std::runtime_error("no scan or no end marker");
    Bytes result(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(all.back().begin));
    for (int i = 0; i < extraScans; ++i) {
        result.insert(result.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(last->begin),
                      jpeg.begin() + static_cast<std::ptrdiff_t>(last->end));
    }
    result.push_back(0xFF);
    result.push_back(0xD9);
    return result;
}

int scanCount(const Bytes& jpeg) {
    int count = 0;
    for (const Segment& segment : segments(jpeg)) {
        if (segment.marker == 0xDA) ++count;
    }
    return count;
}

Bytes gifHeader() {
    const char text[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00";
    return Bytes(text, text + sizeof text - 1);
}

}  // namespace craft
