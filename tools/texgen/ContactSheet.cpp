// Tiles every generated picture into one PNG: the 38 card photos as they
// appear on a 1.33 : 1 card, then the four particle photos, the three leaves
// over the scene's fog grey (their masks applied) and the three masks.
//
// Usage: salute-contactsheet DATADIR OUT.png [--tile WIDTH]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/Manifest.h"
#include "tools/common/PngWriter.h"
#include "tools/content/JpegRead.h"

namespace {

struct Sheet {
    int width, height;
    std::vector<std::uint8_t> rgba;
    void put(int x, int y, const std::uint8_t* rgb) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        p[0] = rgb[0];
        p[1] = rgb[1];
        p[2] = rgb[2];
        p[3] = 255;
    }
};

// Box-filtered sample of the source rectangle that maps onto one output pixel.
void average(const content::RgbImage& image, float x0, float y0, float x1, float y1, float out[3]) {
    const int i0 = static_cast<int>(x0), i1 = std::max(i0 + 1, static_cast<int>(std::ceil(x1)));
    const int j0 = static_cast<int>(y0), j1 = std::max(j0 + 1, static_cast<int>(std::ceil(y1)));
    float sum[3] = {0, 0, 0};
    int n = 0;
    for (int j = j0; j < j1 && j < image.height; ++j)
        for (int i = i0; i < i1 && i < image.width; ++i) {
            const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(j) * image.width + i) * 3];
            for (int c = 0; c < 3; ++c) sum[c] += p[c];
            ++n;
        }
    for (int c = 0; c < 3; ++c) out[c] = n ? sum[c] / static_cast<float>(n) : 0.0f;
}

// Draws image scaled into the w x h box at (x, y); with a mask, blends it over
// the fog grey by the mask's brightness.
void drawTile(Sheet& sheet, const content::RgbImage& image, const content::RgbImage* mask, int x, int y, int w,
              int h) {
    const float sx = static_cast<float>(image.width) / static_cast<float>(w);
    const float sy = static_cast<float>(image.height) / static_cast<float>(h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            float c[3];
            average(image, i * sx, j * sy, (i + 1) * sx, (j + 1) * sy, c);
            if (mask) {
                float m[3];
                average(*mask, i * sx, j * sy, (i + 1) * sx, (j + 1) * sy, m);
                const float a = (m[0] + m[1] + m[2]) / (3.0f * 255.0f);
                for (float& v : c) v = v * a + 51.0f * (1.0f - a);
            }
            // 64 levels a channel: invisible at this size, and the PNG
            // compresses to well under half.
            std::uint8_t rgb[3];
            for (int k = 0; k < 3; ++k) rgb[k] = static_cast<std::uint8_t>(std::min(255L, std::lround(c[k] / 4.0f) * 4 + 2));
            sheet.put(x + i, y + j, rgb);
        }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DATADIR OUT.png [--tile WIDTH]\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    int tile = 100;
    if (argc >= 5 && std::string(argv[3]) == "--tile") tile = std::max(16, std::atoi(argv[4]));
    const int tileH = static_cast<int>(std::lround(tile / 1.33f));
    const int gap = std::max(2, tile / 25);
    const int columns = 8;
    // Each tile is one file of the manifest, or a leaf with its mask.
    struct Tile {
        const char* file;
        const char* mask;
    };
    std::vector<Tile> tiles;
    for (const char* photo : photoFileNames) tiles.push_back({photo, nullptr});
    for (const char* photo : secPhotoFileNames) tiles.push_back({photo, nullptr});
    for (const LeafPictures& leaf : leafFileNames) tiles.push_back({leaf.picture, leaf.mask});
    for (const LeafPictures& leaf : leafFileNames) tiles.push_back({leaf.mask, nullptr});
    const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;

    Sheet sheet{columns * (tile + gap) + gap, rows * (tileH + gap) + gap, {}};
    sheet.rgba.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 0);
    for (std::size_t k = 3; k < sheet.rgba.size(); k += 4) sheet.rgba[k] = 255;
    for (std::size_t k = 0; k < sheet.rgba.size(); k += 4) sheet.rgba[k] = sheet.rgba[k + 1] = sheet.rgba[k + 2] = 24;

    bool ok = true;
    for (std::size_t n = 0; n < tiles.size(); ++n) {
        const int x = gap + static_cast<int>(n % columns) * (tile + gap);
        const int y = gap + static_cast<int>(n / columns) * (tileH + gap);
        const bool withMask = tiles[n].mask != nullptr;
        content::RgbImage image, mask;
        if (!content::readJpeg(dir + tiles[n].file, image) ||
            (withMask && !content::readJpeg(dir + tiles[n].mask, mask))) {
            ok = false;
            continue;
        }
        if (n < static_cast<std::size_t>(photoCount)) {
            drawTile(sheet, image, nullptr, x, y, tile, tileH);
        } else {
            drawTile(sheet, image, withMask ? &mask : nullptr, x + (tile - tileH) / 2, y, tileH, tileH);
        }
    }
    if (!tools::writePng(argv[2], sheet.rgba.data(), sheet.width, sheet.height)) return 1;
    return ok ? 0 : 1;
}
