// Fuzzes the picture load and alpha merge; two Images kept across inputs, as
// the load keeps them, so failed loads meet any leftovers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

Image picture;
Image mask;

[[noreturn]] void broken(const char* what) { fuzz::broken("jpeg_fuzz", what); }

bool allOpaque(const Image& image) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height); ++k)
        if (image.pixels[4 * k + 3] != 255) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::nameInput("input.jpg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::writeInput(data, size)) broken("cannot write the input file");

    // Odd-sized inputs land in the mask, even-sized ones in the picture.
    Image& target = (size & 1) ? mask : picture;
    std::uint8_t* const oldPixels = target.pixels;
    const std::int32_t oldWidth = target.width;
    const std::int32_t oldHeight = target.height;

    JpegLoader loader;
    if (loader.load(fuzz::inputPath.c_str(), target)) {
        if (!target.pixels || target.width <= 0 || target.height <= 0 || target.width > 16384 ||
            target.height > 16384 ||
            static_cast<std::int64_t>(target.width) * target.height > std::int64_t{64} * 1024 * 1024) {
            broken("a successful load gave an impossible picture");
        }
        if (!allOpaque(target)) broken("a decoded picture is not opaque");
    } else if (target.pixels != oldPixels || target.width != oldWidth || target.height != oldHeight) {
        broken("a failed load changed the image");
    }

    picture.mergeAlpha(mask);
    return 0;
}
